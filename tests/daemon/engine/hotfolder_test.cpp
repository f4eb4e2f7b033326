// The hot folder of a turn: input and reject filters, rejected files left, deleted or
// moved (also into a folder inside the hot folder and onto another file system),
// subfolders and oldest-first order.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>

#include "cyclerig.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::engine;
using mvnz::test::CycleRig;

namespace {

const QDateTime kOld(QDate(2026, 3, 11), QTime(9, 0));

QStringList Files(const QString& dir) {
  QStringList out;
  const QDir d(dir);
  for (const QString& n : d.entryList(QDir::Files, QDir::Name)) out << n;
  return out;
}

// Runs one cycle of the rig's RoziRoruners; the names of the files a script ran over.
QStringList AcceptedInOneCycle(CycleRig& rig) {
  rig.Init();
  rig.TakeLines();
  rig.Cycle();
  QStringList accepted;
  for (const QString& run : rig.TakeRuns()) accepted << run.section(':', 1);
  return accepted;
}

}  // namespace

TEST(HotFolder, FiltersAndRejectRules) {
  const QStringList all{"a.txt", "atxt", "b.csv", "c.doc", "notes.txt.bak"};
  enum Rule { Leave, Skip, Remove, Move, RemoveAndMove };
  const struct {
    const char* input;
    const char* reject;
    Rule rule;
    QStringList accepted;
    QStringList left;   // in the hot folder afterwards
    QStringList moved;  // in the reject folder afterwards
    QStringList lines;  // "Rejected" lines (built-in logging on)
  } cases[] = {
      {".txt;.csv", "", Remove, {"a.txt", "atxt", "b.csv", "notes.txt.bak"}, all, {}, {}},
      {"*.txt", "", Leave, {"a.txt", "atxt", "notes.txt.bak"}, all, {}, {}},
      {"^b\\.csv$", "", Leave, {"b.csv"}, all, {}, {}},
      {"*", "", Leave, all, all, {}, {}},
      {"*.*", "", Leave, all, all, {}, {}},
      {"", "", Remove, {}, all, {}, {}},
      {".txt", ".", Skip, {"a.txt", "atxt", "notes.txt.bak"}, all, {}, {"b.csv", "c.doc"}},
      {".txt", ".", Leave, {"a.txt", "atxt", "notes.txt.bak"}, all, {}, {}},
      {".", ".", Remove, {}, {}, {}, {}},
      {".txt", ".bak;.doc", RemoveAndMove, {"a.txt", "atxt"}, {"a.txt", "atxt", "b.csv"}, {}, {}},
      {".txt",
       "\\.doc$",
       Move,
       {"a.txt", "atxt", "notes.txt.bak"},
       {"a.txt", "atxt", "b.csv", "notes.txt.bak"},
       {"c.doc"},
       {}},
      {"*",
       "\\.csv$;\\.doc$",
       Move,
       {"a.txt", "atxt", "notes.txt.bak"},
       {"a.txt", "atxt", "notes.txt.bak"},
       {"b.csv", "c.doc"},
       {}},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.input) + " | " + c.reject + " | " + std::to_string(int(c.rule)));
    const QString dir = test::makeDir(QString("filters%1/in").arg(n));
    const QString rejectDir = test::rootDir() + QString("/filters%1/rejected").arg(n++);
    for (const QString& f : all) test::writeFile(dir + "/" + f, "data", kOld);
    CycleRig rig;
    rig.d.settings.AutoLogInternalCommands = 1;
    rig.d.settings.ShowUnstableMessages = false;
    mvnd::RoziRoruner& r = rig.Add("Job", "30", "FILE");
    r.ScanDirectory = dir;
    r.InputFilter = c.input;
    r.RejectFilter = c.reject;
    r.SkipRejected = c.rule == Skip;
    r.RemoveRejected = c.rule == Remove || c.rule == RemoveAndMove;
    r.MoveRejected = c.rule == Move || c.rule == RemoveAndMove;
    r.MoveRejectedDirectory = rejectDir;
    EXPECT_EQ(AcceptedInOneCycle(rig), c.accepted);
    EXPECT_EQ(Files(dir), c.left);
    EXPECT_EQ(Files(rejectDir), c.moved);
    QStringList rejectedLines;
    for (const QString& l : rig.TakeLines())
      if (l.contains("Rejected: [")) rejectedLines << l.section('/', -1).chopped(1);
    EXPECT_EQ(rejectedLines, c.lines);
  }
}

