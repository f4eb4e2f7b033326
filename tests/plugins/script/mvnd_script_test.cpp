// The real mvnd program running scripts over the built plug-ins.
#include <gtest/gtest.h>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>

#include "support.h"
#include "testenv.h"

using namespace mvnz::mvnd::test;

namespace {

constexpr int kWaitMs = 60000;  // generous: the machine is shared by several builds

// Runs mvnd on the configuration until a script ends it; returns its exit code.
int RunUntilEnded(const QString& jobLog) {
  QProcess p;
  p.setProgram(QStringLiteral(MVNZ_BIN_DIR "/mvnd"));
  p.setProcessEnvironment(MvndEnvironment());
  p.start();
  EXPECT_TRUE(p.waitForStarted(kWaitMs));
  EXPECT_TRUE(p.waitForFinished(kWaitMs)) << LogMessages(jobLog).join('\n').toStdString();
  return p.exitCode();
}

}  // namespace

TEST(MvndScript, VariableFromAFileTokenThenRelocateSleepAndNote) {
  const QString root = mvnz::test::rootDir();
  const QString logDir = root + "/logs", hot = mvnz::test::makeDir("hot"), out = root + "/out";
  {
    QFile f(hot + "/order-42.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("data");
  }
  const QString config = QDir(mvnz::test::makeDir("windows")).filePath("MVNZuri.ini");
  const QStringList orders = {
      "[Orders]",
      "Description=orders",
      "Trigger=FILE",
      "ScanDirectory=" + hot,
      "InputFilter=*",
      "Interval=1",
      "StableTimer=-1",
      CommandLine("AssignValue", {"Local", "1", "SubString", "7", "0", "<FileNameNoExt>", "", "0"}),
      CommandLine("Relocate", {"<ScanPathFileName>", out + "/<LV1>/<FileName>", "0", "1"}),
      CommandLine("Sleep", {"1", "1000"}),
      CommandLine("JournalNote", {"Order <LV1> filed"}),
      CommandLine("EndDaemon", {}),
      "Enabled=1"};
  WriteCrlf(config, StartingConfig(logDir, orders, true));

  const QString jobLog = QDir(DayFolder(logDir)).filePath("FS1_Orders.log");
  EXPECT_EQ(RunUntilEnded(jobLog), 0);

  EXPECT_TRUE(QFile::exists(out + "/42/order-42.txt"));
  EXPECT_FALSE(QFile::exists(hot + "/order-42.txt"));
  // The plug-ins' lines, in order, among the daemon's own.
  const QStringList log = LogMessages(jobLog);
  const QStringList want = {
      "  -> Function : SubString",
      "Moving file [" + hot + "/order-42.txt] to [" + out + "/42/order-42.txt]...",
      "Sleeping for 1000 ms.....", "Order 42 filed"};
  qsizetype at = -1;
  for (const QString& line : want) {
    const qsizetype next = log.indexOf(line, at + 1);
    EXPECT_GT(next, at) << line.toStdString() << "\n" << log.join('\n').toStdString();
    if (next > at) at = next;
  }
}

// Each file is moved into a folder named by today's date tokens, copied from there to a
// second folder, and noted: every file arrives exactly once in each, with its bytes and
// its modification time intact, and nothing stays behind or turns up twice.
TEST(MvndScript, RelocateIntoDatedFolderDuplicateAndNoteKeepEveryFileIntact) {
  const QString root = mvnz::test::rootDir();
  const QString logDir = root + "/logs", hot = mvnz::test::makeDir("parts");
  const QString out = root + "/filed", copies = root + "/copies";
  const QDateTime stamp = QDateTime::currentDateTime().addSecs(-3600);
  QMap<QString, QByteArray> files;
  for (int i = 0; i < 6; ++i) {
    const QString name = QString("part-%1.dat").arg(i);
    QByteArray bytes(1000 * i + 1, char('a' + i));
    bytes[0] = '\0';  // binary content, not only text
    QFile f(hot + "/" + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    ASSERT_TRUE(f.flush());  // the time stamp is set after the last write
    ASSERT_TRUE(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    files.insert(name, bytes);
  }
  const QString config = QDir(mvnz::test::makeDir("windows")).filePath("MVNZuri.ini");
  const QString dated = out + "/<YYYY>-<DATE_MM>-<DD>";
  const QStringList sections = {
      "[Parts]",
      "Trigger=FILE",
      "ScanDirectory=" + hot,
      "InputFilter=*",
      "Interval=1",
      "StableTimer=5",
      CommandLine("Relocate", {"<ScanPathFileName>", dated + "/<FileName>", "0", "1"}),
      CommandLine("Duplicate", {dated + "/<FileName>", copies + "/<FileName>", "0", "1"}),
      CommandLine("JournalNote", {"Filed <FileName>"}),
      "Enabled=1",
      "",
      "[End]",
      "Trigger=TIME",
      "Interval=*ON-STARTUP*",
      CommandLine("EndDaemon", {}),
      "Enabled=1"};
  WriteCrlf(config, StartingConfig(logDir, sections, true));

  const QString jobLog = QDir(DayFolder(logDir)).filePath("FS1_Parts.log");
  EXPECT_EQ(RunUntilEnded(jobLog), 0);

  const QString day = QDate::currentDate().toString("yyyy-MM-dd");
  EXPECT_TRUE(QDir(hot).entryList(QDir::Files | QDir::Hidden).isEmpty())
      << LogMessages(jobLog).join('\n').toStdString();
  for (const QString& folder : {out + "/" + day, copies}) {
    QDir dir(folder);
    EXPECT_EQ(dir.entryList(QDir::Files | QDir::Hidden), QStringList(files.keys()))
        << folder.toStdString();
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
      QFile f(dir.filePath(it.key()));
      ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << f.fileName().toStdString();
      EXPECT_EQ(f.readAll(), it.value()) << f.fileName().toStdString();
      EXPECT_EQ(f.fileTime(QFileDevice::FileModificationTime).toSecsSinceEpoch(),
                stamp.toSecsSinceEpoch())
          << f.fileName().toStdString();
    }
  }
  EXPECT_EQ(QDir(out).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{day});
  const QStringList log = LogMessages(jobLog);
  for (auto it = files.cbegin(); it != files.cend(); ++it)
    EXPECT_EQ(log.count("Filed " + it.key()), 1) << log.join('\n').toStdString();
}
