#include "manager/ui/globals_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "library/numbers.h"
#include "manager/services.h"
#include "manager/session.h"
#include "manager/ui/choosers.h"
#include "pagewidgets.h"

namespace mvnz::manager::ui {

using namespace pagewidgets;

GlobalsPage::GlobalsPage(Session& session, QWidget* page) : QObject(page), session_(session), page_(page) {
  build();
  connectStores();
  // The designed values are the configuration's until a file says otherwise: a key
  // missing from a loaded file keeps them, and a save writes them.
  jobfile::GlobalSettings& g = session_.model.Globals;
  g.RoziRoruTitle = txtRoziRoruTitle_->text();
  g.EnableLogging = chkEnableLogging_->isChecked() ? 1 : 0;
  g.AutoLogInternalCommands = chkAutoLogInternal_->isChecked() ? 1 : 0;
  g.AutoStart = chkAutoStart_->isChecked() ? 1 : 0;
  storeStartMode();
  updateLogControls();
  updateAutoStartControls();
  updateIdleControls();
}

void GlobalsPage::build() {
  QWidget* p = page_;
  auto* outer = new QVBoxLayout(p);
  auto* top = new QGridLayout;
  top->addWidget(named(new QLabel(QStringLiteral("Window Title :"), p), "lblMultiSpoolerTitle"), 0, 0);
  txtRoziRoruTitle_ = textBox(p, "txtRoziRoruTitle", "main-window title");
  txtRoziRoruTitle_->setText(QStringLiteral("Mervane Zuri"));
  top->addWidget(txtRoziRoruTitle_, 0, 1);
  outer->addLayout(top);

  QWidget* logs = panel(p, "FraLogSettings");
  auto* lg = new QGridLayout(logs);
  chkEnableLogging_ = named(new QCheckBox(QStringLiteral("Log to Disk"), logs), "chkEnableLogging",
                            "enable/disable logging to disk");
  chkAutoLogInternal_ = named(new QCheckBox(QStringLiteral("AutoLog Internal Commands"), logs),
                              "chkAutoLogInternal", "enable/disable logging of internal commands");
  chkAutoLogInternal_->setChecked(true);
  lg->addWidget(chkEnableLogging_, 0, 0);
  lg->addWidget(chkAutoLogInternal_, 0, 1, 1, 2);
  lg->addWidget(named(new QLabel(QStringLiteral("Log Directory :"), logs), "lblLogdir"), 1, 0);
  txtLogdir_ = textBox(logs, "txtLogdir", "directory to store logfiles");
  lg->addWidget(txtLogdir_, 1, 1);
  new PathDrop(txtLogdir_);
  cmdBrowseLogdir_ = named(new QPushButton(QStringLiteral("..."), logs), "cmdBrowseLogdir");
  lg->addWidget(cmdBrowseLogdir_, 1, 2);
  outer->addWidget(logs);

  auto* start = new QGridLayout;
  chkAutoStart_ = named(new QCheckBox(QStringLiteral("Enable AutoStart"), p), "chkAutoStart", "right-click to setup");
  start->addWidget(chkAutoStart_, 0, 0);
  optNormal_ = named(new QRadioButton(QStringLiteral("Normal"), p), "optNormal", "autostart normal");
  optSystemTray_ = named(new QRadioButton(QStringLiteral("SystemTray"), p), "optSystemTray", "autostart in systemtray");
  optNTService_ = named(new QRadioButton(QStringLiteral("Service"), p), "optNTService", "autostart as nt-service");
  optHidden_ = named(new QRadioButton(QStringLiteral("Hidden"), p), "optHidden");
  startModes_ = new QButtonGroup(p);
  int column = 1;
  for (QRadioButton* o : {optNormal_, optSystemTray_, optNTService_, optHidden_}) {
    startModes_->addButton(o);
    start->addWidget(o, 0, column++);
  }
  optNormal_->setChecked(true);
  cmdSetupService_ = named(new QToolButton(p), "cmdSetupService");
  cmdSetupService_->setText(QStringLiteral("..."));
  start->addWidget(cmdSetupService_, 0, column);
  outer->addLayout(start);

  cmdSetGlobalConstants_ = named(new QPushButton(QStringLiteral("Setup Global Constants"), p), "cmdSetGlobalConstants");
  outer->addWidget(cmdSetGlobalConstants_, 0, Qt::AlignLeft);

  QWidget* misc = panel(p, "FraMisc2");
  auto* mg = new QGridLayout(misc);
  chkShowUnstable_ = named(new QCheckBox(QStringLiteral("Show \"...not stable\" messages"), misc), "chkShowUnstable");
  chkProcessRO_ = named(new QCheckBox(QStringLiteral("Process ReadOnly Files"), misc), "chkProcessRO",
                        "enable/disable the processing of read-only files");
  chkIdleTimestamp_ = named(new QCheckBox(QStringLiteral("Idle Timestamp :"), misc), "chkIdleTimestamp",
                            "enable/disable idle message");
  for (QCheckBox* c : {chkShowUnstable_, chkProcessRO_, chkIdleTimestamp_}) c->setChecked(true);
  txtIdleTimestampValue_ = textBox(misc, "txtIdleTimestampValue", "show idle-message every n min.");
  txtIdleTimestampValue_->setText(QStringLiteral("30"));
  mg->addWidget(chkShowUnstable_, 0, 0, 1, 3);
  mg->addWidget(chkProcessRO_, 1, 0, 1, 3);
  mg->addWidget(chkIdleTimestamp_, 2, 0);
  mg->addWidget(txtIdleTimestampValue_, 2, 1);
  mg->addWidget(named(new QLabel(QStringLiteral("min."), misc), "Label3"), 2, 2);
  outer->addWidget(misc);
  outer->addStretch(1);

  for (QLineEdit* t : {txtRoziRoruTitle_, txtLogdir_, txtIdleTimestampValue_}) t->installEventFilter(this);
}

void GlobalsPage::connectStores() {
  jobfile::GlobalSettings& g = session_.model.Globals;
  connect(txtRoziRoruTitle_, &QLineEdit::textChanged, this, [&g](const QString& t) { g.RoziRoruTitle = t; });
  connect(txtLogdir_, &QLineEdit::textChanged, this, [&g](const QString& t) { g.LogDirectory = t; });
  connect(chkEnableLogging_, &QCheckBox::toggled, this, [this, &g](bool on) {
    g.EnableLogging = on ? 1 : 0;
    updateLogControls();
  });
  connect(chkAutoLogInternal_, &QCheckBox::toggled, this, [&g](bool on) { g.AutoLogInternalCommands = on ? 1 : 0; });
  connect(chkAutoStart_, &QCheckBox::toggled, this, [this, &g](bool on) {
    g.AutoStart = on ? 1 : 0;
    updateAutoStartControls();
  });
  for (QRadioButton* o : {optNormal_, optSystemTray_, optNTService_, optHidden_})
    connect(o, &QRadioButton::toggled, this, [this](bool on) {
      if (on) storeStartMode();
    });
  connect(optNTService_, &QRadioButton::clicked, this, [this] { cmdSetupService_->setEnabled(true); });
  connect(cmdSetupService_, &QToolButton::clicked, this, [this] {
    if (onServiceInstaller) onServiceInstaller();
  });
  connect(chkIdleTimestamp_, &QCheckBox::toggled, this, [this] { updateIdleControls(); });
  connect(cmdBrowseLogdir_, &QPushButton::clicked, this, [this] { browseLogDirectory(); });
  connect(cmdSetGlobalConstants_, &QPushButton::clicked, this, [this] {
    if (onGlobalConstants) onGlobalConstants();
  });
  connect(&session_, &Session::modelReplaced, this, &GlobalsPage::showGlobals);
}

void GlobalsPage::showGlobals() {
  const jobfile::GlobalSettings& g = session_.model.Globals;
  {
    std::vector<std::unique_ptr<QSignalBlocker>> blocks;
    for (QWidget* w : page_->findChildren<QWidget*>()) blocks.push_back(std::make_unique<QSignalBlocker>(w));
    txtRoziRoruTitle_->setText(g.RoziRoruTitle);
    txtLogdir_->setText(g.LogDirectory);
    chkEnableLogging_->setChecked(g.EnableLogging != 0);
    chkAutoLogInternal_->setChecked(g.AutoLogInternalCommands != 0);
    chkAutoStart_->setChecked(g.AutoStart != 0);
    setStartMode(g.AutoStartState);
  }
  updateLogControls();
  updateAutoStartControls();
}

// Selects the option of a start mode 1 to 4; 0 (no mode stored) selects none, with the
// group's exclusivity lifted while the options are cleared.
void GlobalsPage::setStartMode(int state) {
  startModes_->setExclusive(false);
  for (QAbstractButton* o : startModes_->buttons()) o->setChecked(false);
  startModes_->setExclusive(true);
  const QList<QRadioButton*> modes{optNormal_, optSystemTray_, optNTService_, optHidden_};
  if (state >= 1 && state <= 4) modes[state - 1]->setChecked(true);
}

void GlobalsPage::storeStartMode() {
  const QList<QRadioButton*> modes{optNormal_, optSystemTray_, optNTService_, optHidden_};
  int state = 0;
  for (int i = 0; i < modes.size() && state == 0; ++i)
    if (modes[i]->isChecked()) state = i + 1;
  session_.model.Globals.AutoStartState = state;
}

void GlobalsPage::updateLogControls() {
  const bool on = chkEnableLogging_->isChecked();
  txtLogdir_->setEnabled(on);
  cmdBrowseLogdir_->setEnabled(on);
}

void GlobalsPage::updateAutoStartControls() {
  const bool on = chkAutoStart_->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{optNormal_, optSystemTray_, optHidden_}) w->setEnabled(on);
  if (!on || IsWindowsNT()) {
    optNTService_->setEnabled(on);
    cmdSetupService_->setEnabled(on);
  }
}

