#pragma once
// The service installer's operations: the daemon mvnd, started from the program
// folder with "-install" or "-uninstall" and "]~["-separated key=value items as one
// argument, does the work; the installer waits for that one child and reports what
// its exit status says.
#include <QString>

#include "library/childrun.h"

namespace mvnz::svcwright {

inline constexpr char kDaemonProgram[] = "mvnd";
inline constexpr char kServiceName[] = "MVNDZuri";
inline constexpr char kDisplayName[] = "Mervane Zuri Daemon";

// The account the service runs as. A named account needs no password: the service
// manager starts the daemon as that user.
struct Logon {
  bool localSystem = true;
  QString account;
};

// A user name the command line can carry: not empty, no "]~[", no control character.
bool ValidAccountName(const QString& name);
// "-install]~[Configuration=...]~[ServiceName=...]~[DisplayName=...]~[LogonAccount=...]~[
// StartupMode=<mode>": every value whole, never a password.
QString InstallCommandLine(const Logon& logon, const QString& startupMode);
QString UninstallCommandLine();

enum class Operation { Install, Uninstall };
enum class Result { Installed, AlreadyInstalled, Removed, NotInstalled, Refused, Failed, NoDaemon };

struct Report {
  Result result = Result::Failed;
  int exitStatus = -1;  // the daemon's, -1 when it did not run to its end
  QString title, text;  // the box telling the user
  bool ok() const { return result == Result::Installed || result == Result::Removed; }
};

// What one daemon run means.
Report Interpret(Operation op, const ChildRun& run);
// Installs the service; refused without starting the daemon while a daemon runs.
Report RunInstall(const QString& programFolder, const Logon& logon, const QString& startupMode);
// Removes the service (the daemon stops a running service daemon first).
Report RunUninstall(const QString& programFolder);
// svcwright's own exit status: the daemon's status, kExitRefused for a refusal
// before the start, kExitFatal for a crash, 127 for a missing daemon program.
int ExitStatusOf(const Report& report);

// The command-line modes. "-install" asks one question, then installs with the
// default settings; "-remove" removes the service without a window. Both show the
// report through the prompt service and return the exit status.
int InstallAfterQuestion(const QString& programFolder);
int RemoveWithoutWindow(const QString& programFolder);

}  // namespace mvnz::svcwright
