// The scan cycle: the queue words, then every enabled, due RoziRoruner in order: its
// file list and one script run per free file (or one run for a time trigger), then
// its next run.
#include <exception>

#include "daemon/logfiles.h"
#include "daemon/queue.h"
#include "library/dates.h"
#include "engine/dirscan.h"
#include "engine/engine.h"
#include "engine/hotfolder.h"
#include "engine/schedules.h"
#include "engine/stability.h"
#include "library/regexpr.h"
#include "platform/fileops.h"

namespace mvnz::engine {

using mvnd::Daemon;
using mvnd::RoziRoruner;

namespace {

enum class Turn { Next, EndCycle };

class CycleEngine : public mvnd::Engine {
 public:
  explicit CycleEngine(EnginePorts ports) : s_(std::move(ports)) {}

  void MainEventLoop(Daemon& d) override {
    // Lines between cycles are few: the log files are not held open past the cycle.
    struct CloseLogFiles {
      Daemon& d;
      ~CloseLogFiles() { d.LogFiles().CloseFiles(); }
    } closeLogFiles{d};
    if (mvnd::TakeRunningQueueWords(d)) return;
    d.run.LoadConfigPending = false;
    s_.probe().beginCycle();
    // What the probe keeps open (the folder of its last look) goes when the cycle ends.
    struct EndProbeCycle {
      LockProbe& probe;
      ~EndProbeCycle() { probe.endCycle(); }
    } endProbeCycle{s_.probe()};
    s_.owners().clear();

    for (int i = 0; i < d.jobs.RoziRorunerCount && i < d.jobs.RoziRoruners.size(); ++i) {
      Turn t = Turn::Next;
      {
        // The folders the turn's moves changed are flushed once, before the next listing.
        fileops::FolderSyncBatch folderSyncs;
        try {
          t = RunTurn(d, i);
        } catch (const std::exception& e) {
          Isolate(d, i, QStringLiteral("MainEventLoop"), QString::fromLocal8Bit(e.what()));
        } catch (...) {
          Isolate(d, i, QStringLiteral("MainEventLoop"), QStringLiteral("unknown error"));
        }
        if (const fileops::Outcome o = folderSyncs.flush(); !o.ok())
          s_.log(d, i, kSystemSource, QStringLiteral("WARNING: ") + o.errorText, 1);
      }
      if (t == Turn::EndCycle || d.run.ShuttingDown) return;
    }

    const qsizetype stop = d.run.CommandQueue.indexOf(QStringLiteral("STOP"));
    if (stop >= 0) {
      mvnd::SetDaemonState(d, mvnd::RunState::Stopped);
      if (stop < d.run.CommandQueue.size()) d.run.CommandQueue.removeAt(stop);
    } else {
      s_.pump().now();
      if (d.run.ShuttingDown) return;
    }
    d.ui().ShowTrayRunState();
  }

  void InitEventTimers(Daemon& d) override { engine::InitEventTimers(d, s_); }

 private:
  // A failure inside one RoziRoruner's turn takes only that RoziRoruner out (until
  // the next reload); the cycle and the daemon go on with the others.
  void Isolate(Daemon& d, int i, const QString& source, const QString& description) {
    if (i >= d.jobs.RoziRoruners.size()) return;
    RoziRoruner& r = d.jobs.RoziRoruners[i];
    r.Active = false;
    s_.log(d, i, kSystemSource,
           QStringLiteral("ERROR-MAIN_EVENT_LOOP: Error during Main-Event-Loop [%1][%2][%3], "
                          "RoziRoruner made inactive until the next reload")
               .arg(r.Name, source, description),
           2);
  }

  // True when the turn must end the cycle: the daemon ends, or its records changed.
  static bool Gone(const Daemon& d, int i) {
    return d.run.ShuttingDown || i >= d.jobs.RoziRoruners.size();
  }

