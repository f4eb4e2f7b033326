// The listed file is acted on only as the listing saw it: a user who, between listing
// and acting, swaps a folder of the hot folder (or the file itself) for a link into a
// folder only root may read never gets root's file deleted, moved, copied or trashed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include "filefixture.h"
#include "platform/fileops.h"
#include "testenv.h"

using namespace mvnz;
using fileops::Replace;
using fileops::Status;

using test::lstatOf;
using test::writeFile;

namespace {

enum class Attack { None, FolderToLink, InnerFolderToLink, FileToLink, FileReplaced, FileToFifo };
struct AttackCase {
  const char* what;
  Attack attack;
  const char* command;  // run by nobody in the case's folder
};
constexpr AttackCase kAttacks[] = {
    {"untouched", Attack::None, "true"},
    {"folder swapped for a link", Attack::FolderToLink, "mv hot/a hot/a.old && ln -s ../secret hot/a"},
    {"inner folder swapped for a link", Attack::InnerFolderToLink,
     "mv hot/a/b hot/a/b.old && ln -s ../../secret/b hot/a/b"},
    {"file swapped for a link", Attack::FileToLink,
     "mv hot/a/b/f hot/a/b/f.old && ln -s ../../../secret/f hot/a/b/f"},
    {"file replaced", Attack::FileReplaced, "mv hot/a/b/f hot/a/b/f.old && echo new > hot/a/b/f"},
    {"file swapped for a pipe", Attack::FileToFifo, "mv hot/a/b/f hot/a/b/f.old && mkfifo hot/a/b/f"},
};
enum class Op { Delete, Trash, Move, MoveAcross, Copy };
struct OpCase {
  const char* what;
  Op op;
};
constexpr OpCase kOps[] = {{"delete", Op::Delete}, {"trash", Op::Trash},  {"move", Op::Move},
                           {"move across file systems", Op::MoveAcross}, {"copy", Op::Copy}};

// case<n>/hot/a/b/f belongs to nobody; case<n>/secret (root's, 0700) holds b/f and f;
// the target folder is out<n>, on /dev/shm for a move across file systems.
struct Fixture {
  QString dir, out, file;
  struct stat listed {};
};

Fixture MakeFixture(int n, bool across, const QString& shm) {
  Fixture f;
  f.dir = test::makeDir(QString("listed/case%1").arg(n));
  f.out = across ? shm + QString("/out%1").arg(n) : test::makeDir(QString("listed/out%1").arg(n));
  f.file = f.dir + "/hot/a/b/f";
  const bool made = fileops::makeFolders(f.out).ok() && test::setMode(test::rootDir() + "/listed", 0711) &&
                    test::setMode(f.dir, 0711) && fileops::makeFolders(f.dir + "/hot/a/b").ok() &&
                    fileops::makeFolders(f.dir + "/secret/b").ok() &&
                    test::setMode(f.dir + "/hot", 0777) && test::setMode(f.dir + "/secret", 0700);
  EXPECT_TRUE(made);
  writeFile(f.file, "user");
  writeFile(f.dir + "/secret/b/f", "secret");
  writeFile(f.dir + "/secret/f", "secret");
  for (const char* p : {"/hot/a", "/hot/a/b", "/hot/a/b/f"}) EXPECT_TRUE(test::giveToNobody(f.dir + p));
  f.listed = lstatOf(f.file);
  return f;
}

fileops::Outcome Act(Op op, const Fixture& f) {
  switch (op) {
    case Op::Delete:
      return fileops::deleteFile(f.file);
    case Op::Trash:
      return fileops::trashFile(f.file);
    case Op::Move:
    case Op::MoveAcross:
      return fileops::moveFile(f.file, f.out + "/f", Replace::No);
    case Op::Copy:
      return fileops::copyFile(f.file, f.out + "/f", Replace::No);
  }
  return {};
}

// The user's file is refused, and whatever the user put in its place stays.
void ExpectRefused(const fileops::Outcome& r, Attack attack, const Fixture& f) {
  EXPECT_EQ(r.status, Status::Failed);
  EXPECT_TRUE(r.errorText.contains("not touched")) << r.errorText.toStdString();
  EXPECT_FALSE(QFile::exists(f.out + "/f"));
  if (attack == Attack::FileReplaced) {
    EXPECT_EQ(test::readFile(f.file), "new\n");
  }
  if (attack == Attack::FileToLink) {
    EXPECT_TRUE(S_ISLNK(lstatOf(f.file).st_mode));
  }
  if (attack == Attack::FileToFifo) {
    EXPECT_TRUE(S_ISFIFO(lstatOf(f.file).st_mode));
  }
}

}  // namespace

