// The main window offscreen: its caption and object names, the list filled from a
// load, the exit path from the menu and from closing the window, the palette drawn
// from the catalogue, and a real plug-in's dialog through command properties.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTreeWidget>

#include "dialogdriver.h"
#include "fixture.h"
#include "library/regwrap.h"
#include "managerrig.h"
#include "manager/filecommands.h"
#include "manager/identity.h"
#include "manager/ui/manager.h"
#include "platform/prompts.h"
#include "platform/registry.h"

using namespace mvnz;
using namespace mvnz::manager;
using namespace mvnz::test;

namespace {

const QByteArray kConfig =
    "[CONFIGURATION]\r\nRoziRoruTitle=T\r\n\r\n[First]\r\nTrigger=FILE\r\n"
    "Command=Relocate]~[/in/a]~[/out/b]~[0]~[1\r\n\r\n[Second]\r\nEnabled=1\r\n\r\n";

struct Rig {
  Session s;
  std::unique_ptr<ui::Manager> m;
  std::shared_ptr<prompts::Recorder> boxes = std::make_shared<prompts::Recorder>();
  QString path = rootDir() + "/main.ini";
  Rig() {
    prompts::install(boxes);
    activation::setPluginFolder(QStringLiteral(MVNZ_BIN_DIR) + "/Plugins");
    m = StartedManager(s, path, kConfig);
    m->window().show();
  }
  ~Rig() { prompts::install(nullptr); }
};

}  // namespace

TEST(MainWindow, CaptionObjectNamesAndTheFileMenu) {
  Rig r;
  ui::MainWindow& w = r.m->window();
  EXPECT_EQ(w.windowTitle(), QString::fromUtf8("Orvendel \xC2\xB7 Mervane Zuri v1.0 \xC2\xB7 Configuration Manager"));
  EXPECT_EQ(w.objectName(), "frmSetup");
  for (const char* name : {"asxRoziRoruners", "asxPreferences", "cmbRoziRorunerList", "sbConfig"})
    EXPECT_NE(w.findChild<QWidget*>(name), nullptr) << name;
  EXPECT_EQ(w.statusBar()->objectName(), "sbStatusBar");
  const struct {
    const char* key;
    const char* caption;
    QKeySequence shortcut;
  } items[] = {{"OPEN", "&Open", QKeySequence("Ctrl+O")},
               {"OPENDEFAULT", "Open De&fault", QKeySequence("Shift+F1")},
               {"SAVE", "&Save", QKeySequence("Ctrl+S")},
               {"SAVEAS", "Save &As", QKeySequence("Ctrl+A")},
               {"SAVE2DEFAULT", "Save to &Default", QKeySequence("Ctrl+W")},
               {"QUIT", "E&xit", QKeySequence("Ctrl+Q")}};
  QStringList order;
  for (QAction* a : w.fileMenu()->actions())
    if (!a->isSeparator()) order << a->objectName();
  EXPECT_EQ(order, (QStringList{"OPEN", "OPENDEFAULT", "OPENRECENT", "SAVE", "SAVEAS", "SAVE2DEFAULT", "QUIT"}));
  for (const auto& i : items) {
    QAction* a = w.action(i.key);
    ASSERT_NE(a, nullptr) << i.key;
    EXPECT_EQ(a->text(), i.caption);
    EXPECT_EQ(a->shortcut(), i.shortcut) << i.key;
  }
  EXPECT_FALSE(w.action("OPENRECENT")->isEnabled());
  EXPECT_EQ(w.action("FILE")->text(), "&File");
}

TEST(MainWindow, LoadFillsTheListAndThePanels) {
  Rig r;
  QComboBox* list = r.m->window().roziRorunerList();
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->itemText(0), "First");
  EXPECT_EQ(list->currentIndex(), 0);
  EXPECT_EQ(r.s.CurrentRoziRoruner, 0);
  list->setCurrentIndex(1);
  EXPECT_EQ(r.s.current()->Name, "Second");
  EXPECT_EQ(r.m->window().configPanelText(), "1, " + r.path);
  EXPECT_EQ(r.m->window().statusPanelText(), "Configuration loaded.");
}

TEST(MainWindow, ExitFromTheMenuOrTheCloseBoxSavesPreferencesNotTheFile) {
  for (bool byClose : {false, true}) {
    SCOPED_TRACE(byClose ? "close box" : "Exit");
    registry::deleteKeyTree(QLatin1String(kManagerKey));
    Rig r;
    r.s.model.RoziRoruners[0].Description = "edited";
    r.s.prefs.LargeScriptIcons = true;
    if (byClose)
      r.m->window().close();
    else
      r.m->window().dispatch("QUIT");
    EXPECT_TRUE(r.s.Exiting);
    EXPECT_FALSE(r.m->window().isVisible());
    EXPECT_EQ(GetRegString(QLatin1String(kManagerKey), "ScriptIconSize"), "Large");
    EXPECT_EQ(readFile(r.path), kConfig);
  }
}

