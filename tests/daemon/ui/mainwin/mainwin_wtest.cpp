// The main window, the notification-area icon and the hidden form's menus, driven
// through a fake tray; what they post is read off the daemon's queue.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QResizeEvent>
#include <QTest>

#include "controls/panehost.h"
#include "daemon/config.h"
#include "daemon/logging.h"
#include "daemon/queue.h"
#include "daemon/windows/logwindow.h"
#include "daemon/windows/messagebar.h"
#include "daemon/windows/windowedui.h"
#include "library/regwrap.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::mvnd;

namespace {

// Records what the shell is handed.
class FakeTray : public TrayIcon {
 public:
  struct Call {
    QString op;
    qint64 icon;
    QString tip;
  };
  QList<Call> calls;
  Call last() const { return calls.isEmpty() ? Call{} : calls.last(); }

 protected:
  void ShellAdd(const Record& r) override { calls.append({"add", r.icon.cacheKey(), r.tip}); }
  void ShellModify(const Record& r) override { calls.append({"modify", r.icon.cacheKey(), r.tip}); }
  void ShellRemove(const Record& r) override { calls.append({"remove", r.icon.cacheKey(), r.tip}); }
};

void WriteConfig(const QString& path, const QStringList& lines) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  for (const QString& l : lines) f.write((l + "\r\n").toUtf8());
}

// A daemon with one enabled RoziRoruner, its windows on a fake tray, exits recorded.
struct Windows {
  Windows() {
    d.AllowDoEvents = false;
    d.ExitHook = [this](int status) { exits << status; };
    d.settings.SettingsKeySuffix = "1";
    d.settings.ConfigPath = QDir(test::makeDir("windows")).filePath("MVNZuri.ini");
    logDir = QDir(test::rootDir()).filePath("logs");
    WriteConfig(d.settings.ConfigPath,
                {"[CONFIGURATION]", "LogDirectory=" + logDir, "EnableLogging=1", "", "[Job]",
                 "Trigger=TIME", "Interval=600", "Enabled=1", ""});
    ui = std::make_shared<WindowedUi>(d, [this] {
      auto t = std::make_unique<FakeTray>();
      tray = t.get();
      return t;
    });
    d.SetUi(ui);
    ui->Main().RunModal = [this](QDialog& dlg) { modals << dlg.windowTitle(); };
    ui->Dummy().PopupMenu = [this](QMenu& m, const QPoint&) { popups << m.title(); };
  }
  // As start-up leaves it: icon added, configuration read, initialised.
  void Init() {
    ui->InitSystemTray();
    ReloadConfiguration(d);
    d.settings.VersionText = "1.0";
    d.run.DaemonInitialized = true;
    ui->ShowTrayRunState();
    ui->StateChanged();
  }
  QStringList TakeQueue() {
    QStringList q = d.run.CommandQueue;
    d.run.CommandQueue.clear();
    return q;
  }
  QStringList TotalMessages() const {
    QStringList out;
    for (const clsLogging& l : d.log.TotalLog) out << l.message;
    return out;
  }
  Daemon d;
  QString logDir;
  std::shared_ptr<WindowedUi> ui;
  FakeTray* tray = nullptr;
  QStringList modals, popups;
  QList<int> exits;
};

}  // namespace

// Every "End Daemon" item posts by Running and RunningAsService.
TEST(MainWindow, EndDaemonTable) {
  Windows w;
  w.Init();
  const struct {
    bool running, service;
    QString posted;
  } rows[] = {
      {true, true, "STOP,STOPSERVICE"},
      {true, false, "STOP,SHUTDOWN"},
      {false, true, "STOPSERVICE"},
      {false, false, "SHUTDOWN"},
  };
  for (const auto& r : rows) {
    for (QAction* item :
         {w.ui->Main().mnuExit, w.ui->Dummy().mnuEndDaemon, w.ui->Dummy().mnuExit}) {
      w.d.run.State = r.running ? RunState::Running : RunState::Stopped;
      w.d.run.RunningAsService = r.service;
      item->trigger();
      EXPECT_EQ(w.TakeQueue(), r.posted.split(','))
          << item->text().toStdString() << r.running << r.service;
    }
  }
  EXPECT_TRUE(w.exits.isEmpty());  // items only post
}

