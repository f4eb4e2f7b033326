// The folder walk and the filter splitting: what is listed, in which order, and which
// folders are never entered.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>
#include <functional>

#include "engine/dirscan.h"
#include "enginetestutil.h"
#include "platform/fileops.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::engine;

namespace {

QStringList walk(const QString& dir, WalkOptions o, QStringList* errors = nullptr) {
  QStringList out;
  WalkFolder(
      dir, o, [&](const WalkEntry& e) { out << e.subdir + "|" + e.name; },
      [&](const QString& f, const QString&) {
        if (errors) *errors << f;
      });
  return out;
}

}  // namespace

TEST(DirScan, ListsRegularFilesInNameOrderFoldersFirst) {
  const QString d = test::makeDir("hot");
  for (const char* n : {"b.txt", "a.txt", "C.txt", ".hidden", "sub/z.txt", "sub/.h/x.txt",
                        "sub/deeper/y.txt", "a-sub/q.txt"})
    test::writeFile(d + "/" + n);
  ::symlink(QFile::encodeName(d).constData(), QFile::encodeName(d + "/loop").constData());
  ::symlink(QFile::encodeName(d + "/a.txt").constData(),
            QFile::encodeName(d + "/link.txt").constData());
  ::mkfifo(QFile::encodeName(d + "/fifo").constData(), 0644);

  WalkOptions flat;
  EXPECT_EQ(walk(d, flat), (QStringList{".|C.txt", ".|a.txt", ".|b.txt"}));
  WalkOptions deep;
  deep.recursive = true;
  const QStringList all{".|C.txt",   ".|a.txt",   ".|b.txt",
                        "a-sub|q.txt", "sub|z.txt", "sub/deeper|y.txt"};
  EXPECT_EQ(walk(d + "/", deep), all);
  // Left unread, a file still comes with the device and inode it has.
  WalkOptions unread = deep;
  unread.readFiles = false;
  QStringList listed;
  WalkFolder(
      d, unread,
      [&](const WalkEntry& e) {
        listed << e.subdir + "|" + e.name;
        struct stat st, direct;
        ASSERT_TRUE(StatEntry(e, st));
        ASSERT_EQ(::lstat(fileops::encodeName(e.folder + "/" + e.name).constData(), &direct), 0);
        EXPECT_EQ(std::make_pair(e.device, e.inode),
                  std::make_pair(quint64(direct.st_dev), quint64(direct.st_ino)));
        EXPECT_EQ(st.st_ino, direct.st_ino);
        EXPECT_EQ(st.st_size, direct.st_size);
      },
      {});
  EXPECT_EQ(listed, all);
  // The reject folder inside the hot folder is never entered.
  struct stat st;
  ASSERT_EQ(::stat(QFile::encodeName(d + "/sub").constData(), &st), 0);
  deep.hasExcluded = true;
  deep.excludedDev = st.st_dev;
  deep.excludedIno = st.st_ino;
  EXPECT_EQ(walk(d, deep), (QStringList{".|C.txt", ".|a.txt", ".|b.txt", "a-sub|q.txt"}));
}

TEST(DirScan, ReadOnlyFilesAndUnreadableFolders) {
  const QString d = test::makeDir("ro");
  test::writeFile(d + "/w.txt");
  test::writeFile(d + "/r.txt");
  ::chmod(QFile::encodeName(d + "/r.txt").constData(), 0444);
  WalkOptions o;
  EXPECT_EQ(walk(d, o), (QStringList{".|r.txt", ".|w.txt"}));
  o.withReadOnly = false;
  EXPECT_EQ(walk(d, o), (QStringList{".|w.txt"}));
  QStringList errors;
  EXPECT_FALSE(WalkFolder(
      d + "/missing", o, [](const WalkEntry&) {},
      [&](const QString& f, const QString&) { errors << f; }));
  EXPECT_EQ(errors, QStringList{d + "/missing"});
}