TEST(HotFolder, RejectFolderInsideTheHotFolderLosesNothing) {
  const QString hot = test::makeDir("inside/hot");
  const QString rej = hot + "/rejected";
  test::writeFile(hot + "/x.doc", "new x", kOld);
  test::writeFile(hot + "/sub/y.doc", "y", kOld);
  test::writeFile(hot + "/keep.txt", "k", kOld);
  test::writeFile(rej + "/x.doc", "old x", kOld);  // replaced by the newer reject
  CycleRig rig;
  mvnd::RoziRoruner& r = rig.Add("Job", "0", "FILE");
  r.ScanDirectory = hot + "/";
  r.IncludeSubdir = 1;
  r.InputFilter = ".txt";
  r.RejectFilter = ".doc";
  r.MoveRejected = true;
  r.MoveRejectedDirectory = hot + "/<LC1>";
  r.LocalConstants[1] = "rejected";
  rig.Init();
  rig.TakeLines();
  for (int i = 0; i < 3; ++i) rig.Cycle();
  EXPECT_EQ(rig.TakeRuns(), (QStringList{"Job:keep.txt", "Job:keep.txt", "Job:keep.txt"}));
  EXPECT_EQ(Files(rej), (QStringList{"x.doc", "y.doc"}));
  EXPECT_EQ(test::readFile(rej + "/x.doc"), "new x");
  EXPECT_EQ(test::readFile(rej + "/y.doc"), "y");
  EXPECT_TRUE(rig.TakeLines().isEmpty());
  EXPECT_EQ(rig.d.run.ExpandedScanDirectory, hot);
}

// The reject folder's tokens take the values of the file being rejected.
TEST(HotFolder, RejectFolderTokensAreThoseOfTheRejectedFile) {
  const struct {
    const char* folder;
    QStringList moved;  // below the scan folder afterwards
    bool kept;          // one folder for every file: left out of later listings
  } cases[] = {
      {"<SCANDIR>/rejected", {"rejected/a.doc", "rejected/b.doc"}, true},
      {"<SCANDIR>/rejected/", {"rejected/a.doc", "rejected/b.doc"}, true},
      {"<SCANPATH>/r-<FILENAMEEXT>", {"r-doc/a.doc", "sub/r-doc/b.doc"}, false},
      {"<SCANDIR>/<SUBDIR>/<FILENAMENOEXT>", {"./a/a.doc", "sub/b/b.doc"}, false},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    const QString hot = test::makeDir(QString("tokens%1/hot").arg(n++));
    test::writeFile(hot + "/a.doc", "a", kOld);
    test::writeFile(hot + "/sub/b.doc", "b", kOld);
    CycleRig rig;
    mvnd::RoziRoruner& r = rig.Add("Job", "0", "FILE");
    r.ScanDirectory = hot;
    r.IncludeSubdir = 1;
    r.RejectFilter = ".doc";
    r.MoveRejected = true;
    r.MoveRejectedDirectory = c.folder;
    rig.Init();
    rig.TakeLines();
    for (int turn = 0; turn < (c.kept ? 2 : 1); ++turn) rig.Cycle();
    for (const QString& m : c.moved)
      EXPECT_EQ(test::readFile(hot + "/" + m), m.section('/', -1).left(1).toLatin1())
          << m.toStdString();
    EXPECT_TRUE(Files(hot).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(hot + "/sub/b.doc"));
    EXPECT_TRUE(rig.TakeLines().isEmpty());
  }
  EXPECT_FALSE(QFileInfo::exists("/rejected"));
}

// A write-protected rejected file is neither deleted nor replaces a write-protected
// file of its name in the reject folder: the error line, and both files stay.
TEST(HotFolder, WriteProtectedRejectsAreLeft) {
  for (bool remove : {true, false}) {
    SCOPED_TRACE(remove ? "remove" : "move");
    const QString base = test::makeDir(remove ? "wprej/remove" : "wprej/move");
    const QString hot = base + "/hot", rej = base + "/rej", f = hot + "/a.doc";
    test::writeFile(f, "new", kOld);
    test::writeFile(rej + "/a.doc", "old", kOld);
    ::chmod(QFile::encodeName(remove ? f : rej + "/a.doc").constData(), 0444);
    CycleRig rig;
    mvnd::RoziRoruner& r = rig.Add("Job", "0", "FILE");
    r.ScanDirectory = hot;
    r.RejectFilter = ".doc";
    r.RemoveRejected = remove;
    r.MoveRejected = !remove;
    r.MoveRejectedDirectory = rej;
    rig.Init();
    rig.TakeLines();
    rig.Cycle();
    const QString line =
        remove ? "M0:2:ERROR-DELETE_REJECTED: Could not delete file [" + f +
                     "] [DeleteRejectedFile][Access denied [" + f + "]]"
               : "M0:2:ERROR-MOVE_REJECTED: Could not move file [" + f + "] to [" + rej +
                     "/a.doc] [MoveRejectedFile][Access denied [" + rej + "/a.doc]]";
    EXPECT_EQ(rig.TakeLines(), QStringList{line});
    EXPECT_TRUE(rig.d.run.LastCommandError);
    EXPECT_EQ(test::readFile(f), "new");
    EXPECT_EQ(test::readFile(rej + "/a.doc"), "old");
  }
}

