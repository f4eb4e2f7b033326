#pragma once
// Driving the manager's windows as a user does: mouse clicks on menu bars, menus,
// tool bars and picture buttons found by their object names, and what such a click
// opened (the modal window or the pop-up menu), which is closed again.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <functional>

namespace mvnz::test {

// Runs step on the next modal dialog once it is up (the commands open theirs at once
// or once the press that asked for it is over), then lets the events run until it has
// closed. The step must close it.
inline void whenModal(const std::function<void(QDialog*)>& step, int tries = 100) {
  QTimer::singleShot(tries == 100 ? 0 : 10, [step, tries] {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!d && tries > 0) return whenModal(step, tries - 1);
    if (!d) return ADD_FAILURE() << "no modal dialog";
    step(d);
    if (d->isVisible()) {
      ADD_FAILURE() << "dialog still open after the step";
      d->reject();
    }
  });
}

inline void onDialog(const std::function<void()>& open, const std::function<void(QDialog*)>& step) {
  bool done = false;
  whenModal([&](QDialog* d) {
    step(d);
    done = true;
  });
  open();
  for (int i = 0; i < 200 && !done; ++i) QTest::qWait(5);
  EXPECT_TRUE(done);
}

// The left button pressed and released on a button, as a click: near its left edge,
// where a check box or option button has its mark.
inline void press(QAbstractButton* b) {
  ASSERT_NE(b, nullptr);
  const QPoint at(qMin(10, b->width() / 2), b->height() / 2);
  QTest::mousePress(b, Qt::LeftButton, {}, at);
  QTest::mouseRelease(b, Qt::LeftButton, {}, at);
}

inline QString NameOf(const QWidget* w) { return w ? w->objectName() : QString(); }

// What act opened within waitMs: a modal window other than the one up before (its
// name and caption), and, while watchPopups, a pop-up menu (its name); each is closed
// as soon as it is seen. While a pop-up is up, onPopup may act on it first (a window
// that opens meanwhile is to be watched by an OpenedBy of its own, without popups).
struct Opened {
  QString modal, modalTitle, popup;
};
inline Opened OpenedBy(const std::function<void()>& act, int waitMs = 3000,
                       const std::function<void(QMenu*)>& onPopup = {}, bool watchPopups = true) {
  Opened seen;
  QPointer<QWidget> before = QApplication::activeModalWidget();
  bool handling = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (handling) return;
    handling = true;
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        watchPopups && menu && seen.popup.isEmpty()) {
      seen.popup = NameOf(menu);
      if (onPopup) onPopup(menu);
      for (QWidget* p = QApplication::activePopupWidget(); p; p = QApplication::activePopupWidget())
        p->close();
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != before && seen.modal.isEmpty() && seen.modalTitle.isEmpty()) {
      seen.modal = NameOf(modal);
      seen.modalTitle = modal->windowTitle();
      if (auto* d = qobject_cast<QDialog*>(modal))
        d->reject();
      else
        modal->close();
    }
    handling = false;
  });
  poll.start(10);
  act();
  QTest::qWaitFor(
      [&] { return !seen.modal.isEmpty() || !seen.modalTitle.isEmpty() || !seen.popup.isEmpty(); },
      waitMs);
  QTest::qWait(20);
  return seen;
}

// The action of menu whose object name, or whose submenu's, is name.
inline QAction* ItemOf(const QWidget* menu, const QString& name) {
  for (QAction* a : menu->actions())
    if (a->objectName() == name || (a->menu() && a->menu()->objectName() == name)) return a;
  return nullptr;
}

// Chooses, in the pop-up menu that is up, each item of path in turn: the submenus to
// open (by hovering, as a user opens them), then the item to click. False (and a
// failure) when one is missing.
inline bool ChooseInPopup(const QStringList& path) {
  QTest::qWaitFor([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; },
                  2000);
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  for (const QString& name : path) {
    QAction* item = menu ? ItemOf(menu, name) : nullptr;
    if (!item) {
      ADD_FAILURE() << "no item " << name.toStdString() << " in " << NameOf(menu).toStdString();
      return false;
    }
    const QRect place = menu->actionGeometry(item);
    const QPoint at = place.center();
    // The pointer moves across the item: a menu opens a submenu only for a pointer
    // that moved since the menu appeared.
    for (int x = place.left() + 2; x < at.x(); x += 4) QTest::mouseMove(menu, QPoint(x, at.y()));
    if (item->menu()) {
      QTest::mouseMove(menu, at);
      if (!QTest::qWaitFor([&] { return item->menu()->isVisible(); }, 2000)) {
        ADD_FAILURE() << "submenu " << name.toStdString() << " did not open";
        return false;
      }
      menu = item->menu();
      continue;
    }
    QTest::mouseClick(menu, Qt::LeftButton, {}, at);
  }
  QTest::qWait(20);  // commands are queued: they run once the menu has closed
  return true;
}

// Presses the left button twice on a point of w, the second press a double-click.
inline void DoubleClick(QWidget* w, const QPoint& at) {
  QTest::mouseClick(w, Qt::LeftButton, {}, at);
  QTest::mouseDClick(w, Qt::LeftButton, {}, at);
}

// Opens the menu of the window's menu bar whose action is named top, then chooses
// path in it.
inline bool ChooseFromMenuBar(QMainWindow* window, const QString& top, const QStringList& path) {
  QMenuBar* bar = window->menuBar();
  QAction* menu = ItemOf(bar, top);
  if (!menu) {
    ADD_FAILURE() << "no menu " << top.toStdString();
    return false;
  }
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu).center());
  return ChooseInPopup(path);
}

// Clicks the tool bar's button of the action named key.
inline bool ClickToolButton(QToolBar* bar, const QString& key) {
  QAction* a = bar ? ItemOf(bar, key) : nullptr;
  QWidget* button = a ? bar->widgetForAction(a) : nullptr;
  if (!button) {
    ADD_FAILURE() << "no tool button " << key.toStdString();
    return false;
  }
  QTest::mouseClick(button, Qt::LeftButton);
  QTest::qWait(20);
  return true;
}

}  // namespace mvnz::test
