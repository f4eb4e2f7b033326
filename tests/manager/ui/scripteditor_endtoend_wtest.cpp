// End to end under Xvfb: in the real MervaneZuri the script editor is opened from the
// side bar, a Relocate is added from the palette and given its files by keys alone,
// the configuration is saved; the file holds exactly that command, and the real mvnd
// then Relocates a real file with it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "endtoend.h"
#include "manager/filecommands.h"
#include "manager/identity.h"
#include "manager/startup.h"
#include "manager/ui/manager.h"
#include "platform/activation.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::manager;
using mvnz::test::Canonical;
using mvnz::test::RunDaemonUntil;
using mvnz::test::StartManager;
using mvnz::test::TestDisplay;

namespace {

// How many Tab presses lead, in Relocate's property dialog, from the focus it opens
// with to the source box and then on to the destination box: found on the same dialog,
// opened over the same file, here.
QList<int> TabsInRelocateDialog(const QString& config) {
  Session s;
  s.VersionText = VersionText();
  ui::Manager m(s);
  StartupHooks hooks;
  hooks.pictures = &m.images();
  QString error;
  EXPECT_TRUE(InitManager(s, {config}, hooks, &error)) << error.toStdString();
  s.setCurrent(0);
  ui::ScriptEditor& ed = m.scriptEditor();
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
  for (const char* tool : {"Xvfb", "xwininfo", "xdotool"})
    if (QStandardPaths::findExecutable(tool).isEmpty()) GTEST_SKIP() << tool << " is not installed";
  TestDisplay display;
  if (display.name().isEmpty()) GTEST_SKIP() << "Xvfb did not start";

  const QString in = test::makeDir("in"), done = test::makeDir("done"), logs = test::makeDir("logs");
  // The job as the dialog leaves a new Relocate: both boxes ticked ("1", "1").
  QByteArray expected = Canonical(in, done, logs, "\\.txt$");
  expected.replace("/<FILENAME>]~[0]~[1]~[", "/<FILENAME>]~[1]~[1]~[");
  QByteArray start = expected;  // the same job with an empty script
  const qsizetype command = start.indexOf("Command=Relocate");
  ASSERT_GE(command, 0);
  start.remove(command, start.indexOf("\r\n", command) + 2 - command);
  {
    QFile f(DefaultConfigPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(start);
  }
  activation::setPluginFolder(QStringLiteral(MVNZ_BIN_DIR) + "/Plugins");
  const QList<int> tabs = TabsInRelocateDialog(DefaultConfigPath());
  ASSERT_EQ(tabs.size(), 2);
  ASSERT_LT(tabs[0] + tabs[1], 50) << "a box of the dialog is not reached by Tab";

  QProcess manager;
  StartManager(manager, display.name());
  const QString window = display.waitForWindow(MainCaption(VersionText()));
  ASSERT_FALSE(window.isEmpty()) << manager.readAllStandardError().toStdString();
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
  const QString saved = display.waitForWindow("Settings Saved");
  ASSERT_FALSE(saved.isEmpty()) << manager.readAllStandardError().toStdString();
  ASSERT_TRUE(display.keys(saved, {"Return"}));
  ASSERT_TRUE(display.keys(window, {"ctrl+q"}));
  ASSERT_TRUE(manager.waitForFinished(30000));
  EXPECT_EQ(manager.exitCode(), 0);
  EXPECT_EQ(test::readFile(DefaultConfigPath()), expected);

  {
    QFile f(in + "/order.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("order");
  }
  RunDaemonUntil([&] { return QFile::exists(done + "/order.txt"); });
  EXPECT_EQ(test::readFile(done + "/order.txt"), "order");
  EXPECT_FALSE(QFile::exists(in + "/order.txt"));
}
