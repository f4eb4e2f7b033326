#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <csignal>
#include <thread>
#include <vector>

#include "filefixture.h"
#include "platform/fileops.h"
#include "testenv.h"

using namespace mvnz;
using fileops::Replace;
using fileops::Status;
using test::readFile;
using test::statOf;
using test::writeFile;

namespace {

// Sets an old, exact modification time so a copy that loses it shows.
void setTimes(const QString& path, time_t when) {
  const struct timespec t[2] = {{when, 123456789}, {when, 123456789}};
  ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), t, 0), 0);
}

// Everything in a folder, hidden names included: a leftover temporary shows here.
QStringList entries(const QString& dir) {
  return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

const char* statusName(Status s) {
  switch (s) {
    case Status::Ok:
      return "Ok";
    case Status::SourceMissing:
      return "SourceMissing";
    case Status::TargetExists:
      return "TargetExists";
    case Status::SameFile:
      return "SameFile";
    case Status::TargetFolderMissing:
      return "TargetFolderMissing";
    case Status::AccessDenied:
      return "AccessDenied";
    case Status::Failed:
      return "Failed";
  }
  return "?";
}

using Op = fileops::Outcome (*)(const QString&, const QString&, Replace);

}  // namespace

// Move and copy over the combinations of an existing target and the replace flag.
TEST(FileOps, MoveAndCopyHonourTheReplaceFlag) {
  struct Case {
    const char* name;
    Op op;
    bool isMove;
    bool targetExists;
    Replace replace;
    Status want;
  } cases[] = {
      {"move new", fileops::moveFile, true, false, Replace::No, Status::Ok},
      {"move over, no", fileops::moveFile, true, true, Replace::No, Status::TargetExists},
      {"move over, yes", fileops::moveFile, true, true, Replace::Yes, Status::Ok},
      {"copy new", fileops::copyFile, false, false, Replace::No, Status::Ok},
      {"copy over, no", fileops::copyFile, false, true, Replace::No, Status::TargetExists},
      {"copy over, yes", fileops::copyFile, false, true, Replace::Yes, Status::Ok},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString dir = test::makeDir(QString("mc%1").arg(n++));
    const QString src = dir + "/src.txt", dst = dir + "/dst.txt";
    writeFile(src, "source");
    ::chmod(QFile::encodeName(src).constData(), 0640);
    setTimes(src, 1000000000);
    if (c.targetExists) writeFile(dst, "old target");

    const fileops::Outcome o = c.op(src, dst, c.replace);
    EXPECT_EQ(o.status, c.want) << statusName(o.status) << " " << o.errorText.toStdString();
    if (c.want == Status::Ok) {
      EXPECT_EQ(readFile(dst), "source");
      EXPECT_EQ(QFileInfo::exists(src), !c.isMove);
      const struct stat st = statOf(dst);
      EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
      EXPECT_EQ(st.st_mode & 07777, 0640u);
    } else {
      EXPECT_EQ(readFile(src), "source");
      EXPECT_EQ(readFile(dst), "old target");
    }
    EXPECT_EQ(entries(dir).size(), (c.isMove && c.want == Status::Ok) ? 1 : 2)
        << entries(dir).join(",").toStdString();
  }
}