TEST(MainWindow, ReloadPostsByState) {
  Windows w;
  w.Init();
  frmMain& m = w.ui->Main();
  frmDummy& f = w.ui->Dummy();
  for (const bool running : {false, true}) {
    w.d.run.State = running ? RunState::Running : RunState::Stopped;
    const QStringList expected =
        running ? QStringList{"STOP", "RELOAD", "START"} : QStringList{"RELOAD"};
    m.asxReload->click();
    EXPECT_EQ(w.TakeQueue(), expected);
    for (QAction* item : {m.mnuReload, f.mnuReload, f.mnuRL}) {
      item->trigger();
      EXPECT_EQ(w.TakeQueue(), expected) << item->text().toStdString();
    }
  }
}

// The buttons post even when the word means nothing now (the queue decides); the
// start/stop items post by the caption that mirrors the daemon's state.
TEST(MainWindow, StartStopFollowState) {
  Windows w;
  w.Init();
  frmMain& m = w.ui->Main();
  frmDummy& f = w.ui->Dummy();
  EXPECT_TRUE(m.asxStart->isEnabled());
  EXPECT_FALSE(m.asxStop->isEnabled());
  m.asxStop->setEnabled(true);
  m.asxStop->click();
  EXPECT_EQ(w.TakeQueue(), QStringList{"STOP"});
  m.asxStart->click();
  EXPECT_EQ(w.TakeQueue(), QStringList{"START"});

  for (QAction* a : {m.mnuStartStop, f.mnuStartStop, f.mnuStartStopMB}) {
    EXPECT_EQ(a->text(), "Start");
    a->trigger();
    EXPECT_EQ(w.TakeQueue(), QStringList{"START"});
  }
  PostCommand(w.d, "START");
  CommandQueueTick(w.d);
  ASSERT_TRUE(w.d.run.Running());
  EXPECT_EQ(m.cmdStartStop->text(), "Stop");
  EXPECT_FALSE(m.asxStart->isEnabled());
  EXPECT_TRUE(m.asxStop->isEnabled());
  for (QAction* a : {m.mnuStartStop, f.mnuStartStop, f.mnuStartStopMB}) {
    EXPECT_EQ(a->text(), "Stop");
    a->trigger();
    EXPECT_EQ(w.TakeQueue(), QStringList{"STOP"});
  }
  // The main window's item posts nothing for a caption that is neither.
  m.mnuStartStop->setText("Busy");
  m.mnuStartStop->trigger();
  EXPECT_TRUE(w.TakeQueue().isEmpty());
  w.d.run.State = RunState::Stopped;
}

TEST(MainWindow, IdleLineAfterThirtyIdleTicks) {
  Windows w;
  w.Init();
  const auto idles = [&w] { return w.TotalMessages().count("Idle"); };
  for (int i = 0; i < 29; ++i) IdleTick(w.d);
  EXPECT_EQ(idles(), 0);
  IdleTick(w.d);
  EXPECT_EQ(idles(), 1);
  // A log line in between starts the count again.
  for (int i = 0; i < 20; ++i) IdleTick(w.d);
  WriteLogLine(w.d, "S", "something", 0);
  for (int i = 0; i < 29; ++i) IdleTick(w.d);
  EXPECT_EQ(idles(), 1);
  IdleTick(w.d);
  EXPECT_EQ(idles(), 2);
}

TEST(MainWindow, CloseAndMinimiseOnlyHide) {
  Windows w;
  w.Init();
  frmMain& m = w.ui->Main();
  m.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&m));
  m.close();
  EXPECT_FALSE(m.isVisible());
  EXPECT_TRUE(w.exits.isEmpty());

  m.showMinimized();
  QTRY_VERIFY(!m.isVisible());
  // Restored from the icon: shown again in its last size.
  w.tray->Dispatch(514);
  EXPECT_TRUE(m.isVisible());
  EXPECT_FALSE(m.isMinimized());

  w.d.run.ShuttingDown = true;
  EXPECT_TRUE(m.close());
}

