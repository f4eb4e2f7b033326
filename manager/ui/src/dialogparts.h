#pragma once
// Small builders shared by the manager's own modal dialogs: the named boxes and
// labels, the "&Ok"/"&Cancel" row and the dialog's name, caption and modality.
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

namespace mvnz::manager::ui::dialogparts {

// "&Ok" and "&Cancel" on a row at the bottom right; Cancel rejects, Ok runs save.
inline QHBoxLayout* makeButtons(QDialog* dialog, const std::function<void()>& save,
                                const char* okName = "cmdSave") {
  auto* ok = new QPushButton(QStringLiteral("&Ok"), dialog);
  ok->setObjectName(QLatin1String(okName));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("&Cancel"), dialog);
  cancel->setObjectName(QStringLiteral("cmdCancel"));
  QObject::connect(ok, &QPushButton::clicked, dialog, save);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  return row;
}

inline QLineEdit* makeBox(const QString& name, const QString& text, QWidget* parent) {
  auto* box = new QLineEdit(text, parent);
  box->setObjectName(name);
  return box;
}

inline QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

inline void startDialog(QDialog* dialog, const QString& name, const QString& title) {
  dialog->setObjectName(name);
  dialog->setWindowTitle(title);
  dialog->setModal(true);
}

}  // namespace mvnz::manager::ui::dialogparts