// Names are listed by their bytes: one that is not UTF-8 (in a folder whose name is not
// either) comes out as a text that gives those bytes back, and the existence tests
// find it by that text.
TEST(DirScan, NamesThatAreNotUtf8AreListedByTheirBytes) {
  const QString d = test::makeDir("bytes");
  const QByteArray top = fileops::encodeName(d);
  ASSERT_EQ(::mkdir((top + "/d\xff").constData(), 0755), 0);
  for (const QByteArray& name : {QByteArray("caf\xe9.txt"), QByteArray("d\xff/\xc0\xaf")}) {
    const int fd = ::open((top + "/" + name).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
  }
  WalkOptions deep;
  deep.recursive = true;
  QList<QByteArray> seen;
  WalkFolder(
      d, deep,
      [&](const WalkEntry& e) {
        seen << fileops::encodeName(e.subdir + "|" + e.name);
        EXPECT_TRUE(FileExists(e.folder + "/" + e.name));
      },
      {});
  EXPECT_EQ(seen, (QList<QByteArray>{".|caf\xe9.txt", "d\xff|\xc0\xaf"}));
  QString folder = fileops::decodeName(top + "/d\xff");
  EXPECT_EQ(ScanFolder(folder).state(), ScanFolder::State::Open);
}

TEST(DirScan, SplitFilterAndMatch) {
  const PatternMatcher contains = [](const QString& s, const QString& p, PatternFault*) {
    return s.contains(p);
  };
  const struct {
    const char* filter;
    QStringList patterns;
  } splits[] = {
      {"*.txt", {".txt", ""}},
      {".txt;.csv", {".txt", ".csv"}},
      {"*", {"*"}},
      {"*.*", {"*.*"}},
      {"", {"", ""}},
      {"a;;b;", {"a", "", "b", ""}},
      {"**.log*", {".log", ""}},
  };
  for (const auto& c : splits) EXPECT_EQ(SplitFilter(c.filter), c.patterns) << c.filter;
  EXPECT_TRUE(MatchesAny("x.txt", SplitFilter("*.txt"), contains));
  EXPECT_FALSE(MatchesAny("x.doc", SplitFilter("*.txt"), contains));
  EXPECT_TRUE(MatchesAny("noext", SplitFilter("*"), contains));
  EXPECT_TRUE(MatchesAny("noext", SplitFilter("*.*"), contains));
  EXPECT_FALSE(MatchesAny("anything", SplitFilter(""), contains));
}

// The scan folder's one open is its existence test: trailing "/" and "/." ignored, a
// link to it followed; a folder that is there but cannot be opened is told apart.
TEST(DirScan, ScanFolderIsOpenedOnceAndToldMissingOrUnreadable) {
  const QString d = test::makeDir("in");
  for (QString p : {d, d + "/", d + "/."}) {
    EXPECT_EQ(ScanFolder(p).state(), ScanFolder::State::Open);
    EXPECT_EQ(p, d);
  }
  QString link = test::rootDir() + "/in-link";
  ASSERT_EQ(::symlink(QFile::encodeName(d).constData(), QFile::encodeName(link).constData()), 0);
  EXPECT_EQ(ScanFolder(link).state(), ScanFolder::State::Open);
  QString empty;
  EXPECT_EQ(ScanFolder(empty).state(), ScanFolder::State::Missing);
  QString file = d + "/f";
  test::writeFile(file);
  EXPECT_EQ(ScanFolder(file).state(), ScanFolder::State::Missing);
  QString missing = d + "/none";
  EXPECT_EQ(ScanFolder(missing).state(), ScanFolder::State::Missing);
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(FileExists(d));

  // No descriptor left: the folder is there but cannot be opened.
  struct rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  const int lowest = ::dup(0);
  ASSERT_GE(lowest, 0);
  ::close(lowest);
  struct rlimit none = saved;
  none.rlim_cur = rlim_t(lowest);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &none), 0);
  QString there = d;
  const ScanFolder full(there);
  ::setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(full.state(), ScanFolder::State::Unreadable);
  EXPECT_EQ(full.error(), QString::fromLocal8Bit(std::strerror(EMFILE)));
}

// A subfolder is entered only as it was listed: one replaced by a link after its listing
// is not followed, one removed meanwhile is reported.
TEST(DirScan, SubfolderChangedBeforeItIsEnteredIsNotFollowed) {
  const QString d = test::makeDir("swap");
  const QString elsewhere = test::makeDir("elsewhere");
  test::writeFile(d + "/z.txt");
  test::writeFile(elsewhere + "/secret.txt");
  const QByteArray sub = QFile::encodeName(d + "/sub");
  const struct {
    const char* what;
    std::function<void()> change;
    QStringList listed, errors;
  } cases[] = {
      {"replaced by a link",
       [&] {
         ASSERT_TRUE(test::removeTree(d + "/sub"));
         ASSERT_EQ(::symlink(QFile::encodeName(elsewhere).constData(), sub.constData()), 0);
       },
       {".|z.txt"},
       {}},
      {"removed", [&] { ASSERT_TRUE(test::removeTree(d + "/sub")); }, {".|z.txt"}, {d + "/sub"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(test::removeTree(d + "/sub"));
    test::writeFile(d + "/sub/s.txt");
    WalkOptions deep;
    deep.recursive = true;
    QStringList listed, errors;
    WalkFolder(
        d, deep,
        [&](const WalkEntry& e) {
          // z.txt is visited after sub was listed, before it is entered.
          if (listed.isEmpty()) c.change();
          listed << e.subdir + "|" + e.name;
        },
        [&](const QString& f, const QString&) { errors << f; });
    EXPECT_EQ(listed, c.listed);
    EXPECT_EQ(errors, c.errors);
  }
}
