// The command-script editor offscreen: the tree's keys, texts and pictures, the
// editing commands driven through the toolbar, keys and context menu, in-place
// comments, the RoziRoruner box kept in step, hiding on close, and the edited
// script written by the library's writer and read back by the daemon's reader.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QTreeWidget>

#include "controls/panehost.h"
#include "fixture.h"
#include "manager/identity.h"
#include "manager/startup.h"
#include "manager/ui/manager.h"
#include "manager/ui/roziroruner_page.h"
#include "manager/ui/scripteditor.h"
#include "platform/prompts.h"
#include "platform/registry.h"

using namespace mvnz;
using namespace mvnz::manager;
using namespace mvnz::test;

namespace {

// Job "First": Relocate with parameters, a comment, a disabled Sleep with
// parameters 1, 3 and 30, a module no plug-in provides, EndDaemon.
const QByteArray kConfig =
    "[CONFIGURATION]\r\nRoziRoruTitle=T\r\n\r\n[First]\r\nTrigger=FILE\r\nDescription=Inbox\r\n"
    "Command=Relocate]~[/in/a]~[/out/b\r\n"
    "Command=Comment]~[keep me\r\n"
    "Command=!Sleep]~[5]~[]~[x]~[]~[]~[]~[]~[]~[]~[]~[]~[]~[]~[]~[]~[]~[]~[]~[]~[]~[]~[]~[]~[]~[]~[]~[]~[]~[]~[z\r\n"
    "Command=Vanished]~[v\r\n"
    "Command=EndDaemon\r\n\r\n"
    "[Second]\r\nEnabled=1\r\n\r\n";

struct Rig {
  Session s;
  std::unique_ptr<ui::Manager> m;
  std::shared_ptr<prompts::Recorder> boxes = std::make_shared<prompts::Recorder>();
  QString path = rootDir() + "/editor.ini";
  ui::ScriptEditor* ed = nullptr;
  Rig() {
    prompts::install(boxes);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(kConfig);
    f.close();
    activation::setPluginFolder(QStringLiteral(MVNZ_BIN_DIR) + "/Plugins");
    s.VersionText = VersionText();
    m = std::make_unique<ui::Manager>(s);
    StartupHooks hooks;
    hooks.pictures = &m->images();
    EXPECT_TRUE(InitManager(s, {path}, hooks, nullptr));
    s.setCurrent(0);
    ed = &m->scriptEditor();
    ed->show();
  }
  ~Rig() { prompts::install(nullptr); }

  jobfile::RoziRoruner& job() { return *s.current(); }
  QTreeWidget* tree() { return ed->scriptTree(); }
  // Every line of the script tree as "key=text", depth first.
  QStringList lines() {
    QStringList out;
    for (QTreeWidgetItemIterator it(tree()); *it; ++it)
      out << ui::LineKey(*it) + u'=' + (*it)->text(0);
    return out;
  }
  QStringList names() {
    QStringList out;
    for (const auto& c : job().Commands) out << c.Name;
    return out;
  }
  void select(const QString& key) {
    for (QTreeWidgetItemIterator it(tree()); *it; ++it)
      if (ui::LineKey(*it) == key) tree()->setCurrentItem(*it);
  }
  QString selectedKey() {
    const auto sel = tree()->selectedItems();
    return sel.isEmpty() ? QString() : ui::LineKey(sel.first());
  }
  void key(int k) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(tree(), &press);
  }
  QAction* menuEntry(QMenu& menu, const QString& caption) {
    for (QAction* a : menu.actions())
      if (a->text() == caption) return a;
    return nullptr;
  }
};

}  // namespace

