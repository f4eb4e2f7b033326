// The Trash: files go in by their bytes, each under a name of its own, with an info
// file saying where they were; the listed file only as the listing saw it; a file on
// another volume into that volume's own Trash.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <functional>

#include "filefixture.h"
#include "platform/fileops.h"
#include "testenv.h"

using namespace mvnz;
using fileops::Status;

namespace {

QString userTrash() { return qEnvironmentVariable("XDG_DATA_HOME") + "/Trash"; }

// Makes the file dir/name by its bytes.
void makeFile(const QString& dir, const QByteArray& name, const QByteArray& content) {
  const QByteArray path = fileops::encodeName(dir) + '/' + name;
  const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0) << path.constData();
  ASSERT_EQ(::write(fd, content.constData(), size_t(content.size())), content.size());
  ::close(fd);
}

QByteArray readBytes(const QString& dir, const QByteArray& name) {
  return test::readRaw(fileops::encodeName(dir) + '/' + name);
}

// Checks the info file of the Trash entry entry: its Path and a DeletionDate of now.
void expectInfo(const QString& trash, const QByteArray& entry, const QByteArray& path) {
  const QList<QByteArray> lines = readBytes(trash + "/info", entry + ".trashinfo").split('\n');
  ASSERT_EQ(lines.size(), 4) << lines.join('|').constData();
  EXPECT_EQ(lines[0], "[Trash Info]");
  EXPECT_EQ(lines[1], "Path=" + path);
  ASSERT_TRUE(lines[2].startsWith("DeletionDate=")) << lines[2].constData();
  const QDateTime when = QDateTime::fromString(QString::fromLatin1(lines[2].mid(13)),
                                               QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
  ASSERT_TRUE(when.isValid()) << lines[2].constData();
  EXPECT_LE(qAbs(when.secsTo(QDateTime::currentDateTime())), 60);
  EXPECT_EQ(lines[3], "");
}

QStringList entries(const QString& dir) {
  return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

}  // namespace

// Any name goes into the Trash by its bytes; the info file's Path is the file's real
// path with its bytes percent-encoded. A name too long for its info file's name is cut.
TEST(Trash, NamesGoInByTheirBytesAndTheInfoSaysWhereTheyWere) {
  const struct {
    const char* what;
    QByteArray name, entry, encoded;
  } cases[] = {
      {"plain", "t.txt", "t.txt", "t.txt"},
      {"not UTF-8", "r\xe9sum\xe9-\xff", "r\xe9sum\xe9-\xff", "r%E9sum%E9-%FF"},
      {"blanks, percent, UTF-8", "a b%c\xc3\xa9", "a b%c\xc3\xa9", "a%20b%25c%C3%A9"},
      {"255 bytes", QByteArray(255, 'n'), QByteArray(245, 'n'), QByteArray(255, 'n')},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::removeTree(userTrash());
    const QString dir = test::makeDir(QString("names/%1").arg(n++));
    makeFile(dir, c.name, "bin me");
    const fileops::Outcome o = fileops::trashFile(fileops::decodeName(fileops::encodeName(dir) + '/' + c.name));
    ASSERT_TRUE(o.ok()) << o.errorText.toStdString();
    EXPECT_EQ(readBytes(dir, c.name), "<missing>");
    EXPECT_EQ(readBytes(userTrash() + "/files", c.entry), "bin me");
    expectInfo(userTrash(), c.entry, QDir(dir).canonicalPath().toUtf8() + '/' + c.encoded);
    // By their bytes: Qt's removal of the test root cannot name them.
    ::unlink((fileops::encodeName(userTrash()) + "/files/" + c.entry).constData());
    ::unlink((fileops::encodeName(userTrash()) + "/info/" + c.entry + ".trashinfo").constData());
  }
}

// Files of one name never replace each other in the Trash: each takes the next free
// name, and each info file says where its own file was.
TEST(Trash, FilesOfOneNameGetAnEntryEach) {
  test::removeTree(userTrash());
  const QString one = test::makeDir("twice/one"), two = test::makeDir("twice/two");
  const struct {
    QString dir;
    QByteArray content, entry;
  } steps[] = {{one, "first", "f"}, {two, "second", "f.2"}, {one, "third", "f.3"}};
  for (const auto& s : steps) {
    makeFile(s.dir, "f", s.content);
    ASSERT_TRUE(fileops::trashFile(s.dir + "/f").ok());
  }
  for (const auto& s : steps) {
    SCOPED_TRACE(s.entry.constData());
    EXPECT_EQ(readBytes(userTrash() + "/files", s.entry), s.content);
    expectInfo(userTrash(), s.entry, QDir(s.dir).canonicalPath().toUtf8() + "/f");
  }
  EXPECT_EQ(entries(userTrash() + "/files").size(), 3);
  EXPECT_EQ(entries(userTrash() + "/info").size(), 3);
}

// The user who owns the listed file's folders acts in the instant between the checks
// and the move. A folder swapped for a link changes nothing: the file the listing saw
// is trashed from where it now is, and nothing behind the link is reached. A file
// swapped or replaced under its name is refused, and what the user put there stays.
TEST(Trash, ASwapBetweenCheckAndMoveNeverTrashesAnotherFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to play the user nobody against it";
  const struct {
    const char* what;
    const char* command;  // run by nobody in the case's folder
    bool trashed;
    const char* listedNowAt;  // below hot/, when trashed
  } cases[] = {
      {"folder swapped for a link", "mv hot/a hot/a.old && ln -s ../secret hot/a", true, "a.old/f"},
      {"file swapped for a link", "mv hot/a/f hot/a/f.old && ln -s ../../secret/f hot/a/f", false,
       nullptr},
      {"file replaced", "mv hot/a/f hot/a/f.old && echo new > hot/a/f", false, nullptr},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::removeTree(userTrash());
    const QString dir = test::makeDir(QString("swap/%1").arg(n++));
    ::chmod(QFile::encodeName(test::rootDir() + "/swap").constData(), 0711);
    ::chmod(QFile::encodeName(dir).constData(), 0711);
    ASSERT_TRUE(fileops::makeFolders(dir + "/hot/a").ok());
    ASSERT_TRUE(fileops::makeFolders(dir + "/secret").ok());
    ::chmod(QFile::encodeName(dir + "/secret").constData(), 0700);
    test::writeFile(dir + "/hot/a/f", "user");
    test::writeFile(dir + "/secret/f", "secret");
    for (const char* p : {"/hot", "/hot/a", "/hot/a/f"})
      ASSERT_EQ(::chown(QFile::encodeName(dir + p).constData(), test::kNobody, test::kNobody), 0);
    const struct stat listed = test::lstatOf(dir + "/hot/a/f");
    const fileops::ListedScope scope(
        {dir + "/hot", "a/f", quint64(listed.st_dev), quint64(listed.st_ino)});
    bool swapped = false;
    fileops::beforeNextListedAct([&] {
      swapped = test::runAsNobody("cd '" + dir + "' && " + c.command) == 0;
    });
    const fileops::Outcome o = fileops::trashFile(dir + "/hot/a/f");
    EXPECT_TRUE(swapped);
    EXPECT_EQ(test::readFile(dir + "/secret/f"), "secret");
    if (c.trashed) {
      EXPECT_TRUE(o.ok()) << o.errorText.toStdString();
      EXPECT_EQ(test::readFile(userTrash() + "/files/f"), "user");
      EXPECT_FALSE(QFile::exists(dir + "/hot/" + c.listedNowAt));
      continue;
    }
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_TRUE(o.errorText.contains("not touched")) << o.errorText.toStdString();
    EXPECT_EQ(entries(userTrash() + "/files"), QStringList());
    EXPECT_EQ(entries(userTrash() + "/info"), QStringList());
    EXPECT_EQ(test::readFile(dir + "/hot/a/f.old"), "user");
    EXPECT_TRUE(QFile::exists(dir + "/hot/a/f") || QFileInfo(dir + "/hot/a/f").isSymLink());
  }
}

// A file on another volume goes into that volume's Trash: "$top/.Trash/$uid" when
// "$top/.Trash" is a real sticky folder, else "$top/.Trash-$uid"; its Path is then
// relative to the volume's top. The volume is a tmpfs mounted in a private mount
// namespace of a child run of this test, so nothing outside the test root is touched.
TEST(Trash, AFileOnAnotherVolumeGoesIntoThatVolumesTrash) {
  const QString volume = qEnvironmentVariable("MVNZ_TEST_TRASH_VOLUME");
  if (volume.isEmpty()) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to mount a volume of its own";
    const QString at = test::makeDir("volume");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("MVNZ_TEST_TRASH_VOLUME", at);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start("unshare", {"--mount", "--propagation", "private", "sh", "-c",
                            "mount -t tmpfs mvnz-trash \"$1\" && exec \"$2\" "
                            "--gtest_filter=Trash.AFileOnAnotherVolumeGoesIntoThatVolumesTrash",
                            "sh", at, QCoreApplication::applicationFilePath()});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QByteArray out = child.readAll();
    if (out.contains("mount: ") || out.contains("unshare: "))
      GTEST_SKIP() << "no private mount namespace here: " << out.constData();
    EXPECT_EQ(child.exitCode(), 0) << out.constData();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.constData();
    EXPECT_TRUE(entries(at).isEmpty());
    return;
  }
  // Inside the child, with volume a tmpfs of its own.
  ASSERT_NE(test::statOf(volume).st_dev, test::statOf(test::rootDir()).st_dev);
  const QString uid = QString::number(::geteuid());
  ASSERT_TRUE(fileops::makeFolders(volume + "/hot/sub").ok());
  const struct {
    const char* what;
    const char* name;
    std::function<void()> prepare;
    QString trash;
  } cases[] = {
      {"no .Trash", "f1", [] {}, volume + "/.Trash-" + uid},
      {".Trash a link", "f2",
       [&] { ASSERT_EQ(::symlink("/tmp", QFile::encodeName(volume + "/.Trash").constData()), 0); },
       volume + "/.Trash-" + uid},
      {".Trash not sticky", "f3",
       [&] {
         ::unlink(QFile::encodeName(volume + "/.Trash").constData());
         ASSERT_EQ(::mkdir(QFile::encodeName(volume + "/.Trash").constData(), 0777), 0);
         ::chmod(QFile::encodeName(volume + "/.Trash").constData(), 0777);
       },
       volume + "/.Trash-" + uid},
      {".Trash sticky", "f4",
       [&] { ::chmod(QFile::encodeName(volume + "/.Trash").constData(), 01777); },
       volume + "/.Trash/" + uid},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.prepare();
    test::writeFile(volume + "/hot/sub/" + c.name, c.name);
    const fileops::Outcome o = fileops::trashFile(volume + "/hot/sub/" + c.name);
    ASSERT_TRUE(o.ok()) << o.errorText.toStdString();
    EXPECT_EQ(test::readFile(c.trash + "/files/" + c.name), c.name);
    expectInfo(c.trash, c.name, QByteArray("hot/sub/") + c.name);
    EXPECT_EQ(test::lstatOf(c.trash).st_mode & 07777, 0700u);
  }
  EXPECT_FALSE(QFile::exists(userTrash() + "/files"));
}
