#include "manager/ui/roziroruner_page.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <optional>

#include "controls/vistrel.h"
#include "library/numbers.h"
#include "manager/filters.h"
#include "manager/services.h"
#include "manager/session.h"
#include "manager/ui/choosers.h"
#include "manager/ui/variablesmenu.h"
#include "pagewidgets.h"
#include "platform/prompts.h"

namespace mvnz::manager::ui {

using namespace pagewidgets;

namespace {

// The Enabled box holds 0, 1 or 2 (grayed) from the file; a click only ever moves
// between checked and unchecked. Releasing the right button over it pops its status
// menu up at the mouse; the right button never toggles it.
class EnabledBox : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;
  QMenu* statusMenu = nullptr;

 protected:
  void nextCheckState() override {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::RightButton) return event->accept();
    QCheckBox::mousePressEvent(event);
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() != Qt::RightButton) return QCheckBox::mouseReleaseEvent(event);
    event->accept();
    if (statusMenu) statusMenu->popup(event->globalPosition().toPoint());
  }
};

int checkValue(const QCheckBox* b) {
  switch (b->checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
  }
}

void setCheckValue(QCheckBox* b, int value) {
  b->setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
}

bool modifierHeld() {
  return QApplication::keyboardModifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

}  // namespace

RoziRorunerPage::RoziRorunerPage(Session& session, QWidget* page, QFormLayout* layout, QComboBox* list)
    : QObject(page), session_(session), page_(page), list_(list) {
  list_->setToolTip(QStringLiteral("available filescanners"));
  build(layout);
  connectStores();
  // As created: scheduled trigger, Skip, and the reject options off until a reject
  // filter is typed.
  optTimeTrigger_->setChecked(true);
  optRejectSkip_->setChecked(true);
  for (QRadioButton* o : {optRejectSkip_, optRejectRemove_, optRejectMove_}) o->setEnabled(false);
}

