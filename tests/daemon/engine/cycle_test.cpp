// The scan cycle: queue words while running, stops noticed during a script, single-file
// handling, empty and missing folders, a failing RoziRoruner isolated from the others,
// stability of the listed files, and the time-sliced pump.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSet>
#include <cerrno>
#include <utility>

#include "cyclerig.h"
#include "daemon/queue.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::engine;
using mvnz::test::CycleRig;

namespace {

QString HotFolder(const QString& name, const QStringList& files, const QDateTime& mtime) {
  const QString dir = test::makeDir(name);
  for (const QString& f : files) test::writeFile(dir + "/" + f, "data", mtime);
  return dir;
}

// A script that takes its file away, as a move or delete command would.
void ConsumeFile(mvnd::Daemon& d, EngineServices&, int index) {
  const mvnd::RoziRoruner& r = d.jobs.RoziRoruners[index];
  if (r.FileList && !r.FileList->atEnd()) QFile::remove(r.FileList->filepathname());
}

// A probe that cannot open the files in `unreadable`, as a daemon without the rights to
// them could not; every other file is free.
class UnreadableProbe : public LockProbe {
 public:
  bool heldOpen(const QString& path) override { return Answer(path); }
  bool heldForWriting(const QString& path) override { return Answer(path); }
  int openError() const override { return error_; }
  QSet<QString> unreadable;

 private:
  bool Answer(const QString& path) {
    error_ = unreadable.contains(path) ? EACCES : 0;
    return error_ != 0;
  }
  int error_ = 0;
};

}  // namespace

TEST(Cycle, QueueWordsWhileRunning) {
  const struct {
    const char* posted;
    QStringList left;
    QStringList runs;
    int saves;
    bool stopping;
  } cases[] = {
      {"SAVE,START", {}, {"Job"}, 1, false},
      {"STOP,RELOAD,START", {"RELOAD", "START"}, {}, 0, true},
      {"SAVE,STOP,SHUTDOWN", {"SHUTDOWN"}, {}, 1, true},
      {"BOGUS, STOP", {}, {"Job"}, 0, false},  // " STOP" is no word
  };
  struct SaveCounter : mvnd::UiPort {
    void SaveDaemonSettings(bool silent) override { saves += silent ? 1 : 100; }
    int saves = 0;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.posted);
    CycleRig rig;
    auto ui = std::make_shared<SaveCounter>();
    rig.d.SetUi(ui);
    rig.Add("Job", "30");
    rig.Init();
    rig.d.run.CommandQueue = QString(c.posted).split(',');
    rig.Cycle();
    EXPECT_EQ(rig.d.run.CommandQueue, c.left);
    EXPECT_EQ(rig.TakeRuns(), c.runs);
    EXPECT_EQ(ui->saves, c.saves);
    EXPECT_EQ(rig.d.tmrShutdown.isActive(), c.stopping);
    EXPECT_EQ(rig.d.run.State, c.stopping ? mvnd::RunState::Stopping : mvnd::RunState::Running);
    // A cycle ended by STOP leaves the due time: the job is due again at the next start.
    EXPECT_EQ(rig.d.jobs.RoziRoruners[0].NextRun,
              c.stopping ? "11-Mar-2026 10:00:00" : "11-Mar-2026 10:00:30");
  }
}

