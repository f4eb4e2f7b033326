#pragma once
// frmDummy: the daemon's form that is loaded but never shown. It holds the
// notification-area icon with its pictures and start-up animation, the tray menu
// and the last-message bar's menu. (The log window keeps its own menu.)
#include <QAction>
#include <QIcon>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "daemon/core.h"
#include "daemon/windows/trayicon.h"

namespace mvnz::mvnd {

// An image list: images at indexes first, first + 1, ...
struct ImageList {
  QList<QIcon> images;
  int first = 1;
  std::optional<QIcon> Image(int index) const;
};

class frmDummy : public QObject {
 public:
  explicit frmDummy(Daemon& d, QObject* parent = nullptr);
  ~frmDummy() override;

  // ---- the icon --------------------------------------------------------------
  // Creates the tray; replaced by tests.
  std::function<std::unique_ptr<TrayIcon>()> MakeTray = [] { return MakeTrayIcon(); };
  void InitSystemTray();
  void CycleStartupIcon(int& Frame);
  void CycleSystemTrayIcon(int& Frame);
  // Shows the running picture TrayFrame and advances it (0..4).
  void StepRunningIcon();
  void ModifySystemTray();
  void RestartSystemTray();
  void RemoveSystemTray();
  void Tray_MouseUp(int Button);
  TrayIcon* Tray() const { return tray_.get(); }
  // Starts and stops the start-up animation (tmrStartupIcon).
  void StartStartupIcon();
  void StopStartupIcon();

  // ---- mirrors the daemon's state into the menus' captions --------------------
  void StateChanged();

  // Opens the bar's menu at a screen position.
  void PopupMessageBarMenu(const QPoint& globalPos);

  // ---- what the other windows do for the menus (wired by the windowed UI) ------
  std::function<QString()> MainCaption;          // the main window's caption
  std::function<void()> ShowMainWindow;          // normal size, shown
  std::function<void()> StopRestartTimer;        // the main window's restart timer
  std::function<void()> ShowAbout;               // the about box, modal
  std::function<void(bool)> ShowMessageBar;      // show or hide the last-message bar
  std::function<void(bool)> SetMessageBarOnTop;  // topmost or not
  std::function<void()> ClearErrorCounter;       // ErrorCount and the bar's label
  // Runs a pop-up menu at a screen position (tests record instead of blocking).
  std::function<void(QMenu&, const QPoint&)> PopupMenu;

  // ---- pictures -----------------------------------------------------------------
  ImageList picStartup, picStop, pic1, pic2, pic3, pic4, pic5;
  QTimer tmrStartupIcon;  // 50 ms
  int TrayFrame = 0;      // the picture the next animation step shows

  // ---- menus ------------------------------------------------------------------------
  QMenu mnuSysTray, mnuMB;
  QAction *mnuAbout, *mnuStartStop, *mnuShowLastMessageBar, *mnuSetup, *mnuReload, *mnuSave,
      *mnuEndDaemon, *mnuCancel;
  QAction *mnuOnTop, *mnuClearErrors, *mnuCM, *mnuRL, *mnuStartStopMB, *mnuExit;

  // Posts the end of the daemon (STOP first while running; STOPSERVICE as a service).
  void EndDaemon();
  // Posts a reload ("STOP,RELOAD,START" while running).
  void ReloadConfiguration();
  // Posts START or STOP by the caption of mnuStartStop.
  void StartStop();

 private:
  void BuildMenus();
  int ImageIndex() const;  // the instance number in SettingsKeySuffix
  void Popup(QMenu& menu, const QPoint& pos);

  Daemon& d_;
  RunState shownState_ = RunState::Stopped;
  std::unique_ptr<TrayIcon> tray_;
};

// The end-of-daemon words by Running and RunningAsService.
QString EndDaemonWords(bool running, bool runningAsService);

}  // namespace mvnz::mvnd