void RoziRorunerPage::build(QFormLayout* layout) {
  QWidget* p = page_;
  if (auto* label = qobject_cast<QLabel*>(layout->labelForField(list_))) {
    label->setObjectName(QStringLiteral("lblMuSpoolEntries"));
    label->setText(QStringLiteral("Select RoziRoruner :"));
  }
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(named(new QPushButton(QStringLiteral("&Add"), p), "cmdAddSpooler"));
  buttons->addWidget(named(new QPushButton(QStringLiteral("Re&move"), p), "cmdRemoveSpooler"));
  buttons->addWidget(named(new QPushButton(QStringLiteral("Re&name"), p), "cmdRenameScanner"));
  buttons->addWidget(named(new QPushButton(QStringLiteral("&Copy"), p), "cmdCopy"));
  buttons->addStretch(1);
  auto* enabled =
      named(new EnabledBox(QStringLiteral("Enabled"), p), "chkEnabled", "right-click to setup");
  chkEnabled_ = enabled;
  chkEnabled_->setTristate(true);
  enabled->statusMenu = buildStatusMenu();
  buttons->addWidget(chkEnabled_);
  layout->addRow(buttons);

  fraScannerOptions_ = panel(p, "fraScannerOptions");
  auto* grid = new QGridLayout(fraScannerOptions_);
  QWidget* f = fraScannerOptions_;
  int row = 0;
  auto label = [&](const char* name, const char* text) {
    grid->addWidget(named(new QLabel(QString::fromUtf8(text), f), name), row, 0);
  };

  label("lblTitle", "Description :");
  txtDescription_ = textBox(f, "txtDescription", "filescanner description");
  grid->addWidget(txtDescription_, row++, 1, 1, 3);

  fraTrigger_ = panel(f, "fraTrigger");
  auto* trig = new QHBoxLayout(fraTrigger_);
  optFileTrigger_ = named(new QRadioButton(QStringLiteral("Hotfolder"), fraTrigger_), "optFileTrigger");
  optTimeTrigger_ = named(new QRadioButton(QStringLiteral("Scheduled"), fraTrigger_), "optTimeTrigger");
  trig->addWidget(optFileTrigger_);
  trig->addWidget(optTimeTrigger_);
  grid->addWidget(fraTrigger_, row++, 1, 1, 3);

  label("lblInterval", "Trigger :");
  txtInterval_ = textBox(f, "txtInterval", "interval in seconds or absolute date/time");
  grid->addWidget(txtInterval_, row, 1);
  lblIntervalType_ = named(new QLabel(QStringLiteral("sec."), f), "lblIntervalType");
  grid->addWidget(lblIntervalType_, row, 2);
  picTrigger_ = pictureButton(f, "picTrigger", "click to setup trigger");
  grid->addWidget(picTrigger_, row++, 3);

  label("lblInputDirectory", "ScanDirectory :");
  txtScanDirectory_ = textBox(f, "txtScanDirectory", "filescanner scandirectory");
  grid->addWidget(txtScanDirectory_, row, 1);
  cmdInput_ = named(new QPushButton(QStringLiteral("..."), f), "cmdInput");
  grid->addWidget(cmdInput_, row, 2);
  Picture1_ = pictureButton(f, "Picture1", "click to setup scan-directory");
  grid->addWidget(Picture1_, row++, 3);

  label("lblFilter", "Filter :");
  txtFilter_ = textBox(f, "txtFilter", "input-filter pattern(s), separate by ;");
  grid->addWidget(txtFilter_, row, 1, 1, 2);
  picFilter_ = pictureButton(f, "picFilter", "setup regular expressions");
  grid->addWidget(picFilter_, row++, 3);

  label("lblReject", "Reject :");
  txtReject_ = textBox(f, "txtReject", "reject pattern(s), separate by ;");
  grid->addWidget(txtReject_, row, 1, 1, 2);
  picReject_ = pictureButton(f, "picReject", "setup regular expressions");
  grid->addWidget(picReject_, row++, 3);

  fraReject_ = panel(f, "fraReject");
  auto* rej = new QGridLayout(fraReject_);
  optRejectSkip_ = named(new QRadioButton(QStringLiteral("Skip"), fraReject_), "optRejectSkip");
  optRejectRemove_ = named(new QRadioButton(QStringLiteral("Delete"), fraReject_), "optRejectRemove");
  optRejectMove_ = named(new QRadioButton(QStringLiteral("Move"), fraReject_), "optRejectMove");
  auto* group = new QButtonGroup(fraReject_);
  group->setObjectName(QStringLiteral("rejectOptions"));
  for (QRadioButton* o : {optRejectSkip_, optRejectRemove_, optRejectMove_}) group->addButton(o);
  rej->addWidget(optRejectSkip_, 0, 0);
  rej->addWidget(optRejectRemove_, 0, 1);
  rej->addWidget(optRejectMove_, 0, 2);
  rej->addWidget(named(new QLabel(QStringLiteral("Dir :"), fraReject_), "lblRejectDir"), 1, 0);
  txtRejectMove_ = textBox(fraReject_, "txtRejectMove", "<shift><click> to popup variable-menu");
  rej->addWidget(txtRejectMove_, 1, 1, 1, 2);
  cmdBrowseRejectMove_ = named(new QPushButton(QStringLiteral("..."), fraReject_), "cmdBrowseRejectMove");
  rej->addWidget(cmdBrowseRejectMove_, 1, 3);
  picShowPopup2_ = pictureButton(fraReject_, "picShowPopup2", "click to setup directory");
  rej->addWidget(picShowPopup2_, 1, 4);
  grid->addWidget(fraReject_, row++, 1, 1, 3);

  label("lblStabletimer", "Stabletimer :");
  txtStabletimer_ = textBox(f, "txtStabletimer", "filescanner stable-timer");
  grid->addWidget(txtStabletimer_, row, 1);
  lblSText_ = named(new QLabel(QStringLiteral("sec."), f), "lblSText");
  grid->addWidget(lblSText_, row, 2);
  picStabletimer_ = pictureButton(f, "picStabletimer", "click to setup stabletimer");
  grid->addWidget(picStabletimer_, row++, 3);

  chkIncludeSubdir_ = named(new QCheckBox(QStringLiteral("Include Subdirectories"), f), "chkIncludeSubdir",
                            "include files in subdirectories");
  chkOldestFirst_ = named(new QCheckBox(QStringLiteral("Oldest First"), f), "chkOldestFirst",
                          "process oldest files first");
  chkSingleFiles_ = named(new QCheckBox(QStringLiteral("Single File Handling"), f), "chkSingleFiles",
                          "process one file on each run");
  grid->addWidget(chkIncludeSubdir_, row, 1);
  grid->addWidget(chkOldestFirst_, row++, 2, 1, 2);
  grid->addWidget(chkSingleFiles_, row++, 1);
  layout->addRow(fraScannerOptions_);

  auto* bottom = new QHBoxLayout;
  cmdParameters_ = named(new QPushButton(QStringLiteral("Local Constants"), p), "cmdParameters");
  cmdCommands_ = named(new QPushButton(QStringLiteral("Command Script"), p), "cmdCommands");
  bottom->addStretch(1);
  bottom->addWidget(cmdParameters_);
  bottom->addWidget(cmdCommands_);
  layout->addRow(bottom);

  for (QLineEdit* t : {txtDescription_, txtFilter_, txtReject_, txtStabletimer_}) t->installEventFilter(this);
  for (QLineEdit* t : {txtScanDirectory_, txtRejectMove_}) new PathDrop(t);
}