TEST(HotFolder, RefusedAndHeldRejects) {
  const QString hot = test::makeDir("refused/hot");
  test::writeFile(hot + "/a.doc", "a", kOld);
  CycleRig rig;
  mvnd::RoziRoruner& r = rig.Add("Job", "0", "FILE");
  r.ScanDirectory = hot;
  r.InputFilter = ".txt";
  r.RejectFilter = ".doc";
  r.MoveRejected = true;
  r.MoveRejectedDirectory = "<LC1>";  // expands to nothing
  rig.Init();
  rig.TakeLines();
  rig.Cycle();
  EXPECT_EQ(Files(hot), QStringList{"a.doc"});
  EXPECT_EQ(rig.TakeLines(),
            QStringList{"M0:2:ERROR-MOVE_REJECTED: Could not move file [" + hot +
                        "/a.doc] to [] [MoveRejectedFile][The reject directory is empty]"});
  EXPECT_TRUE(rig.d.run.LastCommandError);

  // A rejected file still being written is left until its writer is done.
  const QString rej = test::rootDir() + "/refused/rej";
  rig.d.jobs.RoziRoruners[0].LocalConstants[1] = rej;
  test::Writer writer(hot + "/a.doc");
  ASSERT_TRUE(writer.started());
  rig.Cycle();
  EXPECT_EQ(Files(hot), QStringList{"a.doc"});
  writer.stop();
  rig.Cycle();
  EXPECT_TRUE(Files(hot).isEmpty());
  EXPECT_EQ(Files(rej), QStringList{"a.doc"});
}

TEST(HotFolder, RejectMovedToAnotherFileSystem) {
  const mvnz::test::TempFolder shmFolder("/dev/shm/mvnz-hotfolder-XXXXXX");
  if (!shmFolder.isValid()) GTEST_SKIP() << "no /dev/shm";
  const QString shm = shmFolder.path();
  const QString hot = shm + "/in";
  test::writeFile(hot + "/big.doc", QByteArray(1 << 20, 'z'), kOld);
  const QString rej = test::rootDir() + "/far/rej";
  CycleRig rig;
  mvnd::RoziRoruner& r = rig.Add("Job", "0", "FILE");
  r.ScanDirectory = hot;
  r.RejectFilter = ".doc";
  r.MoveRejected = true;
  r.MoveRejectedDirectory = rej;
  rig.Init();
  rig.Cycle();
  const QByteArray moved = test::readFile(rej + "/big.doc");
  EXPECT_EQ(moved, QByteArray(1 << 20, 'z'));
  EXPECT_EQ(QFileInfo(rej + "/big.doc").lastModified(), kOld);
}

TEST(HotFolder, SubfoldersAndOldestFirst) {
  const QString hot = test::makeDir("order/hot");
  test::writeFile(hot + "/b.txt", "b", kOld.addSecs(-10));
  test::writeFile(hot + "/c.txt", "c", kOld.addSecs(-20));
  test::writeFile(hot + "/x/y/a.txt", "a", kOld.addSecs(-30));
  const struct {
    int includeSubdir;
    int oldestFirst;
    QStringList runs;  // name@subdir
  } cases[] = {
      {0, 0, {"b.txt@.", "c.txt@."}},
      {1, 0, {"b.txt@.", "c.txt@.", "a.txt@x/y"}},
      {1, 1, {"a.txt@x/y", "c.txt@.", "b.txt@."}},
  };
  const QMap<QString, QDateTime> stamps{
      {"a.txt", kOld.addSecs(-30)}, {"b.txt", kOld.addSecs(-10)}, {"c.txt", kOld.addSecs(-20)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.includeSubdir * 10 + c.oldestFirst);
    CycleRig rig;
    mvnd::RoziRoruner& r = rig.Add("Job", "30", "FILE");
    r.ScanDirectory = hot + "/.";
    r.InputFilter = ".txt";
    r.IncludeSubdir = c.includeSubdir;
    r.OldestFirst = c.oldestFirst;
    rig.Init();
    QStringList seen;
    rig.onRun = [&](mvnd::Daemon& d, EngineServices&, int index) {
      const auto& t = *d.jobs.RoziRoruners[0].FileList;
      seen << t.filename() + "@" + t.subdir();
      EXPECT_EQ(t.filepathname(), t.filepath() + "/" + t.filename());
      // Size and time stamp are the file's, whether the listing or its turn read them.
      EXPECT_EQ(t.filesize(), 1.0);
      EXPECT_EQ(t.timestamp(), stamps.value(t.filename()));
    };
    rig.Cycle();
    EXPECT_EQ(seen, c.runs);
  }
}

