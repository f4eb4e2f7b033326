#pragma once
// Small builders shared by the main window's pages: named controls with their tool
// tips, the bevelled panels, the file format's numbers and the refusal of a field's
// value with its box.
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QToolButton>
#include <optional>

#include "controls/vistrel.h"
#include "platform/prompts.h"

namespace mvnz::manager::ui::pagewidgets {

template <typename W>
W* named(W* w, const char* name, const char* tip = nullptr) {
  w->setObjectName(QLatin1String(name));
  if (tip) w->setToolTip(QString::fromUtf8(tip));
  return w;
}

inline QLineEdit* textBox(QWidget* parent, const char* name, const char* tip) {
  return named(new QLineEdit(parent), name, tip);
}

inline QToolButton* pictureButton(QWidget* parent, const char* name, const char* tip) {
  auto* b = named(new QToolButton(parent), name, tip);
  b->setText(QStringLiteral("..."));
  b->setFocusPolicy(Qt::NoFocus);
  return b;
}

inline controls::vistrel* panel(QWidget* parent, const char* name) {
  auto* p = named(new controls::vistrel(parent), name);
  p->setText(QString());
  p->setMinimumSize(0, 0);
  p->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  return p;
}

// A number in the file's form: "." as the decimal separator whatever the locale.
inline std::optional<double> numeric(const QString& text) {
  bool ok = false;
  const double v = text.toDouble(&ok);
  return ok ? std::optional<double>(v) : std::nullopt;
}

// Shows a field check's box, sets the field to then and gives it the focus back;
// checking is set meanwhile so the focus moves do not start the check again.
inline void refuse(bool& checking, QLineEdit* box, const QString& text, const QString& title,
                   const QString& then) {
  checking = true;
  prompts::message(text, title, prompts::Icon::Exclamation);
  box->setText(then);
  box->setFocus(Qt::OtherFocusReason);
  checking = false;
}

// True for a focus loss that leaves the field (not to a pop-up menu or another window).
inline bool leavesField(const QEvent* event) {
  if (event->type() != QEvent::FocusOut) return false;
  const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
  return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

// A folder chooser's result for a box: a chooser opened on an empty box starts at
// "C:"; cancelling it must leave the box empty.
inline QString chosenFolder(const QString& before, const QString& result) {
  return before.isEmpty() && result == QLatin1String("C:") ? QString() : result;
}

}  // namespace mvnz::manager::ui::pagewidgets
