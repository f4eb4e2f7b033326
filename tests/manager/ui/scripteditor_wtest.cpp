// The command-script editor offscreen: the tree's keys, texts and pictures, the
// editing commands driven through the toolbar, keys and context menu, drag and drop
// and its scroll zones by synthetic mouse events, in-place comments and the comment
// dialog, the RoziRoruner box kept in step, the palette's stored extent, hiding on
// close, and the edited script saved and read back by the daemon's reader.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "controls/panehost.h"
#include "fixture.h"
#include "managerrig.h"
#include "manager/identity.h"
#include "manager/filecommands.h"
#include "manager/properties.h"
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
    activation::setPluginFolder(QStringLiteral(MVNZ_BIN_DIR) + "/Plugins");
    m = StartedManager(s, path, kConfig);
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
  QTreeWidgetItem* line(const QString& key) { return ui::FindNode(tree(), key); }
  QTreeWidgetItem* module(const QString& name) {
    return ui::FindNode(ed->palette(), PaletteKey(s.catalog, s.catalog.find(name)));
  }
  // The global point in the middle of a line of either tree.
  static QPoint at(QTreeWidget* t, QTreeWidgetItem* item) {
    return t->viewport()->mapToGlobal(t->visualItemRect(item).center());
  }
  // A point of the script tree's viewport, global.
  QPoint scriptAt(int y) { return tree()->viewport()->mapToGlobal(QPoint(40, y)); }
  // Presses the left button on a line of from and moves, with the button held, by the
  // points given (the pressed tree keeps the mouse: every event goes to it).
  void press(QTreeWidget* from, QTreeWidgetItem* item) {
    from_ = from;
    QTest::mousePress(from->viewport(), Qt::LeftButton, {}, from->viewport()->mapFromGlobal(at(from, item)));
  }
  void moveTo(const QPoint& global) { QTest::mouseMove(from_->viewport(), from_->viewport()->mapFromGlobal(global)); }
  void release(const QPoint& global) {
    QTest::mouseRelease(from_->viewport(), Qt::LeftButton, {}, from_->viewport()->mapFromGlobal(global));
  }
  QString highlighted() { return ui::LineKey(ed->dropHighlight()); }
  // The command lines' keys agree with the model's names in order.
  void expectKeysFollowTheModel() {
    QTreeWidgetItem* root = tree()->topLevelItem(0);
    ASSERT_EQ(root->childCount(), job().Commands.size());
    for (int i = 0; i < root->childCount(); ++i)
      EXPECT_EQ(ui::LineKey(root->child(i)), script::CommandKey(i + 1, job().Commands[i].Name));
  }
  QTreeWidget* from_ = nullptr;
};

