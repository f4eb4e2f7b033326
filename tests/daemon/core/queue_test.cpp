// The command queue: posted lists x state x cycle running -> log lines and final state.
#include <gtest/gtest.h>

#include "daemon/logging.h"
#include "daemon/queue.h"
#include "support.h"

using namespace mvnz::mvnd;
using namespace mvnz::mvnd::test;

namespace {

// The queue part of a scan cycle, plus a schedule that START and RELOAD must set.
class FakeEngine : public Engine {
 public:
  void MainEventLoop(Daemon& d) override {
    ++cycles;
    TakeRunningQueueWords(d);
  }
  void InitEventTimers(Daemon& d) override {
    for (RoziRoruner& r : d.jobs.RoziRoruners) r.NextRun = QStringLiteral("scheduled");
  }
  int cycles = 0;
};

QStringList JobConfig(const QString& logDir, const QString& enabled = QStringLiteral("1")) {
  return Config(logDir,
                {QStringLiteral("[Job]"), QStringLiteral("Description=the job"),
                 QStringLiteral("Trigger=TIME"), QStringLiteral("Interval=60"),
                 QStringLiteral("InitialLocalsValue=init"), QStringLiteral("Enabled=") + enabled,
                 QString(), QStringLiteral("[Standby]"), QStringLiteral("Description=other"),
                 QStringLiteral("Enabled=2")});
}

struct QueueFixture {
  QueueFixture(const QString& enabled = QStringLiteral("1")) {
    engine = std::make_shared<FakeEngine>();
    t.d.SetEngine(engine);
    t.Load(JobConfig(t.logDir, enabled));
    mark = t.SystemLog().size();
  }
  void StartRunning() {
    PostCommand(t.d, QStringLiteral("START"));
    CommandQueueTick(t.d);
    ASSERT_TRUE(t.d.run.Running());
    mark = t.SystemLog().size();
  }
  // Lines written since the last mark.
  QStringList NewLines() { return t.SystemLog().mid(mark); }
  TestDaemon t;
  std::shared_ptr<FakeEngine> engine;
  qsizetype mark = 0;
};

const QStringList kReloadLines{QStringLiteral("Reloading configuration ....."),
                               QStringLiteral("2 RoziRoruners loaded")};

}  // namespace

TEST(CommandQueue, StoppedStateTable) {
  const QStringList started{QStringLiteral("  > [FS1] [the job] is enabled"),
                            QStringLiteral("  > [FS2] [other] is standby"),
                            QStringLiteral("Processing Started")};
  const struct {
    const char* posted;
    QStringList lines;  // "Config-file: ..." lines left out
    bool running;
    int exit;  // -1: not ended
  } cases[] = {
      {"START", started, true, -1},
      {"START,STOP", started, true, -1},  // this consumer has no STOP branch
      {"STOP", {}, false, -1},
      {"RELOAD,SHUTDOWN,START", kReloadLines + QStringList{"Daemon is shutting down..."}, false, 0},
      {"BOGUS, START,SAVE", {}, false, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.posted);
    QueueFixture f;
    PostCommand(f.t.d, QString::fromLatin1(c.posted));
    CommandQueueTick(f.t.d);
    QStringList lines = f.NewLines();
    lines.removeIf([](const QString& l) { return l.startsWith(QLatin1String("Config-file: ")); });
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(f.t.d.run.Running(), c.running);
    EXPECT_EQ(f.t.exits, c.exit < 0 ? QList<int>{} : QList<int>{c.exit});
    if (c.exit < 0) {
      EXPECT_TRUE(f.t.d.run.CommandQueue.isEmpty());
    }
  }
}

TEST(CommandQueue, StopReloadStartWhileRunning) {
  QueueFixture f;
  f.StartRunning();
  PostCommand(f.t.d, QStringLiteral("STOP,RELOAD,START"));
  CommandQueueTick(f.t.d);  // running: the queue timer leaves the words alone
  EXPECT_EQ(f.t.d.run.CommandQueue.size(), 3);

  // A cycle is in progress when the STOP is taken: the stop waits for it.
  f.t.d.run.ScanRunning = true;
  f.engine->MainEventLoop(f.t.d);
  EXPECT_EQ(f.t.d.run.CommandQueue, (QStringList{"RELOAD", "START"}));
  EXPECT_TRUE(f.t.d.tmrShutdown.isActive());
  EXPECT_EQ(f.t.d.run.State, RunState::Stopping);
  ShutdownTick(f.t.d);
  EXPECT_TRUE(f.t.d.run.Running());
  EXPECT_TRUE(f.NewLines().isEmpty());
  f.t.d.run.ScanRunning = false;
  ShutdownTick(f.t.d);
  EXPECT_FALSE(f.t.d.run.Running());
  EXPECT_FALSE(f.t.d.tmrShutdown.isActive());
  EXPECT_FALSE(f.t.d.tmrPollingRate.isActive());

  CommandQueueTick(f.t.d);
  QStringList lines = f.NewLines();
  lines.removeIf([](const QString& l) { return l.startsWith(QLatin1String("Config-file: ")); });
  EXPECT_EQ(lines, (QStringList{"Daemon stopped"} + kReloadLines +
                    QStringList{"  > [FS1] [the job] is enabled", "  > [FS2] [other] is standby",
                                "Processing Started"}));
  EXPECT_TRUE(f.t.d.run.Running());
  EXPECT_EQ(f.t.d.run.State, RunState::Running);
}

TEST(CommandQueue, BlankAfterCommaStopsAndStaysStopped) {
  QueueFixture f;
  f.StartRunning();
  PostCommand(f.t.d, QStringLiteral("STOP, START"));
  PollingTick(f.t.d);
  ShutdownTick(f.t.d);
  CommandQueueTick(f.t.d);
  EXPECT_FALSE(f.t.d.run.Running());
  EXPECT_EQ(f.NewLines(), QStringList{"Daemon stopped"});
  EXPECT_TRUE(f.t.d.run.CommandQueue.isEmpty());
}

