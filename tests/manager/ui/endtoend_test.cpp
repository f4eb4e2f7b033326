// End to end under Xvfb: the real MervaneZuri on a file the daemon reads, found by its
// exact window name, saved through its File menu by keystrokes; the bytes are the
// input's; a second start is refused with its box; mvnd then runs what was saved.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include "endtoend.h"
#include "manager/filecommands.h"
#include "manager/identity.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::manager;
using namespace mvnz::test;

TEST(ManagerEndToEnd, SavedThroughTheFileMenuUnderXvfbAndRunByTheDaemon) {
  TestDisplay display;
  if (display.name().isEmpty()) GTEST_SKIP() << display.why();

  const QString in = test::makeDir("in"), done = test::makeDir("done"), logs = test::makeDir("logs");
  const QByteArray input = Canonical(in, done, logs, "\\.txt$");
  ASSERT_NO_FATAL_FAILURE(PutFile(DefaultConfigPath(), input));
  const QDateTime before = QFileInfo(DefaultConfigPath()).lastModified();
  QThread::msleep(1100);

  QProcess manager;
  const QString window = StartManagerWindow(manager, display);
  ASSERT_FALSE(window.isEmpty());

  // File menu, Save; then the box that says so.
  ASSERT_TRUE(display.keys(window, {"alt+f", "s"}));
  ASSERT_NO_FATAL_FAILURE(AcknowledgeSaved(display, manager));
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

  ASSERT_NO_FATAL_FAILURE(QuitManager(display, window, manager));
  EXPECT_EQ(test::readFile(DefaultConfigPath()), input);

  // The daemon runs what was saved.
  ExpectDaemonMovesAnOrder(in, done);
}