// mnuRoziRoruStatus: its entries set the Enabled box, whose own handler stores the
// value and switches the page's controls.
QMenu* RoziRorunerPage::buildStatusMenu() {
  auto* menu = named(new QMenu(QStringLiteral("RoziRorunerStatus"), page_), "mnuRoziRoruStatus");
  connect(named(menu->addAction(QStringLiteral("Enable")), "mnuRoziRoruEnabled"),
          &QAction::triggered, this, [this] { chkEnabled_->setCheckState(Qt::Checked); });
  connect(named(menu->addAction(QStringLiteral("Disable")), "mnuRoziRoruDisabled"),
          &QAction::triggered, this, [this] { chkEnabled_->setCheckState(Qt::Unchecked); });
  return menu;
}

void RoziRorunerPage::connectStores() {
  // Text fields: the text as it is, while a RoziRoruner is selected.
  const struct {
    QLineEdit* box;
    QString jobfile::RoziRoruner::*field;
  } texts[] = {{txtDescription_, &jobfile::RoziRoruner::Description},
               {txtScanDirectory_, &jobfile::RoziRoruner::ScanDirectory},
               {txtFilter_, &jobfile::RoziRoruner::InputFilter},
               {txtReject_, &jobfile::RoziRoruner::RejectFilter},
               {txtRejectMove_, &jobfile::RoziRoruner::MoveRejectedDirectory},
               {txtInterval_, &jobfile::RoziRoruner::Interval}};
  for (const auto& t : texts) {
    connect(t.box, &QLineEdit::textChanged, this, [this, field = t.field](const QString& text) {
      if (jobfile::RoziRoruner* r = record()) r->*field = text;
    });
  }
  connect(txtInterval_, &QLineEdit::textChanged, this, [this] { updateIntervalUnit(); });
  connect(txtReject_, &QLineEdit::textChanged, this, [this] { updateRejectControls(); });
  connect(txtStabletimer_, &QLineEdit::textChanged, this, [this](const QString& text) {
    const std::optional<double> v = FileNumber(text);
    if (jobfile::RoziRoruner* r = record(); r && v) r->StableTimer = *v;
  });

  const struct {
    QCheckBox* box;
    int jobfile::RoziRoruner::*field;
  } switches[] = {{chkIncludeSubdir_, &jobfile::RoziRoruner::IncludeSubdir},
                  {chkOldestFirst_, &jobfile::RoziRoruner::OldestFirst},
                  {chkSingleFiles_, &jobfile::RoziRoruner::SingleFileHandling}};
  for (const auto& s : switches) {
    connect(s.box, &QCheckBox::toggled, this, [this, field = s.field](bool on) {
      if (jobfile::RoziRoruner* r = record()) r->*field = on ? 1 : 0;
    });
  }
  connect(chkEnabled_, &QCheckBox::stateChanged, this, [this] {
    if (jobfile::RoziRoruner* r = record()) r->Enabled = checkValue(chkEnabled_);
    ToggleSetup();
  });

  connect(optFileTrigger_, &QRadioButton::toggled, this, [this](bool on) {
    if (!on) return;
    if (jobfile::RoziRoruner* r = record()) r->Trigger = QStringLiteral("FILE");
    setFileControlsEnabled(true);
  });
  connect(optTimeTrigger_, &QRadioButton::toggled, this, [this](bool on) {
    if (!on) return;
    if (jobfile::RoziRoruner* r = record()) r->Trigger = QStringLiteral("TIME");
    setFileControlsEnabled(false);
  });
  for (QRadioButton* o : {optRejectSkip_, optRejectRemove_, optRejectMove_}) {
    connect(o, &QRadioButton::toggled, this, [this](bool on) {
      if (!on) return;
      storeRejectOptions();
      updateRejectDirControls();
    });
  }

  connect(list_, &QComboBox::currentIndexChanged, this, [this] { cmbRoziRorunerList_Click(); });
  // Whichever window chose the current RoziRoruner, the page shows it.
  connect(&session_, &Session::currentChanged, this, &RoziRorunerPage::followCurrent);
  // The folder buttons act on the press, so the modifiers held at that moment count.
  connect(cmdInput_, &QPushButton::pressed, this, [this] {
    const bool explore = modifierHeld();
    QTimer::singleShot(0, this, [this, explore] { chooseScanDirectory(explore); });
  });
  connect(cmdBrowseRejectMove_, &QPushButton::clicked, this, [this] { chooseRejectDirectory(); });

  const struct {
    const char* name;
    std::function<void()> RoziRorunerPage::*hook;
  } hooks[] = {{"cmdAddSpooler", &RoziRorunerPage::onAdd},
               {"cmdRenameScanner", &RoziRorunerPage::onRename},
               {"cmdParameters", &RoziRorunerPage::onLocalConstants},
               {"cmdCommands", &RoziRorunerPage::onCommandScript}};
  for (const auto& h : hooks) {
    auto* b = page_->findChild<QPushButton*>(QLatin1String(h.name));
    connect(b, &QPushButton::clicked, this, [this, hook = h.hook] {
      if (this->*hook) (this->*hook)();
    });
  }
  connect(page_->findChild<QPushButton*>(QStringLiteral("cmdRemoveSpooler")), &QPushButton::clicked, this,
          &RoziRorunerPage::DiscardRoziRoruner);
  // The picture buttons act on the press.
  connect(picTrigger_, &QToolButton::pressed, this, [this] {
    if (onTrigger) onTrigger();
  });
  connect(picFilter_, &QToolButton::pressed, this, [this] {
    if (onRegExp) onRegExp(FilterList::Input);
  });
  connect(picReject_, &QToolButton::pressed, this, [this] {
    if (onRegExp) onRegExp(FilterList::Reject);
  });
  connect(Picture1_, &QToolButton::pressed, this, [this] {
    if (variables_) popupVariables(variables_->scanDirMenu(), txtScanDirectory_, Picture1_);
  });
  connect(picShowPopup2_, &QToolButton::pressed, this, [this] {
    if (variables_) popupVariables(variables_->commandMenu(), txtRejectMove_, picShowPopup2_);
  });
  connect(picStabletimer_, &QToolButton::pressed, this, [this] {
    if (variables_) popupVariables(variables_->stableTimerMenu(), nullptr, picStabletimer_);
  });
  txtRejectMove_->installEventFilter(this);
}

