// mvnd: the daemon's entry point.
#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "daemon/config.h"
#include "daemon/logging.h"
#include "daemon/queue.h"
#include "daemon/service.h"
#include "daemon/startup.h"
#include "daemon/status.h"
#include "daemon/windows/windowedui.h"
#include "engine/engine.h"
#include "platform/process.h"
#include "platform/prompts.h"
#include "signals.h"

using namespace mvnz;
using namespace mvnz::mvnd;

namespace {

QString FirstItem(const QString& commandLine) {
  return commandLine.section(QStringLiteral("]~["), 0, 0);
}

bool IsUninstallCommand(const QString& commandLine) {
  return FirstItem(commandLine) == QLatin1String("-uninstall");
}

bool IsServiceCommand(const QString& commandLine) {
  return FirstItem(commandLine) == QLatin1String("-install") || IsUninstallCommand(commandLine);
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

// Whether this run shows windows, decided before the application object exists:
// the run modes with a window or an icon (1, 2, and no auto-start), on a display,
// outside the service manager. Modes 3 and 4 and installation commands stay
// headless.
bool WantsWindows(const QString& commandLine) {
  if (IsServiceCommand(commandLine) || !DisplayAvailable()) return false;
  if (qgetenv(kServiceMarkerVar) == "1") return false;
  const jobfile::GlobalSettings g = ReadGlobalSettings(DefaultConfigPath());
  if (g.AutoStart == 0) return true;
  return g.AutoStartState != 3 && g.AutoStartState != 4;
}

}  // namespace

int main(int argc, char** argv) {
  process::raiseDescriptorLimit();
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  // The installer passes one text that may have been split at its blanks.
  const QString commandLine = args.join(QLatin1Char(' '));
  const bool windowed = WantsWindows(commandLine);
  std::unique_ptr<QCoreApplication> app;
  if (windowed)
    app = std::make_unique<QApplication>(argc, argv);
  else
    app = std::make_unique<QCoreApplication>(argc, argv);

  if (QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toUpper() !=
      QLatin1String("MVND"))
    return Refuse(commandLine, "the program must be named mvnd");
  // "-uninstall" takes no lock: it stops a running service daemon and waits for that
  // daemon's lock itself (ServiceControl::StopRunningDaemon).
  process::InstanceLock lock(QString::fromLatin1(process::kDaemonLock));
  if (!IsUninstallCommand(commandLine) && !lock.tryLock()) {
    if (lock.error().isEmpty()) return Refuse(commandLine, "another instance of the daemon is running");
    // A runtime folder others could tamper with is always said, whatever the run.
    std::fprintf(stderr, "mvnd: %s\n", qPrintable(lock.error()));
    std::fflush(stderr);
    prompts::beep();
    return kExitRefused;
  }

  Daemon d;
  const int status = ProcessCommandLine(d, commandLine);
  if (status != kContinue) return status;

  d.SetEngine(engine::MakeEngine());
  std::shared_ptr<WindowedUi> windows;
  if (windowed) {
    // The hidden main window and the tray keep the program alive, not a window.
    QApplication::setQuitOnLastWindowClosed(false);
    prompts::install(prompts::makeQt());
    windows = std::make_shared<WindowedUi>(d);
    d.SetUi(windows);
    windows->InitSystemTray();
  }
  // The service manager's stop (and an interrupt) ends the daemon in order; its
  // reload (SIGHUP) is the daemon's own.
  InstallSignals(
      &d,
      [&d] {
        if (d.SVC().IsRunningAsService())
          d.SVC().LogServiceEvent(4, QStringLiteral("Mervane Zuri shutting down"));
        d.run.RunningAsService = false;
        ShutdownDaemon(d, kExitOk);
      },
      [&d] {
        if (d.run.ShuttingDown) return;
        // A daemon that is stopping stays stopped.
        PostCommand(d, ReloadWords(d.run.State == RunState::Running));
      });
  if (d.SVC().IsRunningAsService())
    d.SVC().LogServiceEvent(4, QStringLiteral("Mervane Zuri started successfully"));

  d.run.StartTime = QDateTime::currentDateTime();
  RegisterMVNdcom(d);
  InitDaemon(d);
  QString error;
  auto server = StartLogServer(d, &error);
  if (!server)
    LogConfigWarning(
        d, QStringLiteral("WARNING: log socket not available [%1][%2]").arg(LogSocketPath(), error));
  StartTimers(d);
  AutoStart(d);
  if (d.run.ShuttingDown) return d.run.ExitCode;
  // The queue's first pass runs as soon as the event loop does: an auto-start's START
  // is taken at once, not a full queue tick later.
  QTimer::singleShot(0, &d, [&d] { CommandQueueTick(d); });
  auto statusServer = StartStatusServer(d, &error);
  if (!statusServer)
    LogConfigWarning(d, QStringLiteral("WARNING: status socket not available [%1][%2]")
                            .arg(StatusSettingsKey(), error));
  const int rc = app->exec();
  UnregisterMVNdcom();
  return d.run.ExitCode >= 0 ? d.run.ExitCode : rc;
}
