// The real mvnd program running a script over the built plug-ins: a variable taken
// from the file's name feeds a later Relocate, then a Sleep and a note; the job's log
// shows their lines in the order of the script.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QProcess>

#include "support.h"
#include "testenv.h"

using namespace mvnz::mvnd::test;

namespace {

constexpr int kWaitMs = 60000;  // generous: the machine is shared by several builds

QString command(const QString& name, const QStringList& params) {
  QStringList all = params;
  while (all.size() < 30) all << QString();
  return "Command=" + name + "]~[" + all.join("]~[");
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
  WriteCrlf(
      config,
      {"; test configuration",
       "[CONFIGURATION]",
       "LogDirectory=" + logDir,
       "EnableLogging=1",
       "AutoLogInternalCommands=1",
       "AutoStart=1",
       "AutoStartState=4",
       "",
       "[Orders]",
       "Description=orders",
       "Trigger=FILE",
       "ScanDirectory=" + hot,
       "InputFilter=*",
       "Interval=1",
       "StableTimer=-1",
       command("AssignValue", {"Local", "1", "SubString", "7", "0", "<FileNameNoExt>", "", "0"}),
       command("Relocate", {"<ScanPathFileName>", out + "/<LV1>/<FileName>", "0", "1"}),
       command("Sleep", {"1", "1000"}),
       command("JournalNote", {"Order <LV1> filed"}),
       command("EndDaemon", {}),
       "Enabled=1"});

  QProcess p;
  p.setProgram(QStringLiteral(MVNZ_BIN_DIR "/mvnd"));
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("MVNZ_SYSTEMCTL", "/bin/true");
  env.remove("MVNZ_RUNNING_AS_SERVICE");
  p.setProcessEnvironment(env);
  p.start();
  ASSERT_TRUE(p.waitForStarted(kWaitMs));
  const QString jobLog = QDir(DayFolder(logDir)).filePath("FS1_Orders.log");
  ASSERT_TRUE(p.waitForFinished(kWaitMs)) << LogMessages(jobLog).join('\n').toStdString();
  EXPECT_EQ(p.exitCode(), 0);

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
