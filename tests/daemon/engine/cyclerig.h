#pragma once
// A daemon state with the engine built on fake ports: a set clock, a pump that counts
// its passes and can run a step inside one, a log sink that records, the system's
// expression engine as the filter matcher, and a script runner that records which
// RoziRoruner ran over which file.
#include <QStringList>
#include <functional>
#include <memory>
#include <ostream>

#include "daemon/core.h"
#include "engine/engine.h"
#include "enginetestutil.h"

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace mvnz::test {

class HookPump : public engine::MessagePump {
 public:
  void pump() override {
    ++passes;
    if (hook) hook();
  }
  int passes = 0;
  std::function<void()> hook;
};

struct CycleRig {
  explicit CycleRig(QDateTime start = QDateTime(QDate(2026, 3, 11), QTime(10, 0, 0)),
                    engine::EnginePorts extra = {}) {
    clock = std::make_shared<FakeClock>(start);
    pump = std::make_shared<HookPump>();
    engine::EnginePorts p = std::move(extra);
    p.clock = clock;
    p.pump = pump;
    p.log = [this](const QString& source, const QString& message, int level, const QString&,
                   int index) {
      lines << QStringLiteral("%1%2:%3:%4").arg(source).arg(index).arg(level).arg(message);
    };
    if (!p.matcher) p.matcher = engine::RegExprMatcher();
    p.runScript = [this](mvnd::Daemon& dd, engine::EngineServices& s, int index) {
      const mvnd::RoziRoruner& r = dd.jobs.RoziRoruners[index];
      QString run = r.Name;
      if (r.FileList && !r.FileList->atEnd()) run += ":" + r.FileList->filename();
      runs << run;
      if (onRun) onRun(dd, s, index);
    };
    engine = engine::MakeCycleEngine(std::move(p));
    d.run.State = mvnd::RunState::Running;
    d.run.DaemonInitialized = true;
    d.settings.ShortDatePattern = QStringLiteral("dd/mm/yyyy");
  }

  mvnd::RoziRoruner& Add(const QString& name, const QString& interval,
                         const QString& trigger = QStringLiteral("TIME")) {
    mvnd::RoziRoruner r;
    r.Name = name;
    r.Description = name;
    r.Interval = interval;
    r.Trigger = trigger;
    r.Enabled = 1;
    r.Active = true;
    r.StableTimer = -1;
    d.jobs.RoziRoruners.append(r);
    d.jobs.RoziRorunerCount = int(d.jobs.RoziRoruners.size());
    return d.jobs.RoziRoruners.last();
  }
  void Init() { engine->InitEventTimers(d); }
  void Cycle() {
    d.run.ScanRunning = true;
    engine->MainEventLoop(d);
    d.run.ScanRunning = false;
  }
  // Runs and lines since the last call.
  QStringList TakeRuns() {
    QStringList r = runs;
    runs.clear();
    return r;
  }
  QStringList TakeLines() {
    QStringList l = lines;
    lines.clear();
    return l;
  }

  mvnd::Daemon d;
  std::shared_ptr<FakeClock> clock;
  std::shared_ptr<HookPump> pump;
  std::unique_ptr<mvnd::Engine> engine;
  QStringList runs, lines;  // lines: source letter, index, ":", level, ":", message
  std::function<void(mvnd::Daemon&, engine::EngineServices&, int index)> onRun;
};

}  // namespace mvnz::test