TEST(MainWindow, ResizeLayoutAndItsMinimum) {
  Windows w;
  frmMain& m = w.ui->Main();
  const int widthMargin = m.WidthMargin(), heightMargin = m.HeightMargin();
  ASSERT_GT(widthMargin, 0);
  ASSERT_GT(heightMargin, 0);
  m.LayoutFor(12000, 6000);
  EXPECT_EQ(m.Zephmenu->Width(), 12000 - 120);
  EXPECT_EQ(m.picDaemon->x() * 15, 12000 - 705);
  EXPECT_EQ(m.asxBanner->width() * 15, 12000 - 705);
  EXPECT_EQ(m.logArea->width() * 15, 12000 - widthMargin);
  EXPECT_EQ(m.logArea->height() * 15, 6000 - heightMargin);
  // Below 8070 x 3000 the inner layout stays as it was.
  for (const auto& [wd, ht] : {std::pair{8055, 6000}, std::pair{12000, 2985}}) {
    m.LayoutFor(wd, ht);
    EXPECT_EQ(m.Zephmenu->Width(), 12000 - 120);
    EXPECT_EQ(m.logArea->height() * 15, 6000 - heightMargin);
  }
  m.LayoutFor(8070, 3000);
  EXPECT_EQ(m.Zephmenu->Width(), 8070 - 120);
  // A real resize of the window goes the same way.
  m.show();
  m.resize(900, 500);
  QTRY_COMPARE(m.logArea->width() * 15, m.centralWidget()->width() * 15 - widthMargin);
}

TEST(MainWindow, AboutBox) {
  Windows w;
  w.Init();
  w.ui->Main().mnuAbout->trigger();
  w.ui->Dummy().mnuAbout->trigger();
  QTest::mouseClick(w.ui->Main().picDaemon, Qt::LeftButton);
  EXPECT_EQ(w.modals, QStringList(3, "About Mervane Daemon"));
  frmAbout about(w.d);
  EXPECT_EQ(about.lblTitle->text(), "Mervane Zuri");
  EXPECT_EQ(about.lblVersion->text(), "Version 1.0");
  EXPECT_TRUE(about.lblBuild->text().startsWith("Build "));
  EXPECT_EQ(about.cmdClose->text(), "Close");
}

TEST(MainWindow, CaptionFromConfiguration) {
  Windows w;
  w.Init();
  EXPECT_EQ(w.ui->Main().windowTitle(), "Orvendel - Mervane Zuri");
  w.d.view.MainCaption = "Night shift";
  w.ui->StateChanged();
  EXPECT_EQ(w.ui->Main().windowTitle(), "Night shift");
}

// ---- the icon ---------------------------------------------------------------------

TEST(TrayIcon, FrameTable) {
  Windows w;
  w.Init();
  frmDummy& f = w.ui->Dummy();
  const QString caption = w.ui->Main().windowTitle();
  const qint64 running[] = {f.pic1.images[0].cacheKey(), f.pic2.images[0].cacheKey(),
                            f.pic3.images[0].cacheKey(), f.pic4.images[0].cacheKey(),
                            f.pic5.images[0].cacheKey()};
  const qint64 stop = f.picStop.images[0].cacheKey();
  const struct {
    int frame;
    qint64 icon;
    QString tip;
  } rows[] = {
      {0, running[0], "Running, "},
      {1, running[1], "Running, "},
      {2, running[2], "Running, "},
      {3, running[3], "Running, "},
      {4, running[4], "Running, "},
      {5, stop, "Idle, "},
      {6, running[0], "Running, "},
      {7, running[0], "Running, "},  // any other frame keeps the
                                     // picture
      {-1, running[0], "Running, "},
  };
  for (const auto& r : rows) {
    w.tray->calls.clear();
    int frame = r.frame;
    f.CycleSystemTrayIcon(frame);
    ASSERT_EQ(w.tray->calls.size(), 2) << r.frame;
    EXPECT_EQ(w.tray->calls[0].op, "add");
    EXPECT_EQ(w.tray->calls[1].op, "modify");
    EXPECT_EQ(w.tray->last().icon, r.icon) << r.frame;
    EXPECT_EQ(w.tray->last().tip, r.tip + caption) << r.frame;
    EXPECT_EQ(frame, r.frame);  // the callers advance the frame
  }
  EXPECT_TRUE(w.d.view.TrayIconShown);
}