TEST(ScriptEditor, TreeKeysTextsAndPictures) {
  Rig rig;
  EXPECT_EQ(rig.lines(),
            (QStringList{"r=Command Script", "C1_RELOCATE=Relocate", "P1_Data1=/in/a",
                         "P1_Data2=/out/b", "C2_COMMENT=keep me", "C3_!SLEEP=!Sleep",
                         "P3_Data1=5", "P3_Data3=x", "P3_Data30=z", "C4_VANISHED=Vanished",
                         "P4_Data1=v", "C5_ENDDAEMON=EndDaemon"}));
  QTreeWidgetItem* root = rig.tree()->topLevelItem(0);
  EXPECT_TRUE(root->isExpanded());
  auto picture = [&](int line) { return root->child(line)->icon(0).cacheKey(); };
  const auto& images = rig.m->images();
  const int relocate = rig.s.catalog.find("Relocate");
  ASSERT_GT(relocate, 0);
  EXPECT_EQ(picture(0), images.small(rig.s.catalog.rows()[relocate].IconIndex).cacheKey());
  EXPECT_EQ(picture(1), images.small(15).cacheKey());
  EXPECT_EQ(picture(2), images.small(15).cacheKey());
  EXPECT_EQ(picture(3), images.small(11).cacheKey());
  EXPECT_EQ(root->child(0)->child(0)->icon(0).cacheKey(), images.small(16).cacheKey());
  EXPECT_EQ(rig.ed->container()->Caption(), "#1 - Inbox");
  EXPECT_EQ(rig.ed->objectName(), "frmCommandScript");
  EXPECT_EQ(rig.ed->minimumSize(), QSize(553, 463));
  // Only a comment line can be edited in place.
  EXPECT_TRUE(root->child(1)->flags() & Qt::ItemIsEditable);
  EXPECT_FALSE(root->child(0)->flags() & Qt::ItemIsEditable);
}

TEST(ScriptEditor, ToolbarActsOnTheLinesCommand) {
  Rig rig;
  auto press = [&](const char* key) { rig.ed->button(key)->trigger(); };
  for (const char* k : {"up", "down", "comment", "clear"})
    EXPECT_FALSE(rig.ed->button(k)->isEnabled()) << k;
  EXPECT_TRUE(rig.ed->button("clearall")->isEnabled());

  rig.select("P3_Data3");  // a parameter line stands for its command
  EXPECT_TRUE(rig.ed->button("up")->isEnabled());
  press("up");
  EXPECT_EQ(rig.names(), (QStringList{"Relocate", "!Sleep", "Comment", "Vanished", "EndDaemon"}));
  EXPECT_EQ(rig.selectedKey(), "C2_!SLEEP");
  press("comment");
  EXPECT_EQ(rig.job().Commands[1].Name, "Sleep");
  EXPECT_EQ(rig.selectedKey(), "C2_SLEEP");
  press("down");
  EXPECT_EQ(rig.selectedKey(), "C3_SLEEP");

  rig.select("P1_Data2");  // its text is no command name; the command's own is used
  press("comment");
  EXPECT_EQ(rig.job().Commands[0].Name, "!Relocate");
  EXPECT_EQ(rig.job().Commands[0].Data[2], "/out/b");

  rig.select("r");  // the root selects nothing
  EXPECT_TRUE(rig.selectedKey().isEmpty());
  EXPECT_FALSE(rig.ed->button("clear")->isEnabled());

  rig.select("C5_ENDDAEMON");
  rig.boxes->answer = prompts::Answer::No;
  press("clear");
  ASSERT_EQ(rig.boxes->entries.size(), 1);
  EXPECT_EQ(rig.boxes->entries[0].title, "Remove Command");
  EXPECT_EQ(rig.boxes->entries[0].text, "Are you sure you want to remove command [EndDaemon]");
  EXPECT_EQ(rig.job().Commands.size(), 5);
  rig.boxes->answer = prompts::Answer::Yes;
  press("clear");
  EXPECT_EQ(rig.job().Commands.size(), 4);
  EXPECT_EQ(rig.selectedKey(), "C4_VANISHED");

  rig.boxes->answer = prompts::Answer::No;
  press("clearall");
  EXPECT_EQ(rig.job().Commands.size(), 4);
  rig.boxes->answer = prompts::Answer::Yes;
  press("clearall");
  EXPECT_TRUE(rig.job().Commands.isEmpty());
  EXPECT_EQ(rig.lines(), QStringList{"r=Command Script"});
  EXPECT_FALSE(rig.ed->button("clearall")->isEnabled());
}