// Every operation on a file "f" in a folder "in", with f writable, f write-protected
// (mode 0444) or "in" write-protected (mode 0555): a write-protected file is never
// removed or replaced, a write-protected folder keeps its entries, whoever runs the
// test (root too). Moving or copying a write-protected file is allowed.
TEST(FileOps, WriteProtectionTable) {
  enum class Mode { Writable, ReadOnlyFile, ReadOnlyFolder };
  enum class Place { SameFs, OtherFs };
  struct Case {
    const char* op;
    Mode mode;
    Status want;
    const char* fAfter;      // bytes of in/f afterwards
    const char* otherAfter;  // bytes of the other file (source or target) afterwards
  };
  const char* gone = "<missing>";
  // "other" is out/o: the (new) target of "move out"/"copy out", the source of "over".
  const Case cases[] = {
      {"delete", Mode::Writable, Status::Ok, gone, "other"},
      {"delete", Mode::ReadOnlyFile, Status::AccessDenied, "subject", "other"},
      {"delete", Mode::ReadOnlyFolder, Status::AccessDenied, "subject", "other"},
      {"trash", Mode::Writable, Status::Ok, gone, "other"},
      {"trash", Mode::ReadOnlyFile, Status::AccessDenied, "subject", "other"},
      {"trash", Mode::ReadOnlyFolder, Status::AccessDenied, "subject", "other"},
      {"move out", Mode::Writable, Status::Ok, gone, "subject"},
      {"move out", Mode::ReadOnlyFile, Status::Ok, gone, "subject"},
      {"move out", Mode::ReadOnlyFolder, Status::AccessDenied, "subject", gone},
      {"move out xfs", Mode::Writable, Status::Ok, gone, "subject"},
      {"move out xfs", Mode::ReadOnlyFile, Status::Ok, gone, "subject"},
      {"move out xfs", Mode::ReadOnlyFolder, Status::AccessDenied, "subject", gone},
      {"copy out", Mode::Writable, Status::Ok, "subject", "subject"},
      {"copy out", Mode::ReadOnlyFile, Status::Ok, "subject", "subject"},
      {"copy out", Mode::ReadOnlyFolder, Status::Ok, "subject", "subject"},
      {"move over", Mode::Writable, Status::Ok, "other", gone},
      {"move over", Mode::ReadOnlyFile, Status::AccessDenied, "subject", "other"},
      {"move over", Mode::ReadOnlyFolder, Status::AccessDenied, "subject", "other"},
      {"move over xfs", Mode::Writable, Status::Ok, "other", gone},
      {"move over xfs", Mode::ReadOnlyFile, Status::AccessDenied, "subject", "other"},
      {"move over xfs", Mode::ReadOnlyFolder, Status::AccessDenied, "subject", "other"},
      {"copy over", Mode::Writable, Status::Ok, "other", "other"},
      {"copy over", Mode::ReadOnlyFile, Status::AccessDenied, "subject", "other"},
      {"copy over", Mode::ReadOnlyFolder, Status::AccessDenied, "subject", "other"},
  };
  test::TempFolder shm("/dev/shm/mvnz-fileops-XXXXXX");
  ASSERT_TRUE(shm.isValid());
  int n = 0;
  for (const Case& c : cases) {
    const QString op = QString::fromLatin1(c.op);
    SCOPED_TRACE(op.toStdString() + " / mode " + std::to_string(int(c.mode)));
    const QString root = test::makeDir(QString("wp%1").arg(n++));
    const QString in = root + "/in", f = in + "/f";
    const QString outDir = op.endsWith("xfs") ? shm.path() + QString("/o%1").arg(n) : root + "/out";
    const QString other = outDir + "/o";
    QDir().mkpath(in);
    QDir().mkpath(outDir);
    writeFile(f, "subject");
    writeFile(other, "other");
    if (op.startsWith("move out") || op.startsWith("copy out")) QFile::remove(other);
    const QByteArray fn = QFile::encodeName(f), inn = QFile::encodeName(in);
    if (c.mode == Mode::ReadOnlyFile) ::chmod(fn.constData(), 0444);
    if (c.mode == Mode::ReadOnlyFolder) ::chmod(inn.constData(), 0555);

    fileops::Outcome o;
    if (op == "delete") o = fileops::deleteFile(f);
    if (op == "trash") o = fileops::trashFile(f);
    if (op.startsWith("move out")) o = fileops::moveFile(f, other, Replace::No);
    if (op == "copy out") o = fileops::copyFile(f, other, Replace::No);
    if (op.startsWith("move over")) o = fileops::moveFile(other, f, Replace::Yes);
    if (op == "copy over") o = fileops::copyFile(other, f, Replace::Yes);
    ::chmod(inn.constData(), 0755);

    EXPECT_EQ(o.status, c.want) << statusName(o.status) << " " << o.errorText.toStdString();
    if (c.want == Status::AccessDenied) {
      EXPECT_TRUE(o.errorText.contains("Access denied") &&
                  (o.errorText.contains(f) || o.errorText.contains(in)))
          << o.errorText.toStdString();
    }
    EXPECT_EQ(readFile(f), c.fAfter);
    EXPECT_EQ(readFile(other), c.otherAfter);
    // A moved or copied write-protected file keeps its mode.
    if (c.mode == Mode::ReadOnlyFile && (op.startsWith("move out") || op == "copy out")) {
      EXPECT_EQ(statOf(other).st_mode & 07777, 0444u);
    }
    // Nothing half-done is left beside either file.
    EXPECT_EQ(entries(in).size(), QString(c.fAfter) == gone ? 0 : 1)
        << entries(in).join(",").toStdString();
  }
}