TEST(TrayIcon, StartupAnimationThenIdle) {
  Windows w;
  frmDummy& f = w.ui->Dummy();
  w.ui->InitSystemTray();
  ASSERT_NE(w.tray, nullptr);
  EXPECT_EQ(w.tray->State(), 1);
  EXPECT_TRUE(w.d.view.TrayIconShown);
  EXPECT_EQ(w.tray->last().icon, f.picStartup.images[5].cacheKey());
  EXPECT_TRUE(w.tray->last().tip.startsWith("Idle, "));
  EXPECT_TRUE(f.tmrStartupIcon.isActive());
  EXPECT_EQ(f.tmrStartupIcon.interval(), 50);
  for (int frame = 0; frame <= 5; ++frame) {
    int fr = frame;
    f.CycleStartupIcon(fr);
    EXPECT_EQ(w.tray->last().icon, f.picStartup.images[frame].cacheKey());
    EXPECT_TRUE(w.tray->last().tip.startsWith("Starting up..., "));
  }
  // The animation's own tick walks the frames 0..5 and wraps.
  f.TrayFrame = 5;
  QMetaObject::invokeMethod(&f.tmrStartupIcon, "timeout");
  EXPECT_EQ(f.TrayFrame, 0);
  // The idle icon after start-up ends the animation.
  w.ui->ShowTrayRunState();
  EXPECT_FALSE(f.tmrStartupIcon.isActive());
  EXPECT_EQ(w.tray->last().icon, f.picStop.images[0].cacheKey());
}

TEST(TrayIcon, ModifyFollowsRunningAndTooltipLimit) {
  Windows w;
  w.Init();
  frmDummy& f = w.ui->Dummy();
  w.d.run.State = RunState::Running;
  f.ModifySystemTray();
  EXPECT_EQ(w.tray->last().icon, f.pic1.images[0].cacheKey());
  w.d.run.State = RunState::Stopped;
  f.ModifySystemTray();
  EXPECT_EQ(w.tray->last().icon, f.picStop.images[0].cacheKey());

  // "Running, " is 9 characters: a caption of 54 fits, 55 is cut to 63.
  w.d.run.State = RunState::Running;
  for (const int length : {54, 55, 80}) {
    w.d.view.MainCaption = QString(length, 'c');
    w.ui->StateChanged();
    f.ModifySystemTray();
    const QString full = "Running, " + w.d.view.MainCaption;
    EXPECT_EQ(w.tray->Tooltip(), full);
    EXPECT_EQ(w.tray->last().tip, full.left(63)) << length;
  }
  w.d.run.State = RunState::Stopped;
}

TEST(TrayIcon, NoTrayIconAndRemoved) {
  Windows w;
  w.Init();
  frmDummy& f = w.ui->Dummy();
  w.d.settings.NoTrayIcon = true;
  w.tray->calls.clear();
  int frame = 0;
  f.ModifySystemTray();
  f.CycleStartupIcon(frame);
  f.CycleSystemTrayIcon(frame);
  EXPECT_TRUE(w.tray->calls.isEmpty());
  f.RemoveSystemTray();
  EXPECT_EQ(f.Tray(), nullptr);
  EXPECT_FALSE(w.d.view.TrayIconShown);
  // After the icon is gone every later call is harmless.
  w.d.settings.NoTrayIcon = false;
  f.ModifySystemTray();
  f.CycleSystemTrayIcon(frame);
  f.RestartSystemTray();
  EXPECT_EQ(f.Tray(), nullptr);
}

TEST(TrayIcon, RestartAddsAgainAndLogs) {
  Windows w;
  w.Init();
  frmDummy& f = w.ui->Dummy();
  w.ui->Main().RestartSystemTrayLater();
  EXPECT_TRUE(w.ui->Main().tmrRestartSystemTray.isActive());
  w.tray->calls.clear();
  QMetaObject::invokeMethod(&w.ui->Main().tmrRestartSystemTray, "timeout");
  EXPECT_FALSE(w.ui->Main().tmrRestartSystemTray.isActive());
  ASSERT_EQ(w.tray->calls.size(), 3);
  EXPECT_EQ(w.tray->calls[0].op, "remove");
  EXPECT_EQ(w.tray->calls[1].op, "add");
  EXPECT_TRUE(w.d.view.TrayIconShown);
  EXPECT_EQ(w.TotalMessages().last(), "SystemTray Restarted!");
  (void)f;
}

