// End to end under Xvfb: the real MervaneZuri on a file the daemon reads, found by its
// exact window name, saved through its File menu by keystrokes; the bytes are the
// input's; a second start is refused with its box; mvnd then runs what was saved.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include "endtoend.h"
#include "manager/filecommands.h"
#include "manager/identity.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::manager;
using namespace mvnz::test;

TEST(ManagerEndToEnd, SavedThroughTheFileMenuUnderXvfbAndRunByTheDaemon) {
  for (const char* tool : {"Xvfb", "xwininfo", "xdotool"})
    if (QStandardPaths::findExecutable(tool).isEmpty()) GTEST_SKIP() << tool << " is not installed";
  TestDisplay display;
  if (display.name().isEmpty()) GTEST_SKIP() << "Xvfb did not start";

  const QString in = test::makeDir("in"), done = test::makeDir("done"), logs = test::makeDir("logs");
  const QByteArray input = Canonical(in, done, logs, "\\.txt$");
  {
    QFile f(DefaultConfigPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(input);
  }
  const QDateTime before = QFileInfo(DefaultConfigPath()).lastModified();
  QThread::msleep(1100);

  QProcess manager;
  StartManager(manager, display.name());
  const QString window = display.waitForWindow(MainCaption(VersionText()));
  ASSERT_FALSE(window.isEmpty()) << manager.readAllStandardError().toStdString();

  // File menu, Save; then the box that says so.
  ASSERT_TRUE(display.keys(window, {"alt+f", "s"}));
  const QString saved = display.waitForWindow("Settings Saved");
  ASSERT_FALSE(saved.isEmpty());
  ASSERT_TRUE(display.keys(saved, {"Return"}));
  EXPECT_GT(QFileInfo(DefaultConfigPath()).lastModified(), before);
  EXPECT_EQ(test::readFile(DefaultConfigPath()), input);

  QProcess second;
  StartManager(second, display.name());
  // The refusal box, titled with the program's title (a mapped window: the program's
  // hidden leader window carries the same name).
  const QString refusal = display.waitForVisible(QLatin1String(kProgramTitle));
  ASSERT_FALSE(refusal.isEmpty());
  ASSERT_TRUE(display.keys(refusal, {"Return"}));
  ASSERT_TRUE(second.waitForFinished(30000));
  EXPECT_EQ(second.exitCode(), 1);
  EXPECT_EQ(manager.state(), QProcess::Running);

  ASSERT_TRUE(display.keys(window, {"ctrl+q"}));
  ASSERT_TRUE(manager.waitForFinished(30000));
  EXPECT_EQ(manager.exitCode(), 0);
  EXPECT_EQ(test::readFile(DefaultConfigPath()), input);

  // The daemon runs what was saved.
  {
    QFile f(in + "/order.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("order");
  }
  RunDaemonUntil([&] { return QFile::exists(done + "/order.txt"); });
  EXPECT_EQ(test::readFile(done + "/order.txt"), "order");
  EXPECT_FALSE(QFile::exists(in + "/order.txt"));
}
