// The framework's own pieces, linked straight into the test: log lines to the daemon,
// the time text, the variables pop-up menu, the folder levels and Val.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QLineEdit>
#include <QMenu>

#include "pluginfixture.h"
#include "plugins/framework.h"
#include "plugins/popup.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::plugin;
using test::sentLines;

TEST(Framework, LogToDaemonSendsTheMessageUnchanged) {
  LogToDaemon("before any daemon", 0);  // dropped silently
  test::installRecordingLog();
  LogToDaemon("line one\r\nline two", 2);
  ASSERT_EQ(sentLines().size(), 1u);
  EXPECT_EQ(sentLines()[0].level, 2);
  EXPECT_EQ(sentLines()[0].text, "line one\r\nline two");
  EXPECT_EQ(PluginTimeText(QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9))), "05-Mar-2024 07:08.09");
  EXPECT_EQ(PluginTimeText(QDateTime(QDate(2023, 12, 31), QTime(23, 59, 0))),
            "31-Dec-2023 23:59.00");
}

TEST(Framework, LogHelpersFollowAutoLogAndSetTheErrorFlag) {
  test::installRecordingLog();
  State() = ModuleState{};
  LogProgress("hidden");
  LogWarning("WARNING_X: w");
  EXPECT_FALSE(State().error);
  LogError("ERROR_X: e");
  EXPECT_TRUE(State().error);
  State().autoLog = true;
  LogProgress("shown");
  ASSERT_EQ(sentLines().size(), 3u);
  EXPECT_EQ(sentLines()[0].level, 1);
  EXPECT_EQ(sentLines()[1].level, 2);
  EXPECT_EQ(sentLines()[2].text, "shown");
}

TEST(Framework, PopupConstantsCaptionsAndTokens) {
  PopupMenu& menu = PopUp();
  QStringList values(16, QString());
  values[3] = "/srv/in";
  for (int n = 1; n <= 15; ++n) menu.setLocalConstant(n, values[n]);
  for (int n = 1; n <= 15; ++n) menu.setGlobalConstant(n, "g" + QString::number(n));
  EXPECT_EQ(menu.find("mnuLocalsConstantsLC", 2)->caption, "<LC3> /srv/in");
  EXPECT_EQ(menu.find("mnuLocalsConstantsLC", 4)->caption, "<LC5> ");
  EXPECT_EQ(menu.find("mnuGlobalsConstantsGC", 14)->caption, "<GC15> g15");
  EXPECT_EQ(menu.find("mnuGlobalsConstantsGV", 0)->caption, "<GV1>");
  EXPECT_EQ(menu.find("mnuCommandsDateMM")->token, "<date_mm>");
  EXPECT_EQ(menu.find("mnuFSdesc")->token, "<RoziRorunerDescription>");

  // The token comes from the index even when the caption shows a value, and lands
  // at the caret of the box that opened the menu.
  menu.setLocalConstant(5, "/data/out");
  QLineEdit box;
  box.setText("ab");
  box.setCursorPosition(1);
  menu.popup(&box, QPoint(10, 10));
  QAction* item = menu.action("mnuLocalsConstantsLC", 4);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text(), "<LC5> /data/out");
  item->trigger();
  EXPECT_EQ(box.text(), "a<LC5>b");
  menu.menu()->close();

  // Top level order, separators included.
  QStringList top;
  for (const auto& m : menu.structure()) top << m.objectName;
  EXPECT_EQ(top, QStringList({"mnuVariablesFile", "mnuDirectory", "mnuFileInfo", "mnuParamBreak1",
                              "mnuLocals", "mnuGlobals", "mnuParamBreak2", "mnuCommandsDate",
                              "mnuCommandsTime", "mnuFS"}));
  UnloadPopUp();
  EXPECT_FALSE(PopUpLoaded());
  EXPECT_EQ(PopUp().find("mnuLocalsConstantsLC", 2)->caption, "<LC3>");
}

TEST(Framework, CreateFolderLevelsTestsEachLevel) {
  const QString root = test::makeDir("levels");
  struct Case {
    QString path;
    QStringList created;
  } cases[] = {
      {root + "/a/b/c", {root + "/a", root + "/a/b", root + "/a/b/c"}},
      {root + "/a/b/c", {}},  // all there
      {root + "/a/x/", {root + "/a/x/"}},
      {"", {}},
  };
  for (const auto& c : cases) {
    QStringList made;
    QString why;
    EXPECT_TRUE(CreateFolderLevels(
        c.path, [&](const QString& l) { made << l; }, &why));
    EXPECT_EQ(made, c.created) << c.path.toStdString();
  }
  test::writeFile(root + "/file", "x");
  QString why;
  EXPECT_FALSE(CreateFolderLevels(root + "/file/sub", {}, &why));
  EXPECT_FALSE(why.isEmpty());
}

TEST(Framework, ValTakesTheLeadingNumber) {
  struct Case {
    const char* text;
    double value;
    bool number;
  } cases[] = {{"7", 7, true},    {" 12abc", 12, true}, {"2.7", 2.7, true},
               {"-3", -3, true},  {"1 0", 10, true},    {"", 0, false},
               {"abc", 0, false}, {"<LV1>", 0, false},  {".5", 0.5, true}};
  for (const auto& c : cases) {
    bool has = !c.number;
    EXPECT_DOUBLE_EQ(Val(c.text, &has), c.value) << c.text;
    EXPECT_EQ(has, c.number) << c.text;
  }
}
