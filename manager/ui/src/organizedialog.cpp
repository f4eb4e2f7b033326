#include "manager/ui/organizedialog.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

#include "controls/vistrel.h"
#include "manager/ordering.h"
#include "manager/session.h"
#include "manager/ui/pictures.h"

namespace mvnz::manager::ui {

namespace {

constexpr int kIndexRole = Qt::UserRole;

}  // namespace

OrganizeDialog::OrganizeDialog(Session& session, std::function<void()> shown, QWidget* parent)
    : QDialog(parent), session_(session), shown_(std::move(shown)), lbList_(new QListWidget(this)) {
  setObjectName(QStringLiteral("frmOrganize"));
  setWindowTitle(QStringLiteral("Organize RoziRoruners"));
  setModal(true);
  lbList_->setObjectName(QStringLiteral("lbList"));
  lbList_->setSelectionMode(QAbstractItemView::SingleSelection);
  for (int i = 0; i < session_.RoziRorunerCount(); ++i) {
    auto* item = new QListWidgetItem(session_.model.RoziRoruners[i].Name, lbList_);
    item->setData(kIndexRole, i);
  }

  auto* bar = new QToolBar(this);
  bar->setObjectName(QStringLiteral("tbToolbar"));
  const struct {
    const char* key;
    const char* tip;
    void (OrganizeDialog::*run)();
  } buttons[] = {{"up", "move up", &OrganizeDialog::MoveUp},
                 {"down", "move down", &OrganizeDialog::MoveDown},
                 {"top", "move to top", &OrganizeDialog::MoveTop},
                 {"bottom", "move to bottom", &OrganizeDialog::MoveBottom},
                 {"sort", "sort list", &OrganizeDialog::SortList}};
  for (const auto& b : buttons) {
    QAction* a = bar->addAction(pictures::forKey(QLatin1String(b.key)), QLatin1String(b.tip));
    a->setObjectName(QLatin1String(b.key));
    a->setToolTip(QLatin1String(b.tip));
    connect(a, &QAction::triggered, this, b.run);
  }

  auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
  ok->setObjectName(QStringLiteral("cmdOk"));
  auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  cancel->setObjectName(QStringLiteral("cmdCancel"));
  connect(ok, &QPushButton::clicked, this, [this] {
    SaveList();
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(controls::makeHeaderPanel(QStringLiteral("RoziRoruner List"), this));
  layout->addWidget(bar);
  layout->addWidget(lbList_, 1);
  layout->addLayout(row);
  resize(360, 400);
}

void OrganizeDialog::move(int from, int to) {
  QListWidgetItem* item = lbList_->takeItem(from);
  lbList_->insertItem(to, item);
  lbList_->setCurrentRow(to);
}

void OrganizeDialog::MoveUp() {
  const int i = lbList_->currentRow();
  if (i > 0) move(i, i - 1);
}

void OrganizeDialog::MoveDown() {
  const int i = lbList_->currentRow();
  if (i >= 0 && i < lbList_->count() - 1) move(i, i + 1);
}

void OrganizeDialog::MoveTop() {
  const int i = lbList_->currentRow();
  if (i > 0) move(i, 0);
}

void OrganizeDialog::MoveBottom() {
  const int i = lbList_->currentRow();
  if (i >= 0 && i < lbList_->count() - 1) move(i, lbList_->count() - 1);
}

void OrganizeDialog::SortList() {
  QStringList names;
  QList<QListWidgetItem*> items;
  while (lbList_->count() > 0) {
    items.append(lbList_->takeItem(0));
    names.append(items.back()->text());
  }
  for (const int p : SortedByName(names)) lbList_->addItem(items[p]);
  lbList_->setCurrentRow(-1);
  lbList_->clearSelection();
}

void OrganizeDialog::SaveList() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QList<int> order;
  for (int p = 0; p < lbList_->count(); ++p) order.append(lbList_->item(p)->data(kIndexRole).toInt());
  if (session_.ReorderRoziRoruners(order) && shown_) shown_();
  QApplication::restoreOverrideCursor();
}

void ShowOrganizeDialog(Session& session, std::function<void()> shown, QWidget* parent) {
  OrganizeDialog dialog(session, std::move(shown), parent);
  dialog.exec();
}

}  // namespace mvnz::manager::ui
