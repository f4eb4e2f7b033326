#pragma once
// The daemon's log windows as the windowed layer uses them: the log window (log
// selector, the "fraMain" container and the grid, embedded in the main window), the
// last-message bar, the buffer-size dialog, and the window settings kept in the
// registry. They mirror the Daemon's state; the core reaches them only through the
// UiPort members below.
//
// Use: create one LogWindows for the Daemon once a QApplication exists, put
// logWindow() into the main window, tell it the main window (setMainWindow) and the
// hidden form's "MessageBar" menu (setMessageBarMenu), and forward the UiPort
// members from the windowed port, or derive the port from LogWindowsUi, which does
// that already.
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>

#include "daemon/core.h"

class QMenu;
class QWidget;

namespace mvnz::mvnd {

class LogWindow;
class frmMessage;

class LogWindows : public QObject {
 public:
  explicit LogWindows(Daemon& d, QObject* parent = nullptr);
  ~LogWindows() override;

  // The log window (selector and grid). The main window takes it as its child; the
  // grid's columns are set up already, and its pop-up menu "LogWindow" is its own.
  LogWindow* logWindow() const;
  // The last-message bar, a top-level window of its own (hidden after start-up).
  frmMessage* messageBar() const;

  // The main window whose position and size LoadDaemonSettings and SaveDaemonSettings
  // restore and store (values LogWindow*); none: those values are left alone.
  void setMainWindow(QWidget* mainWindow);
  // The hidden form's "MessageBar" menu, opened by a right click on the bar.
  void setMessageBarMenu(QMenu* menu);

  // ---- UiPort members: forward them from the windowed port ----------------------
  void ClearLogWindow();      // empties the grid; the bar's error label shows "0"
  void RemoveOldestLogRow();  // removes row 1
  void AddLogWindowLine(const QString& timeText, const QString& text, int level);
  void RefillLogSelector(const QStringList& entries);  // selects "All", refills the grid
  void ShowLastMessage(const QString& text, int level, qint64 errors);
  // Applies the registry's window settings (after the core has read BufferSize).
  void LoadDaemonSettings();
  // Stores the window settings; silent = no "Settings Saved" box. Logs
  // "Configuration saved".
  void SaveDaemonSettings(bool silent);

  // ---- what the hidden form's menus do to these windows ---------------------------
  // "&Buffersize": the buffer-size dialog with the current BufferSize, modal.
  void ShowBuffersizeDialog();
  // "MessageBar": shows or hides the bar; MessageBarShown follows (read it for the
  // item's check mark).
  void SetMessageBarShown(bool shown);
  // "Always On Top": the bar topmost or not, without moving or sizing it;
  // MessageWindowOnTop follows (read it for the item's check mark).
  void SetMessageBarOnTop(bool onTop);
  // "Clear Errorcounter": ErrorCount := 0, the bar's error label shows "0".
  void ClearErrorCounter();

 private:
  struct Impl;
  std::unique_ptr<Impl> m;
};

// A UiPort that serves the log windows' members through a LogWindows; the windowed
// port derives from it and adds the main window, tray and busy pointer.
class LogWindowsUi : public UiPort {
 public:
  explicit LogWindowsUi(LogWindows& windows) : w_(windows) {}
  bool IsWindowed() const override { return true; }
  void ClearLogWindow() override { w_.ClearLogWindow(); }
  void RemoveOldestLogRow() override { w_.RemoveOldestLogRow(); }
  void AddLogWindowLine(const QString& timeText, const QString& text, int level) override {
    w_.AddLogWindowLine(timeText, text, level);
  }
  void RefillLogSelector(const QStringList& entries) override { w_.RefillLogSelector(entries); }
  void ShowLastMessage(const QString& text, int level, qint64 errors) override {
    w_.ShowLastMessage(text, level, errors);
  }
  void LoadDaemonSettings() override { w_.LoadDaemonSettings(); }
  void SaveDaemonSettings(bool silent) override { w_.SaveDaemonSettings(silent); }

 protected:
  LogWindows& windows() { return w_; }

 private:
  LogWindows& w_;
};

// The pictures of the log levels 0 to 3 (the bar's status picture; the grid shows
// those of "OK", "WARNING" and "ERROR"), and the bar's "Daemon Instance" icon.
QPixmap LevelPicture(int level);
QPixmap InstancePicture(int instance);

}  // namespace mvnz::mvnd