void RoziRorunerPage::setVariablesMenu(VariablesMenu* menu) {
  variables_ = menu;
  variables_->setStableTimer = [this](const QString& value) {
    txtStabletimer_->setText(value);
    updateStableUnit();
  };
}

void RoziRorunerPage::popupVariables(QMenu* menu, QLineEdit* target, QWidget* at) {
  variables_->popupBelow(menu, target, at);
}

void RoziRorunerPage::cmbRoziRorunerList_Click() {
  const int index = list_->currentIndex();
  if (index >= 0) {
    chkEnabled_->setEnabled(true);
    ShowRoziRoruner(index);
  } else {
    session_.setCurrent(-1);
    chkEnabled_->setEnabled(false);
  }
}

void RoziRorunerPage::ShowRoziRoruner(int index) {
  if (index < 0) return;
  showing_ = true;
  session_.setCurrent(index);
  showing_ = false;
  shown_ = session_.shown();
  const jobfile::RoziRoruner* r = record();
  if (!r) return;
  {
    const QList<QWidget*> all = page_->findChildren<QWidget*>();
    std::vector<std::unique_ptr<QSignalBlocker>> blocks;
    for (QWidget* w : all) blocks.push_back(std::make_unique<QSignalBlocker>(w));
    (r->Trigger == QLatin1String("FILE") ? optFileTrigger_ : optTimeTrigger_)->setChecked(true);
    txtDescription_->setText(r->Description);
    txtScanDirectory_->setText(r->ScanDirectory);
    chkIncludeSubdir_->setChecked(r->IncludeSubdir != 0);
    chkOldestFirst_->setChecked(r->OldestFirst != 0);
    txtFilter_->setText(r->InputFilter);
    txtReject_->setText(r->RejectFilter);
    setRejectOption(r->SkipRejected ? optRejectSkip_
                    : r->RemoveRejected ? optRejectRemove_
                    : r->MoveRejected ? optRejectMove_
                                      : nullptr);
    txtRejectMove_->setText(r->MoveRejectedDirectory);
    txtInterval_->setText(r->Interval);
    txtStabletimer_->setText(QString::number(r->StableTimer, 'g', QLocale::FloatingPointShortest));
    chkSingleFiles_->setChecked(r->SingleFileHandling != 0);
    setCheckValue(chkEnabled_, r->Enabled);
  }
  updateIntervalUnit();
  updateStableUnit();
  setFileControlsEnabled(optFileTrigger_->isChecked());
  updateRejectControls();
  updateRejectDirControls();
  ToggleSetup();
  fraScannerOptions_->setEnabled(checkValue(chkEnabled_) != 0);
}