TEST(Cycle, StopsNoticedDuringScripts) {
  const QDateTime old = QDateTime(QDate(2026, 3, 11), QTime(9, 0));
  enum Kind { QueuedStop, ButtonStop, NotRunning, LoadConfig, Shutdown };
  const struct {
    Kind kind;
    QStringList runs;        // of the cycle in which the first script stops
    bool nextRunAdvanced;    // for the first RoziRoruner
    QStringList queueAfter;  // what the cycle leaves queued
  } cases[] = {
      // The STOP a script posts is taken after the RoziRoruners: every file and every
      // later RoziRoruner still gets its (short) turn and its next run.
      {QueuedStop, {"Files:a.txt", "Files:b.txt", "Later"}, true, {}},
      // A stop that came through the button ends the cycle after that file.
      {ButtonStop, {"Files:a.txt"}, false, {}},
      {NotRunning, {"Files:a.txt"}, false, {}},
      {LoadConfig, {"Files:a.txt"}, false, {"STOP", "RELOAD", "START"}},
      {Shutdown, {"Files:a.txt"}, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.kind));
    CycleRig rig;
    const QString dir = HotFolder("stops" + QString::number(int(c.kind)), {"a.txt", "b.txt"}, old);
    mvnd::RoziRoruner& f = rig.Add("Files", "30", "FILE");
    f.ScanDirectory = dir;
    f.InputFilter = ".txt";
    rig.Add("Later", "30");
    rig.Init();
    QList<int> exits;
    rig.d.ExitHook = [&](int s) { exits << s; };
    bool once = false;
    rig.onRun = [&](mvnd::Daemon& d, EngineServices&, int index) {
      if (once) return;
      once = true;
      switch (c.kind) {
        case QueuedStop:
          mvnd::DoStopDaemon(d);
          break;
        case ButtonStop:
          mvnd::SetDaemonState(d, mvnd::RunState::Stopped);
          break;
        case NotRunning:
          d.run.State = mvnd::RunState::Stopped;
          break;
        case LoadConfig:
          d.run.LoadConfigPending = true;
          mvnd::PostCommand(d, "STOP,RELOAD,START");
          break;
        case Shutdown:
          mvnd::ShutdownDaemon(d, 0);
          break;
      }
    };
    rig.Cycle();
    EXPECT_EQ(rig.TakeRuns(), c.runs);
    EXPECT_EQ(rig.d.jobs.RoziRoruners[0].NextRun,
              c.nextRunAdvanced ? "11-Mar-2026 10:00:30" : "11-Mar-2026 10:00:00");
    EXPECT_EQ(rig.d.run.CommandQueue, c.queueAfter);
    if (c.kind == QueuedStop) {
      EXPECT_EQ(rig.d.run.State, mvnd::RunState::Stopping);
      EXPECT_TRUE(rig.d.tmrShutdown.isActive());
    }
    if (c.kind == Shutdown) {
      EXPECT_EQ(exits, (QList<int>{0}));
    }
  }
}

TEST(Cycle, SingleFileHandlingAndEmptyOrMissingFolders) {
  const QDateTime old = QDateTime(QDate(2026, 3, 11), QTime(9, 0));
  CycleRig rig;
  mvnd::RoziRoruner& one = rig.Add("One", "0", "FILE");
  one.ScanDirectory = HotFolder("single", {"a.txt", "b.txt", "c.txt"}, old);
  one.InputFilter = ".txt";
  one.SingleFileHandling = 1;
  mvnd::RoziRoruner& empty = rig.Add("Empty", "60", "FILE");
  empty.ScanDirectory = test::makeDir("empty");
  empty.InputFilter = ".txt";
  mvnd::RoziRoruner& missing = rig.Add("Missing", "60", "FILE");
  missing.ScanDirectory = test::rootDir() + "/nowhere/";
  mvnd::RoziRoruner& timed = rig.Add("Timed", "60");
  timed.SingleFileHandling = 1;
  rig.Init();
  rig.TakeLines();
  QList<qint64> pendingSeen;
  rig.onRun = [&](mvnd::Daemon& d, EngineServices& s, int index) {
    pendingSeen << d.jobs.RoziRoruners[index].FilesPending;
    ConsumeFile(d, s, index);
  };
  rig.Cycle();
  EXPECT_EQ(rig.TakeRuns(), (QStringList{"One:a.txt", "Timed"}));
  EXPECT_EQ(pendingSeen, (QList<qint64>{1, 1}));
  EXPECT_EQ(rig.TakeLines(), QStringList{"M2:1:WARNING: ScanDirectory [" + test::rootDir() +
                                         "/nowhere] does not exist!"});
  // The empty and the missing folder advance like a run.
  EXPECT_EQ(rig.d.jobs.RoziRoruners[1].NextRun, "11-Mar-2026 10:01:00");
  EXPECT_EQ(rig.d.jobs.RoziRoruners[1].LastRunDay, "11-Mar-2026");
  EXPECT_EQ(rig.d.jobs.RoziRoruners[2].NextRun, "11-Mar-2026 10:01:00");
  rig.Cycle();
  EXPECT_EQ(rig.TakeRuns(), QStringList{"One:b.txt"});
  rig.Cycle();
  EXPECT_EQ(rig.TakeRuns(), QStringList{"One:c.txt"});
  rig.Cycle();
  EXPECT_TRUE(rig.TakeRuns().isEmpty());
  EXPECT_EQ(rig.d.jobs.RoziRoruners[0].FilesHandled, 3);
}