TEST(FileOps, MissingSourceOrTargetFolder) {
  const QString dir = test::makeDir("miss");
  writeFile(dir + "/a", "a");
  QDir().mkdir(dir + "/sub");
  for (Op op : {Op(fileops::moveFile), Op(fileops::copyFile)}) {
    EXPECT_EQ(op(dir + "/nope", dir + "/b", Replace::Yes).status, Status::SourceMissing);
    EXPECT_EQ(op(dir + "/sub", dir + "/b", Replace::Yes).status, Status::SourceMissing);
    EXPECT_EQ(op(dir + "/a", dir + "/no/such/b", Replace::Yes).status, Status::TargetFolderMissing);
  }
  EXPECT_EQ(readFile(dir + "/a"), "a");
}

// Source and target naming one file must never lose it, whatever the spelling.
TEST(FileOps, SameFileIsDetectedBeforeAnythingIsTouched) {
  const QString dir = test::makeDir("same");
  const QString file = dir + "/f.txt";
  writeFile(file, "precious");
  ASSERT_EQ(::symlink(QFile::encodeName(file).constData(),
                      QFile::encodeName(dir + "/link.txt").constData()),
            0);
  ASSERT_EQ(
      ::link(QFile::encodeName(file).constData(), QFile::encodeName(dir + "/hard.txt").constData()),
      0);
  const QString cwd = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir));
  const QString spellings[] = {
      file,      dir + "/./f.txt",       dir + "//f.txt",   "f.txt",
      "./f.txt", dir + "/../same/f.txt", dir + "/link.txt", dir + "/hard.txt"};
  for (const QString& other : spellings) {
    SCOPED_TRACE(other.toStdString());
    EXPECT_TRUE(fileops::sameFile(file, other));
    for (Replace r : {Replace::No, Replace::Yes}) {
      EXPECT_EQ(fileops::moveFile(file, other, r).status, Status::SameFile);
      EXPECT_EQ(fileops::moveFile(other, file, r).status, Status::SameFile);
      EXPECT_EQ(fileops::copyFile(other, file, r).status, Status::SameFile);
    }
    EXPECT_EQ(readFile(file), "precious");
  }
  QDir::setCurrent(cwd);
  EXPECT_EQ(entries(dir).size(), 3);
  writeFile(dir + "/g.txt", "precious");
  EXPECT_FALSE(fileops::sameFile(file, dir + "/g.txt"));
  EXPECT_FALSE(fileops::sameFile(file, dir + "/none"));
}

