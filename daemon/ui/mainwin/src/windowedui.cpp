#include "daemon/windows/windowedui.h"

#include <QApplication>
#include <QCursor>

#include "daemon/logging.h"
#include "daemon/windows/logwindow.h"
#include "daemon/windows/messagebar.h"

namespace mvnz::mvnd {

bool DisplayAvailable() {
  return !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
         !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

WindowedUi::WindowedUi(Daemon& d, std::function<std::unique_ptr<TrayIcon>()> makeTray)
    : d_(d),
      main_(std::make_unique<frmMain>(d)),
      dummy_(std::make_unique<frmDummy>(d)),
      logs_(std::make_unique<LogWindows>(d)) {
  if (makeTray) dummy_->MakeTray = std::move(makeTray);
  frmMain& m = *main_;
  frmDummy& f = *dummy_;
  LogWindows& logs = *logs_;
  m.SetLogWindow(logs.logWindow());
  LoadContainer(logs.logWindow()->fraMain);
  logs.setMainWindow(&m);
  logs.setMessageBarMenu(&f.mnuMB);
  f.ShowMessageBar = [&logs](bool shown) { logs.SetMessageBarShown(shown); };
  f.SetMessageBarOnTop = [&logs](bool onTop) { logs.SetMessageBarOnTop(onTop); };
  f.ClearErrorCounter = [&logs] { logs.ClearErrorCounter(); };
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

void WindowedUi::ClearLogWindow() { logs_->ClearLogWindow(); }

void WindowedUi::RemoveOldestLogRow() { logs_->RemoveOldestLogRow(); }

void WindowedUi::AddLogWindowLine(const QString& timeText, const QString& text, int level) {
  logs_->AddLogWindowLine(timeText, text, level);
}

void WindowedUi::RefillLogSelector(const QStringList& entries) {
  logs_->RefillLogSelector(entries);
}

void WindowedUi::ShowLastMessage(const QString& text, int level, qint64 errors) {
  logs_->ShowLastMessage(text, level, errors);
}

// The log windows end it with this port's StateChanged, which also sets the check
// marks of "MessageBar" and "Always On Top".
void WindowedUi::LoadDaemonSettings() { logs_->LoadDaemonSettings(); }

void WindowedUi::SaveDaemonSettings(bool silent) { logs_->SaveDaemonSettings(silent); }

void WindowedUi::ShowMainWindow() { main_->ShowNormal(); }

void WindowedUi::CloseWindows() {
  dummy_->StopStartupIcon();
  if (frmMessage* bar = logs_->messageBar()) bar->close();
  main_->close();
}

void WindowedUi::StateChanged() {
  main_->StateChanged();
  dummy_->StateChanged();
}

void WindowedUi::ModifySystemTray() { dummy_->ModifySystemTray(); }

void WindowedUi::RemoveSystemTray() { dummy_->RemoveSystemTray(); }

void WindowedUi::StepTrayAnimation() { dummy_->StepRunningIcon(); }

void WindowedUi::ShowTrayRunState() {
  // Picture 5 is the idle one (it also ends the start-up animation), 6 the running one.
  int frame = d_.run.Running() ? 6 : 5;
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
