#include "daemon/windows/windowedui.h"

#include <QApplication>
#include <QCursor>

#include "daemon/logging.h"

namespace mvnz::mvnd {

bool DisplayAvailable() {
  return !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
         !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

WindowedUi::WindowedUi(Daemon& d, std::function<std::unique_ptr<TrayIcon>()> makeTray)
    : d_(d), main_(std::make_unique<frmMain>(d)), dummy_(std::make_unique<frmDummy>(d)) {
  if (makeTray) dummy_->MakeTray = std::move(makeTray);
  frmMain& m = *main_;
  frmDummy& f = *dummy_;
  f.MainCaption = [&m] { return m.windowTitle(); };
  f.ShowMainWindow = [&m] { m.ShowNormal(); };
  f.StopRestartTimer = [&m] { m.tmrRestartSystemTray.stop(); };
  f.ShowAbout = [&m] { m.ShowAbout(); };
  m.RestartSystemTray = [&f] { f.RestartSystemTray(); };
}

WindowedUi::~WindowedUi() {
  if (busy_) QApplication::restoreOverrideCursor();
}

void WindowedUi::InitSystemTray() {
  dummy_->InitSystemTray();
  if (dummy_->Tray() && !dummy_->Tray()->HasShell())
    LogConfigWarning(
        d_, QStringLiteral("WARNING: no notification area on this desktop, the icon is not shown"));
  dummy_->StartStartupIcon();
}

void WindowedUi::ShowMainWindow() { main_->ShowNormal(); }

void WindowedUi::CloseWindows() {
  dummy_->StopStartupIcon();
  main_->close();
}

void WindowedUi::StateChanged() {
  main_->StateChanged();
  dummy_->StateChanged();
}

void WindowedUi::ModifySystemTray() { dummy_->ModifySystemTray(); }

void WindowedUi::RemoveSystemTray() { dummy_->RemoveSystemTray(); }

void WindowedUi::CycleSystemTrayIcon(int frame) {
  // The idle icon after start-up ends the start-up animation.
  if (frame == 5) dummy_->StopStartupIcon();
  dummy_->CycleSystemTrayIcon(frame);
}

void WindowedUi::SetBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy)
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  else
    QApplication::restoreOverrideCursor();
}

}  // namespace mvnz::mvnd