// Built-in dialogs that record what was opened and answer as told.
struct RecordingDialogs : BuiltinDialogs {
  struct Shown {
    BuiltinDialog which;
    QString data1;
  };
  QList<Shown>* shown;
  std::optional<Parameters> answer;
  explicit RecordingDialogs(QList<Shown>* list) : shown(list) {}
  std::optional<Parameters> edit(BuiltinDialog which, Session&, const jobfile::CommandEntry& c) override {
    shown->append({which, c.Data[1]});
    return answer;
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

// Deleting patches the tree: the other lines keep their expanded state and carry the
// numbers of their commands, parameter lines included, as a rebuild would give them.
TEST(ScriptEditor, DeleteKeepsTheOtherLinesAsTheyWere) {
  for (const char* deleted : {"C1_RELOCATE", "C2_COMMENT", "C5_ENDDAEMON"}) {
    SCOPED_TRACE(deleted);
    Rig rig;
    rig.tree()->expandItem(rig.line("C3_!SLEEP"));
    rig.select(deleted);
    rig.key(Qt::Key_Delete);
    const QStringList patched = rig.lines();
    QStringList expanded;
    for (QTreeWidgetItemIterator it(rig.tree()); *it; ++it)
      if ((*it)->isExpanded()) expanded << ui::LineKey(*it);
    rig.ed->BuildScriptTree();
    EXPECT_EQ(patched, rig.lines());
    const QString sleep = script::CommandKey(QString(deleted) == "C5_ENDDAEMON" ? 3 : 2, "!Sleep");
    EXPECT_EQ(expanded, (QStringList{"r", sleep}));
  }
  // Up on a parameter line of a renumbered command moves that command.
  Rig rig;
  rig.select("C2_COMMENT");
  rig.key(Qt::Key_Delete);
  rig.select("P3_Data1");
  rig.ed->button("up")->trigger();
  EXPECT_EQ(rig.names(), (QStringList{"Relocate", "Vanished", "!Sleep", "EndDaemon"}));
}

// The menu key and Shift+F10 open the context menu of the selected line, also on a
// command line, where every other key is swallowed: copy and paste by keys alone.
TEST(ScriptEditor, ContextMenuByKeys) {
  Rig rig;
  QStringList seen;
  auto choose = [&](const char* caption) {
    QTimer::singleShot(0, [&seen, caption] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      ASSERT_NE(menu, nullptr);
      for (QAction* a : menu->actions())
        if (a->text() == QLatin1String(caption)) {
          seen << a->text() + (a->isEnabled() ? "" : " (grey)");
          a->trigger();
        }
      menu->close();
    });
  };
  rig.select("C3_!SLEEP");
  choose("Copy");
  rig.key(Qt::Key_Menu);
  rig.select("C1_RELOCATE");
  choose("Paste");
  QKeyEvent shiftF10(QEvent::KeyPress, Qt::Key_F10, Qt::ShiftModifier);
  QApplication::sendEvent(rig.tree(), &shiftF10);
  EXPECT_EQ(seen, (QStringList{"Copy", "Paste"}));
  EXPECT_EQ(rig.names(),
            (QStringList{"!Sleep", "Relocate", "Comment", "!Sleep", "Vanished", "EndDaemon"}));
  EXPECT_EQ(rig.selectedKey(), "C1_!SLEEP");
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
  // Reordered: the jobs change places and the session says so.
  rig.s.model.RoziRoruners.swapItemsAt(0, 1);
  emit rig.s.roziRorunersChanged();
  EXPECT_EQ(items(), (QStringList{"Third", "Middle"}));
  // Choosing a RoziRoruner in the box shows its script and makes it current.
  rig.s.setCurrent(-1);
  rig.s.setCurrent(0);
  box->setCurrentIndex(1);
  emit box->activated(1);
  EXPECT_EQ(rig.s.CurrentRoziRoruner, 1);
  EXPECT_EQ(rig.lines(), QStringList{"r=Command Script"});
  // Loaded: a new model; the box shows the job the main window makes current.
  rig.s.replaceModel(jobfile::ParseJobFile(kConfig).file);
  EXPECT_EQ(items(), (QStringList{"First", "Second"}));
  EXPECT_EQ(box->currentIndex(), rig.s.CurrentRoziRoruner);
  EXPECT_EQ(rig.lines().size(), rig.s.CurrentRoziRoruner == 0 ? 12 : 1);
  rig.s.ClearRoziRoruners();
  EXPECT_EQ(box->count(), 0);
}

// The side bar's link, the toolbar and the page's button open the editor on the
// current RoziRoruner; with none there is nothing to open. It opens maximised the
// first time; a size the user gave it is kept while it is hidden.
TEST(ScriptEditor, OpenedFromTheMainWindow) {
  Rig rig;
  EXPECT_TRUE(rig.ed->isMaximized());
  rig.ed->showNormal();
  rig.ed->close();
  rig.m->window().dispatch(QStringLiteral("TB_SCRIPT"));
  EXPECT_TRUE(rig.ed->isVisible());
  EXPECT_FALSE(rig.ed->isMaximized());
  for (const char* key : {"SCRIPT", "TB_SCRIPT"}) {
    SCOPED_TRACE(key);
    rig.ed->hide();
    rig.s.setCurrent(1);
    if (QLatin1String(key) == "SCRIPT")
      rig.m->window().dispatchSideBar(QLatin1String(key));
    else
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
  rig.m->window().dispatchSideBar(QStringLiteral("SCRIPT"));
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

// Edited by mouse and toolbar, saved by the toolbar's "save", and read from the file
// with the daemon's rules: every command as the editor left it.
TEST(ScriptEditor, SavedScriptReadsBackInTheDaemon) {
  Rig rig;
  rig.press(rig.ed->palette(), rig.module("Relocate"));
  rig.moveTo(Rig::at(rig.tree(), rig.line("C2_COMMENT")));
  rig.release(Rig::at(rig.tree(), rig.line("C2_COMMENT")));
  rig.press(rig.tree(), rig.line("C4_!SLEEP"));
  rig.moveTo(Rig::at(rig.tree(), rig.line("C1_RELOCATE")));
  rig.release(Rig::at(rig.tree(), rig.line("C1_RELOCATE")));
  rig.select("C1_!SLEEP");
  rig.ed->button("comment")->trigger();
  rig.line("C4_COMMENT")->setText(0, "written words");
  rig.ed->button("save")->trigger();
  ASSERT_EQ(rig.boxes->entries.size(), 1);
  EXPECT_EQ(rig.boxes->entries[0].title, "Settings Saved");

  jobfile::ReadOptions daemon;
  daemon.policy = jobfile::ReadPolicy::Daemon();
  const jobfile::ReadResult back = jobfile::ReadJobFile(rig.path, daemon);
  ASSERT_TRUE(back.ok());
  const QList<jobfile::CommandEntry>& read = back.file.RoziRoruners[0].Commands;
  QStringList names;
  for (const auto& c : read) names << c.Name;
  EXPECT_EQ(names, (QStringList{"Sleep", "Relocate", "Relocate", "Comment", "Vanished", "EndDaemon"}));
  ASSERT_EQ(read.size(), rig.job().Commands.size());
  for (int i = 0; i < read.size(); ++i) {
    SCOPED_TRACE(i);
    for (int k = 1; k <= jobfile::kParameterCount; ++k)
      EXPECT_EQ(read[i].Data[k], rig.job().Commands[i].Data[k]) << k;
  }
  EXPECT_EQ(read[0].Data[30], "z");
  EXPECT_EQ(read[3].Data[1], "written words");
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

// Drops as a table on the five-command script: where the drag starts, where it is
// released, the line highlighted while the pointer is there, and the script after.
TEST(ScriptEditor, DragAndDrop) {
  enum Where { Line, Root, Below, OverPalette };
  struct Case {
    const char* name;
    bool fromPalette;
    const char* source;  // a module name, a palette key, or a script line's key
    Where where;
    const char* target;  // the script line for Line
    const char* highlight;
    QStringList names;
    const char* selected;
  };
  const QStringList unchanged{"Relocate", "Comment", "!Sleep", "Vanished", "EndDaemon"};
  const QStringList appended = unchanged + QStringList{"Relocate"};
  const Case cases[] = {
      {"module onto command 3", true, "Relocate", Line, "C3_!SLEEP", "C3_!SLEEP",
       {"Relocate", "Comment", "Relocate", "!Sleep", "Vanished", "EndDaemon"}, "C3_RELOCATE"},
      {"module onto command 1", true, "Relocate", Line, "C1_RELOCATE", "C1_RELOCATE",
       {"Relocate", "Relocate", "Comment", "!Sleep", "Vanished", "EndDaemon"}, "C1_RELOCATE"},
      {"module onto the last command", true, "Relocate", Line, "C5_ENDDAEMON", "C5_ENDDAEMON",
       {"Relocate", "Comment", "!Sleep", "Vanished", "Relocate", "EndDaemon"}, "C5_RELOCATE"},
      {"module onto the root", true, "Relocate", Root, nullptr, "", appended, ""},
      {"module onto a parameter", true, "Relocate", Line, "P3_Data1", "", appended, ""},
      {"module onto empty space", true, "Relocate", Below, nullptr, "", appended, ""},
      {"category adds nothing", true, "WORKFLOW", Line, "C3_!SLEEP", "", unchanged, ""},
      {"palette root adds nothing", true, "r", Line, "C2_COMMENT", "", unchanged, ""},
      {"module released over the palette", true, "Relocate", OverPalette, nullptr, "", unchanged, ""},
      {"command 2 onto 5", false, "C2_COMMENT", Line, "C5_ENDDAEMON", "C5_ENDDAEMON",
       {"Relocate", "!Sleep", "Vanished", "Comment", "EndDaemon"}, "C4_COMMENT"},
      {"command 5 onto 2", false, "C5_ENDDAEMON", Line, "C2_COMMENT", "C2_COMMENT",
       {"Relocate", "EndDaemon", "Comment", "!Sleep", "Vanished"}, "C2_ENDDAEMON"},
      {"command 1 onto 5", false, "C1_RELOCATE", Line, "C5_ENDDAEMON", "C5_ENDDAEMON",
       {"Comment", "!Sleep", "Vanished", "Relocate", "EndDaemon"}, "C4_RELOCATE"},
      {"command onto itself", false, "C2_COMMENT", Line, "C2_COMMENT", "C2_COMMENT", unchanged, nullptr},
      {"command onto the root", false, "C4_VANISHED", Root, nullptr, "", unchanged, nullptr},
      {"command onto a parameter", false, "C2_COMMENT", Line, "P3_Data3", "", unchanged, nullptr},
      {"parameter onto a command", false, "P3_Data1", Line, "C1_RELOCATE", "", unchanged, nullptr},
      {"command released over the palette", false, "C3_!SLEEP", OverPalette, nullptr, "", unchanged, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    rig.tree()->expandItem(rig.line("C3_!SLEEP"));  // its parameter lines are targets too
    QTreeWidget* from = c.fromPalette ? rig.ed->palette() : rig.tree();
    QTreeWidgetItem* source = c.fromPalette ? rig.module(c.source) : rig.line(c.source);
    if (!source) source = ui::FindNode(from, c.source);
    ASSERT_NE(source, nullptr);
    QTreeWidgetItem* root = rig.tree()->topLevelItem(0);
    QPoint to;
    switch (c.where) {
      case Line: to = Rig::at(rig.tree(), rig.line(c.target)); break;
      case Root: to = Rig::at(rig.tree(), root); break;
      case Below: {
        const QRect last = rig.tree()->visualItemRect(root->child(root->childCount() - 1));
        to = rig.scriptAt(last.bottom() + 12);
        break;
      }
      case OverPalette: to = rig.ed->palette()->viewport()->mapToGlobal(QPoint(30, 30)); break;
    }
    rig.press(from, source);
    rig.moveTo(Rig::at(from, source) + QPoint(0, 30));  // beyond the drag distance
    EXPECT_TRUE(rig.ed->dragging());
    rig.moveTo(to);
    EXPECT_EQ(rig.highlighted(), c.highlight);
    rig.release(to);
    EXPECT_EQ(rig.names(), c.names);
    if (c.selected) {
      EXPECT_EQ(rig.selectedKey(), c.selected);
    }
    EXPECT_EQ(rig.job().Commands.size() > 5 ? rig.job().Commands.last().Data[1] : QString(), QString());
    EXPECT_FALSE(rig.ed->dragging());
    EXPECT_EQ(rig.ed->dropHighlight(), nullptr);
    EXPECT_FALSE(rig.ed->scrollTimer()->isActive());
    EXPECT_FALSE(QApplication::overrideCursor());
    rig.expectKeysFollowTheModel();
  }
}

// A press and release without moving is a click, never a drop: the line is selected
// and nothing moves.
TEST(ScriptEditor, ClickIsNoDrag) {
  Rig rig;
  rig.press(rig.tree(), rig.line("C4_VANISHED"));
  rig.moveTo(Rig::at(rig.tree(), rig.line("C4_VANISHED")) + QPoint(1, 1));
  EXPECT_FALSE(rig.ed->dragging());
  rig.release(Rig::at(rig.tree(), rig.line("C4_VANISHED")));
  EXPECT_EQ(rig.selectedKey(), "C4_VANISHED");
  EXPECT_EQ(rig.names(), (QStringList{"Relocate", "Comment", "!Sleep", "Vanished", "EndDaemon"}));
}

// The scroll zones: 20 pixels at the top and at the bottom of the script tree's view,
// and nowhere beyond the tree.
TEST(ScriptEditor, ScrollZones) {
  Rig rig;
  const int h = rig.tree()->viewport()->height();
  ASSERT_GT(h, 100);
  enum Zone { None, Up, Down };
  const struct {
    int y;
    Zone zone;
  } cases[] = {{0, Up},       {19, Up},       {20, None},    {h / 2, None}, {h - 21, None},
               {h - 20, Down}, {h - 1, Down}, {h + 40, None}, {-40, None}, {10, Up}};
  rig.press(rig.tree(), rig.line("C2_COMMENT"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.y);
    rig.moveTo(rig.scriptAt(c.y));
    ASSERT_TRUE(rig.ed->dragging());
    EXPECT_EQ(rig.ed->scrollTimer()->isActive(), c.zone != None);
    if (c.zone != None) {
      EXPECT_EQ(rig.ed->scrollingUp(), c.zone == Up);
    }
  }
  // Over the palette the tree does not scroll.
  rig.moveTo(Rig::at(rig.ed->palette(), rig.ed->palette()->topLevelItem(0)));
  EXPECT_FALSE(rig.ed->scrollTimer()->isActive());
  rig.release(rig.scriptAt(h / 2));
  EXPECT_FALSE(rig.ed->scrollTimer()->isActive());
  EXPECT_EQ(rig.ed->scrollTimer()->interval(), 100);
}

// Holding a drag in a zone scrolls the tree a line per tick; what the tick highlights
// follows the drop's rule: a command line while a command is dragged, never a
// parameter line, and nothing while a parameter line or a palette category is
// dragged, so dropping those there changes nothing.
TEST(ScriptEditor, AutoScrollHighlightsByTheDropsRule) {
  const struct {
    bool fromPalette;
    const char* key;
  } cases[] = {{false, "C1_RELOCATE"}, {false, "P1_Data1"}, {true, "WORKFLOW"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    Rig rig;
    for (int i = 0; i < 40; ++i) rig.job().Commands.append(rig.job().Commands[0]);
    rig.ed->BuildScriptTree();
    rig.tree()->expandAll();
    const QStringList before = rig.names();
    QScrollBar* bar = rig.tree()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const int h = rig.tree()->viewport()->height();
    QTreeWidget* from = c.fromPalette ? rig.ed->palette() : rig.tree();
    rig.press(from, ui::FindNode(from, c.key));
    rig.moveTo(rig.scriptAt(h - 5));
    ASSERT_TRUE(rig.ed->scrollTimer()->isActive());
    const bool command = QString(c.key).startsWith('C');
    int commandHighlights = 0;
    for (int tick = 0; tick < 12; ++tick) {
      const int was = bar->value();
      QMetaObject::invokeMethod(rig.ed->scrollTimer(), "timeout");  // one tick
      EXPECT_GT(bar->value(), was);
      const QString under = ui::LineKey(rig.tree()->itemAt(QPoint(40, h - 5)));
      const bool target = command && under.startsWith('C');
      EXPECT_EQ(rig.highlighted(), target ? under : QString()) << qPrintable(under);
      commandHighlights += target;
    }
    EXPECT_EQ(commandHighlights > 0, command);
    if (command) {
      rig.moveTo(rig.scriptAt(h / 2));  // the middle stops it
      EXPECT_FALSE(rig.ed->scrollTimer()->isActive());
    }
    rig.release(rig.scriptAt(command ? h / 2 : h - 5));
    EXPECT_FALSE(rig.ed->scrollTimer()->isActive());
    if (!command) {
      EXPECT_EQ(rig.names(), before);
    }
  }
}

// Double-click: a comment line opens the comment dialog with its comment; any other
// line (a parameter line stands for its command) the property dialog of the command
// by its number, with the name from the model; the root nothing.
TEST(ScriptEditor, DoubleClickOpensTheLinesDialog) {
  QList<RecordingDialogs::Shown> shown;
  const struct {
    const char* key;
    std::optional<BuiltinDialog> which;
    const char* data1;
  } cases[] = {{"C2_COMMENT", BuiltinDialog::Comment, "keep me"},
               {"C6_ERRORACTION", BuiltinDialog::ErrorAction, "ERRORACTION"},
               {"P6_Data1", BuiltinDialog::ErrorAction, "ERRORACTION"},
               {"r", std::nullopt, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    shown.clear();
    Rig rig;
    rig.job().Commands.append(jobfile::CommandEntry{});
    rig.job().Commands.last().Name = "ErrorAction";
    rig.job().Commands.last().Data[1] = "ERRORACTION";  // a parameter line's text that is a name
    rig.ed->BuildScriptTree();
    rig.tree()->expandAll();
    auto dialogs = std::make_unique<RecordingDialogs>(&shown);
    Parameters answer{};
    answer[1] = "written";
    dialogs->answer = answer;
    rig.m->setBuiltinDialogs(std::move(dialogs));
    QTreeWidgetItem* item = rig.line(c.key);
    ASSERT_NE(item, nullptr);
    const QPoint p = rig.tree()->visualItemRect(item).center();
    QTest::mouseClick(rig.tree()->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseDClick(rig.tree()->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseRelease(rig.tree()->viewport(), Qt::LeftButton, {}, p);
    if (!c.which) {
      EXPECT_TRUE(shown.isEmpty());
      continue;
    }
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].which, *c.which);
    EXPECT_EQ(shown[0].data1, c.data1);
    const int n = script::CommandNumber(c.key);
    EXPECT_EQ(rig.job().Commands[n - 1].Data[1], "written");
    EXPECT_EQ(rig.selectedKey(), script::CommandKey(n, rig.job().Commands[n - 1].Name));
  }
}

// The real comment dialog from a double-click writes the comment; an in-place edit the
// file could not carry is refused and the comment kept.
TEST(ScriptEditor, CommentDialogAndRefusedInPlaceEdit) {
  Rig rig;
  QTimer::singleShot(0, [] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->objectName(), "frmCommandComment");
    auto* box = dialog->findChild<QLineEdit*>("txtComment");
    EXPECT_EQ(box->text(), "keep me");
    box->setText("changed words");
    dialog->findChild<QPushButton*>("cmdSave")->click();
  });
  rig.select("C2_COMMENT");
  emit rig.tree()->itemDoubleClicked(rig.line("C2_COMMENT"), 0);
  EXPECT_EQ(rig.job().Commands[1].Data[1], "changed words");
  EXPECT_EQ(rig.line("C2_COMMENT")->text(0), "changed words");

  rig.line("C2_COMMENT")->setText(0, "a]~[b");
  ASSERT_EQ(rig.boxes->entries.size(), 1);
  EXPECT_EQ(rig.job().Commands[1].Data[1], "changed words");
  EXPECT_EQ(rig.line("C2_COMMENT")->text(0), "changed words");
}

// Opening the editor gives the palette its stored width in twips (and its left edge,
// except from the toolbar); an empty or unusable value leaves it as it was.
TEST(ScriptEditor, PaletteTakesItsStoredExtent) {
  const struct {
    const char* command;
    const char* left;
    const char* width;
    int expectWidth;  // 0: as before; -1: laid out last, the palette takes the rest
    bool paletteRight;
  } cases[] = {{"SCRIPT", nullptr, "3000", 3000, false},
               {"TB_SCRIPT", nullptr, "2535 twips", 2535, false},
               {"SCRIPT", "60000", "3000", -1, true},  // the left edge orders the trees
               {"TB_SCRIPT", "60000", "3000", 3000, false},
               {"page", "60000", nullptr, -1, true},
               {"SCRIPT", nullptr, "", 0, false},
               {"SCRIPT", nullptr, "abc", 0, false},
               {"SCRIPT", nullptr, "-300", 0, false},
               {"SCRIPT", "1e400", "1e400", 0, false}};
  const QString key = QString::fromLatin1(kManagerKey);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.command) + " " + (c.left ? c.left : "-") + " " + (c.width ? c.width : "-"));
    registry::deleteValue(key, "CSlistLeft");
    registry::deleteValue(key, "CSlistWidth");
    Rig rig;
    rig.ed->hide();
    controls::ZephContainer* box = rig.ed->container();
    const int before = box->childGeometry(rig.ed->palette()).width;
    if (c.left) registry::writeValue(key, "CSlistLeft", c.left);
    if (c.width) registry::writeValue(key, "CSlistWidth", c.width);
    if (QString(c.command) == "page")
      rig.m->window().roziRoruners().onCommandScript();
    else if (QString(c.command) == "SCRIPT")
      rig.m->window().dispatchSideBar(QLatin1String(c.command));
    else
      rig.m->window().dispatch(QLatin1String(c.command));
    ASSERT_TRUE(rig.ed->isVisible());
    const auto palette = box->childGeometry(rig.ed->palette());
    if (c.expectWidth >= 0) {
      EXPECT_EQ(palette.width, c.expectWidth ? c.expectWidth : before);
    }
    EXPECT_EQ(palette.left > box->childGeometry(rig.tree()).left, c.paletteRight);
  }
}

// One current RoziRoruner for the whole manager: chosen in the editor's box by key,
// it is the one the main window shows, and what is typed there goes into it.
TEST(ScriptEditor, TheRoziRorunerChosenInTheEditorIsTheOneTheMainWindowShowsAndEdits) {
  Rig rig;
  QComboBox* mainList = rig.m->window().roziRorunerList();
  auto* description = rig.m->window().findChild<QLineEdit*>("txtDescription");
  ASSERT_EQ(mainList->currentIndex(), 0);
  ASSERT_EQ(description->text(), "Inbox");
  QTest::keyClick(rig.ed->roziRorunerList(), Qt::Key_Down);
  ASSERT_EQ(rig.s.CurrentRoziRoruner, 1);
  EXPECT_EQ(mainList->currentIndex(), 1);
  EXPECT_EQ(description->text(), "");
  rig.ed->hide();
  QTest::keyClicks(description, "typed");
  EXPECT_EQ(rig.s.model.RoziRoruners[1].Description, "typed");
  EXPECT_EQ(rig.s.model.RoziRoruners[0].Description, "Inbox");
  // And back in the main window's list: the editor follows.
  mainList->setCurrentIndex(0);
  EXPECT_EQ(rig.ed->roziRorunerList()->currentIndex(), 0);
  EXPECT_EQ(rig.lines().size(), 12);
}