void GlobalsPage::updateIdleControls() { txtIdleTimestampValue_->setEnabled(chkIdleTimestamp_->isChecked()); }

bool GlobalsPage::eventFilter(QObject* watched, QEvent* event) {
  auto* box = qobject_cast<QLineEdit*>(watched);
  if (!box) return false;
  if (event->type() == QEvent::FocusIn)
    QTimer::singleShot(0, box, [box] { box->selectAll(); });
  else if (box == txtIdleTimestampValue_ && leavesField(event) && !checking_)
    QTimer::singleShot(0, this, [this] { checkIdleMinutes(); });
  return false;
}

void GlobalsPage::checkIdleMinutes() {
  const std::optional<double> minutes = FileNumber(txtIdleTimestampValue_->text());
  if (!minutes) {
    refuse(checking_, txtIdleTimestampValue_,
           QStringLiteral("Illegal <IdleTimestampValue> value, must be a numeric value!"),
           QStringLiteral("Illegal Value"), QStringLiteral("30"));
    return;
  }
  if (*minutes < 1) txtIdleTimestampValue_->setText(QStringLiteral("1"));
}

void GlobalsPage::browseLogDirectory() {
  if (txtLogdir_->text().isEmpty()) txtLogdir_->setText(QCoreApplication::applicationDirPath());
  txtLogdir_->setText(SelectFolder(page_, QStringLiteral("Browse Log Directory"), txtLogdir_->text()));
}

}  // namespace mvnz::manager::ui