TEST(ScriptEditor, KeysOnCommandLines) {
  Rig rig;
  rig.select("C2_COMMENT");
  rig.key(Qt::Key_Down);  // the selection stays on a command line
  EXPECT_EQ(rig.selectedKey(), "C2_COMMENT");
  rig.key(Qt::Key_Delete);  // removes without asking
  EXPECT_TRUE(rig.boxes->entries.isEmpty());
  EXPECT_EQ(rig.names(), (QStringList{"Relocate", "!Sleep", "Vanished", "EndDaemon"}));
  EXPECT_EQ(rig.selectedKey(), "C1_RELOCATE");
  rig.select("P1_Data1");
  rig.key(Qt::Key_Delete);  // a parameter line is not a command line
  EXPECT_EQ(rig.job().Commands.size(), 4);

  // Enter on a palette module appends it, on a category nothing.
  QTreeWidget* palette = rig.ed->palette();
  palette->setCurrentItem(ui::FindNode(palette, "WORKFLOW"));
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(palette, &enter);
  EXPECT_EQ(rig.job().Commands.size(), 4);
  QTreeWidgetItem* relocate =
      ui::FindNode(palette, PaletteKey(rig.s.catalog, rig.s.catalog.find("Relocate")));
  ASSERT_NE(relocate, nullptr);
  palette->setCurrentItem(relocate);
  QApplication::sendEvent(palette, &enter);
  EXPECT_EQ(rig.names().last(), "Relocate");
  EXPECT_EQ(rig.lines().last(), "C5_RELOCATE=Relocate");
}

TEST(ScriptEditor, ContextMenuCopyAndPaste) {
  Rig rig;
  rig.select("r");
  {
    auto menu = rig.ed->scriptMenu();
    for (const char* c : {"Properties", "Copy", "Paste", "Delete"})
      EXPECT_FALSE(rig.menuEntry(*menu, c)->isEnabled()) << c;
    EXPECT_TRUE(rig.menuEntry(*menu, "Toggle Comment")->isEnabled());
  }
  rig.select("C3_!SLEEP");
  rig.ed->scriptMenu()->actions();
  {
    auto menu = rig.ed->scriptMenu();
    rig.menuEntry(*menu, "Copy")->trigger();
  }
  rig.select("C2_COMMENT");
  {
    auto menu = rig.ed->scriptMenu();
    ASSERT_TRUE(rig.menuEntry(*menu, "Paste")->isEnabled());
    rig.menuEntry(*menu, "Paste")->trigger();
  }
  EXPECT_EQ(rig.names(),
            (QStringList{"Relocate", "!Sleep", "Comment", "!Sleep", "Vanished", "EndDaemon"}));
  EXPECT_EQ(rig.job().Commands[1].Data[30], "z");
  EXPECT_EQ(rig.selectedKey(), "C2_!SLEEP");
  rig.select("P5_Data1");  // not a command line: pasted as command 1
  rig.ed->scriptMenu()->actions();
  {
    auto menu = rig.ed->scriptMenu();
    rig.menuEntry(*menu, "Paste")->trigger();
  }
  EXPECT_EQ(rig.names().first(), "!Sleep");
}

TEST(ScriptEditor, CommentEditedInPlace) {
  Rig rig;
  QTreeWidgetItem* comment = rig.tree()->topLevelItem(0)->child(1);
  comment->setText(0, "new words");  // what committing the edit does
  EXPECT_EQ(rig.job().Commands[1].Data[1], "new words");
  EXPECT_EQ(rig.job().Commands[1].Name, "Comment");
}

