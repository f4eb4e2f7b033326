// The real mvnd chooses its run mode's windows: modes 1 and 2 show windows where a
// display exists (here the offscreen platform, which has no notification area);
// mode 4 and runs without a display stay headless.
#include <gtest/gtest.h>

#include <QDate>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include "../mvnd_process.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::mvnd::test;

namespace {

QStringList SystemLog() {
  const QString file =
      QDir(test::rootDir())
          .filePath("logs/" + QDate::currentDate().toString("yyyy/MM/dd") + "/System.log");
  QFile f(file);
  QStringList out;
  if (!f.open(QIODevice::ReadOnly)) return out;
  for (QByteArray line : f.readAll().split('\n')) {
    if (line.endsWith('\r')) line.chop(1);
    const int at = line.indexOf("] ");
    if (at >= 0) out << QString::fromUtf8(line.mid(at + 2));
  }
  return out;
}

// Waits (bounded) until the system log holds a line.
bool WaitForLine(const QString& line) {
  QDeadlineTimer deadline(30000);
  while (!deadline.hasExpired()) {
    if (SystemLog().contains(line)) return true;
    QThread::msleep(100);
  }
  return false;
}

QStringList ModeConfig(int mode) {
  QStringList config = StatusConfig(true);
  config.replace(config.indexOf("AutoStartState=4"), QString("AutoStartState=%1").arg(mode));
  return config;
}

const QString kNoTray = "WARNING: no notification area on this desktop, the icon is not shown";

}  // namespace

TEST(MvndWindows, ModeOneShowsWindowsWhereADisplayExists) {
  {
    MvndProcess mvnd(ModeConfig(1));
    ASSERT_TRUE(mvnd.Started());
    ASSERT_TRUE(WaitForLine("Processing Started")) << SystemLog().join('\n').toStdString();
    const QStringList log = SystemLog();
    EXPECT_TRUE(log.contains("AutoStarting - Normal"));
    EXPECT_TRUE(log.contains(kNoTray));  // the windowed layer runs, on a null tray
    EXPECT_TRUE(mvnd.Curl("/ping-daemon").contains("running"));
  }
  EXPECT_TRUE(SystemLog().contains("Daemon is shutting down..."));
}

TEST(MvndWindows, ModeTwoRunsWithTheTray) {
  MvndProcess mvnd(ModeConfig(2));
  ASSERT_TRUE(mvnd.Started());
  ASSERT_TRUE(WaitForLine("Processing Started"));
  const QStringList log = SystemLog();
  EXPECT_TRUE(log.contains("AutoStarting - SystemTray"));
  EXPECT_TRUE(log.contains(kNoTray));
  EXPECT_FALSE(log.join('\n').contains("no window available"));
}

TEST(MvndWindows, ModeFourStaysHeadless) {
  MvndProcess mvnd(ModeConfig(4));
  ASSERT_TRUE(mvnd.Started());
  ASSERT_TRUE(WaitForLine("Processing Started"));
  EXPECT_FALSE(SystemLog().contains(kNoTray));
}

TEST(MvndWindows, WithoutADisplayModeOneRunsHidden) {
  for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) qunsetenv(var);
  MvndProcess mvnd(ModeConfig(1));
  ASSERT_TRUE(mvnd.Started());
  ASSERT_TRUE(WaitForLine("Processing Started"));
  const QStringList log = SystemLog();
  EXPECT_TRUE(log.contains("WARNING: no window available for run mode 1, running hidden"));
  EXPECT_FALSE(log.contains(kNoTray));
}