// Single-file handling passes over the files that are not free yet: the first free one
// is handled; with none free there is no run.
TEST(Cycle, SingleFileHandlingTakesTheFirstFreeFile) {
  CycleRig rig;
  const QDateTime now = rig.clock->now();
  const QString dir = HotFolder("single-young", {"a.txt", "b.txt", "d.txt"}, now);
  test::writeFile(dir + "/c.txt", "data", now.addSecs(-60));
  mvnd::RoziRoruner& one = rig.Add("One", "0", "FILE");
  one.ScanDirectory = dir;
  one.InputFilter = ".txt";
  one.StableTimer = 20;
  one.SingleFileHandling = 1;
  rig.Init();
  QStringList pending;
  rig.onRun = [&](mvnd::Daemon& d, EngineServices& s, int index) {
    const mvnd::RoziRoruner& r = d.jobs.RoziRoruners[index];
    pending << QString::number(r.FilesPending) + ":" + QString::number(r.FileList->count());
    ConsumeFile(d, s, index);
  };
  rig.Cycle();
  EXPECT_EQ(rig.TakeRuns(), QStringList{"One:c.txt"});
  EXPECT_EQ(pending, QStringList{"1:2"});  // c.txt first, d.txt after it stays listed
  rig.Cycle();
  EXPECT_TRUE(rig.TakeRuns().isEmpty());
  EXPECT_EQ(rig.d.jobs.RoziRoruners[0].FilesPending, 0);
  ASSERT_TRUE(rig.d.jobs.RoziRoruners[0].FileList);
  EXPECT_EQ(rig.d.jobs.RoziRoruners[0].FileList->count(), 0);
}

TEST(Cycle, FailingRoziRorunerIsIsolated) {
  CycleRig rig;
  rig.Add("Broken", "30");
  rig.Add("Drifting", "<LV1>").LocalVariables[0] = "7:30";
  rig.Add("Fine", "30");
  rig.Init();
  rig.d.jobs.RoziRoruners[0].NextRun = "not a time";
  rig.d.jobs.RoziRoruners[1].NextRun = "11-Mar-2026 10:00:00";
  // The script of "Drifting" turns its interval into something unreadable.
  rig.onRun = [](mvnd::Daemon& d, EngineServices&, int index) {
    if (index == 1) d.jobs.RoziRoruners[1].LocalVariables[0] = "25:99";
  };
  rig.TakeLines();
  rig.Cycle();
  EXPECT_EQ(rig.TakeRuns(), (QStringList{"Drifting", "Fine"}));
  const QStringList lines = rig.TakeLines();
  ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
  EXPECT_TRUE(
      lines[0].startsWith("S0:2:ERROR-MAIN_EVENT_LOOP: Error during Main-Event-Loop [Broken]"))
      << lines[0].toStdString();
  EXPECT_TRUE(
      lines[1].startsWith("S1:2:ERROR-MAIN_EVENT_LOOP: Error during Main-Event-Loop [Drifting]"))
      << lines[1].toStdString();
  EXPECT_FALSE(rig.d.jobs.RoziRoruners[0].Active);
  EXPECT_FALSE(rig.d.jobs.RoziRoruners[1].Active);
  EXPECT_TRUE(rig.d.jobs.RoziRoruners[2].Active);
  EXPECT_FALSE(rig.d.run.ShuttingDown);
  // The failing ones stay out quietly; the other keeps its rhythm.
  rig.clock->advance(30);
  rig.Cycle();
  EXPECT_EQ(rig.TakeRuns(), QStringList{"Fine"});
  EXPECT_TRUE(rig.TakeLines().isEmpty());
}

