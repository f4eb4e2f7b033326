// A command script run by the real mvnd over a hot folder, with a real plug-in: a
// failing line fires the script's ErrorAction, which moves that file aside; the next
// file goes through.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include "support.h"
#include "testenv.h"

using namespace mvnz::mvnd::test;

namespace {

void Write(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(data);
}

}  // namespace

TEST(MvndScript, ErrorActionMovesTheFailedFileAndTheNextFileGoesThrough) {
  const QString root = mvnz::test::rootDir();
  const QString in = mvnz::test::makeDir("in"), done = mvnz::test::makeDir("done");
  const QString failed = root + "/failed";
  const QString logDir = root + "/logs";
  Write(in + "/a.txt", "A");
  Write(in + "/b.txt", "B");
  Write(done + "/a.txt", "old");  // Relocate of a.txt fails: OVERWRITE=OFF

  QStringList config = StartingConfig(logDir, {});
  config << "[Mover]"
         << "Trigger=FILE"
         << "Description=moves orders"
         << "ScanDirectory=" + in << "InputFilter=*"
         << "Interval=1"
         << "StableTimer=-1"
         << CommandLine("ErrorAction", {"False", "", "False", "True", failed + "/<LC1>", "False",
                                        "0", "0", "False"})
         << CommandLine("Relocate", {"<SCANPATHFILENAME>", done + "/<FILENAME>", "0", "1"})
         << CommandLine("Relocate", {"<SCANPATHFILENAME>", root + "/never/<FILENAME>", "0", "1"})
         << "Constant=day"
         << "Enabled=1";
  const QString configPath = QDir(mvnz::test::makeDir("windows")).filePath("MVNZuri.ini");
  WriteCrlf(configPath, config);

  QProcess p;
  p.setProgram(MVNZ_BIN_DIR "/mvnd");
  p.setProcessEnvironment(MvndEnvironment());
  p.start();
  ASSERT_TRUE(p.waitForStarted(60000));

  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 60000 &&
         !(QFile::exists(failed + "/day/a.txt") && QFile::exists(done + "/b.txt")))
    QThread::msleep(50);
  p.terminate();
  ASSERT_TRUE(p.waitForFinished(60000));

  EXPECT_EQ(mvnz::test::readFile(failed + "/day/a.txt"), "A");
  EXPECT_EQ(mvnz::test::readFile(done + "/a.txt"), "old");
  EXPECT_EQ(mvnz::test::readFile(done + "/b.txt"), "B");
  EXPECT_TRUE(QDir(in).entryList(QDir::Files).isEmpty());
  EXPECT_FALSE(QDir(root + "/never").exists());  // the script ended after the error action

  const QStringList logs = QDir(DayFolder(logDir)).entryList({"*Mover*"}, QDir::Files);
  ASSERT_EQ(logs.size(), 1);
  EXPECT_TRUE(LogMessages(DayFolder(logDir) + "/" + logs[0])
                  .contains("ERROR_RELOCATE: File [" + done +
                            "/a.txt] exists & OVERWRITE=OFF, file not copied!"));
}
