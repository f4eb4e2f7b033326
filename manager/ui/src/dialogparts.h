#pragma once
// Small builders shared by the manager's own modal dialogs: the named boxes and
// labels, the "&Ok"/"&Cancel" row, the dialog's name, caption and modality, its
// picture beside the fields and the picture button of the tokens menu.
#include <QDialog>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <functional>

#include "manager/ui/variablesmenu.h"
#include "pagewidgets.h"

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

// The dialog's picture (name) at the top left, its fields beside it.
inline QHBoxLayout* besidePicture(QWidget* parent, const char* name, const QIcon& icon,
                                  QLayout* fields) {
  auto* picture = makeLabel(QLatin1String(name), {}, parent);
  picture->setPixmap(icon.pixmap(32, 32));
  picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  auto* row = new QHBoxLayout;
  row->addWidget(picture);
  row->addLayout(fields, 1);
  return row;
}

// The picture button beside box: pressed, it gives box the focus and opens the tokens
// menu "Command" under it (nothing without a menu).
inline QToolButton* tokensButton(QWidget* parent, const char* name, VariablesMenu* variables,
                                 QLineEdit* box) {
  QToolButton* button =
      pagewidgets::pictureButton(parent, name, "click to select command/variable");
  QObject::connect(button, &QToolButton::pressed, parent, [variables, box, button] {
    if (variables) variables->popupBelow(variables->commandMenu(), box, button);
  });
  return button;
}

inline void startDialog(QDialog* dialog, const QString& name, const QString& title) {
  dialog->setObjectName(name);
  dialog->setWindowTitle(title);
  dialog->setModal(true);
}

}  // namespace mvnz::manager::ui::dialogparts