  Turn RunTurn(Daemon& d, int i) {
    d.jobs.RoziRoruners[i].ErrorActionSet = false;
    if (d.jobs.RoziRoruners[i].Enabled != 1 || !d.jobs.RoziRoruners[i].Active) return Turn::Next;

    switch (IsDue(d, s_, i)) {
      case Due::No:
        return Turn::Next;
      case Due::Unreadable:
        Isolate(d, i, QStringLiteral("NextRun"),
                QStringLiteral("due time [%1] cannot be read").arg(d.jobs.RoziRoruners[i].NextRun));
        return Turn::Next;
      case Due::Yes:
        break;
    }
    d.jobs.RoziRoruners[i].LastRunDay = FormatDay(s_.now().date());
    const bool timeTrigger = d.jobs.RoziRoruners[i].Trigger == QLatin1String("TIME");

    if (!timeTrigger) {
      GetFileList(d, s_, i);
      if (Gone(d, i)) return Turn::EndCycle;
    }
    if (timeTrigger || d.jobs.RoziRoruners[i].FilesPending >= 1) {
      if (d.jobs.RoziRoruners[i].SingleFileHandling == 1) d.jobs.RoziRoruners[i].FilesPending = 1;
      if (timeTrigger ? RunTimeJob(d, i) : RunFiles(d, i)) return Turn::EndCycle;
    }

    if (!ComputeNextRun(d, s_, i))
      Isolate(
          d, i, QStringLiteral("Interval"),
          QStringLiteral("schedule [%1] cannot be read").arg(d.jobs.RoziRoruners[i].ScheduleText));
    return Turn::Next;
  }

  // One script run per free file. True when the cycle must end at once.
  bool RunFiles(Daemon& d, int i) {
    // The table stays alive for this loop even if a handler drops the record's pointer.
    const std::shared_ptr<mvnd::FileTable> list = d.jobs.RoziRoruners[i].FileList;
    if (!list) return false;
    const qint64 last = d.jobs.RoziRoruners[i].FilesPending - 1;
    d.jobs.RoziRoruners[i].CurrentFile = 0;
    while (d.jobs.RoziRoruners[i].CurrentFile <= last) {
      const QString path = list->filepathname();
      struct stat st;
      // The file is looked at now, at its turn: earlier scripts may have changed it.
      // One look serves the existence test, the progress line and the judgement (the
      // probe opens the file once for both questions).
      if (s_.probe().look(path, st)) {
        if (d.settings.AutoLogInternalCommands == 1 && d.settings.ShowUnstableMessages)
          s_.log(d, i, kRunnerSource, QStringLiteral("Found file: [") + path + QLatin1Char(']'), 0);
        // Size and time stamp as at this look, which the judgement below uses too.
        list->describeCurrent(st);
        const QString status = s_.fileStatus(d, i, path, st);
        if (status == QLatin1String(kFree)) {
          d.run.LastCommandError = false;
          // The script's file operations on this file reach the file the listing saw.
          const fileops::ListedScope listed(
              ListedFileOf(list->folder(list->current()->folder), *list->current()));
          s_.runScript(d, i);
          if (Gone(d, i) || !d.run.Running() || d.run.LoadConfigPending) return true;
          if (d.settings.AutoLogInternalCommands == 1)
            s_.log(d, i, kRunnerSource, QStringLiteral("Done."), 0);
          d.jobs.RoziRoruners[i].FilesHandled += 1;
        }
        s_.pump().step();
        if (Gone(d, i)) return true;
        if (d.run.State != mvnd::RunState::Running) return true;
      }
      if (d.jobs.RoziRoruners[i].FilesPending > 0) list->moveNext();
      if (d.tmrShutdown.isActive()) break;
      d.jobs.RoziRoruners[i].CurrentFile += 1;
    }
    if (d.jobs.RoziRoruners[i].FilesPending >= 1) d.jobs.RoziRoruners[i].FileList.reset();
    return false;
  }

  // The script of a time-triggered RoziRoruner. True when the cycle must end at once.
  bool RunTimeJob(Daemon& d, int i) {
    if (d.settings.AutoLogInternalCommands == 1)
      s_.log(
          d, i, kRunnerSource,
          QStringLiteral("Executing commands of RoziRoruner [%1]").arg(d.jobs.RoziRoruners[i].Name),
          0);
    d.run.LastCommandError = false;
    s_.runScript(d, i);
    if (Gone(d, i) || !d.run.Running() || d.run.LoadConfigPending) return true;
    if (d.settings.AutoLogInternalCommands == 1)
      s_.log(d, i, kRunnerSource, QStringLiteral("Done."), 0);
    return false;
  }

  EngineServices s_;
};

}  // namespace

PatternMatcher RegExprMatcher() {
  return [](const QString& name, const QString& pattern, PatternFault* fault) {
    RegExprError err;
    const bool matched = RegExprMatchesName(name, pattern, &err);
    if (err && fault) {
      fault->text = err.text();
      fault->unfinished = err.unfinished;
    }
    return matched;
  };
}

std::unique_ptr<mvnd::Engine> MakeCycleEngine(EnginePorts ports) {
  return std::make_unique<CycleEngine>(std::move(ports));
}

std::unique_ptr<mvnd::Engine> MakeEngine() {
  EnginePorts ports;
  ports.matcher = RegExprMatcher();
  return MakeCycleEngine(std::move(ports));
}

}  // namespace mvnz::engine