void RoziRorunerPage::followCurrent(int index) {
  if (showing_) return;
  {
    const QSignalBlocker block(list_);
    list_->setCurrentIndex(index);
  }
  if (index >= 0) {
    chkEnabled_->setEnabled(true);
    ShowRoziRoruner(index);
    return;
  }
  // None: the fields stay as they are (the callers that emptied the list clear them)
  // but store nothing.
  shown_ = {};
  chkEnabled_->setEnabled(false);
}

void RoziRorunerPage::ClearRoziRorunerFields() {
  shown_ = {};
  for (QLineEdit* t : {txtDescription_, txtScanDirectory_, txtFilter_, txtReject_, txtInterval_,
                       txtStabletimer_, txtRejectMove_})
    t->clear();
  setRejectOption(optRejectSkip_);
  for (QCheckBox* c : {chkSingleFiles_, chkIncludeSubdir_, chkOldestFirst_, chkEnabled_})
    c->setCheckState(Qt::Unchecked);
}

// Sets one reject option (or none): the group's exclusivity is lifted while all three
// are cleared, so a record with none of the three shows none.
void RoziRorunerPage::setRejectOption(QRadioButton* which) {
  QButtonGroup* group = optRejectSkip_->group();
  group->setExclusive(false);
  for (QRadioButton* o : {optRejectSkip_, optRejectRemove_, optRejectMove_}) o->setChecked(false);
  group->setExclusive(true);
  if (which) which->setChecked(true);
}

void RoziRorunerPage::storeRejectOptions() {
  jobfile::RoziRoruner* r = record();
  if (!r) return;
  r->RemoveRejected = optRejectRemove_->isChecked();
  r->MoveRejected = optRejectMove_->isChecked();
  r->SkipRejected = optRejectSkip_->isChecked();
}

