// mvnd: the daemon's entry point.
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

#include "daemon/logging.h"
#include "daemon/queue.h"
#include "daemon/service.h"
#include "daemon/startup.h"
#include "daemon/status.h"
#include "platform/process.h"
#include "platform/prompts.h"
#include "signals.h"

using namespace mvnz;
using namespace mvnz::mvnd;

namespace {

bool IsServiceCommand(const QString& commandLine) {
  const QString first = commandLine.section(QStringLiteral("]~["), 0, 0);
  return first == QLatin1String("-install") || first == QLatin1String("-uninstall");
}

// The daemon does not start: beep and end; an installation command also says why.
int Refuse(const QString& commandLine, const char* why) {
  prompts::beep();
  if (IsServiceCommand(commandLine)) {
    std::fprintf(stderr, "mvnd: %s\n", why);
    std::fflush(stderr);
  }
  return kExitRefused;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  // The installer passes one text that may have been split at its blanks.
  const QString commandLine = app.arguments().mid(1).join(QLatin1Char(' '));

  if (QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toUpper() !=
      QLatin1String("MVND"))
    return Refuse(commandLine, "the program must be named mvnd");
  process::InstanceLock lock(QStringLiteral("mvnd"));
  if (!lock.tryLock()) return Refuse(commandLine, "another instance of the daemon is running");

  Daemon d;
  const int status = ProcessCommandLine(d, commandLine);
  if (status != kContinue) return status;

#ifdef MVND_WITH_ENGINE
  d.SetEngine(MakeEngine());
#endif
  // The service manager's stop (and an interrupt) ends the daemon in order.
  InstallStopSignals(&d, [&d] {
    if (d.SVC().IsRunningAsService())
      d.SVC().LogServiceEvent(4, QStringLiteral("Mervane Zuri shutting down"));
    d.RunningAsService = false;
    ShutdownDaemon(d, kExitOk);
  });
  if (d.SVC().IsRunningAsService())
    d.SVC().LogServiceEvent(4, QStringLiteral("Mervane Zuri started successfully"));

  d.StartTime = QDateTime::currentDateTime();
  RegisterMVNdcom(d);
  InitDaemon(d);
  QString error;
  auto server = StartLogServer(d, &error);
  if (!server)
    WriteLogLine(
        d, QStringLiteral("S"),
        QStringLiteral("WARNING: log socket not available [%1][%2]").arg(LogSocketPath(), error),
        1);
  StartTimers(d);
  AutoStart(d);
  if (d.ShuttingDown) return d.ExitCode;
  auto statusServer = StartStatusServer(d, &error);
  if (!statusServer)
    WriteLogLine(d, QStringLiteral("S"),
                 QStringLiteral("WARNING: status socket not available [%1][%2]")
                     .arg(StatusSettingsKey(), error),
                 1);
  const int rc = app.exec();
  UnregisterMVNdcom();
  return d.ExitCode >= 0 ? d.ExitCode : rc;
}
