// The six file actions run through the built plug-ins over temporary folders, with the
// lines they send to a recording log. "$T" in a case stands for its own folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QCoreApplication>
#include <functional>

#include <fcntl.h>

#include "platform/fileops.h"
#include "pluginfixture.h"
#include "testenv.h"

using namespace mvnz;
using test::params;
using test::readFile;
using test::runCommand;
using test::sentLines;
using test::writeFile;

namespace {

struct Expect {
  short level;
  QString text;
};

QString sub(QString s, const QString& t) { return s.replace("$T", t); }

void expectLines(const std::vector<Expect>& want, const QString& t) {
  std::vector<std::pair<short, QString>> got, expected;
  for (const auto& l : sentLines()) got.emplace_back(l.level, l.text);
  for (const auto& w : want) expected.emplace_back(w.level, sub(w.text, t));
  EXPECT_EQ(got, expected);
}

void setMtime(const QString& path, const QDateTime& when) {
  const time_t secs = when.toSecsSinceEpoch();
  const struct timespec t[2] = {{secs, 0}, {secs, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), t, 0), 0);
}

}  // namespace

class FileActions : public ::testing::Test {
 protected:
  void SetUp() override { test::installRecordingLog(); }
  QString folder() {
    sentLines().clear();
    return test::makeDir(QString("case%1").arg(n_++));
  }
  int n_ = 0;
};