void RoziRorunerPage::ToggleSetup() {
  const int value = checkValue(chkEnabled_);
  if (value == 2) return;
  const bool on = value == 1;
  fraScannerOptions_->setEnabled(on);
  for (QWidget* w : std::initializer_list<QWidget*>{txtInterval_, txtDescription_, optFileTrigger_,
                                                    optTimeTrigger_})
    w->setEnabled(on);
  if (on) {
    cmdCommands_->setEnabled(true);
    cmdParameters_->setEnabled(true);
    setFileControlsEnabled(optFileTrigger_->isChecked());
  } else {
    for (QWidget* w : std::initializer_list<QWidget*>{cmdInput_, txtStabletimer_, picStabletimer_,
                                                      txtScanDirectory_, Picture1_, txtFilter_, picFilter_,
                                                      txtReject_, picReject_, chkIncludeSubdir_,
                                                      chkOldestFirst_, chkSingleFiles_})
      w->setEnabled(false);
  }
}

void RoziRorunerPage::setFileControlsEnabled(bool on) {
  for (QWidget* w : std::initializer_list<QWidget*>{txtScanDirectory_, Picture1_, cmdInput_, txtFilter_,
                                                    picFilter_, txtReject_, picReject_, chkIncludeSubdir_,
                                                    chkOldestFirst_, chkSingleFiles_, txtStabletimer_,
                                                    picStabletimer_})
    w->setEnabled(on);
  fraReject_->setEnabled(on && !txtReject_->text().isEmpty());
}

void RoziRorunerPage::updateRejectControls() {
  const bool any = !txtReject_->text().isEmpty();
  fraReject_->setEnabled(any && optFileTrigger_->isChecked());
  for (QRadioButton* o : {optRejectSkip_, optRejectRemove_, optRejectMove_}) o->setEnabled(any);
  if (any) cmdBrowseRejectMove_->setEnabled(optRejectMove_->isChecked());
}

void RoziRorunerPage::updateRejectDirControls() {
  const bool move = optRejectMove_->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{cmdBrowseRejectMove_, txtRejectMove_, picShowPopup2_})
    w->setEnabled(move);
}

void RoziRorunerPage::updateIntervalUnit() {
  const QString t = txtInterval_->text();
  const bool absolute = t.contains(u':') || t.contains(u'-') || t == QLatin1String("*ON-STARTUP*");
  lblIntervalType_->setText(absolute ? QString() : QStringLiteral("sec."));
}

void RoziRorunerPage::updateStableUnit() {
  noTimestamp_ = txtStabletimer_->text() == QLatin1String("-1");
  lblSText_->setText(noTimestamp_ ? QString() : QStringLiteral("sec."));
  if (variables_) variables_->noTimestampItem()->setChecked(noTimestamp_);
}

void RoziRorunerPage::DiscardRoziRoruner() {
  const int index = list_->currentIndex();
  if (index < 0) {
    prompts::message(QStringLiteral("No RoziRoruner selected in <RoziRoruner List>"),
                     QStringLiteral("No RoziRoruner Selected"), prompts::Icon::Exclamation);
    return;
  }
  const QString question = QStringLiteral("Are you sure you want to remove [") + list_->currentText() + u']';
  if (prompts::message(question, QStringLiteral("Remove RoziRoruner"), prompts::Icon::None,
                       prompts::Buttons::YesNo) != prompts::Answer::Yes)
    return;
  session_.RemoveRoziRoruner(index);
  {
    const QSignalBlocker block(list_);
    list_->removeItem(index);
    list_->setCurrentIndex(-1);
  }
  selectAfterRemoval();
}

void RoziRorunerPage::DeleteAllRoziRoruners() {
  if (list_->count() == 0) return;
  if (prompts::message(QStringLiteral("Are you sure you want to delete all RoziRoruners?"),
                       QStringLiteral("Delete All RoziRoruners"), prompts::Icon::None,
                       prompts::Buttons::YesNo) != prompts::Answer::Yes)
    return;
  session_.ClearRoziRoruners();
  {
    const QSignalBlocker block(list_);
    list_->clear();
  }
  selectAfterRemoval();
}

