// Every window and dialog of the manager, at the default font and at a 1.25 times
// larger one: no visible widget overlaps another or reaches out of its parent, and no
// text is cut.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include "gallery.h"
#include "layoutcheck.h"
#include "managerrig.h"
#include "platform/activation.h"

using namespace mvnz;

namespace {

// The faults of one gallery window, opened on m: a modal dialog is looked at while it
// runs and then closed, any other window once it is shown.
QStringList FaultsOf(const test::GalleryWindow& g, manager::ui::Manager& m) {
  QStringList faults{QStringLiteral("no window opened")};
  QTimer modal;
  modal.setInterval(20);
  QObject::connect(&modal, &QTimer::timeout, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog || !dialog->isVisible()) return;
    modal.stop();
    faults = test::LayoutFaults(dialog);
    dialog->close();
  });
  modal.start();
  if (QWidget* w = g.open(m)) {
    QApplication::processEvents();
    faults = test::LayoutFaults(w);
    w->hide();
  }
  modal.stop();
  return faults;
}

}  // namespace

TEST(Layout, EveryWindowAtTheDefaultAndALargerFont) {
  activation::setPluginFolder(QStringLiteral(MVNZ_BIN_DIR "/Plugins"));  // their dialogs too
  const QFont standard = QApplication::font();
  for (const double scale : {1.0, 1.25}) {
    QFont font = standard;
    font.setPointSizeF(standard.pointSizeF() * scale);
    QApplication::setFont(font);
    manager::Session s;
    const auto m = test::StartedManager(s, test::rootDir() + "/MVNZuri.ini",
                                        test::GalleryConfiguration(test::makeDir("hot")));
    for (const test::GalleryWindow& g : test::Gallery()) {
      const QStringList faults = FaultsOf(g, *m);
      EXPECT_TRUE(faults.isEmpty()) << g.name << " at " << scale << "x:\n"
                                    << faults.join(QLatin1Char('\n')).toStdString();
    }
  }
  QApplication::setFont(standard);
}
