// The listed file is acted on only as the listing saw it: a user who, between listing
// and acting, swaps a folder of the hot folder (or the file itself) for a link into a
// folder only root may read never gets root's file deleted, moved, copied or trashed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>

#include "filefixture.h"
#include "platform/fileops.h"
#include "testenv.h"

using namespace mvnz;
using fileops::Replace;
using fileops::Status;

using test::lstatOf;
using test::writeFile;

TEST(ListedFile, SwappedFoldersAndLinksAreNeverFollowed) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to play the user nobody against it";
  QTemporaryDir shm("/dev/shm/mvnz-listed-XXXXXX");
  ASSERT_TRUE(shm.isValid());
  enum class Attack { None, FolderToLink, InnerFolderToLink, FileToLink, FileReplaced };
  const struct {
    const char* what;
    Attack attack;
    const char* command;  // run by nobody in the case's folder
  } attacks[] = {
      {"untouched", Attack::None, "true"},
      {"folder swapped for a link", Attack::FolderToLink, "mv hot/a hot/a.old && ln -s ../secret hot/a"},
      {"inner folder swapped for a link", Attack::InnerFolderToLink,
       "mv hot/a/b hot/a/b.old && ln -s ../../secret/b hot/a/b"},
      {"file swapped for a link", Attack::FileToLink,
       "mv hot/a/b/f hot/a/b/f.old && ln -s ../../../secret/f hot/a/b/f"},
      {"file replaced", Attack::FileReplaced, "mv hot/a/b/f hot/a/b/f.old && echo new > hot/a/b/f"},
  };
  enum class Op { Delete, Trash, Move, MoveAcross, Copy };
  const struct {
    const char* what;
    Op op;
  } ops[] = {{"delete", Op::Delete}, {"trash", Op::Trash},  {"move", Op::Move},
             {"move across file systems", Op::MoveAcross}, {"copy", Op::Copy}};
  int n = 0;
  for (const auto& a : attacks)
    for (const auto& o : ops) {
      SCOPED_TRACE(std::string(a.what) + ", " + o.what);
      // case/hot/a/b/f belongs to nobody; case/secret (root's, 0700) holds b/f and f.
      const QString dir = test::makeDir(QString("listed/case%1").arg(n));
      const QString out = o.op == Op::MoveAcross ? shm.path() + QString("/out%1").arg(n)
                                                 : test::makeDir(QString("listed/out%1").arg(n));
      ++n;
      ASSERT_TRUE(fileops::makeFolders(out).ok());
      ASSERT_TRUE(test::setMode(test::rootDir() + "/listed", 0711));
      ASSERT_TRUE(test::setMode(dir, 0711));
      ASSERT_TRUE(fileops::makeFolders(dir + "/hot/a/b").ok());
      ASSERT_TRUE(fileops::makeFolders(dir + "/secret/b").ok());
      ASSERT_TRUE(test::setMode(dir + "/hot", 0777));
      ASSERT_TRUE(test::setMode(dir + "/secret", 0700));
      writeFile(dir + "/hot/a/b/f", "user");
      writeFile(dir + "/secret/b/f", "secret");
      writeFile(dir + "/secret/f", "secret");
      for (const char* p : {"/hot/a", "/hot/a/b", "/hot/a/b/f"})
        ASSERT_TRUE(test::giveToNobody(dir + p));

      const QString file = dir + "/hot/a/b/f";
      const struct stat listed = lstatOf(file);
      const fileops::ListedScope scope(
          {dir + "/hot", "a/b/f", quint64(listed.st_dev), quint64(listed.st_ino)});
      ASSERT_EQ(test::runAsNobody("cd '" + dir + "' && " + a.command), 0);

      fileops::Outcome r;
      switch (o.op) {
        case Op::Delete:
          r = fileops::deleteFile(file);
          break;
        case Op::Trash:
          r = fileops::trashFile(file);
          break;
        case Op::Move:
        case Op::MoveAcross:
          r = fileops::moveFile(file, out + "/f", Replace::No);
          break;
        case Op::Copy:
          r = fileops::copyFile(file, out + "/f", Replace::No);
          break;
      }
      EXPECT_EQ(test::readFile(dir + "/secret/b/f"), "secret");
      EXPECT_EQ(test::readFile(dir + "/secret/f"), "secret");
      if (a.attack == Attack::None) {
        EXPECT_TRUE(r.ok()) << r.errorText.toStdString();
        EXPECT_EQ(test::readFile(out + "/f"), o.op == Op::Delete || o.op == Op::Trash
                                                  ? QByteArray("<missing>")
                                                  : QByteArray("user"));
        EXPECT_EQ(QFile::exists(file), o.op == Op::Copy);
        continue;
      }
      EXPECT_EQ(r.status, Status::Failed);
      EXPECT_TRUE(r.errorText.contains("not touched")) << r.errorText.toStdString();
      EXPECT_FALSE(QFile::exists(out + "/f"));
      // Whatever the user put in the file's place stays too.
      const QString shown = dir + "/hot/a/b/f";
      if (a.attack == Attack::FileReplaced) EXPECT_EQ(test::readFile(shown), "new\n");
      if (a.attack == Attack::FileToLink) EXPECT_TRUE(S_ISLNK(lstatOf(shown).st_mode));
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
