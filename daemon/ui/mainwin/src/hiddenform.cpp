#include "daemon/windows/hiddenform.h"

#include <QCursor>

#include "daemon/logging.h"
#include "daemon/queue.h"
#include "daemon/shellhelpers.h"
#include "images.h"
#include "platform/prompts.h"

namespace mvnz::mvnd {

std::optional<QIcon> ImageList::Image(int index) const {
  const int i = index - first;
  if (i < 0 || i >= images.size()) return std::nullopt;
  return images[i];
}

QString EndDaemonWords(bool running, bool runningAsService) {
  const QString end = runningAsService ? QStringLiteral("STOPSERVICE") : QStringLiteral("SHUTDOWN");
  return running ? QStringLiteral("STOP,") + end : end;
}

namespace {
QString CaptionOf(const std::function<QString()>& caption) {
  return caption ? caption() : QString();
}

// Puts the icon's new tooltip in the tray, adds and updates the icon there, and notes
// the icon as shown once the tray has it.
void ShowInTray(TrayIcon& tray, Daemon& d, const QString& tooltip) {
  tray.setTooltip(tooltip);
  tray.Add();
  tray.Modify();
  if (tray.State() == 2) d.view.TrayIconShown = true;
}
}  // namespace

frmDummy::frmDummy(Daemon& d, QObject* parent) : QObject(parent), d_(d) {
  for (int f = 0; f <= 5; ++f) picStartup.images << images::Startup(f);
  picStartup.first = 0;  // read at the frame number
  picStop.images << images::Stopped();
  ImageList* running[] = {&pic1, &pic2, &pic3, &pic4, &pic5};
  for (int f = 0; f < 5; ++f) running[f]->images << images::Running(f);

  tmrStartupIcon.setInterval(50);
  connect(&tmrStartupIcon, &QTimer::timeout, this, [this] {
    CycleStartupIcon(TrayFrame);
    TrayFrame = (TrayFrame + 1) % 6;
  });
  PopupMenu = [](QMenu& menu, const QPoint& pos) { menu.exec(pos); };
  BuildMenus();
}

frmDummy::~frmDummy() = default;

int frmDummy::ImageIndex() const { return d_.settings.SettingsKeySuffix.toInt(); }

void frmDummy::BuildMenus() {
  mnuSysTray.setTitle(QStringLiteral("SysTray"));
  mnuAbout = mnuSysTray.addAction(QStringLiteral("About Mervane Daemon"));
  mnuSysTray.addSeparator();
  mnuStartStop = mnuSysTray.addAction(QStringLiteral("Start"));
  mnuSysTray.addSeparator();
  mnuShowLastMessageBar = mnuSysTray.addAction(QStringLiteral("MessageBar"));
  mnuShowLastMessageBar->setCheckable(true);
  mnuSetup = mnuSysTray.addAction(QStringLiteral("Configuration Manager"));
  mnuSysTray.addSeparator();
  mnuReload = mnuSysTray.addAction(QStringLiteral("Reload Configuration"));
  mnuSave = mnuSysTray.addAction(QStringLiteral("Save Configuration"));
  mnuSysTray.addSeparator();
  mnuEndDaemon = mnuSysTray.addAction(QStringLiteral("End Daemon"));
  mnuSysTray.addSeparator();
  mnuCancel = mnuSysTray.addAction(QStringLiteral("Cancel"));

  mnuMB.setTitle(QStringLiteral("MessageBar"));
  mnuOnTop = mnuMB.addAction(QStringLiteral("Always On Top"));
  mnuOnTop->setCheckable(true);
  mnuMB.addSeparator();
  mnuClearErrors = mnuMB.addAction(QStringLiteral("Clear Errorcounter"));
  mnuMB.addSeparator();
  mnuCM = mnuMB.addAction(QStringLiteral("Configuration Manager"));
  mnuRL = mnuMB.addAction(QStringLiteral("Reload Configuration"));
  mnuMB.addSeparator();
  mnuStartStopMB = mnuMB.addAction(QStringLiteral("Start"));
  mnuMB.addSeparator();
  mnuExit = mnuMB.addAction(QStringLiteral("End Daemon"));

  auto on = [this](QAction* a, auto f) { connect(a, &QAction::triggered, this, f); };
  on(mnuAbout, [this] {
    if (ShowAbout) ShowAbout();
  });
  on(mnuStartStop, [this] { StartStop(); });
  on(mnuShowLastMessageBar, [this] {
    // The action has toggled its mark already: the mark is the bar's new state.
    const bool show = mnuShowLastMessageBar->isChecked();
    if (ShowMessageBar) ShowMessageBar(show);
    d_.view.MessageBarShown = show;
  });
  on(mnuSetup, [this] { StartConfigurationManager(d_); });
  on(mnuReload, [this] { ReloadConfiguration(); });
  on(mnuSave, [this] { d_.ui().SaveDaemonSettings(true); });
  on(mnuEndDaemon, [this] { EndDaemon(); });

  on(mnuOnTop, [this] {
    const bool top = mnuOnTop->isChecked();
    d_.view.MessageWindowOnTop = top;
    if (SetMessageBarOnTop) SetMessageBarOnTop(top);
  });
  on(mnuClearErrors, [this] {
    if (ClearErrorCounter)
      ClearErrorCounter();
    else
      d_.run.ErrorCount = 0;
  });
  on(mnuCM, [this] { StartConfigurationManager(d_); });
  on(mnuRL, [this] { ReloadConfiguration(); });
  on(mnuStartStopMB, [this] { StartStop(); });
  on(mnuExit, [this] { EndDaemon(); });
}

void frmDummy::EndDaemon() {
  PostCommand(d_, EndDaemonWords(d_.run.Running(), d_.run.RunningAsService));
}

void frmDummy::ReloadConfiguration() { PostCommand(d_, ReloadWords(d_.run.Running())); }

void frmDummy::StartStop() {
  PostCommand(d_, mnuStartStop->text() == QLatin1String("Start") ? QStringLiteral("START")
                                                                 : QStringLiteral("STOP"));
}

void frmDummy::StateChanged() {
  // A start begins the running animation at its first picture.
  if (d_.run.State == RunState::Running && shownState_ != RunState::Running) TrayFrame = 0;
  shownState_ = d_.run.State;
  mnuStartStop->setText(StartStopCaption(d_.run.State));
  mnuStartStopMB->setText(StartStopCaption(d_.run.State));
  mnuShowLastMessageBar->setChecked(d_.view.MessageBarShown);
  mnuOnTop->setChecked(d_.view.MessageWindowOnTop);
}

void frmDummy::Popup(QMenu& menu, const QPoint& pos) {
  if (PopupMenu) PopupMenu(menu, pos);
}

void frmDummy::PopupMessageBarMenu(const QPoint& globalPos) { Popup(mnuMB, globalPos); }

void frmDummy::InitSystemTray() {
  if (d_.settings.NoTrayIcon) return;
  TrayFrame = 0;
  tray_ = MakeTray ? MakeTray() : nullptr;
  if (!tray_) return;
  connect(tray_.get(), &TrayIcon::MouseUp, this, [this](int button) { Tray_MouseUp(button); });
  if (auto icon = picStartup.Image(5)) tray_->setIcon(*icon);
  tray_->setTooltip(QStringLiteral("Idle, ") + CaptionOf(MainCaption));
  tray_->Add();
  if (tray_->State() == 1) d_.view.TrayIconShown = true;
}

void frmDummy::StartStartupIcon() {
  if (tray_) tmrStartupIcon.start();
}

void frmDummy::StopStartupIcon() { tmrStartupIcon.stop(); }

void frmDummy::CycleStartupIcon(int& Frame) {
  if (d_.settings.NoTrayIcon || !tray_) return;
  const auto icon = picStartup.Image(Frame);
  if (!icon) return;
  tray_->setIcon(*icon);
  ShowInTray(*tray_, d_, QStringLiteral("Starting up..., ") + CaptionOf(MainCaption));
}

void frmDummy::CycleSystemTrayIcon(int& Frame) {
  if (d_.settings.NoTrayIcon || !tray_) return;
  const ImageList* lists[] = {&pic1, &pic2, &pic3, &pic4, &pic5, &picStop, &pic1};
  if (Frame >= 0 && Frame <= 6) {
    const auto icon = lists[Frame]->Image(ImageIndex());
    if (!icon) return;
    tray_->setIcon(*icon);
  }
  const QString state = Frame == 5 ? QStringLiteral("Idle, ") : QStringLiteral("Running, ");
  ShowInTray(*tray_, d_, state + CaptionOf(MainCaption));
}

void frmDummy::StepRunningIcon() {
  CycleSystemTrayIcon(TrayFrame);
  TrayFrame = (TrayFrame + 1) % 5;
}

void frmDummy::ModifySystemTray() {
  if (d_.settings.NoTrayIcon || !tray_) return;
  const auto icon = (d_.run.Running() ? pic1 : picStop).Image(ImageIndex());
  if (!icon) {
    prompts::message(
        QStringLiteral("ERROR: SystemTray Error [mvnd][no tray picture for instance %1]")
            .arg(d_.settings.SettingsKeySuffix),
        QStringLiteral("ERROR SYSTRAY"), prompts::Icon::Critical);
    return;
  }
  tray_->setIcon(*icon);
  ShowInTray(*tray_, d_,
             (d_.run.Running() ? QStringLiteral("Running, ") : QStringLiteral("Idle, ")) +
                 CaptionOf(MainCaption));
}

void frmDummy::RestartSystemTray() {
  if (StopRestartTimer) StopRestartTimer();
  d_.view.TrayIconShown = false;
  if (tray_) tray_->Remove();
  if (!d_.settings.NoTrayIcon) ModifySystemTray();
  WriteLogLine(d_, QStringLiteral("S"), QStringLiteral("SystemTray Restarted!"), 0, {}, -1);
}

void frmDummy::RemoveSystemTray() {
  tmrStartupIcon.stop();
  if (tray_) tray_->Remove();
  tray_.reset();
  d_.view.TrayIconShown = false;
}

void frmDummy::Tray_MouseUp(int Button) {
  if (Button == 2) {
    Popup(mnuSysTray, QCursor::pos());
  } else if (Button == 1 && d_.run.DaemonInitialized) {
    if (ShowMainWindow) ShowMainWindow();
  }
}

}  // namespace mvnz::mvnd
