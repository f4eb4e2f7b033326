// The real MervaneZuri as a process (offscreen): a second copy is refused while the
// first runs and answers the window link; SIGTERM ends the first through the exit
// path (preferences saved, configuration untouched); a configuration path that cannot
// be read starts the program with none and says why.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include "library/regwrap.h"
#include "manager/filecommands.h"
#include "manager/identity.h"
#include "platform/registry.h"
#include "platform/windowlink.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::manager;

namespace {

const QString kKey = QLatin1String(kManagerKey);
const QByteArray kConfig = "[CONFIGURATION]\r\nRoziRoruTitle=T\r\n\r\n[Job]\r\nTrigger=FILE\r\n\r\n";

void Start(QProcess& p, const QStringList& args = {}) {
  p.setProgram(QStringLiteral(MVNZ_BIN_DIR) + "/MervaneZuri");
  p.setArguments(args);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(env);
  p.start();
  ASSERT_TRUE(p.waitForStarted(30000));
}

bool WaitForLink(QProcess& p) {
  QDeadlineTimer deadline(30000);
  while (!deadline.hasExpired() && p.state() == QProcess::Running) {
    if (windowlink::exists(WindowLinkPath(VersionText()), 200)) return true;
    QThread::msleep(50);
  }
  return false;
}

}  // namespace

TEST(ManagerProgram, SecondCopyIsRefusedAndTheFirstEndsOnSigterm) {
  QFile f(DefaultConfigPath());
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(kConfig);
  f.close();
  registry::deleteKeyTree(kKey);

  QProcess first;
  Start(first);
  ASSERT_TRUE(WaitForLink(first)) << first.readAllStandardError().toStdString();

  QProcess second;
  Start(second);
  ASSERT_TRUE(second.waitForFinished(30000));
  EXPECT_EQ(second.exitCode(), 1);
  EXPECT_TRUE(second.readAllStandardError().contains(
      "Another instance of Configuration-Manager is already running!"));

  // The first copy is untouched and still answers the daemon's "bring it forward".
  EXPECT_EQ(first.state(), QProcess::Running);
  EXPECT_TRUE(windowlink::raise(WindowLinkPath(VersionText())));

  first.terminate();
  ASSERT_TRUE(first.waitForFinished(30000));
  EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(first.exitCode(), 0);
  EXPECT_EQ(GetRegString(kKey, "WebUpdate"), "1");  // the exit path saved the preferences
  EXPECT_EQ(test::readFile(DefaultConfigPath()), kConfig);
}

TEST(ManagerProgram, AFolderAtTheConfigurationPathStartsWithNoneAndSaysWhy) {
  registry::deleteKeyTree(kKey);
  const QString folder = test::makeDir("folder-not-file.ini");
  QProcess p;
  Start(p, {folder});
  // The headless box service writes each box to the error output; the box comes once
  // the main window is shown.
  const QString box = "Error Loading Configuration: Error loading configuration from [" + folder + "]";
  QString said;
  QDeadlineTimer deadline(30000);
  while (!said.contains(box) && !deadline.hasExpired() && p.state() == QProcess::Running) {
    p.waitForReadyRead(200);
    said += QString::fromLocal8Bit(p.readAllStandardError());
  }
  EXPECT_TRUE(said.contains(box)) << said.toStdString();
  EXPECT_EQ(p.state(), QProcess::Running);
  p.terminate();
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0);
  said += QString::fromLocal8Bit(p.readAllStandardError());
  EXPECT_TRUE(said.contains("is not a file")) << said.toStdString();
  EXPECT_FALSE(said.contains("Error during initialization!"));
  EXPECT_TRUE(QFileInfo(folder).isDir());
}
