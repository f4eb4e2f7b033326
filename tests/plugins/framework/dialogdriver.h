#pragma once
// Driving a plug-in's modal command dialog from a test: the step runs once Props has
// the dialog up, and must close it.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <functional>

namespace mvnz::test {

inline void withDialog(const std::function<void(QDialog*)>& step) {
  QTimer::singleShot(0, [step] {
    auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dlg) {
      ADD_FAILURE() << "no modal dialog";
      return;
    }
    step(dlg);
    if (dlg->isVisible()) {
      ADD_FAILURE() << "dialog still open after the step";
      dlg->reject();
    }
  });
}

template <class W>
W* child(QDialog* d, const char* name) {
  W* w = d->findChild<W*>(name);
  EXPECT_NE(w, nullptr) << name;
  return w;
}

inline void click(QDialog* d, const char* name) {
  if (auto* b = child<QPushButton>(d, name)) b->click();
}

}  // namespace mvnz::test
