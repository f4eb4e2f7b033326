#include "manager/ui/parametertable.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace mvnz::manager::ui {

ParameterTableDialog::ParameterTableDialog(const jobfile::CommandEntry& command, QWidget* parent)
    : QDialog(parent), table_(new QTableWidget(jobfile::kParameterCount, 1, this)) {
  setObjectName(QStringLiteral("frmCommandParameters"));
  setWindowTitle(QStringLiteral("Edit Command: ") + command.Name);
  setModal(true);
  table_->setObjectName(QStringLiteral("tblParameters"));
  table_->setHorizontalHeaderLabels({QStringLiteral("Value")});
  table_->horizontalHeader()->setStretchLastSection(true);
  for (int k = 1; k <= jobfile::kParameterCount; ++k) {
    table_->setVerticalHeaderItem(k - 1, new QTableWidgetItem(QString::number(k)));
    table_->setItem(k - 1, 0, new QTableWidgetItem(command.Data[k]));
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addWidget(buttons);
  resize(480, 560);
}

Parameters ParameterTableDialog::parameters() const {
  Parameters out;
  for (int k = 1; k <= jobfile::kParameterCount; ++k)
    if (const QTableWidgetItem* item = table_->item(k - 1, 0)) out[k] = item->text();
  return out;
}

std::optional<Parameters> ParameterTableDialogs::edit(BuiltinDialog, Session&,
                                                      const jobfile::CommandEntry& command) {
  ParameterTableDialog dialog(command, owner_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.parameters();
}

}  // namespace mvnz::manager::ui