TEST(Cycle, FilesRunOnlyWhenStable) {
  const QDateTime start = QDateTime::currentDateTime();
  CycleRig rig(start);
  const QString dir = test::makeDir("stable");
  const QString held = dir + "/held.txt";
  test::writeFile(held, "data", start.addSecs(-600));
  test::writeFile(dir + "/young.txt", "data", start.addSecs(-10));
  mvnd::RoziRoruner& r = rig.Add("Job", "0", "FILE");
  r.ScanDirectory = dir;
  r.InputFilter = ".txt";
  r.StableTimer = 20;
  rig.d.settings.ShowUnstableMessages = true;
  rig.Init();
  rig.TakeLines();
  rig.onRun = ConsumeFile;
  test::Writer writer(held);
  ASSERT_TRUE(writer.started());
  rig.Cycle();
  EXPECT_TRUE(rig.TakeRuns().isEmpty());
  EXPECT_EQ(rig.TakeLines(), (QStringList{"M0:0:File [" + held + "] is not stable",
                                          "M0:0:File [" + dir + "/young.txt] is not stable"}));
  rig.clock->advance(10);
  rig.Cycle();
  EXPECT_EQ(rig.TakeRuns(), QStringList{"Job:young.txt"});
  writer.stop();
  rig.Cycle();
  EXPECT_EQ(rig.TakeRuns(), QStringList{"Job:held.txt"});
}

// What the listing saw is not what the judgement uses: a file is looked at again at its
// turn, after the scripts of the files before it. The first file's script takes one
// file away, makes one young and puts a folder in the place of another.
TEST(Cycle, EachFileIsLookedAtAtItsTurn) {
  for (const int autoLog : {0, 1}) {
    SCOPED_TRACE(autoLog ? "progress lines" : "quiet");
    CycleRig rig;
    const QDateTime now = rig.clock->now();
    const QString dir = HotFolder(QString("turn%1").arg(autoLog),
                                  {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}, now.addSecs(-600));
    mvnd::RoziRoruner& r = rig.Add("Job", "0", "FILE");
    r.ScanDirectory = dir;
    r.InputFilter = ".txt";
    r.StableTimer = 20;
    rig.d.settings.AutoLogInternalCommands = autoLog;
    rig.d.settings.ShowUnstableMessages = true;
    rig.Init();
    rig.TakeLines();
    rig.onRun = [&](mvnd::Daemon& d, EngineServices&, int index) {
      if (d.jobs.RoziRoruners[0].FileList->filename() != "a.txt") return;
      QFile::remove(dir + "/b.txt");
      test::setMtime(dir + "/c.txt", now.addSecs(-5));
      QFile::remove(dir + "/d.txt");
      QDir().mkdir(dir + "/d.txt");
    };
    rig.Cycle();
    EXPECT_EQ(rig.TakeRuns(), (QStringList{"Job:a.txt", "Job:e.txt"}));
    const QString notStable = "M0:0:File [" + dir + "/c.txt] is not stable";
    if (autoLog)
      EXPECT_EQ(rig.TakeLines(),
                (QStringList{"M0:0:Scanning hotfolder contents.....",
                             "M0:0:Found file: [" + dir + "/a.txt]", "M0:0:Done.",
                             "M0:0:Found file: [" + dir + "/c.txt]", notStable,
                             "M0:0:Found file: [" + dir + "/e.txt]", "M0:0:Done."}));
    else
      EXPECT_EQ(rig.TakeLines(), QStringList{notStable});
  }
}

