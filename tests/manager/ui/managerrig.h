#pragma once
// The manager started in the test process as its program starts it: the catalogue,
// the preferences, then a configuration file written for the test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QKeyCombination>
#include <QString>
#include <QTest>
#include <memory>

#include "fixture.h"
#include "manager/identity.h"
#include "manager/session.h"
#include "manager/startup.h"
#include "manager/ui/manager.h"

namespace mvnz::test {

// The manager over s, started on the configuration at path; its windows stay hidden.
inline std::unique_ptr<manager::ui::Manager> StartedManager(manager::Session& s, const QString& path) {
  s.VersionText = manager::VersionText();
  auto m = std::make_unique<manager::ui::Manager>(s);
  manager::StartupHooks hooks;
  hooks.pictures = &m->images();
  manager::InitManager(s, {path}, hooks);
  return m;
}

// The same on config, written to path first.
inline std::unique_ptr<manager::ui::Manager> StartedManager(manager::Session& s, const QString& path,
                                                            const QByteArray& config) {
  PutFile(path, config);
  return StartedManager(s, path);
}

// How many Tab presses lead to each of the fields in order, from the focus that the
// keys first (pressed one by one on the focused widget) leave on a freshly shown main
// window started on config: found on the same windows, loaded from the same file,
// here, for the same keys sent to the real program. 200 for a field never reached.
inline QList<int> TabsToFields(const QString& config, const QStringList& fields,
                               const QList<QKeyCombination>& first = {}) {
  manager::Session s;
  const auto started = StartedManager(s, config);
  manager::ui::Manager& m = *started;
  m.window().show();
  m.window().activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(&m.window()));
  const auto focused = [&m]() -> QWidget* {
    QWidget* w = QApplication::focusWidget();
    return w ? w : QApplication::activeWindow() ? QApplication::activeWindow() : &m.window();
  };
  for (const QKeyCombination key : first) {
    QTest::keyClick(focused(), key.key(), key.keyboardModifiers());
    QTest::qWait(100);  // the side bar's links act through the event queue
  }
  QList<int> tabs;
  int pressed = 0;
  for (const QString& field : fields) {
    while (pressed < 200 && (!QApplication::focusWidget() || QApplication::focusWidget()->objectName() != field)) {
      QTest::keyClick(focused(), Qt::Key_Tab);
      ++pressed;
    }
    tabs << pressed;
  }
  for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
  return tabs;
}

}  // namespace mvnz::test
