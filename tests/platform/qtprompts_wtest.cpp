#include <gtest/gtest.h>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "platform/prompts.h"

using namespace mvnz::prompts;

namespace {

// Presses the button of role `which` on the next message box that opens.
void pressWhenShown(QMessageBox::StandardButton which, QString* seenText) {
  auto* t = new QTimer;
  QObject::connect(t, &QTimer::timeout, [t, which, seenText] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      *seenText = box->text();
      box->button(which)->click();
      t->deleteLater();
    }
  });
  t->start(10);
}

}  // namespace

TEST(QtPrompts, BoxAnswersWithTheButtonPressed) {
  auto s = makeQt();
  QString seen;
  pressWhenShown(QMessageBox::No, &seen);
  EXPECT_EQ(s->show("Delete it?", "Confirm", Icon::Question, Buttons::YesNoCancel), Answer::No);
  EXPECT_EQ(seen, QString("Delete it?"));
  pressWhenShown(QMessageBox::Ok, &seen);
  EXPECT_EQ(s->show("Done", "Info", Icon::Information, Buttons::Ok), Answer::Ok);
}
