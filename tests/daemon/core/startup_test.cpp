// Start-up: the log header InitDaemon writes, and the run modes AutoStart starts.
#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include "daemon/queue.h"
#include "daemon/startup.h"
#include "library/version.h"
#include "platform/activation.h"
#include "support.h"
#include "testenv.h"

using namespace mvnz::mvnd;
using namespace mvnz::mvnd::test;

namespace {

QStringList Messages(const Daemon& d) {
  QStringList m;
  for (const clsLogging& l : d.log.TotalLog) m << l.message;
  return m;
}

QString ProgramStarted() {
  return QStringLiteral("Program Started, version %1.%2.%3")
      .arg(mvnz::versionMajor())
      .arg(mvnz::versionMinor())
      .arg(mvnz::versionRevision());
}

// Records the window requests of the run modes; windowed or not as asked.
class ModeUi : public RecordingUi {
 public:
  explicit ModeUi(bool windowed) : windowed_(windowed) {}
  bool IsWindowed() const override { return windowed_; }
  void ShowMainWindow() override { ++shown; }
  void RemoveSystemTray() override { ++trayRemoved; }
  int shown = 0, trayRemoved = 0;

 private:
  bool windowed_;
};

}  // namespace

// The reload's own lines are written before the log is open and so are dropped;
// the header follows, and a configuration warning found on the way comes after it.
TEST(Startup, InitDaemonWritesTheHeaderThenTheHeldBackWarnings) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  mvnz::activation::setPluginFolder(mvnz::test::makeDir(QStringLiteral("noplugins")));
  TestDaemon t;
  WriteCrlf(t.configPath, Config(t.logDir, {QStringLiteral("[Job]"), QStringLiteral("Enabled=1"),
                                            QStringLiteral("SkipRejected="),
                                            QStringLiteral("Description=lost")}));
  InitDaemon(t.d);
  EXPECT_TRUE(t.d.run.DaemonInitialized);
  EXPECT_EQ(t.d.settings.ConfigPath, t.configPath);
  EXPECT_EQ(t.d.view.MainCaption, QStringLiteral("Mervane Daemon v") + t.d.settings.VersionText);
  EXPECT_EQ(t.d.NextModuleRow, 7);
  ASSERT_EQ(t.d.jobs.RoziRorunerCount, 1);
  EXPECT_EQ(t.d.jobs.RoziRoruners[0].Description, "lost");  // the line after the bad one is kept

  const QStringList log = t.SystemLog();
  ASSERT_EQ(log.size(), 6) << log.join('\n').toStdString();
  EXPECT_EQ(log.mid(0, 5),
            (QStringList{ProgramStarted(), "Config-file: " + t.configPath, "0 Plugins loaded",
                         "1 RoziRoruners loaded", "Daemon initialized"}));
  EXPECT_EQ(log[5],
            "WARNING: Configuration section [JOB] line 9 skipped [SkipRejected=]"
            "[not True, False or a number]");
  EXPECT_EQ(t.d.log.TotalLog.last().mType, "1");

  // The start time the status page shows uses English month names, whatever the locale.
  static const QRegularExpression stamp(
      QStringLiteral("^\\d\\d-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-\\d{4} "
                     "\\d\\d:\\d\\d:\\d\\d$"));
  EXPECT_TRUE(stamp.match(LastStartTime()).hasMatch()) << LastStartTime().toStdString();
  QLocale::setDefault(QLocale::c());
}

TEST(Startup, InitDaemonWithoutConfigurationFile) {
  mvnz::activation::setPluginFolder(mvnz::test::makeDir(QStringLiteral("noplugins")));
  TestDaemon t;
  QFile::remove(t.configPath);
  InitDaemon(t.d);
  const QStringList log = Messages(t.d);
  ASSERT_EQ(log.size(), 6) << log.join('\n').toStdString();
  EXPECT_EQ(log[3], "0 RoziRoruners loaded");
  EXPECT_EQ(log[4], "Daemon initialized");
  EXPECT_TRUE(log[5].startsWith(QLatin1String("WARNING: Config-file not found [") + t.configPath))
      << log[5].toStdString();
}

TEST(Startup, RunModeTable) {
  const struct {
    int enabled, state;
    bool windowed;
    QStringList lines;
    bool posted;  // START queued
    bool serviceTimer;
    bool noTrayIcon;
    int shown;
  } cases[] = {
      {0, 1, true, {}, false, false, false, 0},
      {0, 3, false, {}, false, false, false, 0},  // no service timer without AUTOSTART
      {1, 1, true, {"AutoStarting - Normal"}, true, false, false, 1},
      {1, 2, true, {"AutoStarting - SystemTray"}, true, false, false, 0},
      {1, 3, false, {"AutoStarting - Service"}, false, true, false, 0},
      {1, 4, true, {"AutoStarting - SystemTray"}, true, false, true, 0},
      {1, 5, true, {}, false, false, false, 0},
      // Without a display a windowed mode runs hidden, and says so.
      {1,
       1,
       false,
       {"WARNING: no window available for run mode 1, running hidden", "AutoStarting - SystemTray"},
       true,
       false,
       true,
       0},
      {1,
       2,
       false,
       {"WARNING: no window available for run mode 2, running hidden", "AutoStarting - SystemTray"},
       true,
       false,
       true,
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "AutoStart=" << c.enabled << " AutoStartState=" << c.state
                                    << (c.windowed ? " windowed" : " headless"));
    TestDaemon t;
    auto ui = std::make_shared<ModeUi>(c.windowed);
    t.d.SetUi(ui);
    t.Load(Config(t.logDir, {QStringLiteral("[Job]"), QStringLiteral("Enabled=1")}));
    t.d.log.TotalLog.clear();
    t.d.settings.AutoStartEnabled = c.enabled;
    t.d.settings.AutoStartState = c.state;
    AutoStart(t.d);
    EXPECT_EQ(Messages(t.d), c.lines);
    EXPECT_EQ(t.d.run.CommandQueue, c.posted ? QStringList{"START"} : QStringList{});
    EXPECT_EQ(t.d.tmrService.isActive(), c.serviceTimer);
    EXPECT_EQ(t.d.settings.NoTrayIcon, c.noTrayIcon);
    EXPECT_EQ(ui->shown, c.shown);
    if (c.noTrayIcon) {
      EXPECT_GE(ui->trayRemoved, 1);
    }
  }
}

// Outside the service manager the service timer only polls: no line, no START.
TEST(Startup, ServiceTimerWaitsForTheServiceManager) {
  qunsetenv(kServiceMarkerVar);
  TestDaemon t;
  t.Load(Config(t.logDir, {QStringLiteral("[Job]"), QStringLiteral("Enabled=1")}));
  t.d.log.TotalLog.clear();
  t.d.tmrService.start();
  ServiceTick(t.d);
  ServiceTick(t.d);
  EXPECT_TRUE(t.d.tmrService.isActive());
  EXPECT_TRUE(t.d.log.TotalLog.isEmpty());
  EXPECT_TRUE(t.d.run.CommandQueue.isEmpty());
  EXPECT_FALSE(t.d.run.RunningAsService);
}