TEST(HotFolder, UnusableFilterPatternIsReported) {
  const QString hot = test::makeDir("badpattern");
  test::writeFile(hot + "/a.txt", "a", kOld);
  CycleRig rig;
  mvnd::RoziRoruner& r = rig.Add("Job", "30", "FILE");
  r.ScanDirectory = hot;
  r.InputFilter = "(a;.txt";
  rig.Init();
  rig.TakeLines();
  rig.Cycle();
  EXPECT_EQ(rig.TakeRuns(), QStringList{"Job:a.txt"});  // the other pattern still works
  const QStringList lines = rig.TakeLines();
  ASSERT_EQ(lines.size(), 1);
  EXPECT_TRUE(lines[0].startsWith("M0:1:WARNING: Filter pattern [(a] cannot be used [Error #"))
      << lines[0].toStdString();
}

// An unusable pattern is said once per load, not in every cycle; a pattern the load has
// already named (it marks the record) is not said again by the scan.
TEST(HotFolder, UnusableFilterPatternIsReportedOncePerLoad) {
  const struct {
    const char* input;
    QSet<QString> namedByLoad;
    int reports;
  } cases[] = {
      {"(a;.txt", {}, 1},              // a fault in the pattern itself
      {"x|[z-a];.txt", {}, 1},         // a fault met only on a name
      {"(a;.txt", {"(a"}, 0},          // the load has said it
      {"(a;[b;.txt", {"(a"}, 1},       // the load named another one
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const QString hot = test::makeDir(QString("reportonce%1").arg(n++));
    test::writeFile(hot + "/a.txt", "a", kOld);
    CycleRig rig;
    mvnd::RoziRoruner& r = rig.Add("Job", "30", "FILE");
    r.ScanDirectory = hot;
    r.InputFilter = c.input;
    r.ReportedPatterns = c.namedByLoad;
    rig.Init();
    rig.TakeLines();
    QStringList reports;
    for (int cycle = 0; cycle < 3; ++cycle) {
      rig.Cycle();
      EXPECT_EQ(rig.TakeRuns(), QStringList{"Job:a.txt"}) << "cycle " << cycle;
      reports << rig.TakeLines().filter("cannot be used");
      rig.clock->advance(30);
    }
    EXPECT_EQ(reports.size(), c.reports) << reports.join('\n').toStdString();
  }
}

// A fault the engine meets only while matching a name (here a set range it reaches after
// the first alternative fails) is reported too, once per listing, not once per name.
TEST(HotFolder, PatternFaultFoundOnANameIsReportedOncePerListing) {
  const QString hot = test::makeDir("badrange");
  test::writeFile(hot + "/a.txt", "a", kOld);
  test::writeFile(hot + "/b.txt", "b", kOld);
  CycleRig rig;
  mvnd::RoziRoruner& r = rig.Add("Job", "30", "FILE");
  r.ScanDirectory = hot;
  r.InputFilter = "x|[z-a];.txt";
  rig.Init();
  rig.TakeLines();
  rig.Cycle();
  EXPECT_EQ(rig.TakeRuns(), (QStringList{"Job:a.txt", "Job:b.txt"}));
  const QStringList lines = rig.TakeLines();
  ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
  EXPECT_TRUE(lines[0].startsWith("M0:1:WARNING: Filter pattern [x|[z-a]] cannot be used [Error #"))
      << lines[0].toStdString();
}

