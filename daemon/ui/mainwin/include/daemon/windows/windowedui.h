#pragma once
// The daemon's windows as the core sees them: the UiPort of a windowed run. It owns
// the main window, the hidden form (tray icon and menus) and the log windows (log
// grid, last-message bar, buffer-size dialog, window settings) and mirrors the
// core's state into them; the core never reads a widget.
#include <functional>
#include <memory>

#include "daemon/core.h"
#include "daemon/windows/hiddenform.h"
#include "daemon/windows/logwindows.h"
#include "daemon/windows/mainwindow.h"
#include "daemon/windows/trayicon.h"

namespace mvnz::mvnd {

class WindowedUi : public UiPort {
 public:
  // Needs a QApplication. makeTray replaces the desktop's tray (tests).
  explicit WindowedUi(Daemon& d, std::function<std::unique_ptr<TrayIcon>()> makeTray = {});
  ~WindowedUi() override;

  frmMain& Main() { return *main_; }
  frmDummy& Dummy() { return *dummy_; }
  LogWindows& Logs() { return *logs_; }

  // Adds the start-up icon and starts its animation (before InitDaemon).
  void InitSystemTray();

  bool IsWindowed() const override { return true; }
  void ShowMainWindow() override;
  void CloseWindows() override;
  void StateChanged() override;
  void ModifySystemTray() override;
  void RemoveSystemTray() override;
  void StepTrayAnimation() override;
  void ShowTrayRunState() override;
  void SetBusy(bool busy) override;
  void ClearLogWindow() override;
  void RemoveOldestLogRow() override;
  void AddLogWindowLine(const QString& timeText, const QString& text, int level) override;
  void RefillLogSelector(const QStringList& entries) override;
  void ShowLastMessage(const QString& text, int level, qint64 errors) override;
  void LoadDaemonSettings() override;
  void SaveDaemonSettings(bool silent) override;

 private:
  Daemon& d_;
  std::unique_ptr<frmMain> main_;
  std::unique_ptr<frmDummy> dummy_;
  std::unique_ptr<LogWindows> logs_;  // the main window owns the log window itself
  bool busy_ = false;
};

// True when this process can show windows: a display (X11 or Wayland) or a Qt
// platform chosen explicitly.
bool DisplayAvailable();

}  // namespace mvnz::mvnd
