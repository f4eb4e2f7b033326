// End to end under Xvfb: a RoziRoruner's fields edited in the real MervaneZuri by
// keystrokes (Tab from field to field, typing), saved with Ctrl+S; the file holds
// exactly the edits, and the real mvnd then runs the edited job on real files.
#include <gtest/gtest.h>

#include <QFile>

#include "endtoend.h"
#include "managerrig.h"
#include "manager/filecommands.h"
#include "manager/identity.h"
#include "manager/ui/manager.h"
#include "platform/activation.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::manager;
using namespace mvnz::test;

TEST(ManagerEndToEnd, FieldsEditedByKeysAreWhatTheDaemonRuns) {
  TestDisplay display;
  if (display.name().isEmpty()) GTEST_SKIP() << display.why();

  const QString in = test::makeDir("in"), hot = test::makeDir("hot csv"), done = test::makeDir("done"),
                logs = test::makeDir("logs");
  ASSERT_NO_FATAL_FAILURE(PutFile(DefaultConfigPath(), Canonical(in, done, logs, "\\.txt$")));
  activation::setPluginFolder(QStringLiteral(MVNZ_BIN_DIR) + "/Plugins");
  const QList<int> tabs = TabsToFields(DefaultConfigPath(), {"txtDescription", "txtScanDirectory", "txtFilter"});
  ASSERT_LT(tabs.last(), 200) << "a field is not reached by Tab";

  QProcess manager;
  const QString window = StartManagerWindow(manager, display);
  ASSERT_FALSE(window.isEmpty());
  const QStringList typed = {"edited with keys", hot, "\\.csv$"};
  int at = 0;
  for (int i = 0; i < tabs.size(); ++i) {
    ASSERT_TRUE(display.keys(window, QStringList(tabs[i] - at, QStringLiteral("Tab"))));
    at = tabs[i];
    // Tab selects the field's whole text, so typing replaces it.
    ASSERT_TRUE(display.type(window, typed[i]));
  }
  ASSERT_TRUE(display.keys(window, {"Tab", "ctrl+s"}));  // leaving the filter runs its check
  ASSERT_NO_FATAL_FAILURE(AcknowledgeSaved(display, manager));
  ASSERT_NO_FATAL_FAILURE(QuitManager(display, window, manager));

  QByteArray expected = Canonical(hot, done, logs, "\\.csv$");
  expected.replace("Description=moves text files", "Description=edited with keys");
  EXPECT_EQ(test::readFile(DefaultConfigPath()), expected);

  for (const char* name : {"a.csv", "b.txt"}) ASSERT_NO_FATAL_FAILURE(PutFile(hot + "/" + name, name));
  RunDaemonUntil([&] { return QFile::exists(done + "/a.csv"); });
  EXPECT_EQ(test::readFile(done + "/a.csv"), "a.csv");
  EXPECT_FALSE(QFile::exists(hot + "/a.csv"));
  EXPECT_TRUE(QFile::exists(hot + "/b.txt"));  // the old filter no longer applies
  EXPECT_FALSE(QFile::exists(done + "/b.txt"));
}
