#include "manager/ui/namingdialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/vistrel.h"
#include "manager/naming.h"
#include "manager/session.h"
#include "platform/prompts.h"

namespace mvnz::manager::ui {

NamingDialog::NamingDialog(Mode mode, Session& session, QComboBox* list, QWidget* parent)
    : QDialog(parent), mode_(mode), session_(session), list_(list) {
  const bool add = mode == Mode::Add;
  setObjectName(add ? QStringLiteral("frmAddRoziRoru") : QStringLiteral("frmRenameRoziRoru"));
  setWindowTitle(add ? QStringLiteral("Add RoziRoruner") : QStringLiteral("Rename RoziRoruner"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(controls::makeHeaderPanel(
      add ? QStringLiteral("Name of Roziroruner") : QStringLiteral("Enter New RoziRoruner Name:"), this));
  box_ = new QLineEdit(this);
  box_->setObjectName(add ? QStringLiteral("txtAddRoziRoru") : QStringLiteral("txtRenameRoziRoru"));
  box_->setToolTip(QStringLiteral("name of new filescanner"));
  box_->setMinimumWidth(box_->fontMetrics().averageCharWidth() * 32);
  layout->addWidget(box_);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
  ok->setObjectName(QStringLiteral("cmdAdd"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  cancel->setObjectName(QStringLiteral("cmdCancel"));
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, [this] { tryAccept(); });
  connect(cancel, &QPushButton::clicked, this, [this, add] {
    if (add) box_->clear();
    reject();
  });
  QTimer::singleShot(0, box_, [this] { box_->selectAll(); });
}

bool NamingDialog::tryAccept() {
  const QString name = box_->text();
  const int self = mode_ == Mode::Rename ? list_->currentIndex() : -1;
  if (const std::optional<NameRefusal> refusal = RefuseRoziRorunerName(session_.model, name, self)) {
    prompts::message(refusal->text, refusal->title, prompts::Icon::Exclamation);
    box_->setFocus();
    return false;
  }
  if (mode_ == Mode::Add) {
    const int index = session_.AddRoziRoruner(name);
    list_->addItem(name);
    list_->setCurrentIndex(index);
    box_->clear();
  } else {
    if (!session_.RenameRoziRoruner(self, name)) return false;
    list_->setItemText(self, name);
  }
  accept();
  return true;
}

void AddRoziRorunerDialog(Session& session, QComboBox* list, QWidget* parent) {
  NamingDialog d(NamingDialog::Mode::Add, session, list, parent);
  d.setWindowTitle(QStringLiteral("Add Roziroruner"));
  d.nameBox()->setText(QStringLiteral("RoziRoruner") + QString::number(session.RoziRorunerCount() + 1));
  d.exec();
}

void RenameRoziRorunerDialog(Session& session, QComboBox* list, QWidget* parent) {
  if (list->currentIndex() < 0) return;
  NamingDialog d(NamingDialog::Mode::Rename, session, list, parent);
  d.nameBox()->setText(list->currentText());
  d.exec();
}

}  // namespace mvnz::manager::ui
