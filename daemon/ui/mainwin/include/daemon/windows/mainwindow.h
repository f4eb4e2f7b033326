#pragma once
// frmMain, the daemon's visible window: a strip with the start, stop and reload
// buttons, the log window in its frame, and the menus. Closing or minimising it
// only hides it; the daemon ends through its queue. frmAbout is its about box.
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "daemon/core.h"

namespace mvnz::controls {
class ZephContainer;
}

namespace mvnz::mvnd {

// Loads a container placed in code as a form load does: it reads back the
// properties it was given, which also attaches its own size handling.
void LoadContainer(controls::ZephContainer* container);

// The design caption, replaced by the configuration's non-empty title.
inline constexpr const char* kDesignCaption = "Orvendel - Mervane Zuri";
QString WindowCaption(const WindowState& view);

// The minimum window extent (twips) below which a resize keeps the inner layout.
inline constexpr int kMinLayoutWidth = 8070;
inline constexpr int kMinLayoutHeight = 3000;

class frmAbout : public QDialog {
 public:
  explicit frmAbout(const Daemon& d, QWidget* parent = nullptr);
  QLabel *lblTitle, *lblVersion, *lblBuild, *picAbout, *lblSupport;
  QPushButton* cmdClose;
  // Where the support link leads.
  static QString SupportUrl();
};

class frmMain : public QMainWindow {
 public:
  explicit frmMain(Daemon& d, QWidget* parent = nullptr);
  ~frmMain() override;

  // Mirrors caption, start/stop captions and button states from the daemon.
  void StateChanged();
  // Puts the log window (its selector and its framed grid) below the strip; it
  // fills logArea, which follows the window's size.
  void SetLogWindow(QWidget* logWindow);
  // Shows the about box modally.
  void ShowAbout();
  // Brings the window back in its last size.
  void ShowNormal();
  // Asks for the notification-area icon to be restarted (after tmrRestartSystemTray).
  void RestartSystemTrayLater() { tmrRestartSystemTray.start(); }

  // Runs a modal dialog (tests close it instead of blocking).
  std::function<void(QDialog&)> RunModal = [](QDialog& dlg) { dlg.exec(); };
  // Called by tmrRestartSystemTray.
  std::function<void()> RestartSystemTray;

  controls::ZephContainer* Zephmenu;
  QWidget* logArea;  // holds the log window
  QToolButton *asxStart, *asxStop, *asxReload;
  QLabel *asxBanner, *picDaemon;
  QPushButton* cmdStartStop;
  QMenu *mnuOptions, *mnuControl, *mnuGelp;
  QAction *mnuCM, *mnuSave, *mnuReload, *mnuExit, *mnuStartStop, *mnuAbout;
  QTimer tmrRestartSystemTray;  // 5000 ms, off until asked

  // Width and height margins of the log area (window minus area, twips), from load.
  int WidthMargin() const { return widthMargin_; }
  int HeightMargin() const { return heightMargin_; }
  // Lays the inner controls out for a window extent in twips (the resize rule).
  void LayoutFor(int widthTwips, int heightTwips);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildStrip();
  void BuildMenus();
  void RecordMargins();

  Daemon& d_;
  int widthMargin_ = 0, heightMargin_ = 0;
  bool marginsRecorded_ = false;
};

}  // namespace mvnz::mvnd