// /dev/shm is a tmpfs, the test root is not: the move copies, keeps the time stamp
// and mode, and removes the source only once the copy is in place.
TEST(FileOps, MoveAcrossFileSystems) {
  test::TempFolder shm("/dev/shm/mvnz-fileops-XXXXXX");
  ASSERT_TRUE(shm.isValid());
  const QString dir = test::makeDir("xfs");
  ASSERT_NE(statOf(shm.path()).st_dev, statOf(dir).st_dev) << "needs two file systems";

  const QByteArray big(3 * 1024 * 1024 + 17, 'x');
  writeFile(shm.path() + "/a.bin", big);
  ::chmod(QFile::encodeName(shm.path() + "/a.bin").constData(), 0604);
  setTimes(shm.path() + "/a.bin", 1200000000);
  ASSERT_TRUE(fileops::moveFile(shm.path() + "/a.bin", dir + "/a.bin", Replace::No).ok());
  EXPECT_FALSE(QFileInfo::exists(shm.path() + "/a.bin"));
  EXPECT_EQ(readFile(dir + "/a.bin"), big);
  EXPECT_EQ(statOf(dir + "/a.bin").st_mtim.tv_sec, 1200000000);
  EXPECT_EQ(statOf(dir + "/a.bin").st_mtim.tv_nsec, 123456789);
  EXPECT_EQ(statOf(dir + "/a.bin").st_mode & 07777, 0604u);

  // An existing target is kept with Replace::No, replaced with Replace::Yes.
  writeFile(shm.path() + "/b.txt", "new");
  writeFile(dir + "/b.txt", "old");
  EXPECT_EQ(fileops::moveFile(shm.path() + "/b.txt", dir + "/b.txt", Replace::No).status,
            Status::TargetExists);
  EXPECT_EQ(readFile(shm.path() + "/b.txt"), "new");
  EXPECT_EQ(readFile(dir + "/b.txt"), "old");
  EXPECT_TRUE(fileops::moveFile(shm.path() + "/b.txt", dir + "/b.txt", Replace::Yes).ok());
  EXPECT_EQ(readFile(dir + "/b.txt"), "new");
  EXPECT_FALSE(QFileInfo::exists(shm.path() + "/b.txt"));
  EXPECT_EQ(entries(dir), QStringList({"a.bin", "b.txt"}));
}

// A copy that fails half-way (here: the file size limit) leaves the source whole,
// no target and no temporary behind.
TEST(FileOps, FailedCrossFileSystemMoveKeepsTheSource) {
  test::TempFolder shm("/dev/shm/mvnz-fileops-XXXXXX");
  ASSERT_TRUE(shm.isValid());
  const QString dir = test::makeDir("xfail");
  const QByteArray big(256 * 1024, 'y');
  writeFile(shm.path() + "/big.bin", big);
  writeFile(dir + "/keep.bin", "old");

  std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit lim {};
  ::getrlimit(RLIMIT_FSIZE, &lim);
  struct rlimit small = lim;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const fileops::Outcome o1 =
      fileops::moveFile(shm.path() + "/big.bin", dir + "/big.bin", Replace::No);
  const fileops::Outcome o2 =
      fileops::moveFile(shm.path() + "/big.bin", dir + "/keep.bin", Replace::Yes);
  const fileops::Outcome o3 =
      fileops::copyFile(shm.path() + "/big.bin", dir + "/copy.bin", Replace::Yes);
  ::setrlimit(RLIMIT_FSIZE, &lim);

  for (const auto& o : {o1, o2, o3}) {
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_FALSE(o.errorText.isEmpty());
  }
  EXPECT_EQ(readFile(shm.path() + "/big.bin"), big);
  EXPECT_EQ(readFile(dir + "/keep.bin"), "old");
  EXPECT_EQ(entries(dir), QStringList({"keep.bin"}));
}