TEST(Cycle, PumpsByTimeSliceNotPerFile) {
  const QDateTime old = QDateTime(QDate(2026, 3, 11), QTime(9, 0));
  QStringList names;
  for (int i = 0; i < 400; ++i) names << QString("f%1.txt").arg(i, 3, 10, QChar('0'));
  CycleRig rig;
  mvnd::RoziRoruner& r = rig.Add("Job", "30", "FILE");
  r.ScanDirectory = HotFolder("many", names, old);
  r.InputFilter = ".txt";
  rig.Init();
  rig.Cycle();
  EXPECT_EQ(rig.TakeRuns().size(), 400);
  // Every file was listed, judged and run, yet the pump ran far less often.
  EXPECT_LT(rig.pump->passes, 200);
}

TEST(Cycle, ErrorActionArmedAcrossFilesOfOneTurnOnly) {
  const QDateTime old = QDateTime(QDate(2026, 3, 11), QTime(9, 0));
  CycleRig rig;
  mvnd::RoziRoruner& r = rig.Add("Job", "0", "FILE");
  r.ScanDirectory = HotFolder("armed", {"a.txt", "b.txt"}, old);
  r.InputFilter = ".txt";
  rig.Init();
  QStringList seen;  // ErrorActionSet and LastCommandError as each script starts
  rig.onRun = [&](mvnd::Daemon& d, EngineServices&, int index) {
    mvnd::RoziRoruner& j = d.jobs.RoziRoruners[0];
    seen << QString("%1%2").arg(j.ErrorActionSet).arg(d.run.LastCommandError);
    j.ErrorActionSet = true;  // an ERRORACTION line was passed
    d.run.LastCommandError = true;
  };
  rig.Cycle();
  rig.Cycle();
  EXPECT_EQ(seen, (QStringList{"00", "10", "00", "10"}));
  EXPECT_EQ(rig.d.jobs.RoziRoruners[0].FilesHandled, 4);
}

// A file that cannot be read is not stable every cycle, and said to be unreadable once,
// until it can be read again.
TEST(Cycle, UnreadableFileIsSaidOnce) {
  auto probe = std::make_shared<UnreadableProbe>();
  EnginePorts ports;
  ports.probe = probe;
  CycleRig rig(QDateTime(QDate(2026, 3, 11), QTime(10, 0, 0)), ports);
  const QString dir = HotFolder("unreadable", {"a.txt", "b.txt"}, rig.clock->now().addSecs(-600));
  const QString a = dir + "/a.txt";
  mvnd::RoziRoruner& r = rig.Add("Job", "0", "FILE");
  r.ScanDirectory = dir;
  r.InputFilter = ".txt";
  rig.d.settings.ShowUnstableMessages = true;
  rig.Init();
  rig.TakeLines();
  probe->unreadable = {a, dir + "/b.txt"};
  const QString warning = "M0:1:WARNING: File [" + a + "] cannot be read [Permission denied]";
  const QString notStable = "M0:0:File [" + a + "] is not stable";
  const QString bWarning =
      "M0:1:WARNING: File [" + dir + "/b.txt] cannot be read [Permission denied]";
  const QString bNotStable = "M0:0:File [" + dir + "/b.txt] is not stable";
  rig.Cycle();
  EXPECT_EQ(rig.TakeLines(), (QStringList{warning, notStable, bWarning, bNotStable}));
  rig.Cycle();
  EXPECT_EQ(rig.TakeLines(), (QStringList{notStable, bNotStable}));
  EXPECT_TRUE(rig.TakeRuns().isEmpty());
  // Readable again: worked on; unreadable once more: said once more.
  probe->unreadable = {dir + "/b.txt"};
  rig.Cycle();
  EXPECT_EQ(rig.TakeRuns(), QStringList{"Job:a.txt"});
  EXPECT_EQ(rig.TakeLines(), QStringList{bNotStable});
  probe->unreadable = {a, dir + "/b.txt"};
  rig.Cycle();
  EXPECT_EQ(rig.TakeLines(), (QStringList{warning, notStable, bNotStable}));
  // With the not-stable lines off, the warning is still given once.
  rig.d.settings.ShowUnstableMessages = false;
  probe->unreadable.clear();
  rig.Cycle();
  rig.TakeLines();
  probe->unreadable = {a};
  rig.Cycle();
  rig.Cycle();
  EXPECT_EQ(rig.TakeLines(), QStringList{warning});
}