TEST(MainWindow, SaveThroughTheFileMenuWritesTheCurrentPath) {
  Rig r;
  r.s.model.RoziRoruners[1].Description = "saved";
  r.m->window().action("SAVE")->trigger();
  QApplication::processEvents();  // the command runs once the menu has closed
  EXPECT_TRUE(readFile(r.path).contains("Description=saved\r\n"));
  ASSERT_FALSE(r.boxes->entries.isEmpty());
  EXPECT_EQ(r.boxes->entries.last().text, "Settings have been saved!");
}

TEST(MainWindow, PaletteDrawnFromTheCatalogue) {
  Rig r;
  QTreeWidget tree;
  ui::BuildToolTree(&tree, r.s.catalog, r.m->images(), false);
  QTreeWidgetItem* root = tree.topLevelItem(0);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->text(0), "Plugins");
  EXPECT_TRUE(root->isExpanded());
  QStringList top;
  for (int i = 0; i < root->childCount(); ++i) top << root->child(i)->data(0, ui::kNodeKeyRole).toString();
  EXPECT_EQ(top, (QStringList{"WORKFLOW", "TOOLS", "NETWORK", "FILE", "WINDOWS"}));
  QTreeWidgetItem* workflow = ui::FindNode(&tree, "WORKFLOW");
  ASSERT_EQ(workflow->childCount(), 6);
  EXPECT_EQ(workflow->child(0)->data(0, ui::kNodeKeyRole).toString(), "C1_workflow1");
  EXPECT_EQ(workflow->child(5)->text(0), "Reschedule");
  QTreeWidgetItem* relocate = ui::FindNode(&tree, "C17_Relocate");
  ASSERT_NE(relocate, nullptr);
  EXPECT_EQ(relocate->parent()->text(0), "File");
  EXPECT_EQ(r.m->images().count(), kDesignPictures + 4 + 14);
  EXPECT_FALSE(r.m->images().small(r.s.catalog.rows()[17].IconIndex).isNull());
}

TEST(CommandPropertiesWindow, RealPluginDialogConfirmedOrCancelled) {
  for (bool confirm : {true, false}) {
    SCOPED_TRACE(confirm ? "OK" : "Cancel");
    Rig r;
    r.s.setCurrent(0);
    withDialog([confirm](QDialog* d) {
      EXPECT_EQ(d->windowTitle(), "Edit Command: Relocate");
      EXPECT_EQ(child<QLineEdit>(d, "txtSourceFile")->text(), "/in/a");
      child<QLineEdit>(d, "txtDestinationFile")->setText("/elsewhere/<FILENAME>");
      click(d, confirm ? "cmdSave" : "cmdCancel");
    });
    EXPECT_EQ(r.m->ShowCommandProperties("1", "RELOCATE"), confirm);
    const auto& data = r.s.model.RoziRoruners[0].Commands[0].Data;
    EXPECT_EQ(data[1], "/in/a");
    EXPECT_EQ(data[2], confirm ? "/elsewhere/<FILENAME>" : "/out/b");
  }
}

// The manager's own dialogs behind command properties: OK stores parameter 1 and
// empties the rest, Cancel stores nothing.
TEST(CommandPropertiesWindow, LoadConfigAndRescheduleOpenTheirOwnDialogs) {
  const struct {
    const char* name;
    const char* title;
    const char* box;
    bool confirm;
  } cases[] = {
      {"LoadConfig", "Edit Command: Load Config", "txtConfigFile", true},
      {"LoadConfig", "Edit Command: Load Config", "txtConfigFile", false},
      {"Reschedule", "Edit Command: Reschedule", "txtInterval", true},
      {"Reschedule", "Edit Command: Reschedule", "txtInterval", false},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(std::string(k.name) + (k.confirm ? " ok" : " cancel"));
    Rig r;
    r.s.setCurrent(0);
    jobfile::CommandEntry c;
    c.Name = k.name;
    c.Data[1] = "I,5";
    c.Data[2] = "stale";
    r.s.current()->Commands.append(c);
    withDialog([&k](QDialog* d) {
      EXPECT_EQ(d->windowTitle(), k.title);
      child<QLineEdit>(d, k.box)->setText("7");
      click(d, k.confirm ? "cmdSave" : "cmdCancel");
    });
    EXPECT_EQ(r.m->ShowCommandProperties("2", QString(k.name).toUpper()), k.confirm);
    const auto& data = r.s.current()->Commands[1].Data;
    const bool load = QString(k.name) == "LoadConfig";
    EXPECT_EQ(data[1], k.confirm ? (load ? "7" : "I,7") : "I,5");
    EXPECT_EQ(data[2], k.confirm ? "" : "stale");
  }
}