// Temporary names keep at most 200 bytes of the target's name, cut between
// characters, so a copy to a name of the full 255 bytes works.
TEST(FileOps, TemporaryNamesFitTheNameLimit) {
  const struct {
    QString name;
    int bytes;  // of the cut name
  } cases[] = {
      {"a.txt", 5},
      {QString(255, 'x'), 200},
      {QString(127, QChar(0x00DF)), 200},   // two bytes each
      {QString(85, QChar(0x20AC)), 198},    // three bytes each
      {QString("x") + QString(100, QChar(0x00DF)), 199},
      {QString::fromUcs4(std::u32string(63, U'\U0001F600').c_str(), 63), 200},  // four each
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name.toStdString());
    const QString cut = fileops::cutToBytes(c.name, 200);
    EXPECT_EQ(QFile::encodeName(cut).size(), c.bytes);
    EXPECT_TRUE(c.name.startsWith(cut));
    EXPECT_FALSE(cut.isEmpty() || cut.back().isHighSurrogate());
  }
  const struct {
    const char* name;
    bool ours;
  } names[] = {
      {".a.txt.mvnz-Ab12cZ", true},       {".a.txt.mvnz-Ab12c", false},
      {".a.txt.mvnz-Ab12c-", false},      {"a.txt.mvnz-Ab12cZ", false},
      {"..mvnz-Ab12cZ", false},           {".a.txt.mvnz-Ab12cZ.bak", false},
      {".a.txt.tmp-Ab12cZ", false},       {".x.mvnz-000000", true},
  };
  for (const auto& n : names) EXPECT_EQ(fileops::isTemporaryName(n.name), n.ours) << n.name;
  EXPECT_TRUE(fileops::isTemporaryName("." + QByteArray(200, 'n') + ".mvnz-abcdef"));
  EXPECT_FALSE(fileops::isTemporaryName("." + QByteArray(201, 'n') + ".mvnz-abcdef"));

  test::TempFolder shm("/dev/shm/mvnz-fileops-XXXXXX");
  ASSERT_TRUE(shm.isValid());
  const QString dir = test::makeDir("longnames");
  const QString longName = QString(120, QChar(0x00DF)) + QString(15, 'y');  // 255 bytes
  writeFile(shm.path() + "/a", "across");
  writeFile(dir + "/b", "copied");
  EXPECT_TRUE(fileops::moveFile(shm.path() + "/a", dir + "/" + longName, Replace::No).ok());
  EXPECT_TRUE(fileops::copyFile(dir + "/b", dir + "/c" + longName.mid(1), Replace::No).ok());
  EXPECT_EQ(readFile(dir + "/" + longName), "across");
  EXPECT_EQ(readFile(dir + "/c" + longName.mid(1)), "copied");
  EXPECT_EQ(entries(dir).size(), 3);
}