// A RELOAD taken after a START in the same pass gives the fresh records their
// schedules, so the next cycle does not work on records without due times.
TEST(CommandQueue, ReloadWhileRunningReinitialisesSchedules) {
  QueueFixture f;
  PostCommand(f.t.d, QStringLiteral("START,RELOAD"));
  CommandQueueTick(f.t.d);
  ASSERT_TRUE(f.t.d.run.Running());
  for (const RoziRoruner& r : f.t.d.jobs.RoziRoruners) EXPECT_EQ(r.NextRun, "scheduled");
  EXPECT_EQ(f.t.d.jobs.RoziRoruners[0].LocalVariables[0], "init");
  EXPECT_TRUE(f.t.d.tmrPollingRate.isActive());
}

TEST(CommandQueue, StartRefusedAndLocalVariables) {
  {
    QueueFixture f(QStringLiteral("0"));
    PostCommand(f.t.d, QStringLiteral("START"));
    CommandQueueTick(f.t.d);
    EXPECT_FALSE(f.t.d.run.Running());
    EXPECT_EQ(f.NewLines(), QStringList{"There are no RoziRoruners enabled!"});
    EXPECT_EQ(f.t.d.run.State, RunState::Stopped);
  }
  {
    QueueFixture f;
    RoziRoruner& r = f.t.d.jobs.RoziRoruners[0];
    r.LocalVariables[10] = QStringLiteral("old10");
    r.LocalVariables[11] = QStringLiteral("kept11");
    f.StartRunning();
    EXPECT_EQ(r.LocalVariables[10], "init");
    EXPECT_EQ(r.LocalVariables[11], "kept11");
  }
}

TEST(CommandQueue, PollingGuardsAndEnds) {
  QueueFixture f;
  f.StartRunning();
  // No cycle starts on top of a running one or while the records are reloaded.
  f.t.d.run.ScanRunning = true;
  PollingTick(f.t.d);
  f.t.d.run.ScanRunning = false;
  f.t.d.run.Reloading = true;
  PollingTick(f.t.d);
  f.t.d.run.Reloading = false;
  EXPECT_EQ(f.engine->cycles, 0);
  PollingTick(f.t.d);
  EXPECT_EQ(f.engine->cycles, 1);
  EXPECT_TRUE(f.t.d.tmrPollingRate.isActive());

  // EndDaemon from a script: the cycle takes STOP, the stop completes, SHUTDOWN ends.
  f.t.d.settings.AutoLogInternalCommands = 1;
  DoEndDaemon(f.t.d);
  PollingTick(f.t.d);
  EXPECT_FALSE(f.t.d.tmrPollingRate.isActive());
  ShutdownTick(f.t.d);
  CommandQueueTick(f.t.d);
  EXPECT_EQ(f.t.exits, QList<int>{kExitOk});
  EXPECT_TRUE(f.t.d.run.ShuttingDown);
  EXPECT_EQ(f.NewLines(), (QStringList{"System-command: STOP,SHUTDOWN", "Daemon stopped",
                                       "Daemon is shutting down..."}));
  // A second end request is not run twice.
  ShutdownDaemon(f.t.d, kExitFatal);
  EXPECT_EQ(f.t.exits, QList<int>{kExitOk});
}

// A START that found no RoziRoruners stays wanted: the next RELOAD that loads some
// starts processing, whoever posted it. A START refused for another reason is not
// wanted any longer.
TEST(CommandQueue, StartWantedUntilAReloadLoadsRoziRoruners) {
  const struct {
    const char* what;
    QString first;                 // Enabled of the job at the START; empty: no job
    QStringList later;             // Enabled of the job at each following RELOAD
    QList<bool> running;           // after each RELOAD
  } cases[] = {
      {"no jobs, then jobs", {}, {"1"}, {true}},
      {"no jobs twice, then jobs", {}, {{}, "1"}, {false, true}},
      {"no jobs, then jobs none enabled, then enabled", {}, {"0", "1"}, {false, false}},
      {"none enabled, then enabled", "0", {"1"}, {false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QueueFixture f;
    const auto write = [&](const QString& enabled) {
      WriteCrlf(f.t.configPath,
                enabled.isEmpty() ? Config(f.t.logDir, {}) : JobConfig(f.t.logDir, enabled));
    };
    write(c.first);
    PostCommand(f.t.d, QStringLiteral("RELOAD,START"));
    CommandQueueTick(f.t.d);
    ASSERT_FALSE(f.t.d.run.Running());
    for (qsizetype i = 0; i < c.later.size(); ++i) {
      write(c.later[i]);
      PostCommand(f.t.d, ReloadWords(false));
      CommandQueueTick(f.t.d);
      EXPECT_EQ(f.t.d.run.Running(), c.running[i]) << "reload " << i + 1;
    }
    EXPECT_EQ(f.NewLines().count("Processing Started"), c.running.last() ? 1 : 0);
  }
  // A wanted start and the START of the same list start processing once.
  QueueFixture f;
  WriteCrlf(f.t.configPath, Config(f.t.logDir, {}));
  PostCommand(f.t.d, QStringLiteral("RELOAD,START"));
  CommandQueueTick(f.t.d);
  WriteCrlf(f.t.configPath, JobConfig(f.t.logDir));
  PostCommand(f.t.d, QStringLiteral("STOP,RELOAD,START"));
  CommandQueueTick(f.t.d);
  EXPECT_TRUE(f.t.d.run.Running());
  EXPECT_EQ(f.NewLines().count("Processing Started"), 1);
}