// Shows entry 0 when RoziRoruners remain; otherwise empties the page.
void RoziRorunerPage::selectAfterRemoval() {
  session_.setCurrent(-1);
  if (list_->count() > 0) {
    list_->setCurrentIndex(0);
    return;
  }
  ClearRoziRorunerFields();
  chkEnabled_->setEnabled(false);
}

bool RoziRorunerPage::eventFilter(QObject* watched, QEvent* event) {
  auto* box = qobject_cast<QLineEdit*>(watched);
  if (!box) return false;
  if (box == txtRejectMove_) {
    // Shift, Ctrl or Alt with the left button opens the variables menu for the box.
    if (event->type() == QEvent::MouseButtonPress && variables_) {
      auto* press = static_cast<QMouseEvent*>(event);
      if (press->button() == Qt::LeftButton && modifierHeld()) {
        popupVariables(variables_->commandMenu(), txtRejectMove_, picShowPopup2_);
        return true;
      }
    }
    return false;
  }
  if (event->type() == QEvent::FocusIn) {
    QTimer::singleShot(0, box, [box] { box->selectAll(); });
  } else if (leavesField(event) && !checking_) {
    // The check runs after the focus change, and not while its own box holds the focus.
    void (RoziRorunerPage::*check)() = box == txtFilter_        ? &RoziRorunerPage::checkFilter
                                       : box == txtReject_      ? &RoziRorunerPage::checkReject
                                       : box == txtStabletimer_ ? &RoziRorunerPage::checkStableTimer
                                                                : nullptr;
    if (check) QTimer::singleShot(0, this, [this, check] { (this->*check)(); });
  }
  return false;
}

void RoziRorunerPage::checkFilter() {
  QString text = txtFilter_->text();
  if (text.isEmpty()) {
    checking_ = true;
    prompts::message(QStringLiteral("<Filter> value cannot be empty!"), QStringLiteral("Empty Filter"),
                     prompts::Icon::Information);
    checking_ = false;
  }
  text = NormalisedFilter(text.isEmpty() ? QStringLiteral(".") : text);
  if (text == NormalisedFilter(txtReject_->text())) {
    refuse(checking_, txtFilter_, QStringLiteral("<Filter> and <Reject> cannot have the same value!"),
           QStringLiteral("ERROR"), QString());
    return;
  }
  if (txtFilter_->text() != text) txtFilter_->setText(text);
}

void RoziRorunerPage::checkReject() {
  const QString text = NormalisedFilter(txtReject_->text());
  if (!text.isEmpty() && text == NormalisedFilter(txtFilter_->text())) {
    refuse(checking_, txtReject_, QStringLiteral("<Reject> and <Filter> cannot have the same value!"),
           QStringLiteral("ERROR"), QString());
    return;
  }
  if (txtReject_->text() != text) txtReject_->setText(text);
}

void RoziRorunerPage::checkStableTimer() {
  if (!FileNumber(txtStabletimer_->text()))
    refuse(checking_, txtStabletimer_, QStringLiteral("Illegal <StableTimer> value, must be a numeric value!"),
           QStringLiteral("Illegal Value"), QStringLiteral("20"));
  updateStableUnit();
}

void RoziRorunerPage::chooseScanDirectory(bool explore) {
  const QString before = txtScanDirectory_->text();
  const QString def = before.isEmpty() ? QStringLiteral("C:") : before;
  if (explore) {
    OpenFolderInExplorer(def);
    return;
  }
  txtScanDirectory_->setText(chosenFolder(before, SelectFolder(page_, QStringLiteral("Select Input Directory:"), def)));
}

void RoziRorunerPage::chooseRejectDirectory() {
  const QString before = txtRejectMove_->text();
  const QString def = before.isEmpty() ? QStringLiteral("C:") : before;
  txtRejectMove_->setText(
      chosenFolder(before, SelectFolder(page_, QStringLiteral("Select Move-Rejected Directory:"), def)));
}

}  // namespace mvnz::manager::ui