// A writer returning to the source of a move across file systems, at three moments:
// while its bytes are copied, once the copy is complete (while it is flushed), and
// just after it is renamed into place. Its line is never lost: either the move is
// abandoned (the source stays, with the line, and no copy is left) or the writer came
// too late to find the file at all.
TEST(FileOps, ReturningWriterNeverLosesALine) {
  test::TempFolder shm("/dev/shm/mvnz-fileops-XXXXXX");
  ASSERT_TRUE(shm.isValid());
  const QByteArray big(48 << 20, 'd');
  enum Moment { Copying, Copied, Placed };
  for (Moment m : {Copying, Copied, Placed}) {
    SCOPED_TRACE(int(m));
    const QString src = shm.path() + "/big.bin";
    const QString dir = test::makeDir(QString("writer%1").arg(int(m)));
    const QString target = dir + "/big.bin";
    writeFile(src, big);
    std::atomic<bool> done{false}, appended{false};
    std::thread writer([&] {
      auto moment = [&] {
        if (m == Placed) return QFileInfo(target).size() == big.size();
        for (const QString& e : entries(dir)) {
          const qint64 size = QFileInfo(dir + "/" + e).size();
          if (e.startsWith(".big.bin.mvnz-") && (m == Copying ? size > 0 && size < big.size()
                                                              : size == big.size()))
            return true;
        }
        return false;
      };
      while (!done && !moment()) std::this_thread::yield();
      if (done) return;
      const int fd = ::open(QFile::encodeName(src).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
      if (fd < 0) return;
      appended = ::write(fd, "late line\n", 10) == 10;
      ::close(fd);
    });
    const fileops::Outcome o = fileops::moveFile(src, target, Replace::No);
    done = true;
    writer.join();
    if (appended) {
      EXPECT_FALSE(o.ok());
      EXPECT_EQ(readFile(src), big + "late line\n");
      EXPECT_TRUE(entries(dir).isEmpty()) << entries(dir).join(",").toStdString();
    } else {
      EXPECT_TRUE(o.ok()) << o.errorText.toStdString();
      EXPECT_EQ(readFile(target), big);
      EXPECT_FALSE(QFileInfo::exists(src));
    }
    if (m == Copying) {
      EXPECT_TRUE(appended) << "the writer never met the copy";
    }
    QFile::remove(src);
  }
}

// Many movers racing for one name without replace: exactly one wins, no file is lost.
TEST(FileOps, ConcurrentMovesNeverReplace) {
  const QString dir = test::makeDir("race");
  constexpr int kMovers = 16;
  for (int i = 0; i < kMovers; ++i) writeFile(dir + QString("/s%1").arg(i), QByteArray::number(i));
  std::atomic<int> won{0}, refused{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < kMovers; ++i)
    threads.emplace_back([&, i] {
      const auto o = fileops::moveFile(dir + QString("/s%1").arg(i), dir + "/target", Replace::No);
      if (o.ok()) ++won;
      if (o.status == Status::TargetExists) ++refused;
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(won.load(), 1);
  EXPECT_EQ(refused.load(), kMovers - 1);
  EXPECT_EQ(entries(dir).size(), kMovers);
}

TEST(FileOps, DeleteRemovesFilesOnly) {
  const QString dir = test::makeDir("del");
  writeFile(dir + "/f", "x");
  QDir().mkdir(dir + "/d");
  EXPECT_TRUE(fileops::deleteFile(dir + "/f").ok());
  EXPECT_FALSE(QFileInfo::exists(dir + "/f"));
  EXPECT_EQ(fileops::deleteFile(dir + "/f").status, Status::SourceMissing);
  EXPECT_EQ(fileops::deleteFile(dir + "/d").status, Status::Failed);
  EXPECT_TRUE(QFileInfo(dir + "/d").isDir());
}

// The Trash lives in the test's own XDG_DATA_HOME.
TEST(FileOps, TrashMovesIntoTheUsersTrash) {
  const QString dir = test::makeDir("trash");
  writeFile(dir + "/t.txt", "bin me");
  ASSERT_TRUE(fileops::trashFile(dir + "/t.txt").ok());
  EXPECT_FALSE(QFileInfo::exists(dir + "/t.txt"));
  const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + "/Trash";
  EXPECT_EQ(readFile(trash + "/files/t.txt"), "bin me");
  EXPECT_TRUE(QFileInfo::exists(trash + "/info/t.txt.trashinfo"));
  EXPECT_EQ(fileops::trashFile(dir + "/t.txt").status, Status::SourceMissing);
}

TEST(FileOps, FailedTrashNeverDeletes) {
  const QString dir = test::makeDir("notrash");
  test::removeTree(qEnvironmentVariable("XDG_DATA_HOME") + "/Trash");
  writeFile(qEnvironmentVariable("XDG_DATA_HOME") + "/Trash", "a file where the Trash should be");
  writeFile(dir + "/t.txt", "keep me");
  // Run from a folder of its own: nothing may land below the current folder either.
  const QString cwd = test::makeDir("cwd");
  ASSERT_TRUE(QDir::setCurrent(cwd));
  const fileops::Outcome o = fileops::trashFile(dir + "/t.txt");
  EXPECT_EQ(o.status, Status::Failed);
  EXPECT_FALSE(o.errorText.isEmpty());
  EXPECT_EQ(readFile(dir + "/t.txt"), "keep me");
  EXPECT_TRUE(entries(cwd).isEmpty()) << entries(cwd).join(",").toStdString();
}

TEST(FileOps, MakeFoldersCreatesEveryLevel) {
  const QString dir = test::makeDir("mk");
  EXPECT_TRUE(fileops::makeFolders(dir + "/a/b//c/").ok());
  EXPECT_TRUE(QFileInfo(dir + "/a/b/c").isDir());
  EXPECT_TRUE(fileops::makeFolders(dir + "/a/b/c").ok());  // all there already

  bool created = true;
  EXPECT_TRUE(fileops::makeFolder(dir + "/a", &created).ok());
  EXPECT_FALSE(created);
  EXPECT_TRUE(fileops::makeFolder(dir + "/a/n", &created).ok());
  EXPECT_TRUE(created);

  writeFile(dir + "/file", "x");
  EXPECT_EQ(fileops::makeFolder(dir + "/file").status, Status::Failed);
  EXPECT_EQ(fileops::makeFolders(dir + "/file/sub").status, Status::Failed);
  EXPECT_EQ(fileops::makeFolder(dir + "/none/sub").status, Status::TargetFolderMissing);
}

// Levels that appear concurrently (another creator got there first) are success.
TEST(FileOps, MakeFoldersRacingCreatorsAllSucceed) {
  const QString dir = test::makeDir("mkrace");
  for (int round = 0; round < 20; ++round) {
    const QString deep = dir + QString("/r%1/a/b/c/d/e/f").arg(round);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
      threads.emplace_back([&] {
        if (!fileops::makeFolders(deep).ok()) ++failures;
      });
    for (auto& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_TRUE(QFileInfo(deep).isDir());
  }
}

TEST(FileOps, RemoveEmptyFolderOnlyRemovesEmptyOnes) {
  const QString dir = test::makeDir("rm");
  QDir().mkpath(dir + "/empty");
  QDir().mkpath(dir + "/full");
  writeFile(dir + "/full/f", "x");
  EXPECT_TRUE(fileops::removeEmptyFolder(dir + "/empty").ok());
  EXPECT_FALSE(QFileInfo::exists(dir + "/empty"));
  EXPECT_EQ(fileops::removeEmptyFolder(dir + "/full").status, Status::Failed);
  EXPECT_EQ(readFile(dir + "/full/f"), "x");
  EXPECT_EQ(fileops::removeEmptyFolder(dir + "/empty").status, Status::SourceMissing);
}

TEST(FileOps, ListSubfoldersSkipsLinksFilesAndHiddenEntries) {
  const QString dir = test::makeDir("ls");
  const QString outside = test::makeDir("outside");
  for (const char* d : {"b", "a", ".hidden"}) QDir().mkpath(dir + "/" + d);
  writeFile(dir + "/file", "x");
  ASSERT_EQ(::symlink(QFile::encodeName(outside).constData(),
                      QFile::encodeName(dir + "/link").constData()),
            0);
  QStringList names;
  ASSERT_TRUE(fileops::listSubfolders(dir, &names).ok());
  names.sort();
  EXPECT_EQ(names, QStringList({"a", "b"}));
  EXPECT_EQ(fileops::listSubfolders(dir + "/none", &names).status, Status::SourceMissing);
  EXPECT_TRUE(names.isEmpty());
  EXPECT_EQ(fileops::listSubfolders(dir + "/file", &names).status, Status::Failed);
}

// A program another user dropped with its set-id bits: what a move or copy by this
// process writes keeps those bits only when it keeps that user as owner and group.
// A move across file systems keeps the owner (as a rename would); a copy is ours.
TEST(FileOps, SetIdBitsOnlyTravelWithTheSourceOwner) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a file to the user nobody";
  test::TempFolder shm("/dev/shm/mvnz-fileops-XXXXXX");
  ASSERT_TRUE(shm.isValid());
  const QString dir = test::makeDir("setid");
  const uid_t nobody = 65534;
  const gid_t nogroup = 65534;
  const mode_t mask = ::umask(022);
  const struct Case {
    const char* name;
    mode_t mode;
    bool move;
    bool across;  // source on another file system
    uid_t uid;    // expected owner of the result
    mode_t expect;
  } cases[] = {
      {"suid-move-xfs", 04755, true, true, nobody, 04755},
      {"sgid-move-xfs", 02755, true, true, nobody, 02755},
      {"plain-move-xfs", 0640, true, true, nobody, 0640},
      {"suid-copy-xfs", 04755, false, true, 0, 0755},
      {"sgid-copy-same", 02755, false, false, 0, 0755},
      {"both-copy-same", 06777, false, false, 0, 0755},  // and the umask applies
      {"suid-move-same", 04755, true, false, nobody, 04755},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString src = (c.across ? shm.path() : dir) + "/" + c.name;
    const QString dst = dir + "/out-" + c.name;
    writeFile(src, "#!/bin/sh\n");
    const QByteArray s = QFile::encodeName(src);
    ASSERT_EQ(::chown(s.constData(), nobody, nogroup), 0);
    ASSERT_EQ(::chmod(s.constData(), c.mode), 0);
    const Op op = c.move ? &fileops::moveFile : &fileops::copyFile;
    ASSERT_TRUE(op(src, dst, Replace::No).ok());
    const struct stat st = statOf(dst);
    EXPECT_EQ(st.st_uid, c.uid);
    EXPECT_EQ(st.st_gid, c.uid == nobody ? nogroup : 0u);
    EXPECT_EQ(st.st_mode & 07777, c.expect) << std::oct << (st.st_mode & 07777);
  }
  ::umask(mask);
}