TEST_F(FileActions, RelocateAndDuplicate) {
  struct Case {
    const char* name;
    const char* plugin;
    QStringList params;  // S, D, O, C
    bool sourceExists, targetExists;
    std::vector<Expect> lines;
    bool error;
    QByteArray source, target;  // contents afterwards
  } cases[] = {
      {"missing source, overwrite 1",
       "Relocate",
       {"$T/s", "$T/d", "1", "0"},
       false,
       true,
       {{1, "WARNING_RELOCATE: Sourcefile [$T/s] not found!"}},
       false,
       "<missing>",
       "old"},
      {"move over existing, overwrite 1",
       "Relocate",
       {"$T/s", "$T/d", "1", "0"},
       true,
       true,
       {{0, "Moving file [$T/s] to [$T/d]..."}},
       false,
       "<missing>",
       "new"},
      {"move over existing, overwrite 0",
       "Relocate",
       {"$T/s", "$T/d", "0", "0"},
       true,
       true,
       {{2, "ERROR_RELOCATE: File [$T/d] exists & OVERWRITE=OFF, file not copied!"}},
       true,
       "new",
       "old"},
      {"move over existing, overwrite empty",
       "Relocate",
       {"$T/s", "$T/d", "", "0"},
       true,
       true,
       {{0, "Moving file [$T/s] to [$T/d]..."},
        {2, "ERROR_RELOCATE: Could not move file [$T/s] to [$T/d] []"}},
       true,
       "new",
       "old"},
      {"copy missing source",
       "Duplicate",
       {"$T/s", "$T/d", "1", "1"},
       false,
       false,
       {{1, "WARNING_DUPLICATE: Sourcefile [$T/s] not found!"}},
       false,
       "<missing>",
       "<missing>"},
      {"copy over existing, overwrite 1",
       "Duplicate",
       {"$T/s", "$T/d", "1", "0"},
       true,
       true,
       {{0, "Copying file [$T/s] to [$T/d]..."}},
       false,
       "new",
       "new"},
      {"copy over existing, overwrite 0",
       "Duplicate",
       {"$T/s", "$T/d", "0", "0"},
       true,
       true,
       {{2, "ERROR_DUPLICATE: File [$T/d] exists & OVERWRITE=OFF, file not copied!"}},
       true,
       "new",
       "old"},
      {"copy over existing, overwrite empty",
       "Duplicate",
       {"$T/s", "$T/d", "", "0"},
       true,
       true,
       {{0, "Copying file [$T/s] to [$T/d]..."}},
       false,
       "new",
       "new"},
      {"move into a missing folder without creating it",
       "Relocate",
       {"$T/s", "$T/x/d", "1", "0"},
       true,
       false,
       {{0, "Moving file [$T/s] to [$T/x/d]..."},
        {2, "ERROR_RELOCATE: Could not move file [$T/s] to [$T/x/d] [No such file or directory]"}},
       true,
       "new",
       "<missing>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString t = folder();
    if (c.sourceExists) writeFile(t + "/s", "new");
    if (c.targetExists) writeFile(t + "/d", "old");
    QStringList ps;
    for (const QString& p : c.params) ps << sub(p, t);
    EXPECT_EQ(runCommand(c.plugin, ps), c.error);
    expectLines(c.lines, t);
    EXPECT_EQ(readFile(t + "/s"), c.source);
    EXPECT_EQ(readFile(ps[1]), c.target);
  }
}

TEST_F(FileActions, DestinationFoldersAreCreatedLevelByLevel) {
  for (const char* plugin : {"Relocate", "Duplicate"}) {
    for (bool autoLog : {true, false}) {
      SCOPED_TRACE(std::string(plugin) + (autoLog ? " AutoLog" : " quiet"));
      const QString t = folder();
      writeFile(t + "/s", "data");
      EXPECT_FALSE(runCommand(plugin, {t + "/s", t + "/a/b/d.txt", "0", "1"}, autoLog));
      const QString verb = QString(plugin) == "Relocate" ? "Moving" : "Copying";
      if (autoLog) {
        ASSERT_EQ(sentLines().size(), 3u);
        EXPECT_EQ(sentLines()[0].text, "Created directory [" + t + "/a]");
        EXPECT_EQ(sentLines()[1].text, "Created directory [" + t + "/a/b]");
        EXPECT_EQ(sentLines()[2].text, verb + " file [" + t + "/s] to [" + t + "/a/b/d.txt]...");
      } else {
        EXPECT_TRUE(sentLines().empty());
      }
      EXPECT_EQ(readFile(t + "/a/b/d.txt"), "data");
      // A second run finds the folders there and creates nothing.
      writeFile(t + "/s2", "more");
      sentLines().clear();
      EXPECT_FALSE(runCommand(plugin, {t + "/s2", t + "/a/b/e.txt", "0", "1"}, autoLog));
      EXPECT_EQ(sentLines().size(), autoLog ? 1u : 0u);
    }
  }
}

// Source and destination naming one file: nothing is deleted, whatever overwrite says.
TEST_F(FileActions, SameFileThroughAnotherPathIsNeverLost) {
  for (const char* plugin : {"Relocate", "Duplicate"}) {
    const QString t = folder();
    writeFile(t + "/f.txt", "precious");
    ASSERT_EQ(::link(QFile::encodeName(t + "/f.txt").constData(),
                     QFile::encodeName(t + "/hard.txt").constData()),
              0);
    ASSERT_EQ(::symlink(QFile::encodeName(t + "/f.txt").constData(),
                        QFile::encodeName(t + "/sym.txt").constData()),
              0);
    for (const QString& other : {t + "/./f.txt", t + "//f.txt", t + "/hard.txt", t + "/sym.txt"}) {
      for (const char* o : {"1", "", "0"}) {
        SCOPED_TRACE(std::string(plugin) + " " + other.toStdString() + " O=" + o);
        sentLines().clear();
        EXPECT_TRUE(runCommand(plugin, {t + "/f.txt", other, o, "1"}));
        ASSERT_FALSE(sentLines().empty());
        EXPECT_EQ(sentLines().back().level, 2);
        EXPECT_EQ(readFile(t + "/f.txt"), "precious");
      }
    }
    EXPECT_EQ(QDir(t).entryList(QDir::Files | QDir::System | QDir::Hidden).size(), 3);
  }
}

TEST_F(FileActions, RelocateAcrossFileSystemsKeepsContentAndTimeStamp) {
  test::TempFolder shm("/dev/shm/mvnz-relocate-XXXXXX");
  ASSERT_TRUE(shm.isValid());
  const QString t = folder();
  writeFile(shm.path() + "/f.bin", QByteArray(100000, 'z'));
  const QDateTime when(QDate(2020, 2, 3), QTime(4, 5, 6));
  setMtime(shm.path() + "/f.bin", when);
  EXPECT_FALSE(runCommand("Relocate", {shm.path() + "/f.bin", t + "/in/f.bin", "0", "1"}));
  EXPECT_FALSE(QFileInfo::exists(shm.path() + "/f.bin"));
  EXPECT_EQ(readFile(t + "/in/f.bin"), QByteArray(100000, 'z'));
  EXPECT_EQ(QFileInfo(t + "/in/f.bin").lastModified(), when);
}

TEST_F(FileActions, Erase) {
  struct Case {
    bool empty;
    const char *E, *R;
    const char* line;  // "" = nothing logged
    enum { Kept, Trashed, Deleted } result;
  } cases[] = {
      {true, "1", "1", "Moving empty file [$T/f] to recycle bin", Case::Trashed},
      {true, "1", "0", "Deleting empty file [$T/f]", Case::Deleted},
      {true, "0", "1", "Moving file [$T/f] to recycle bin", Case::Trashed},
      {true, "0", "0", "Deleting file [$T/f]", Case::Deleted},
      {true, "0", "", "Moving file [$T/f] to recycle bin", Case::Trashed},
      {true, "", "0", "", Case::Kept},
      {false, "1", "1", "", Case::Kept},
      {false, "1", "0", "", Case::Kept},
      {false, "0", "1", "Moving file [$T/f] to recycle bin", Case::Trashed},
      {false, "0", "0", "Deleting file [$T/f]", Case::Deleted},
      {false, "", "", "", Case::Kept},
  };
  const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + "/Trash";
  for (const auto& c : cases) {
    const QString t = folder();
    SCOPED_TRACE(QString("empty=%1 E=%2 R=%3").arg(c.empty).arg(c.E, c.R).toStdString());
    test::removeTree(trash);
    writeFile(t + "/f", c.empty ? "" : "content");
    EXPECT_FALSE(runCommand("Erase", {t + "/f", c.E, c.R}));
    if (*c.line)
      expectLines({{0, c.line}}, t);
    else
      expectLines({}, t);
    EXPECT_EQ(QFileInfo::exists(t + "/f"), c.result == Case::Kept);
    EXPECT_EQ(QFileInfo::exists(trash + "/files/f"), c.result == Case::Trashed);
  }
}

TEST_F(FileActions, EraseOfAMissingFileOrAFolderOnlyWarns) {
  const QString t = folder();
  QDir().mkdir(t + "/dir");
  for (const QString& f : {t + "/none", t + "/dir"}) {
    sentLines().clear();
    EXPECT_FALSE(runCommand("Erase", {f, "0", "0"}));
    expectLines({{1, "WARNING_ERASE: Sourcefile [" + f + "] not found!"}}, t);
  }
  EXPECT_TRUE(QFileInfo(t + "/dir").isDir());
}

// A Trash that cannot be used leaves the file in place: never a permanent delete.
TEST_F(FileActions, EraseIntoAnUnavailableTrashKeepsTheFile) {
  const QString t = folder();
  const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + "/Trash";
  test::removeTree(trash);
  writeFile(trash, "not a folder");
  writeFile(t + "/f", "keep");
  EXPECT_FALSE(runCommand("Erase", {t + "/f", "0", "1"}));
  EXPECT_EQ(readFile(t + "/f"), "keep");
  expectLines({{0, "Moving file [$T/f] to recycle bin"}}, t);
}

// A write-protected file ($T/f, mode 0444) is never deleted, purged or replaced: each
// action reports the refusal as it reports any failure of its operation, and a refused
// recycle-bin delete stays silent.
TEST_F(FileActions, WriteProtectedFileIsNeverRemoved) {
  struct Case {
    const char* plugin;
    QStringList params;
    std::vector<Expect> lines;
    bool error;
    QByteArray source;  // $T/s afterwards
  } cases[] = {
      {"Erase",
       {"$T/f", "0", "0"},
       {{0, "Deleting file [$T/f]"},
        {2, "ERROR_ERASE: Could not delete file [$T/f] [Access denied [$T/f]]"}},
       true,
       "new"},
      {"Erase", {"$T/f", "0", "1"}, {{0, "Moving file [$T/f] to recycle bin"}}, false, "new"},
      {"Scour",
       {"1", "$T/f"},
       {{0, "Purging file [$T/f]"},
        {2, "ERROR_SCOUR: Could not purge file [$T/f] [Access denied [$T/f]]"}},
       true,
       "new"},
      {"Relocate",
       {"$T/s", "$T/f", "1", "0"},
       {{0, "Moving file [$T/s] to [$T/f]..."},
        {2, "ERROR_RELOCATE: Could not move file [$T/s] to [$T/f] [Access denied [$T/f]]"}},
       true,
       "new"},
      {"Duplicate",
       {"$T/s", "$T/f", "1", "0"},
       {{0, "Copying file [$T/s] to [$T/f]..."},
        {2, "ERROR_DUPLICATE: Could not copy file [$T/s] to [$T/f] [Access denied [$T/f]]"}},
       true,
       "new"},
      // Moving the write-protected file itself is allowed; its mode goes with it.
      {"Relocate", {"$T/f", "$T/s", "1", "0"}, {{0, "Moving file [$T/f] to [$T/s]..."}}, false,
       "precious"},
  };
  const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + "/Trash";
  for (const auto& c : cases) {
    const QString t = folder();
    SCOPED_TRACE((QString(c.plugin) + " " + c.params.join(",")).toStdString());
    test::removeTree(trash);
    writeFile(t + "/f", "precious");
    writeFile(t + "/s", "new");
    setMtime(t + "/f", QDateTime::currentDateTime().addDays(-3));
    ::chmod(QFile::encodeName(t + "/f").constData(), 0444);
    QStringList values;
    for (const QString& v : c.params) values << sub(v, t);
    EXPECT_EQ(runCommand(c.plugin, values), c.error);
    expectLines(c.lines, t);
    EXPECT_EQ(readFile(t + "/s"), c.source);
    const bool movedAway = c.source == "precious";
    EXPECT_EQ(readFile(t + "/f"), movedAway ? QByteArray("<missing>") : QByteArray("precious"));
    struct stat st {};
    ::stat(QFile::encodeName(t + (movedAway ? "/s" : "/f")).constData(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_FALSE(QFileInfo::exists(trash + "/files/f"));
  }
}

TEST_F(FileActions, ScourByCalendarDays) {
  const QDate today = QDate::currentDate();
  struct File {
    const char* name;
    int daysBack;
    QTime time;
  } files[] = {{"today", 0, QTime(0, 0, 30)},
               {"yesterday", 1, QTime(23, 59, 0)},
               {"six", 6, QTime(23, 59, 59)},
               {"seven", 7, QTime(0, 0, 1)},
               {"future", -2, QTime(12, 0, 0)}};
  struct Case {
    const char* days;
    QStringList purged;
  } cases[] = {
      {"7", {"seven"}},
      {"1", {"yesterday", "six", "seven"}},
      {"0", {"today", "yesterday", "six", "seven"}},
      {"6.9", {"seven"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.days);
    const QString t = folder();
    for (const auto& f : files) {
      writeFile(t + "/" + f.name, "x");
      setMtime(t + "/" + f.name, QDateTime(today.addDays(-f.daysBack), f.time));
    }
    for (const auto& f : files) {
      sentLines().clear();
      EXPECT_FALSE(runCommand("Scour", {c.days, t + "/" + f.name}));
      const bool purged = c.purged.contains(f.name);
      EXPECT_EQ(QFileInfo::exists(t + "/" + f.name), !purged) << f.name;
      if (purged)
        expectLines({{0, "Purging file [$T/" + QString(f.name) + "]"}}, t);
      else
        expectLines({}, t);
    }
  }
}

// A day count that expanded to nothing or to no number purges nothing.
TEST_F(FileActions, ScourWithoutADayCountPurgesNothing) {
  for (const char* days : {"", "abc", "<LV1>"}) {
    SCOPED_TRACE(days);
    const QString t = folder();
    writeFile(t + "/old", "x");
    setMtime(t + "/old", QDateTime::currentDateTime().addDays(-400));
    EXPECT_FALSE(runCommand("Scour", {days, t + "/old"}));
    EXPECT_TRUE(QFileInfo::exists(t + "/old"));
    ASSERT_EQ(sentLines().size(), 1u);
    EXPECT_EQ(sentLines()[0].level, 1);
    EXPECT_TRUE(sentLines()[0].text.startsWith("WARNING_SCOUR: "))
        << sentLines()[0].text.toStdString();
  }
  const QString t = folder();
  EXPECT_FALSE(runCommand("Scour", {"3", t + "/none"}));
  expectLines({{1, "WARNING_SCOUR: File [$T/none] not found!"}}, t);
}

TEST_F(FileActions, MakeFolder) {
  const QString t = folder();
  QDir().mkdir(t + "/a");
  EXPECT_FALSE(runCommand("MakeFolder", {t + "/a/b/c"}));
  expectLines({{0, "Created directory [$T/a/b]"}, {0, "Created directory [$T/a/b/c]"}}, t);
  sentLines().clear();
  EXPECT_FALSE(runCommand("MakeFolder", {t + "/a/b/c/"}));  // all there: nothing to say
  expectLines({}, t);
  EXPECT_FALSE(runCommand("MakeFolder", {t + "/q/r"}, false));
  expectLines({}, t);
  EXPECT_TRUE(QFileInfo(t + "/q/r").isDir());

  writeFile(t + "/file", "x");
  EXPECT_TRUE(runCommand("MakeFolder", {t + "/file/x/y"}));
  expectLines(
      {{2, "ERROR_MAKE-FOLDER: Could not create directory: [$T/file/x/y] [Not a directory]"}}, t);
}

TEST_F(FileActions, DropFolderRemovesEmptyFoldersDeepestFirst) {
  struct Case {
    const char* name;
    QStringList folders;  // below $T/root
    QStringList files;
    QString param;  // folder given
    QStringList removedInOrder;
    QStringList kept;
  } cases[] = {
      {"a tree", {"a/b/c"}, {}, "$T/root", {"a/b/c", "a/b", "a"}, {}},
      {"siblings", {"x", "y"}, {}, "$T/root", {"x", "y"}, {}},
      {"trailing slash", {"a/b"}, {}, "$T/root/", {"a/b", "a"}, {}},
      {"a file keeps its folders",
       {"a/b", "a/e", "z"},
       {"a/b/f"},
       "$T/root",
       {"z", "a/e"},
       {"a/b", "a"}},
      {"a dot-folder is neither listed nor removed",
       {"p/.hid", ".top"},
       {},
       "$T/root",
       {},
       {"p/.hid", "p", ".top"}},
      {"missing path", {}, {}, "$T/none", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString t = folder();
    const QString root = t + "/root";
    QDir().mkpath(root);
    for (const QString& f : c.folders) QDir().mkpath(root + "/" + f);
    for (const QString& f : c.files) writeFile(root + "/" + f, "x");

    std::vector<Expect> want;
    for (const QString& r : c.removedInOrder)
      want.push_back({0, "Removed directory [$T/root/" + r + "]"});
    EXPECT_FALSE(runCommand("DropFolder", {sub(c.param, t)}));
    expectLines(want, t);
    EXPECT_TRUE(QFileInfo(root).isDir());
    for (const QString& r : c.removedInOrder) EXPECT_FALSE(QFileInfo::exists(root + "/" + r));
    for (const QString& k : c.kept)
      EXPECT_TRUE(QFileInfo(root + "/" + k).isDir()) << k.toStdString();

    // The same tree with AutoLog off: the same folders go, without a line.
    const QString t2 = folder();
    const QString root2 = t2 + "/root";
    QDir().mkpath(root2);
    for (const QString& f : c.folders) QDir().mkpath(root2 + "/" + f);
    for (const QString& f : c.files) writeFile(root2 + "/" + f, "x");
    EXPECT_FALSE(runCommand("DropFolder", {sub(c.param, t2)}, false));
    EXPECT_TRUE(sentLines().empty());
    for (const QString& r : c.removedInOrder) EXPECT_FALSE(QFileInfo::exists(root2 + "/" + r));
    for (const QString& k : c.kept) EXPECT_TRUE(QFileInfo(root2 + "/" + k).isDir());
  }
}

// A directory link inside the tree is not followed: an empty tree outside stays, and
// the link (an entry) keeps its folder. A link loop ends too.
TEST_F(FileActions, DropFolderNeverFollowsDirectoryLinks) {
  const QString t = folder();
  QDir().mkpath(t + "/outside/e1/e2");
  QDir().mkpath(t + "/root/holder");
  QDir().mkpath(t + "/root/empty");
  ASSERT_EQ(::symlink(QFile::encodeName(t + "/outside").constData(),
                      QFile::encodeName(t + "/root/holder/link").constData()),
            0);
  ASSERT_EQ(::symlink(QFile::encodeName(t + "/root").constData(),
                      QFile::encodeName(t + "/root/loop").constData()),
            0);
  EXPECT_FALSE(runCommand("DropFolder", {t + "/root"}));
  expectLines({{0, "Removed directory [$T/root/empty]"}}, t);
  EXPECT_TRUE(QFileInfo(t + "/outside/e1/e2").isDir());
  EXPECT_TRUE(QFileInfo(t + "/root/holder").isDir());
  EXPECT_TRUE(QFileInfo(t + "/root/holder/link").isSymLink());
}

// An empty folder parameter (a token that expanded to nothing) touches nothing, not
// even the current folder's empty subfolders.
TEST_F(FileActions, DropFolderWithAnEmptyPathDoesNothing) {
  const QString t = folder();
  QDir().mkpath(t + "/e");
  const QString cwd = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(t));
  EXPECT_FALSE(runCommand("DropFolder", {""}));
  QDir::setCurrent(cwd);
  EXPECT_TRUE(QFileInfo(t + "/e").isDir());
  EXPECT_TRUE(sentLines().empty());
}

// A name that is not UTF-8 reaches the plug-ins as its decoded text (as the listing
// gives it) and is moved, copied, deleted and purged under its own bytes; the log
// lines carry the same text.
TEST_F(FileActions, NamesThatAreNotUtf8AreHandledByTheirBytes) {
  const QByteArray odd = "r\xe9sum\xe9-\xff.txt";
  const struct {
    const char* plugin;
    QStringList params;  // $S: the odd source, $D: a target of the same name elsewhere
    const char* line;
    bool sourceStays, targetMade;
  } cases[] = {
      {"Relocate", {"$S", "$D", "0", "1"}, "Moving file [$S] to [$D]...", false, true},
      {"Duplicate", {"$S", "$D", "0", "1"}, "Copying file [$S] to [$D]...", true, true},
      {"Erase", {"$S", "0", "0"}, "Deleting file [$S]", false, false},
      {"Scour", {"1", "$S"}, "Purging file [$S]", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.plugin);
    const QString t = folder();
    const QByteArray source = fileops::encodeName(t) + '/' + odd;
    const QByteArray target = fileops::encodeName(t) + "/out/" + odd;
    const QString S = fileops::decodeName(source), D = fileops::decodeName(target);
    // Made by its bytes: QFile would write another name.
    const int fd = ::open(source.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "odd", 3), 3);
    const time_t old = QDateTime::currentDateTime().addDays(-3).toSecsSinceEpoch();
    const struct timespec times[2] = {{old, 0}, {old, 0}};
    ASSERT_EQ(::futimens(fd, times), 0);
    ::close(fd);
    QStringList values;
    for (QString p : c.params) values << p.replace("$S", S).replace("$D", D);
    EXPECT_FALSE(runCommand(c.plugin, values));
    const QString line = QString(c.line).replace("$S", S).replace("$D", D);
    ASSERT_FALSE(sentLines().empty());
    EXPECT_EQ(sentLines().back().text, line);
    EXPECT_EQ(::access(source.constData(), F_OK) == 0, c.sourceStays);
    EXPECT_EQ(::access(target.constData(), F_OK) == 0, c.targetMade);
  }
}

// Folders are found and removed by their bytes: a name that is not UTF-8 is removed,
// and its line carries the same text as every other name's.
TEST_F(FileActions, DropFolderRemovesFoldersByTheirBytes) {
  const QString t = folder();
  const QByteArray odd = fileops::encodeName(t) + "/root/r\xe9sum\xe9-\xff";
  ASSERT_TRUE(QDir().mkpath(t + "/root"));
  ASSERT_EQ(::mkdir(odd.constData(), 0755), 0);
  ASSERT_EQ(::mkdir((odd + "/in").constData(), 0755), 0);
  EXPECT_FALSE(runCommand("DropFolder", {t + "/root"}));
  const QString shown = fileops::decodeName(odd);
  expectLines({{0, "Removed directory [" + shown + "/in]"}, {0, "Removed directory [" + shown + "]"}},
              t);
  EXPECT_NE(::access(odd.constData(), F_OK), 0);
  EXPECT_TRUE(QFileInfo(t + "/root").isDir());
}

// The user who owns a folder below the given one swaps it for a link to a folder only
// root may read, while the folders are listed or between listing and removal (the
// plug-in processes pending events after each folder it lists: the swap runs there).
// Nothing behind the link is listed or removed; the rest is done as before.
TEST_F(FileActions, DropFolderNeverReachesThroughAFolderSwappedForALink) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to play the user nobody against it";
  const struct Case {
    const char* name;
    int swapAtEvents;  // the swap runs on the plug-in's n-th processing of events
    std::vector<Expect> lines;
    bool error;
  } cases[] = {
      {"while listing",
       1,
       {{2, "ERROR_READ-DIR: Error reading contents of directory [$T/root/a] [[$T/root/a] is no "
            "longer a folder (a link?); it was not followed]"},
        {0, "Removed directory [$T/root/z/y]"},
        {0, "Removed directory [$T/root/z]"}},
       true},
      // The fourth is after z/y is found: only empty folders are listed after it.
      {"between listing and removal",
       4,
       {{0, "Removed directory [$T/root/z/y]"}, {0, "Removed directory [$T/root/z]"}},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString t = folder();
    for (const char* d : {"/root/a/b", "/root/z/y", "/secret/b"}) QDir().mkpath(t + d);
    for (const char* d : {"/root", "/root/a", "/root/a/b"})
      ASSERT_EQ(::chown(QFile::encodeName(t + d).constData(), test::kNobody, test::kNobody), 0);
    ::chmod(QFile::encodeName(t).constData(), 0711);
    ::chmod(QFile::encodeName(t + "/secret").constData(), 0700);
    int countdown = c.swapAtEvents;
    std::function<void()> swap = [&] {
      if (--countdown > 0) {
        QMetaObject::invokeMethod(qApp, swap, Qt::QueuedConnection);
        return;
      }
      EXPECT_EQ(test::runAsNobody("cd '" + t + "/root' && mv a a.old && ln -s ../secret a"), 0);
    };
    QMetaObject::invokeMethod(qApp, swap, Qt::QueuedConnection);
    EXPECT_EQ(runCommand("DropFolder", {t + "/root"}), c.error);
    QCoreApplication::processEvents();  // a swap still due does no harm now
    EXPECT_EQ(countdown, 0);
    expectLines(c.lines, t);
    EXPECT_TRUE(QFileInfo(t + "/secret/b").isDir());
    EXPECT_TRUE(QFileInfo(t + "/root/a").isSymLink());
    EXPECT_TRUE(QFileInfo(t + "/root/a.old/b").isDir());
  }
}