TEST(TrayIcon, MouseDispatch) {
  Windows w;
  w.ui->InitSystemTray();
  frmMain& m = w.ui->Main();
  // Left click before the daemon is initialised: nothing.
  w.tray->Dispatch(514);
  EXPECT_FALSE(m.isVisible());
  w.d.run.DaemonInitialized = true;
  w.tray->Dispatch(513);  // button down alone does nothing
  EXPECT_FALSE(m.isVisible());
  w.tray->Dispatch(514);
  EXPECT_TRUE(m.isVisible());

  // Right click opens the tray menu; clicks while it is open are dropped.
  int nested = 0;
  w.ui->Dummy().PopupMenu = [&](QMenu& menu, const QPoint&) {
    w.popups << menu.title();
    ++nested;
    w.tray->Dispatch(517);
  };
  w.tray->Dispatch(517);
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(w.popups, QStringList{"SysTray"});
  w.tray->Dispatch(518);  // double right click: no handler, nothing
  w.tray->Dispatch(600);
  EXPECT_EQ(nested, 1);
}

TEST(TrayMenus, CaptionsAndOrder) {
  Windows w;
  const auto texts = [](QMenu& m) {
    QStringList out;
    for (QAction* a : m.actions()) out << (a->isSeparator() ? "-" : a->text());
    return out;
  };
  EXPECT_EQ(texts(w.ui->Dummy().mnuSysTray),
            QStringList({"About Mervane Daemon", "-", "Start", "-", "MessageBar",
                         "Configuration Manager", "-", "Reload Configuration", "Save Configuration",
                         "-", "End Daemon", "-", "Cancel"}));
  EXPECT_EQ(texts(w.ui->Dummy().mnuMB),
            QStringList({"Always On Top", "-", "Clear Errorcounter", "-", "Configuration Manager",
                         "Reload Configuration", "-", "Start", "-", "End Daemon"}));
}

TEST(TrayMenus, MessageBarOnTopAndErrors) {
  Windows w;
  w.Init();
  frmDummy& f = w.ui->Dummy();
  QList<bool> shown, onTop;
  f.ShowMessageBar = [&](bool s) { shown << s; };
  f.SetMessageBarOnTop = [&](bool t) { onTop << t; };
  f.mnuShowLastMessageBar->trigger();
  EXPECT_TRUE(w.d.view.MessageBarShown);
  EXPECT_TRUE(f.mnuShowLastMessageBar->isChecked());
  f.mnuShowLastMessageBar->trigger();
  EXPECT_FALSE(w.d.view.MessageBarShown);
  EXPECT_EQ(shown, QList<bool>({true, false}));
  f.mnuOnTop->trigger();
  f.mnuOnTop->trigger();
  EXPECT_EQ(onTop, QList<bool>({true, false}));
  EXPECT_FALSE(w.d.view.MessageWindowOnTop);

  w.d.run.ErrorCount = 7;
  f.mnuClearErrors->trigger();
  EXPECT_EQ(w.d.run.ErrorCount, 0);
  // The bar asks for its menu.
  f.PopupMessageBarMenu({10, 10});
  EXPECT_EQ(w.popups.last(), "MessageBar");
  // Cancel does nothing at all.
  f.mnuCancel->trigger();
  EXPECT_TRUE(w.TakeQueue().isEmpty());
}

// With no manager answering, the menu items log and try to start it.
TEST(TrayMenus, ConfigurationManagerItems) {
  Windows w;
  w.Init();
  for (QAction* a : {w.ui->Main().mnuCM, w.ui->Dummy().mnuSetup, w.ui->Dummy().mnuCM}) a->trigger();
  EXPECT_EQ(w.TotalMessages().count("Start Configuration Manager"), 3);
}

