#pragma once
// Restart, log-off and shutdown requests.
//
// A request is handed to the service manager (`systemctl reboot` / `systemctl
// poweroff`) or to the login manager (`loginctl terminate-session` of this process's
// session) with an argument list, never through a shell. "Force" ignores inhibitor
// locks. The call returns at once; the system carries the request out on its own.
//
// Safety: when MVNZ_POWER_DRYRUN is set to anything but "" or "0", or when a recorder
// is installed, nothing is ever executed: the request is only recorded. Once a process
// has seen the dry-run setting it keeps it for its whole life, so clearing the
// variable later cannot turn a test into a real request.
#include <QString>
#include <QStringList>
#include <memory>

namespace mvnz::power {

enum class Action { Reboot, PowerOff, LogOff };

struct Request {
  Action action = Action::Reboot;
  bool force = false;
  QString program;  // empty when the request cannot be formed (no session to end)
  QStringList arguments;
};

// Receives what would have been done. Installed by tests; while one is installed no
// request reaches the system.
class Recorder {
 public:
  virtual ~Recorder() = default;
  // The "close files" step (sync) that precedes a request.
  virtual void onSync() {}
  // Returns whether the request counts as accepted.
  virtual bool onRequest(const Request& request) = 0;
};

// Installs a recorder (nullptr removes it); returns the previous one.
std::shared_ptr<Recorder> installRecorder(std::shared_ptr<Recorder> recorder);

// True when requests are only recorded (latched: never turns false again).
bool dryRun();

// The login session of this process: $XDG_SESSION_ID, else /proc/self/sessionid;
// "" when the process belongs to no session.
QString sessionId();

// The command a request runs.
Request buildRequest(Action action, bool force);

// Flushes every file system buffer to disk, so nothing written is lost.
void syncFiles();

// Hands the request over. True when it was accepted (the program started, or the
// recorder/dry run accepted it); false when it was refused or could not be formed.
bool request(Action action, bool force);

// Requests made under dry run without a recorder, oldest first (for diagnostics).
QList<Request> dryRunLog();

}  // namespace mvnz::power
