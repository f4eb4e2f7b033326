#include "manager/ui/erroractiondialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/vistrel.h"
#include "dialogparts.h"
#include "library/catalogue.h"
#include "manager/ui/pictures.h"
#include "manager/ui/variablesmenu.h"
#include "pagewidgets.h"
#include "platform/prompts.h"

namespace mvnz::manager::ui {

using namespace dialogparts;
using P = catalogue::param::ErrorAction;
using Choice = ErrorActionDialog::Choice;

namespace {

const QString kTrue = QStringLiteral("True");

QString truth(const QRadioButton* b) {
  return b->isChecked() ? kTrue : QStringLiteral("False");
}

QString checkText(const QCheckBox* b) {
  return b->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

// A stored check box: "1" checks it, any other text clears it (the daemon acts only
// on "1"), an empty one leaves the box as it was.
void setStoredCheck(QCheckBox* box, const QString& stored) {
  if (!stored.isEmpty()) box->setChecked(stored == QLatin1String("1"));
}

QFrame* line(const char* name, QWidget* parent) {
  auto* f = new QFrame(parent);
  f->setObjectName(QLatin1String(name));
  f->setFrameShape(QFrame::HLine);
  f->setFrameShadow(QFrame::Sunken);
  return f;
}

// Enabled states of each choice: the fork controls, the folder controls, the resume box.
struct Follow {
  bool fork, folder, resume;
};
Follow followOf(Choice c) {
  switch (c) {
    case Choice::Fork: return {true, false, true};
    case Choice::Delete: return {false, false, true};
    case Choice::Move: return {false, true, true};
    case Choice::Abort:
    case Choice::Stop: break;
  }
  return {false, false, false};
}

}  // namespace

ErrorActionDialog::ErrorActionDialog(const jobfile::CommandEntry& command,
                                     ErrorActionContext context, QWidget* parent)
    : QDialog(parent), context_(std::move(context)) {
  startDialog(this, QStringLiteral("frmCommandOnError"), QStringLiteral("Edit Command: Error Action"));
  build();
  fill(command);
  connect(cmbRoziRorunerList_, &QComboBox::currentIndexChanged, this, [this](int index) {
    keptTarget_.clear();
    checkTarget(index);
  });
}

void ErrorActionDialog::build() {
  auto radio = [this](const char* name, const char* caption) {
    return pagewidgets::named(new QRadioButton(QString::fromUtf8(caption), this), name);
  };
  optDelete_ = radio("optDelete", "Delete File");
  optMove_ = radio("optMove", "Move File");
  optAbort_ = radio("optAbort", "Abort CommandScript");
  optStop_ = radio("optStop", "Stop Daemon");
  optFork_ = radio("optFork", "Fork to Roziroruner:");
  auto* group = new QButtonGroup(this);
  for (QRadioButton* o : {optFork_, optDelete_, optMove_, optAbort_, optStop_}) {
    group->addButton(o);
    connect(o, &QRadioButton::toggled, this, [this, o](bool on) {
      if (on) follow(choice());
    });
  }
  lblDirectory_ = makeLabel(QStringLiteral("lblDirectory"), QStringLiteral("Directory:"), this);
  txtDirectory_ = makeBox(QStringLiteral("txtDirectory"), {}, this);
  cmdBrowse_ = pagewidgets::named(new QPushButton(QStringLiteral("..."), this), "cmdBrowse");
  cmdBrowse_->setFixedWidth(cmdBrowse_->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
  picSelect_ = tokensButton(this, "picSelect", context_.variables, txtDirectory_);
  chkResume_ = pagewidgets::named(new QCheckBox(QStringLiteral("Resume CommandScript"), this), "chkResume");
  cmbRoziRorunerList_ = pagewidgets::named(new QComboBox(this), "cmbRoziRorunerList", "available filescanners");
  chkCommandsOnly_ = pagewidgets::named(new QCheckBox(QStringLiteral("Commands Only"), this), "chkCommandsOnly");

  // As designed: abort chosen, resume off, "Commands Only" checked; the fork controls
  // are hidden and off (they still carry their values).
  optAbort_->setChecked(true);
  chkCommandsOnly_->setChecked(true);
  for (QWidget* w : std::initializer_list<QWidget*>{optFork_, cmbRoziRorunerList_, chkCommandsOnly_}) {
    w->setVisible(false);
    w->setEnabled(false);
  }

  auto* grid = new QGridLayout;
  grid->addWidget(optDelete_, 0, 0, 1, 4);
  grid->addWidget(optMove_, 1, 0, 1, 4);
  grid->addWidget(lblDirectory_, 2, 0);
  grid->addWidget(txtDirectory_, 2, 1);
  grid->addWidget(cmdBrowse_, 2, 2);
  grid->addWidget(picSelect_, 2, 3);
  grid->addWidget(line("Line1", this), 3, 0, 1, 4);
  grid->addWidget(optAbort_, 4, 0, 1, 4);
  grid->addWidget(chkResume_, 5, 0, 1, 4);
  grid->addWidget(optStop_, 6, 0, 1, 4);
  grid->addWidget(optFork_, 7, 0);
  grid->addWidget(cmbRoziRorunerList_, 7, 1, 1, 3);
  grid->addWidget(chkCommandsOnly_, 8, 1, 1, 3);
  grid->setColumnStretch(1, 1);
  grid->setColumnMinimumWidth(0, 24);

  QHBoxLayout* body =
      besidePicture(this, "Picture5", pictures::forKey(QStringLiteral("picErrorAction")), grid);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(controls::makeHeaderPanel(QStringLiteral("Command: ErrorAction"), this));
  layout->addLayout(body);
  layout->addWidget(line("Line2", this));
  layout->addLayout(makeButtons(this, [this] { save(); }));
  resize(420, sizeHint().height());

  connect(cmdBrowse_, &QPushButton::clicked, this, &ErrorActionDialog::browse);
}

// The stored parameters into the controls. Nothing here raises the fork target check:
// the list is filled and its entry chosen with its signals blocked.
void ErrorActionDialog::fill(const jobfile::CommandEntry& command) {
  const auto& data = command.Data;
  {
    const QSignalBlocker block(cmbRoziRorunerList_);
    cmbRoziRorunerList_->addItems(context_.roziRoruners);
    cmbRoziRorunerList_->setCurrentIndex(-1);
    if (!data[P::ForkTo].isEmpty()) {
      const int at = cmbRoziRorunerList_->findText(data[P::ForkTo], Qt::MatchExactly);
      cmbRoziRorunerList_->setCurrentIndex(at);
      if (at < 0) keptTarget_ = data[P::ForkTo];
    }
  }
  const struct {
    int position;
    QRadioButton* option;
  } options[] = {{P::Fork, optFork_}, {P::Delete, optDelete_}, {P::Move, optMove_},
                 {P::Abort, optAbort_}, {P::Stop, optStop_}};
  for (const auto& o : options)
    if (data[o.position] == kTrue) o.option->setChecked(true);
  if (!data[P::MoveFolder].isEmpty()) txtDirectory_->setText(data[P::MoveFolder]);
  setStoredCheck(chkResume_, data[P::Resume]);
  setStoredCheck(chkCommandsOnly_, data[P::CommandsOnly]);
  follow(choice());
}

Choice ErrorActionDialog::choice() const {
  if (optFork_->isChecked()) return Choice::Fork;
  if (optDelete_->isChecked()) return Choice::Delete;
  if (optMove_->isChecked()) return Choice::Move;
  if (optStop_->isChecked()) return Choice::Stop;
  return Choice::Abort;
}

QRadioButton* ErrorActionDialog::option(Choice c) const {
  switch (c) {
    case Choice::Fork: return optFork_;
    case Choice::Delete: return optDelete_;
    case Choice::Move: return optMove_;
    case Choice::Abort: return optAbort_;
    case Choice::Stop: return optStop_;
  }
  return optAbort_;
}

void ErrorActionDialog::follow(Choice c) {
  const Follow f = followOf(c);
  cmbRoziRorunerList_->setEnabled(f.fork);
  chkCommandsOnly_->setEnabled(f.fork);
  for (QWidget* w : std::initializer_list<QWidget*>{txtDirectory_, cmdBrowse_, picSelect_, lblDirectory_})
    w->setEnabled(f.folder);
  chkResume_->setEnabled(f.resume);
  if (!f.resume) chkResume_->setChecked(false);
}

// A RoziRoruner may not fork to itself nor to the one it was forked from.
void ErrorActionDialog::checkTarget(int index) {
  if (index < 0) return;
  QString refusal;
  if (index == context_.current)
    refusal = QStringLiteral("ERROR: This will cause a loop!");
  else if (context_.parent >= 0 && index == context_.parent)
    refusal = QStringLiteral("ERROR: Cannot fork to parent-scanner!");
  if (refusal.isEmpty()) return;
  prompts::message(refusal, QStringLiteral("LOOP-ERROR"), prompts::Icon::Exclamation);
  const QSignalBlocker block(cmbRoziRorunerList_);
  cmbRoziRorunerList_->setCurrentIndex(-1);
}

void ErrorActionDialog::browse() {
  if (!context_.chooseFolder) return;
  const QString before = txtDirectory_->text();
  const QString start = before.isEmpty() ? QStringLiteral("C:") : before;
  txtDirectory_->setText(pagewidgets::chosenFolder(
      before, context_.chooseFolder(QStringLiteral("Select Directory:"), start)));
}

void ErrorActionDialog::save() {
  const Choice c = choice();
  if ((c == Choice::Fork && cmbRoziRorunerList_->currentIndex() < 0) ||
      (c == Choice::Move && txtDirectory_->text().isEmpty())) {
    prompts::beep();
    return;
  }
  accept();
}

Parameters ErrorActionDialog::parameters() const {
  Parameters out;
  out[P::Fork] = truth(optFork_);
  out[P::ForkTo] = cmbRoziRorunerList_->currentIndex() >= 0 ? cmbRoziRorunerList_->currentText()
                                                             : keptTarget_;
  out[P::Delete] = truth(optDelete_);
  out[P::Move] = truth(optMove_);
  out[P::MoveFolder] = txtDirectory_->text();
  out[P::Abort] = truth(optAbort_);
  out[P::Resume] = checkText(chkResume_);
  out[P::CommandsOnly] = checkText(chkCommandsOnly_);
  out[P::Stop] = truth(optStop_);
  return out;
}

}  // namespace mvnz::manager::ui