// The hidden form's items drive the last-message bar of the log windows.
TEST(TrayMenus, ItemsDriveTheMessageBar) {
  Windows w;
  w.Init();
  frmDummy& f = w.ui->Dummy();
  frmMessage* bar = w.ui->Logs().messageBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(bar->isVisible());
  f.mnuShowLastMessageBar->trigger();
  EXPECT_TRUE(bar->isVisible());
  EXPECT_TRUE(w.d.view.MessageBarShown);
  WriteLogLine(w.d, "S", "hello", 2);
  EXPECT_EQ(bar->lblMessage->text(), "[SYS] hello");
  EXPECT_EQ(bar->lblError->text(), "1");
  f.mnuClearErrors->trigger();
  EXPECT_EQ(bar->lblError->text(), "0");
  EXPECT_EQ(w.d.run.ErrorCount, 0);
  f.mnuOnTop->trigger();
  EXPECT_TRUE(bar->OnTop());
  f.mnuOnTop->trigger();
  EXPECT_FALSE(bar->OnTop());
  f.mnuShowLastMessageBar->trigger();
  EXPECT_FALSE(bar->isVisible());
  EXPECT_FALSE(w.d.view.MessageBarShown);
}

// Stored window settings set the items' check marks at a reload.
TEST(TrayMenus, CheckMarksFollowStoredSettings) {
  Windows w;
  const QString key = "Software\\Orvendel\\MervaneZuri\\Daemon1";
  SaveRegString(key, "MessageWindowStatus", "1");
  SaveRegString(key, "MessageWindowOnTop", "1");
  w.Init();
  EXPECT_TRUE(w.ui->Dummy().mnuShowLastMessageBar->isChecked());
  EXPECT_TRUE(w.ui->Dummy().mnuOnTop->isChecked());
  EXPECT_TRUE(w.ui->Logs().messageBar()->isVisible());
  SaveRegString(key, "MessageWindowStatus", "0");
  ReloadConfiguration(w.d);
  EXPECT_FALSE(w.ui->Dummy().mnuShowLastMessageBar->isChecked());
  EXPECT_FALSE(w.ui->Logs().messageBar()->isVisible());
}

// The main window holds the log window; lines reach its grid, and it follows the
// window's size.
TEST(MainWindow, HoldsTheLogWindow) {
  Windows w;
  w.Init();
  LogWindow* log = w.ui->Logs().logWindow();
  ASSERT_NE(log, nullptr);
  EXPECT_TRUE(w.ui->Main().isAncestorOf(log));
  const int rows = log->rowCount();
  WriteLogLine(w.d, "S", "a line", 0);
  EXPECT_EQ(log->rowCount(), rows + 1);
  frmMain& m = w.ui->Main();
  m.show();
  m.resize(1000, 600);
  QTRY_COMPARE_WITH_TIMEOUT(log->width(), m.logArea->width(), 1000);
}

namespace {

// A desktop tray that counts what reaches the desktop.
class CountingTray : public ThrottledTrayIcon {
 public:
  CountingTray() : ThrottledTrayIcon(100) {}
  QStringList applied;
  bool shown = false;

 protected:
  bool Shown() const override { return shown; }
  void Show() override { shown = true; }
  void Hide() override { shown = false; }
  void Apply(const Record& r) override { applied << r.tip; }
};

}  // namespace

// A burst of icon steps reaches the desktop as the first and the last one.
TEST(TrayIcon, DesktopChangesAreThrottled) {
  CountingTray tray;
  tray.setTooltip("first");
  tray.Add();
  tray.Add();  // shown already: the shell refuses a second add
  EXPECT_TRUE(tray.shown);
  EXPECT_EQ(tray.applied, QStringList{"first"});
  for (int i = 0; i < 50; ++i) {
    tray.setTooltip(QString::number(i));
    tray.Modify();
  }
  EXPECT_EQ(tray.applied, QStringList{"first"});
  QTRY_COMPARE(tray.applied, QStringList({"first", "49"}));
  QTest::qWait(250);
  EXPECT_EQ(tray.applied.size(), 2);
  // Removed: pending changes are dropped; a later add brings the icon back.
  tray.setTooltip("now");
  tray.Modify();  // the desktop was idle: at once
  EXPECT_EQ(tray.applied.last(), "now");
  tray.setTooltip("lost");
  tray.Modify();  // held back, then dropped with the icon
  tray.Remove();
  EXPECT_FALSE(tray.shown);
  tray.Modify();  // no icon on the desktop: nothing to modify
  tray.setTooltip("back");
  tray.Add();
  QTest::qWait(250);
  EXPECT_EQ(tray.applied.last(), "back");
  EXPECT_FALSE(tray.applied.contains("lost"));
}