TEST(ScriptEditor, RoziRorunerBoxFollowsTheModel) {
  Rig rig;
  QComboBox* box = rig.ed->roziRorunerList();
  auto items = [&] {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
  };
  EXPECT_EQ(items(), (QStringList{"First", "Second"}));
  rig.s.AddRoziRoruner("Third");
  EXPECT_EQ(items(), (QStringList{"First", "Second", "Third"}));
  rig.s.RenameRoziRoruner(1, "Middle");
  EXPECT_EQ(items(), (QStringList{"First", "Middle", "Third"}));
  rig.s.RemoveRoziRoruner(0);
  EXPECT_EQ(items(), (QStringList{"Middle", "Third"}));
  // Choosing a RoziRoruner in the box shows its script and makes it current.
  rig.s.setCurrent(-1);
  rig.s.setCurrent(0);
  box->setCurrentIndex(1);
  emit box->activated(1);
  EXPECT_EQ(rig.s.CurrentRoziRoruner, 1);
  EXPECT_EQ(rig.lines(), QStringList{"r=Command Script"});
}

// The main window's menu, toolbar and page button open the editor on the current
// RoziRoruner; with none there is nothing to open.
TEST(ScriptEditor, OpenedFromTheMainWindow) {
  Rig rig;
  for (const char* key : {"SCRIPT", "TB_SCRIPT"}) {
    SCOPED_TRACE(key);
    rig.ed->hide();
    rig.s.setCurrent(1);
    rig.m->window().dispatch(QLatin1String(key));
    EXPECT_TRUE(rig.ed->isVisible());
    EXPECT_EQ(rig.ed->roziRorunerList()->currentIndex(), 1);
    EXPECT_EQ(rig.lines(), QStringList{"r=Command Script"});
  }
  rig.ed->hide();
  rig.s.setCurrent(0);
  rig.m->window().roziRoruners().onCommandScript();
  EXPECT_TRUE(rig.ed->isVisible());
  EXPECT_EQ(rig.lines().size(), 12);
  rig.ed->hide();
  rig.s.setCurrent(-1);
  rig.m->window().dispatch(QStringLiteral("TB_SCRIPT"));
  EXPECT_FALSE(rig.ed->isVisible());
}

TEST(ScriptEditor, ClosingOnlyHides) {
  Rig rig;
  rig.select("C3_!SLEEP");
  rig.ed->CopyCommand();
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(rig.ed, &esc);
  EXPECT_FALSE(rig.ed->isVisible());
  const auto width = registry::readValue(QString::fromLatin1(kManagerKey), "CSlistWidth");
  ASSERT_TRUE(width.has_value());
  EXPECT_EQ(width->toInt() % 15, 0);  // twips
  EXPECT_GT(width->toInt(), 0);
  rig.ed->show();
  rig.ed->button("close")->trigger();
  EXPECT_FALSE(rig.ed->isVisible());
  EXPECT_TRUE(registry::readValue(QString::fromLatin1(kManagerKey), "CSlistLeft").has_value());
  EXPECT_TRUE(rig.ed->clipboard().available);
  EXPECT_EQ(rig.lines().size(), 12);
}

TEST(ScriptEditor, EditedScriptReadsBackInTheDaemon) {
  Rig rig;
  rig.select("C1_RELOCATE");
  rig.ed->CommandDown();
  rig.ed->MoveCommand(5, 1);
  rig.select("C4_!SLEEP");
  rig.ed->CommentCommand();
  const jobfile::Rendered out = jobfile::RenderJobFile(rig.s.model, rig.s.VersionText);
  const jobfile::ReadResult back = jobfile::ParseJobFile(out.bytes);
  ASSERT_EQ(back.file.RoziRoruners.size(), 2);
  EXPECT_EQ(back.file.RoziRoruners[0].Commands[3].Data[30], "z");
  QStringList names;
  for (const auto& c : back.file.RoziRoruners[0].Commands) names << c.Name;
  EXPECT_EQ(names, (QStringList{"EndDaemon", "Comment", "Relocate", "Sleep", "Vanished"}));
}