TEST(ListedFile, SwappedFoldersAndLinksAreNeverFollowed) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to play the user nobody against it";
  test::TempFolder shm("/dev/shm/mvnz-listed-XXXXXX");
  ASSERT_TRUE(shm.isValid());
  int n = 0;
  for (const auto& a : kAttacks)
    for (const auto& o : kOps) {
      SCOPED_TRACE(std::string(a.what) + ", " + o.what);
      const Fixture f = MakeFixture(n++, o.op == Op::MoveAcross, shm.path());
      const fileops::ListedScope scope(
          {f.dir + "/hot", "a/b/f", quint64(f.listed.st_dev), quint64(f.listed.st_ino)});
      ASSERT_EQ(test::runAsNobody("cd '" + f.dir + "' && " + a.command), 0);

      const fileops::Outcome r = Act(o.op, f);
      EXPECT_EQ(test::readFile(f.dir + "/secret/b/f"), "secret");
      EXPECT_EQ(test::readFile(f.dir + "/secret/f"), "secret");
      if (a.attack == Attack::None) {
        EXPECT_TRUE(r.ok()) << r.errorText.toStdString();
        EXPECT_EQ(test::readFile(f.out + "/f"), o.op == Op::Delete || o.op == Op::Trash
                                                    ? QByteArray("<missing>")
                                                    : QByteArray("user"));
        EXPECT_EQ(QFile::exists(f.file), o.op == Op::Copy);
        continue;
      }
      ExpectRefused(r, a.attack, f);
    }
}

// The same users act in the instant between the checks and the act itself (the rename
// into the Trash or to the target, or the opening of the file to copy it). A folder
// swapped then changes nothing: the file the listing saw is taken from the folder it
// was listed in. Anything put under the file's name is refused and stays; a pipe put
// there never blocks the operation.
TEST(ListedFile, ASwapAtTheActItselfIsCaught) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to play the user nobody against it";
  test::TempFolder shm("/dev/shm/mvnz-listed-XXXXXX");
  ASSERT_TRUE(shm.isValid());
  int n = 100;
  for (const auto& a : kAttacks)
    for (const auto& o : kOps) {
      if (a.attack == Attack::None || o.op == Op::Delete) continue;
      SCOPED_TRACE(std::string(a.what) + ", " + o.what);
      const Fixture f = MakeFixture(n++, o.op == Op::MoveAcross, shm.path());
      const fileops::ListedScope scope(
          {f.dir + "/hot", "a/b/f", quint64(f.listed.st_dev), quint64(f.listed.st_ino)});
      bool swapped = false;
      fileops::beforeNextListedAct(
          [&] { swapped = test::runAsNobody("cd '" + f.dir + "' && " + a.command) == 0; });

      const fileops::Outcome r = Act(o.op, f);
      EXPECT_TRUE(swapped);
      EXPECT_EQ(test::readFile(f.dir + "/secret/b/f"), "secret");
      EXPECT_EQ(test::readFile(f.dir + "/secret/f"), "secret");
      if (a.attack == Attack::FolderToLink || a.attack == Attack::InnerFolderToLink) {
        EXPECT_TRUE(r.ok()) << r.errorText.toStdString();
        if (o.op != Op::Trash) {
          EXPECT_EQ(test::readFile(f.out + "/f"), "user");
        }
        continue;
      }
      ExpectRefused(r, a.attack, f);
      EXPECT_EQ(test::readFile(f.file + ".old"), "user");
    }
}

// A path that is not the listed file, and every target, is used as written; the
// listed file is known however its path is spelt.
TEST(ListedFile, OtherPathsAreUsedAsWritten) {
  const QString dir = test::makeDir("written");
  ASSERT_TRUE(fileops::makeFolders(dir + "/real/sub").ok());
  ASSERT_EQ(::symlink("real", QFile::encodeName(dir + "/link").constData()), 0);
  writeFile(dir + "/real/sub/listed", "listed");
  writeFile(dir + "/real/sub/other", "other");
  const struct stat st = lstatOf(dir + "/real/sub/listed");
  const fileops::ListedScope scope(
      {dir + "/link", "sub/listed", quint64(st.st_dev), quint64(st.st_ino)});
  // The scan folder itself is reached as written, links and all.
  EXPECT_TRUE(fileops::copyFile(dir + "/link/./sub//listed", dir + "/link/copy", Replace::No).ok());
  EXPECT_EQ(test::readFile(dir + "/real/copy"), "listed");
  // Another file below a link is not the listed file: as written.
  EXPECT_TRUE(fileops::moveFile(dir + "/link/sub/other", dir + "/link/moved", Replace::No).ok());
  EXPECT_EQ(test::readFile(dir + "/real/moved"), "other");
  // The listed file changed under its name: refused, the new file kept. (The old one
  // stays under another name, so its inode cannot be given to the new file.)
  ASSERT_EQ(::rename(QFile::encodeName(dir + "/real/sub/listed").constData(),
                     QFile::encodeName(dir + "/real/sub/listed.old").constData()),
            0);
  writeFile(dir + "/real/sub/listed", "newer");
  const fileops::Outcome r = fileops::deleteFile(dir + "/link/sub/listed");
  EXPECT_EQ(r.status, Status::Failed);
  EXPECT_EQ(test::readFile(dir + "/real/sub/listed"), "newer");
  // Gone altogether: missing, as without a listing.
  ASSERT_EQ(::unlink(QFile::encodeName(dir + "/real/sub/listed").constData()), 0);
  EXPECT_EQ(fileops::deleteFile(dir + "/link/sub/listed").status, Status::SourceMissing);
}