namespace {

// The file port with a hook run before its first delete or move: the moment between
// listing and acting.
class HookedFiles : public FileOperations {
 public:
  std::function<void()> before;
  fileops::Outcome deleteFile(const QString& path) override {
    fire();
    return FileOperations::deleteFile(path);
  }
  fileops::Outcome moveFile(const QString& source, const QString& target,
                            fileops::Replace replace) override {
    fire();
    return FileOperations::moveFile(source, target, replace);
  }

 private:
  void fire() {
    if (before) std::exchange(before, {})();
  }
};

}  // namespace

// A user swaps a subfolder of the hot folder for a link to a folder only root may read
// after the listing: neither the rejected file's delete nor the script's move reaches
// root's files there.
TEST(Cycle, FilesAreActedOnOnlyAsTheListingSawThem) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to play the user nobody against it";
  const QDateTime old = QDateTime(QDate(2026, 3, 11), QTime(9, 0));
  const QString dir = test::makeDir("swapped");
  ASSERT_TRUE(test::setMode(dir, 0711));
  const QString hot = test::makeDir("swapped/hot/a"), secret = test::makeDir("swapped/secret");
  const QString out = test::makeDir("swapped/out");
  ASSERT_TRUE(test::setMode(dir + "/hot", 0777));
  ASSERT_TRUE(test::setMode(secret, 0700));
  for (const char* name : {"in.txt", "x.rej"}) {
    test::writeFile(hot + "/" + name, "user", old);
    test::writeFile(secret + "/" + name, "secret", old);
    ASSERT_TRUE(test::giveToNobody(hot + "/" + name));
  }
  ASSERT_TRUE(test::giveToNobody(hot));

  auto files = std::make_shared<HookedFiles>();
  files->before = [&] {
    EXPECT_EQ(test::runAsNobody("cd '" + dir + "' && mv hot/a hot/a.old && ln -s ../secret hot/a"), 0);
  };
  EnginePorts ports;
  ports.files = files;
  CycleRig rig(QDateTime(QDate(2026, 3, 11), QTime(10, 0)), ports);
  mvnd::RoziRoruner& r = rig.Add("Swap", "0", "FILE");
  r.ScanDirectory = dir + "/hot";
  r.IncludeSubdir = 1;
  r.InputFilter = ".txt";
  r.RejectFilter = ".rej";
  r.RemoveRejected = true;
  fileops::Outcome moved;
  rig.onRun = [&](mvnd::Daemon& d, EngineServices& s, int index) {
    const QString path = d.jobs.RoziRoruners[index].FileList->filepathname();
    moved = s.files().moveFile(path, out + "/in.txt", fileops::Replace::No);
  };
  rig.Init();
  rig.Cycle();

  EXPECT_EQ(rig.TakeRuns(), QStringList{"Swap:in.txt"});
  EXPECT_EQ(moved.status, fileops::Status::Failed);
  EXPECT_TRUE(moved.errorText.contains("not touched")) << moved.errorText.toStdString();
  const QStringList lines = rig.TakeLines();
  EXPECT_EQ(lines.filter("ERROR-DELETE_REJECTED").size(), 1) << lines.join("\n").toStdString();
  EXPECT_EQ(test::readFile(secret + "/in.txt"), "secret");
  EXPECT_EQ(test::readFile(secret + "/x.rej"), "secret");
  EXPECT_FALSE(QFile::exists(out + "/in.txt"));
}