// An input filter with a pattern the engine cannot use accepts nothing through that
// pattern, and with a reject filter "." it rejects nothing either: a broken filter must
// never make a reject rule delete the folder's files.
TEST(HotFolder, UnusableInputPatternNeverRejectsThroughRejectAll) {
  const struct {
    const char* input;
    QStringList accepted;
  } cases[] = {
      {"(a;\\.txt$", {"a.txt"}},     // a syntax error in one of two patterns
      {"x|[z-a];\\.txt$", {"a.txt"}},  // a fault met only while matching a name
      {"(a", {}},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const QString dir = test::makeDir(QString("unusable%1").arg(n++));
    for (const char* f : {"a.txt", "b.csv"}) test::writeFile(dir + "/" + f, "data", kOld);
    CycleRig rig;
    mvnd::RoziRoruner& r = rig.Add("Job", "30", "FILE");
    r.ScanDirectory = dir;
    r.InputFilter = c.input;
    r.RejectFilter = ".";
    r.RemoveRejected = true;
    EXPECT_EQ(AcceptedInOneCycle(rig), c.accepted);
    EXPECT_EQ(Files(dir), (QStringList{"a.txt", "b.csv"}));
    EXPECT_EQ(test::readFile(dir + "/b.csv"), "data");
  }
}

// A filter too complex to finish on a name decides nothing about that file: it is
// neither taken nor rejected (so no reject rule deletes or moves it), and the
// listing says so once, however many names it could not decide.
TEST(HotFolder, FilterTooComplexForANameLeavesTheFileAlone) {
  const QString slow1 = QString::fromUtf8(
      "k\u00df\u00df\u00df\u00df\u00dfue\u00df\u00dfk3alue"
      "\u00df\u00dfk3=v");
  const QString slow2 = QString(29, 'a') + "!";
  enum Rule { Remove, Move };
  const struct {
    const char* input;
    const char* reject;
    Rule rule;
    QStringList files;
    QStringList accepted;
    QStringList left;
    bool warned;  // the one line of the listing
  } cases[] = {
      // The input filter cannot finish on either long name; "ok" is taken, "no.txt"
      // (a plain no-match) is rejected.
      {"^(\\w+)+$", ".", Remove, {slow1, "ok", "no.txt"}, {"ok"}, {slow1, "ok"}, true},
      {"^(\\w+)+)$;^(a|aa)+$", ".", Move, {slow1, slow2, "no.txt"}, {}, {slow1, slow2}, true},
      // The reject filter cannot finish: the name the input filter accepts stays.
      {"a", "(a|aa)+$", Remove, {slow2, "a.txt"}, {"a.txt"}, {slow2, "a.txt"}, true},
      // A reject filter that does match still rejects, whatever the input filter.
      {"^(\\w+)+$", "3=v$", Remove, {slow1, "ok"}, {"ok"}, {"ok"}, false},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.input) + " | " + c.reject);
    const QString dir = test::makeDir(QString("complex%1/in").arg(n));
    const QString rejectDir = test::rootDir() + QString("/complex%1/rejected").arg(n++);
    for (const QString& f : c.files) test::writeFile(dir + "/" + f, "data", kOld);
    CycleRig rig;
    mvnd::RoziRoruner& r = rig.Add("Job", "30", "FILE");
    r.ScanDirectory = dir;
    r.InputFilter = c.input;
    r.RejectFilter = c.reject;
    r.RemoveRejected = c.rule == Remove;
    r.MoveRejected = c.rule == Move;
    r.MoveRejectedDirectory = rejectDir;
    EXPECT_EQ(AcceptedInOneCycle(rig), c.accepted);
    QStringList left = c.left;
    left.sort();
    EXPECT_EQ(Files(dir), left);
    for (const QString& f : c.files)
      if (left.contains(f)) EXPECT_EQ(test::readFile(dir + "/" + f), "data") << f.toStdString();
    for (const QString& f : Files(rejectDir)) EXPECT_FALSE(left.contains(f)) << f.toStdString();
    QStringList warnings;
    for (const QString& l : rig.TakeLines())
      if (l.contains("too complex")) warnings << l;
    if (c.warned) {
      ASSERT_EQ(warnings.size(), 1) << warnings.join('\n').toStdString();
      EXPECT_TRUE(warnings[0].startsWith("M0:1:WARNING: Filter pattern ["));
      EXPECT_TRUE(warnings[0].contains("] is too complex for file [" + dir + "/"));
      EXPECT_TRUE(warnings[0].endsWith(
          "file left alone [Error #20052: Error in RegExpr.DoRegExpr: Maximum number of "
          "iterations exceeded. Possibly an infinite loop.]"));
    } else {
      EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
    }
  }
}
