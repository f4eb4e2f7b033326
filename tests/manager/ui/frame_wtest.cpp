// The window frame offscreen: the Options and Help menus, the toolbar and the side
// bar with their keys, the commands with and without a selection, the side-bar
// states kept in the user settings, and the menu shortcuts winning over a focused
// text field.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QStackedWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "fixture.h"
#include "manager/services.h"
#include "manager/session.h"
#include "manager/ui/mainwindow.h"
#include "platform/prompts.h"

using namespace mvnz;
using namespace mvnz::manager;

namespace {

QStringList Keys(const QWidget* bar) {
  QStringList keys;
  for (QAction* a : bar->actions()) keys << a->objectName();
  return keys;
}

struct Rig {
  Session s;
  std::unique_ptr<ui::MainWindow> w;
  QStringList ran;
  Rig() {
    w = std::make_unique<ui::MainWindow>(s);
    jobfile::JobFile f;
    jobfile::RoziRoruner r;
    r.Name = "Job";
    r.Enabled = 1;
    f.RoziRoruners << r;
    s.parentIndex << kNoParent;
    s.replaceModel(f);
    for (const char* k : {"SAVEAS", "SAVE2DEFAULT", "DELETEALL", "SAVE"})
      w->setCommand(QLatin1String(k), [this, k] { ran << QLatin1String(k); });
  }
};

}  // namespace

TEST(WindowFrame, MenusToolbarAndSideBarCarryTheirKeys) {
  Rig r;
  EXPECT_EQ(Keys(r.w->findChild<QMenu*>("OPTIONSMENU")),
            (QStringList{"STARTDAEMON", "STARTINSTALLER", "OPTIONS:INSTALLER:SEPARATOR", "ORGANIZE",
                         "OPTIONS:ORGANIZE:SEPARATOR", "DELETEALL", "OPTIONS:DELETEALL:SEPARATOR", "TESTRE"}));
  EXPECT_EQ(Keys(r.w->findChild<QMenu*>("HELPMENU")),
            (QStringList{"WEBUPDATE", "HELP:WEBUPDATE:SEPARATOR", "HELP", "HELP:HELP:SEPARATOR", "ABOUT"}));
  EXPECT_EQ(Keys(r.w->findChild<QMenu*>("UPDATEMENU")), (QStringList{"UPDATENOW", "AUTOCHECK"}));
  EXPECT_EQ(Keys(r.w->findChild<QToolBar*>("TOOLBAR")),
            (QStringList{"TOOLBAR:SEPARATOR", "TB_SAVE", "TB_SAVE2DEFAULT", "TOOLBAR:SAVE:SEPARATOR", "TB_OPEN",
                         "TB_RELOAD", "TOOLBAR:RELOAD:SEPARATOR", "TB_SCRIPT", "TOOLBAR:SCRIPT:SEPARATOR",
                         "TB_DAEMON"}));
  const struct {
    const char* key;
    QKeySequence shortcut;
  } shortcuts[] = {{"STARTINSTALLER", QKeySequence("Ctrl+M")}, {"ORGANIZE", QKeySequence("Ctrl+G")},
                   {"DELETEALL", QKeySequence("Ctrl+D")},      {"TESTRE", QKeySequence("Ctrl+N")},
                   {"ABOUT", QKeySequence("Ctrl+I")}};
  for (const auto& s : shortcuts) EXPECT_EQ(r.w->action(s.key)->shortcut(), s.shortcut) << s.key;
  EXPECT_TRUE(r.w->action("AUTOCHECK")->isCheckable());
  for (const char* link : {"expBar:CONFIG:ROZIRORUNER", "expBar:CONFIG:SERVICE", "expBar:OPTIONS:DAEMON",
                           "expBar:OPTIONS:WEB"})
    EXPECT_NE(r.w->findChild<QToolButton*>(link), nullptr) << link;
}

TEST(WindowFrame, SideBarSwitchesPagesAndKeepsGroupStates) {
  {
    Rig r;
    r.w->dispatchSideBar("PREFS");
    EXPECT_EQ(r.w->pages()->currentWidget(), r.w->preferencesPage());
    r.w->dispatchSideBar("ROZIRORUNER");
    EXPECT_EQ(r.w->pages()->currentWidget(), r.w->roziRorunerPage());
    // A first run shows both groups open.
    EXPECT_TRUE(r.w->findChild<QToolButton*>("expBar:CONFIG")->isChecked());
    EXPECT_TRUE(r.w->findChild<QToolButton*>("expBar:OPTIONS")->isChecked());
    r.w->findChild<QToolButton*>("expBar:OPTIONS")->click();
    r.w->saveSideBarStates();
  }
  EXPECT_EQ(UserSettings().value("Config/State2").toString(), "0");
  Rig again;
  EXPECT_TRUE(again.w->findChild<QToolButton*>("expBar:CONFIG")->isChecked());
  EXPECT_FALSE(again.w->findChild<QToolButton*>("expBar:OPTIONS")->isChecked());
}

TEST(WindowFrame, MenuShortcutsWinInAFocusedTextField) {
  const struct {
    QKeySequence keys;
    const char* command;
  } cases[] = {{QKeySequence("Ctrl+A"), "SAVEAS"}, {QKeySequence("Ctrl+W"), "SAVE2DEFAULT"},
               {QKeySequence("Ctrl+D"), "DELETEALL"}, {QKeySequence("Ctrl+S"), "SAVE"}};
  for (const auto& c : cases) {
    Rig r;
    r.w->show();
    r.w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(r.w.get()));
    auto* box = r.w->findChild<QLineEdit*>("txtDescription");
    box->setText("typed");
    box->setFocus();
    QTest::keySequence(box, c.keys);
    QCoreApplication::processEvents();
    EXPECT_EQ(r.ran, QStringList{c.command}) << c.command;
    EXPECT_EQ(box->text(), "typed");
  }
}
