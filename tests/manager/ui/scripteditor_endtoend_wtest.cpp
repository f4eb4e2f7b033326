// End to end under Xvfb: in the real MervaneZuri the script editor is opened from the
// side bar, a Relocate is added from the palette and given its files by keys alone,
// the configuration is saved; the file holds exactly that command, and the real mvnd
// then Relocates a real file with it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "endtoend.h"
#include "managerrig.h"
#include "manager/filecommands.h"
#include "manager/identity.h"
#include "manager/ui/manager.h"
#include "platform/activation.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::manager;
using mvnz::test::Canonical;
using mvnz::test::TestDisplay;

namespace {

// How many Tab presses lead, in Relocate's property dialog, from the focus it opens
// with to the source box and then on to the destination box: found on the same dialog,
// opened over the same file, here.
QList<int> TabsInRelocateDialog(const QString& config) {
  Session s;
  const auto m = test::StartedManager(s, config);
  s.setCurrent(0);
  ui::ScriptEditor& ed = m->scriptEditor();
  ed.palette()->setCurrentItem(ui::FindNode(ed.palette(), PaletteKey(s.catalog, s.catalog.find("Relocate"))));
  ed.AddCommand();
  ed.selectCommand(1);
  QList<int> tabs;
  QTimer::singleShot(0, [&tabs] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog) return;
    dialog->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
    for (const char* box : {"txtSourceFile", "txtDestinationFile"}) {
      int here = 0;
      while (here < 50 && (!QApplication::focusWidget() || QApplication::focusWidget()->objectName() != box)) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dialog, Qt::Key_Tab);
        ++here;
      }
      tabs << here;
    }
    static_cast<QDialog*>(dialog)->reject();
  });
  ed.CommandProperties();
  return tabs;
}

}  // namespace

TEST(ManagerEndToEnd, RelocateAddedInTheScriptEditorByKeysIsWhatTheDaemonRuns) {
  TestDisplay display;
  if (display.name().isEmpty()) GTEST_SKIP() << display.why();

  const QString in = test::makeDir("in"), done = test::makeDir("done"), logs = test::makeDir("logs");
  // The job as the dialog leaves a new Relocate: both boxes ticked ("1", "1").
  QByteArray expected = Canonical(in, done, logs, "\\.txt$");
  expected.replace("/<FILENAME>]~[0]~[1]~[", "/<FILENAME>]~[1]~[1]~[");
  QByteArray start = expected;  // the same job with an empty script
  const qsizetype command = start.indexOf("Command=Relocate");
  ASSERT_GE(command, 0);
  start.remove(command, start.indexOf("\r\n", command) + 2 - command);
  ASSERT_NO_FATAL_FAILURE(test::PutFile(DefaultConfigPath(), start));
  activation::setPluginFolder(QStringLiteral(MVNZ_BIN_DIR) + "/Plugins");
  const QList<int> tabs = TabsInRelocateDialog(DefaultConfigPath());
  ASSERT_EQ(tabs.size(), 2);
  ASSERT_LT(tabs[0] + tabs[1], 50) << "a box of the dialog is not reached by Tab";

  QProcess manager;
  const QString window = test::StartManagerWindow(manager, display);
  ASSERT_FALSE(window.isEmpty());
  // The side bar's link by its mnemonic (shared with the Copy button, so it is only
  // focused) and Space.
  ASSERT_TRUE(display.keys(window, {"alt+c", "space"}));
  const QString editor = display.waitForVisible("Command Script");
  ASSERT_FALSE(editor.isEmpty());
  // The palette has the focus: the module by its name, Enter appends it; Tab to the
  // script, Down to the new command, the menu key and its first entry, Properties.
  ASSERT_TRUE(display.type(editor, "Relocate"));
  ASSERT_TRUE(display.keys(editor, {"Return", "Tab", "Down", "Menu", "Down", "Return"}));
  const QString dialog = display.waitForVisible("Edit Command: Relocate");
  ASSERT_FALSE(dialog.isEmpty());
  ASSERT_TRUE(display.keys(dialog, QStringList(tabs[0], QStringLiteral("Tab"))));
  ASSERT_TRUE(display.type(dialog, "<SCANPATHFILENAME>"));
  ASSERT_TRUE(display.keys(dialog, QStringList(tabs[1], QStringLiteral("Tab"))));
  ASSERT_TRUE(display.type(dialog, done + "/<FILENAME>"));
  ASSERT_TRUE(display.keys(dialog, {"alt+o"}));
  ASSERT_TRUE(display.keys(editor, {"Escape"}));  // hides the editor

  ASSERT_TRUE(display.keys(window, {"alt+f", "s"}));  // File, Save
  ASSERT_NO_FATAL_FAILURE(test::AcknowledgeSaved(display, manager));
  ASSERT_NO_FATAL_FAILURE(test::QuitManager(display, window, manager));
  EXPECT_EQ(test::readFile(DefaultConfigPath()), expected);

  test::ExpectDaemonMovesAnOrder(in, done);
}
