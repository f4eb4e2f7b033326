#include "daemon/queue.h"

#include <QEventLoop>
#include "daemon/config.h"
#include "daemon/logging.h"
#include "daemon/service.h"
#include "library/numbers.h"
#include "library/regwrap.h"

namespace mvnz::mvnd {

namespace {

const QString S = QStringLiteral("S");
const QString M = QStringLiteral("M");

// The part of a start that a reload taken while running must repeat: fresh records
// have no schedule and no local variables.
void PrepareRecords(Daemon& d) {
  for (RoziRoruner& r : d.jobs.RoziRoruners)
    for (int i = 0; i <= 10; ++i) r.LocalVariables[i] = r.InitialLocalsValue;
  if (Engine* e = d.engine()) e->InitEventTimers(d);
}

}  // namespace

void PostCommand(Daemon& d, const QString& Words) {
  if (d.settings.AutoLogInternalCommands != 0)
    WriteLogLine(d, S, QStringLiteral("System-command: ") + Words, 3, {}, -1);
  d.run.CommandQueue.append(Words.split(QLatin1Char(',')));
}

QString ReloadWords(bool running) {
  return running ? QStringLiteral("STOP,RELOAD,START") : QStringLiteral("RELOAD");
}

void SetDaemonState(Daemon& d, RunState target) {
  if (target == RunState::Running) {
    if (!d.run.Running()) {
      const bool started = StartProcessing(d);
      d.run.Wish = !started && d.jobs.RoziRorunerCount == 0 ? Wanted::OnceJobsLoaded
                                                             : Wanted::Nothing;
      if (started) {
        d.run.State = RunState::Running;
        if (d.run.RunningAsService) d.view.StartStopButtonEnabled = false;
      }
    }
  } else {
    if (d.run.Running()) {
      d.run.State = RunState::Stopping;
      d.tmrPollingRate.stop();
      d.tmrIdleIndicator.stop();
      d.tmrShutdown.start();
    }
  }
  d.ui().StateChanged();
  if (d.view.TrayIconShown && !d.settings.NoTrayIcon) d.ui().ModifySystemTray();
}

bool TakeRunningQueueWords(Daemon& d) {
  while (!d.run.CommandQueue.isEmpty()) {
    const QString word = d.run.CommandQueue.first();
    if (word == QLatin1String("STOP")) {
      SetDaemonState(d, RunState::Stopped);
      if (!d.run.CommandQueue.isEmpty()) d.run.CommandQueue.removeFirst();
      return true;
    }
    if (word == QLatin1String("SAVE")) d.ui().SaveDaemonSettings(true);
    if (!d.run.CommandQueue.isEmpty()) d.run.CommandQueue.removeFirst();
  }
  return false;
}

bool StartProcessing(Daemon& d) {
  if (d.jobs.RoziRorunerCount == 0) {
    WriteLogLine(d, S, QStringLiteral("There are no RoziRoruners defined!"), 0);
    return false;
  }
  bool anyEnabled = false;
  for (int i = 0; i < d.jobs.RoziRorunerCount; ++i)
    anyEnabled |= d.jobs.RoziRoruners[i].Enabled == 1;
  if (!anyEnabled) {
    WriteLogLine(d, S, QStringLiteral("There are no RoziRoruners enabled!"), 0);
    return false;
  }
  PrepareRecords(d);
  for (int i = 0; i < d.jobs.RoziRorunerCount; ++i) {
    const RoziRoruner& r = d.jobs.RoziRoruners[i];
    const char* state = r.Enabled == 1 ? "enabled" : (r.Enabled != 0 ? "standby" : "disabled");
    WriteLogLine(
        d, S,
        QStringLiteral("  > [FS%1] [%2] is %3").arg(i + 1).arg(r.Description, QLatin1String(state)),
        0);
  }
  d.run.ScanRunning = false;
  d.tmrPollingRate.start();
  if (d.settings.IdleLogging == 1) d.tmrIdleIndicator.start();
  WriteLogLine(d, S, QStringLiteral("Processing Started"), 0);
  return true;
}

void CommandQueueTick(Daemon& d) {
  if (d.run.Running() || d.run.QueueWorking || d.run.ShuttingDown) return;
  d.run.QueueWorking = true;
  while (!d.run.CommandQueue.isEmpty() && !d.run.ShuttingDown) {
    const QString word = d.run.CommandQueue.first();
    if (word == QLatin1String("SHUTDOWN")) {
      d.run.QueueWorking = false;
      ShutdownDaemon(d, kExitOk);
      return;
    }
    if (word == QLatin1String("RELOAD")) {
      // Polling must not run on half-read records; a reload taken after a START
      // of the same pass gives the fresh records their schedules as START would.
      const bool polling = d.tmrPollingRate.isActive();
      d.tmrPollingRate.stop();
      ReloadConfiguration(d);
      if (d.run.Running()) PrepareRecords(d);
      if (polling && d.run.Running()) d.tmrPollingRate.start();
      if (!d.run.Running() && !d.run.ShuttingDown && d.run.Wish == Wanted::OnceJobsLoaded &&
          d.jobs.RoziRorunerCount > 0)
        SetDaemonState(d, RunState::Running);
    } else if (word == QLatin1String("START")) {
      SetDaemonState(d, RunState::Running);
    } else if (word == QLatin1String("SAVE")) {
      d.ui().SaveDaemonSettings(true);
    } else if (word == QLatin1String("STOPSERVICE")) {
      d.SVC().StopService();
    }
    if (!d.run.CommandQueue.isEmpty()) d.run.CommandQueue.removeFirst();
  }
  d.run.QueueWorking = false;
}

void PollingTick(Daemon& d) {
  if (d.run.ScanRunning || d.run.Reloading || d.run.ShuttingDown) return;
  d.tmrPollingRate.stop();
  d.run.ScanRunning = true;
  if (Engine* e = d.engine()) e->MainEventLoop(d);
  d.run.ScanRunning = false;
  // A stop or an end that came in during the cycle keeps the polling off.
  if (d.run.Running() && !d.tmrShutdown.isActive() && !d.run.ShuttingDown) d.tmrPollingRate.start();
}

void IdleTick(Daemon& d) {
  ++d.run.IdleTicks;
  if (d.run.IdleTicks >= d.settings.IdleInterval) {
    WriteLogLine(d, S, QStringLiteral("Idle"), 0);
    d.run.IdleTicks = 0;
  }
}

void ShutdownTick(Daemon& d) {
  if (d.run.ScanRunning) return;
  d.tmrPollingRate.stop();
  d.tmrIdleIndicator.stop();
  d.run.State = RunState::Stopped;
  for (RoziRoruner& r : d.jobs.RoziRoruners)
    if (r.FilesPending >= 1) r.FileList.reset();
  d.ui().StateChanged();
  if (d.view.TrayIconShown && !d.settings.NoTrayIcon) d.ui().ModifySystemTray();
  WriteLogLine(d, S, QStringLiteral("Daemon stopped"), 0);
  d.tmrShutdown.stop();
}

void ShutdownDaemon(Daemon& d, int status) {
  if (d.run.ShuttingDown) return;
  WriteLogLine(d, S, QStringLiteral("Daemon is shutting down..."), 0);
  d.run.ShuttingDown = true;
  for (QTimer* t :
       {&d.tmrCommandQueue, &d.tmrPollingRate, &d.tmrIdleIndicator, &d.tmrShutdown, &d.tmrService})
    t->stop();
  d.ui().RemoveSystemTray();
  d.view.TrayIconShown = false;
  d.run.CommandQueue.clear();
  d.log.TotalLog.clear();
  d.log.LogBuffers.clear();
  // A cycle that is still running keeps its file list: its script ends after the line
  // it is on, and that line still reads the current file.
  if (!d.run.ScanRunning)
    for (RoziRoruner& r : d.jobs.RoziRoruners) r.FileList.reset();
  d.ui().CloseWindows();
  d.run.ExitCode = status;
  if (d.ExitHook) d.ExitHook(status);
}

void DoEndDaemon(Daemon& d) {
  if (d.settings.AutoLogInternalCommands == 1)
    WriteLogLine(d, M, QStringLiteral("Shutting down daemon....."), 0);
  PostCommand(d, QStringLiteral("STOP,SHUTDOWN"));
}

void DoStopDaemon(Daemon& d) {
  if (d.settings.AutoLogInternalCommands == 1)
    WriteLogLine(d, M, QStringLiteral("Stopping daemon....."), 0);
  PostCommand(d, QStringLiteral("STOP"));
}

QString ServiceStartupDelayText() {
  const QString delay = GetRegString(QStringLiteral("Software\\Orvendel\\MervaneZuri\\Daemon\\"),
                                     QStringLiteral("ServiceStartupDelay"));
  if (delay.isEmpty() || LeadingNumber(delay) < 10) return QStringLiteral("10");
  return delay;
}

void ServiceTick(Daemon& d) {
  if (!d.SVC().IsRunningAsService()) return;
  d.tmrService.stop();
  const QString delay = ServiceStartupDelayText();
  WriteLogLine(d, S, QStringLiteral("Daemon will start in %1 seconds.....").arg(delay), 0);
  // Events keep running while the daemon waits; an end leaves the wait at once.
  QEventLoop wait;
  QTimer::singleShot(static_cast<int>(LeadingNumber(delay) * 1000), &wait,
                     &QEventLoop::quit);
  wait.exec();
  if (d.run.ShuttingDown) return;
  d.run.RunningAsService = true;
  PostCommand(d, QStringLiteral("START"));
}

void StartTimers(Daemon& d) {
  QObject::connect(&d.tmrCommandQueue, &QTimer::timeout, &d, [&d] { CommandQueueTick(d); });
  QObject::connect(&d.tmrPollingRate, &QTimer::timeout, &d, [&d] { PollingTick(d); });
  QObject::connect(&d.tmrIdleIndicator, &QTimer::timeout, &d, [&d] { IdleTick(d); });
  QObject::connect(&d.tmrShutdown, &QTimer::timeout, &d, [&d] { ShutdownTick(d); });
  QObject::connect(&d.tmrService, &QTimer::timeout, &d, [&d] { ServiceTick(d); });
  d.tmrCommandQueue.start();
}

}  // namespace mvnz::mvnd
