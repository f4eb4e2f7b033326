// The guard against a lost control: every menu item, tool button, side-bar link,
// picture button, right-click and pop-up entry of the manager's windows, driven
// offscreen as a user drives it (mouse clicks and keys on the real widgets, found by
// their object names), and what it did: the window or menu it opened, the box it
// showed, the field it wrote or the bytes it saved.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include "fixture.h"
#include "library/regwrap.h"
#include "manager/filecommands.h"
#include "manager/identity.h"
#include "manager/session.h"
#include "manager/ui/manager.h"
#include "manager/ui/splash.h"
#include "managerrig.h"
#include "platform/prompts.h"
#include "platform/registry.h"
#include "userdriver.h"

using namespace mvnz;
using namespace mvnz::manager;
using namespace mvnz::test;

namespace {

// Job "First": a hot folder whose rejected files are moved, with one command of each
// kind the editor's dialogs edit; job "Second": scheduled. AutoStart on, so the
// service button of the global settings can be pressed.
const QByteArray kConfig =
    "[CONFIGURATION]\r\nRoziRoruTitle=T\r\nAutoStart=1\r\nAutoStartState=3\r\n\r\n"
    "[First]\r\nTrigger=FILE\r\nDescription=Inbox\r\nInputFilter=\\.txt$\r\nRejectFilter=\\.tmp$"
    "\r\n"
    "SkipRejected=False\r\nRemoveRejected=False\r\nMoveRejected=True\r\nInterval=30\r\nStableTimer="
    "20\r\n"
    "Command=Relocate]~[/in/a]~[/out/b\r\n"
    "Command=Reschedule]~[H,2\r\n"
    "Command=LoadConfig]~[/etc/other.ini\r\n"
    "Command=ErrorAction]~[False]~[]~[True]~[False]~[]~[True]~[0]~[1]~[False\r\n"
    "Command=Comment]~[keep me\r\n"
    "Enabled=1\r\n\r\n"
    "[Second]\r\nTrigger=TIME\r\nEnabled=1\r\n\r\n";

struct Rig {
  Session s;
  std::unique_ptr<ui::Manager> m;
  std::shared_ptr<prompts::Recorder> boxes = std::make_shared<prompts::Recorder>();
  QString path = rootDir() + "/guard.ini";
  explicit Rig(const QByteArray& config = kConfig) {
    prompts::install(boxes);
    boxes->answer = prompts::Answer::No;  // questions are asked, nothing is removed
    QFile::remove(DefaultConfigPath());
    activation::setPluginFolder(QStringLiteral(MVNZ_BIN_DIR) + "/Plugins");
    m = StartedManager(s, path, config);
    w().show();
    w().activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&w()));
  }
  ~Rig() {
    for (QWidget* p = QApplication::activePopupWidget(); p; p = QApplication::activePopupWidget())
      p->close();
    prompts::install(nullptr);
  }
  ui::MainWindow& w() { return m->window(); }
  jobfile::RoziRoruner& job(int i) { return s.model.RoziRoruners[i]; }
  template <typename T = QWidget>
  T* get(const char* name) {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (T* found = top->objectName() == QLatin1String(name) ? qobject_cast<T*>(top)
                                                              : top->findChild<T*>(name))
        return found;
    ADD_FAILURE() << "no " << name;
    return nullptr;
  }
  QString lastBox() const {
    return boxes->entries.isEmpty() ? QString() : boxes->entries.last().title;
  }
  QWidget* focused() { return QApplication::focusWidget() ? QApplication::focusWidget() : &w(); }
};

using Drive = std::function<void(Rig&)>;

Drive Menu(const char* top, const QStringList& path) {
  return [=](Rig& r) { ChooseFromMenuBar(&r.w(), QLatin1String(top), path); };
}
Drive Keys(const char* keys) {
  return [=](Rig& r) {
    QTest::keySequence(r.focused(), QKeySequence(QLatin1String(keys)));
    QTest::qWait(20);
  };
}
Drive Tool(const char* key) {
  return
      [=](Rig& r) { ClickToolButton(r.w().findChild<QToolBar*>("TOOLBAR"), QLatin1String(key)); };
}
Drive Click(const char* name) {
  return [=](Rig& r) {
    press(r.get<QAbstractButton>(name));
    QTest::qWait(20);
  };
}
Drive Side(const char* link) { return Click(link); }
// Shows the global settings page first (its controls are hidden behind the page).
Drive OnPrefs(const char* name) {
  return [=](Rig& r) {
    press(r.get<QAbstractButton>("expBar:CONFIG:PREFS"));
    QTest::qWait(20);
    Click(name)(r);
  };
}

// What a row expects: a modal window of that name, else the check to hold.
struct Expect {
  const char* modal = nullptr;
  std::function<bool(Rig&)> holds;
};
Expect Opens(const char* name) { return {name, {}}; }
Expect Boxed(const char* title) {
  return {nullptr, [t = QString::fromUtf8(title)](Rig& r) { return r.lastBox() == t; }};
}
Expect Holds(std::function<bool(Rig&)> check) { return {nullptr, std::move(check)}; }

struct Row {
  const char* what;
  Drive drive;
  Expect expect;
};

void RunRows(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Rig r;
    if (row.expect.modal) {
      const Opened seen = OpenedBy([&] { row.drive(r); });
      EXPECT_TRUE(seen.modal == row.expect.modal || seen.modalTitle == row.expect.modal)
          << seen.modal.toStdString() << " / " << seen.modalTitle.toStdString();
    } else {
      row.drive(r);
      EXPECT_TRUE(QTest::qWaitFor([&] { return row.expect.holds(r); }, 3000));
    }
  }
}

const char kOpenTitle[] = "Select Mervane Configuration File";
const char kSaveTitle[] = "Save Mervane Configuration File";

bool Saved(Rig& r) {
  return r.lastBox() == "Settings Saved" && readFile(r.path).contains("Description=unsaved");
}
Drive Edited(Drive d) {
  return [d](Rig& r) {
    r.job(0).Description = "unsaved";
    d(r);
  };
}

}  // namespace

// The main window's menus (by mouse), their shortcuts, the toolbar and the side bar.
TEST(UserActions, MainWindowCommands) {
  const auto minimised = Holds([](Rig& r) { return r.w().isMinimized(); });
  const auto defaultWritten = Holds(
      [](Rig& r) { return r.lastBox() == "Settings Saved" && QFile::exists(DefaultConfigPath()); });
  const auto askedDeleteAll = Holds([](Rig& r) {
    return r.lastBox() == "Delete All RoziRoruners" && r.s.RoziRorunerCount() == 2;
  });
  const auto reloaded = Holds([](Rig& r) { return r.job(0).Description == "Inbox"; });
  const auto page = [](const char* name) {
    return Holds([name](Rig& r) {
      return r.w().pages()->currentWidget()->objectName() == QLatin1String(name);
    });
  };
  RunRows({
      {"File > Open", Menu("FILE", {"OPEN"}), Opens(kOpenTitle)},
      {"Ctrl+O", Keys("Ctrl+O"), Opens(kOpenTitle)},
      {"TB_OPEN", Tool("TB_OPEN"), Opens(kOpenTitle)},
      {"File > Open Default", Menu("FILE", {"OPENDEFAULT"}),
       Holds([](Rig& r) { return r.boxes->beeps == 1; })},
      {"Shift+F1", Keys("Shift+F1"), Holds([](Rig& r) { return r.boxes->beeps == 1; })},
      {"File > Save", Edited(Menu("FILE", {"SAVE"})), Holds(Saved)},
      {"Ctrl+S", Edited(Keys("Ctrl+S")), Holds(Saved)},
      {"TB_SAVE", Edited(Tool("TB_SAVE")), Holds(Saved)},
      {"File > Save As", Menu("FILE", {"SAVEAS"}), Opens(kSaveTitle)},
      {"Ctrl+A", Keys("Ctrl+A"), Opens(kSaveTitle)},
      {"File > Save to Default", Menu("FILE", {"SAVE2DEFAULT"}), defaultWritten},
      {"Ctrl+W", Keys("Ctrl+W"), defaultWritten},
      {"TB_SAVE2DEFAULT", Tool("TB_SAVE2DEFAULT"), defaultWritten},
      {"File > Exit", Menu("FILE", {"QUIT"}), Holds([](Rig& r) { return r.s.Exiting; })},
      {"Ctrl+Q", Keys("Ctrl+Q"), Holds([](Rig& r) { return r.s.Exiting; })},
      {"TB_RELOAD", Edited(Tool("TB_RELOAD")), reloaded},
      {"TB_SCRIPT", Tool("TB_SCRIPT"), Opens("frmCommandScript")},
      {"Options > Start Service Installer", Menu("OPTIONS", {"STARTINSTALLER"}), minimised},
      {"Ctrl+M", Keys("Ctrl+M"), minimised},
      {"Options > Organize", Menu("OPTIONS", {"ORGANIZE"}), Opens("frmOrganize")},
      {"Ctrl+G", Keys("Ctrl+G"), Opens("frmOrganize")},
      {"Options > Delete All", Menu("OPTIONS", {"DELETEALL"}), askedDeleteAll},
      {"Ctrl+D", Keys("Ctrl+D"), askedDeleteAll},
      {"Options > Test Regular Expressions", Menu("OPTIONS", {"TESTRE"}), Opens("frmRegExpTest")},
      {"Ctrl+N", Keys("Ctrl+N"), Opens("frmRegExpTest")},
      {"Help > Webupdate > Check Now", Menu("HELPTOP", {"UPDATEMENU", "UPDATENOW"}),
       Boxed("Web Update")},
      {"Help > About", Menu("HELPTOP", {"ABOUT"}), Opens("frmAbout")},
      {"Ctrl+I", Keys("Ctrl+I"), Opens("frmAbout")},
      {"side bar RoziRoruners",
       [](Rig& r) {
         r.w().pages()->setCurrentIndex(1);
         Side("expBar:CONFIG:ROZIRORUNER")(r);
       },
       page("asxRoziRoruners")},
      {"side bar Preferences", Side("expBar:CONFIG:PREFS"), page("asxPreferences")},
      {"side bar Local Constants", Side("expBar:CONFIG:LOCALS"), Opens("frmLocalConstants")},
      {"side bar Global Constants", Side("expBar:CONFIG:GLOBALS"), Opens("frmGlobalConstants")},
      {"side bar Command Script", Side("expBar:CONFIG:SCRIPT"), Opens("frmCommandScript")},
      {"side bar Service Installer", Side("expBar:CONFIG:SERVICE"), minimised},
      {"side bar Organize", Side("expBar:OPTIONS:ORGANIZE"), Opens("frmOrganize")},
      {"side bar Delete All", Side("expBar:OPTIONS:CLEAR"), askedDeleteAll},
      {"side bar Test", Side("expBar:OPTIONS:TESTRE"), Opens("frmRegExpTest")},
      {"Add", Click("cmdAddSpooler"), Opens("frmAddRoziRoru")},
      {"Remove", Click("cmdRemoveSpooler"), Boxed("Remove RoziRoruner")},
      {"Rename", Click("cmdRenameScanner"), Opens("frmRenameRoziRoru")},
      {"Local Constants", Click("cmdParameters"), Opens("frmLocalConstants")},
      {"Command Script", Click("cmdCommands"), Opens("frmCommandScript")},
      {"global settings' Global Constants", OnPrefs("cmdSetGlobalConstants"),
       Opens("frmGlobalConstants")},
      {"global settings' service button", OnPrefs("cmdSetupService"), minimised},
  });
}

// The check item shows the stored preference and a click changes it.
TEST(UserActions, AutoCheckShowsTheStoredPreference) {
  SaveRegString(QLatin1String(kManagerKey), "WebUpdate", "0");
  {
    Rig r;
    QAction* item = r.w().action("AUTOCHECK");
    EXPECT_FALSE(item->isChecked());
    ChooseFromMenuBar(&r.w(), "HELPTOP", {"UPDATEMENU", "AUTOCHECK"});
    EXPECT_TRUE(item->isChecked());
    EXPECT_TRUE(r.s.prefs.AutoCheckUpdates);
  }
  registry::deleteKeyTree(QLatin1String(kManagerKey));
  Rig fresh;  // nothing stored: on
  EXPECT_TRUE(fresh.w().action("AUTOCHECK")->isChecked());
}

// A right-click on the Enabled box, "Disable" in its menu, Ctrl+S: the file differs
// from the one saved before only in that job's Enabled line.
TEST(UserActions, EnabledBoxStatusMenuIsSaved) {
  Rig r;
  Keys("Ctrl+S")(r);
  ASSERT_EQ(r.lastBox(), "Settings Saved");
  QByteArray expected = readFile(r.path);
  const qsizetype second = expected.indexOf("[Second]");
  const qsizetype enabled = expected.lastIndexOf("Enabled=1", second);
  ASSERT_GT(enabled, expected.indexOf("[First]"));
  expected.replace(enabled, 9, "Enabled=0");

  auto* box = r.get<QCheckBox>("chkEnabled");
  const Opened seen = OpenedBy([&] { QTest::mouseClick(box, Qt::RightButton); }, 3000,
                               [](QMenu*) { ChooseInPopup({"mnuRoziRoruDisabled"}); });
  EXPECT_EQ(seen.popup, "mnuRoziRoruStatus");
  EXPECT_EQ(box->checkState(), Qt::Unchecked);
  EXPECT_FALSE(r.get("fraScannerOptions")->isEnabled());
  Keys("Ctrl+S")(r);
  EXPECT_EQ(readFile(r.path), expected);

  // "Enable" switches it on again; a right-click alone never toggles the box.
  OpenedBy([&] { QTest::mouseClick(box, Qt::RightButton); }, 3000,
           [](QMenu*) { ChooseInPopup({"mnuRoziRoruEnabled"}); });
  EXPECT_EQ(r.job(0).Enabled, 1);
  EXPECT_TRUE(r.get("fraScannerOptions")->isEnabled());
  EXPECT_EQ(OpenedBy([&] { QTest::mouseClick(box, Qt::RightButton); }).popup, "mnuRoziRoruStatus");
  EXPECT_EQ(r.job(0).Enabled, 1);
}

// The RoziRoruner page's picture buttons, pressed, and the Shift-click on the reject
// directory: the menu or editor each opens.
TEST(UserActions, PagePicturesOpenTheirMenusAndEditors) {
  const struct {
    const char* picture;
    const char* popup;
    const char* modal;
  } cases[] = {{"picTrigger", "mnuTrigger", ""},    {"Picture1", "mnuScanDir", ""},
               {"picShowPopup2", "mnuCommand", ""}, {"picStabletimer", "mnuStableTimer", ""},
               {"picFilter", "", "frmRegExp"},      {"picReject", "", "frmRegExp"}};
  Rig r;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.picture);
    const Opened seen =
        OpenedBy([&] { QTest::mousePress(r.get<QToolButton>(c.picture), Qt::LeftButton); });
    QTest::mouseRelease(r.get<QToolButton>(c.picture), Qt::LeftButton);
    EXPECT_EQ(seen.popup, c.popup);
    EXPECT_EQ(seen.modal, c.modal);
  }
  auto* dir = r.get<QLineEdit>("txtRejectMove");
  EXPECT_EQ(OpenedBy([&] { QTest::mouseClick(dir, Qt::LeftButton, Qt::ShiftModifier); }).popup,
            "mnuCommand");
  EXPECT_TRUE(OpenedBy([&] { QTest::mouseClick(dir, Qt::LeftButton); }, 300).popup.isEmpty());
}

// Entries of the page's pop-up menus, chosen by mouse: what lands in the field and
// what opens.
TEST(UserActions, PopUpEntriesWriteTheirFieldOrOpenTheirPicker) {
  const struct {
    const char* picture;
    QStringList path;
    const char* field;
    const char* text;   // the field's text afterwards
    const char* modal;  // or the picker that opens
  } cases[] = {
      {"picTrigger", {"mnuTriggerStartup"}, "txtInterval", "*ON-STARTUP*", nullptr},
      {"picTrigger", {"mnuLC", "mnuLCdat_2"}, "txtInterval", "<LC3>", nullptr},
      {"picTrigger", {"mnuGC", "mnuGCdat_4"}, "txtInterval", "<GC5>", nullptr},
      {"picTrigger", {"mnuGV", "mnuGVdat_0"}, "txtInterval", "<GV1>", nullptr},
      {"picTrigger", {"mnuScheduledInterval"}, nullptr, nullptr, "frmInterval"},
      {"picTrigger", {"mnuScheduledRundays"}, nullptr, nullptr, "frmValidRunDays"},
      {"picTrigger", {"mnuTriggerScheduled", "mnuScheduledDate"}, nullptr, nullptr, "frmCalendar"},
      {"picTrigger", {"mnuTriggerScheduled", "mnuScheduledTime"}, nullptr, nullptr, "frmCalendar"},
      {"picTrigger",
       {"mnuTriggerScheduled", "mnuScheduledDateTime"},
       nullptr,
       nullptr,
       "frmCalendar"},
      {"Picture1", {"mnuGC", "mnuGCdata_0"}, "txtScanDirectory", "/in<GC1>", nullptr},
      {"Picture1", {"mnuDate2", "mnuCommandsDateYYYY2"}, "txtScanDirectory", "/in<yyyy>", nullptr},
      {"picShowPopup2",
       {"mnuVariablesFile", "mnuVariablesFileName"},
       "txtRejectMove",
       "/rej<FileName>",
       nullptr},
      {"picShowPopup2", {"mnuFS", "mnuFSname"}, "txtRejectMove", "/rej<RoziRorunerName>", nullptr},
      {"picStabletimer", {"mnuSTnoTimestamp"}, "txtStabletimer", "-1", nullptr},
      {"picStabletimer", {"mnuSTdefault"}, "txtStabletimer", "20", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.join(" > ").toStdString());
    Rig r;
    r.get<QLineEdit>("txtScanDirectory")->setText("/in");
    r.get<QLineEdit>("txtRejectMove")->setText("/rej");
    r.get<QLineEdit>("txtStabletimer")->setText("7");
    auto* picture = r.get<QToolButton>(c.picture);
    QString picker;
    const Opened seen = OpenedBy(
        [&] { QTest::mousePress(picture, Qt::LeftButton); }, 3000,
        [&](QMenu*) {
          picker = OpenedBy([&] { ChooseInPopup(c.path); }, c.modal ? 3000 : 0, {}, false).modal;
        });
    QTest::mouseRelease(picture, Qt::LeftButton);
    if (c.modal) {
      EXPECT_EQ(picker, c.modal);
      continue;
    }
    EXPECT_EQ(r.get<QLineEdit>(c.field)->text(), c.text);
  }
}

namespace {

// The editor over job "First", shown as the page's button shows it.
struct EditorRig : Rig {
  ui::ScriptEditor* ed = nullptr;
  EditorRig() {
    press(get<QAbstractButton>("cmdCommands"));
    ed = &m->scriptEditor();
    EXPECT_TRUE(QTest::qWaitFor([&] { return ed->isVisible(); }));
  }
  ~EditorRig() { ed->hide(); }
  QTreeWidget* tree() { return ed->scriptTree(); }
  QTreeWidgetItem* lineOf(int command) { return tree()->topLevelItem(0)->child(command - 1); }
  QPoint at(QTreeWidgetItem* line) { return tree()->visualItemRect(line).center(); }
  void clickLine(int command) {
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, at(lineOf(command)));
  }
  bool tool(const char* key) {
    return ClickToolButton(ed->findChild<QToolBar*>("Toolbar"), QLatin1String(key));
  }
  QStringList names() {
    QStringList out;
    for (const auto& c : s.current()->Commands) out << c.Name;
    return out;
  }
};

const QStringList kScript = {"Relocate", "Reschedule", "LoadConfig", "ErrorAction", "Comment"};

}  // namespace

// The editor's toolbar, each button clicked with command 2 selected.
TEST(UserActions, ScriptEditorToolbar) {
  const struct {
    const char* key;
    const char* modal;
    const char* box;
    QStringList names;  // the script afterwards (empty: unchanged)
  } cases[] = {
      {"up", nullptr, nullptr, {"Reschedule", "Relocate", "LoadConfig", "ErrorAction", "Comment"}},
      {"down",
       nullptr,
       nullptr,
       {"Relocate", "LoadConfig", "Reschedule", "ErrorAction", "Comment"}},
      {"comment",
       nullptr,
       nullptr,
       {"Relocate", "!Reschedule", "LoadConfig", "ErrorAction", "Comment"}},
      {"clear", nullptr, "Remove Command", {}},
      {"clearall", nullptr, "Clear Command Script", {}},
      {"save", nullptr, "Settings Saved", {}},
      {"locals", "frmLocalConstants", nullptr, {}},
      {"globals", "frmGlobalConstants", nullptr, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    EditorRig r;
    r.clickLine(2);
    const Opened seen = OpenedBy([&] { r.tool(c.key); }, c.modal ? 3000 : 100);
    if (c.modal) EXPECT_EQ(seen.modal, c.modal);
    if (c.box) EXPECT_EQ(r.lastBox(), c.box);
    EXPECT_EQ(r.names(), c.names.isEmpty() ? kScript : c.names);
    EXPECT_TRUE(r.ed->isVisible());  // the constants dialogs opened over the editor
  }
  EditorRig r;
  r.s.current()->Description = "unsaved";
  r.tool("load");
  EXPECT_EQ(r.s.current()->Description, "Inbox");
  r.tool("close");
  EXPECT_FALSE(r.ed->isVisible());
}

// "small" and "large" switch both trees' pictures and indentation (100 and 250
// twips), and the choice is what the preferences store.
TEST(UserActions, SmallAndLargeSwitchBothTrees) {
  EditorRig r;
  r.tool("large");
  for (QTreeWidget* t : {r.ed->palette(), r.tree()}) {
    SCOPED_TRACE(t->objectName().toStdString());
    EXPECT_EQ(t->iconSize(), QSize(32, 32));
    EXPECT_EQ(t->indentation(), 17);
  }
  EXPECT_TRUE(r.s.prefs.LargeScriptIcons);
  r.tool("small");
  for (QTreeWidget* t : {r.ed->palette(), r.tree()}) {
    SCOPED_TRACE(t->objectName().toStdString());
    EXPECT_EQ(t->iconSize(), QSize(16, 16));
    EXPECT_EQ(t->indentation(), 7);
  }
  EXPECT_FALSE(r.s.prefs.LargeScriptIcons);
}

// The four item buttons follow a click on a line, and go off when the focus leaves
// the script for another control of the editor.
TEST(UserActions, ItemButtonsGoOffWhenTheScriptLosesTheFocus) {
  EditorRig r;
  const auto on = [&] {
    QStringList out;
    for (const char* key : {"up", "down", "comment", "clear"})
      if (r.ed->button(key)->isEnabled()) out << key;
    return out;
  };
  r.ed->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(r.ed));
  r.clickLine(2);
  EXPECT_EQ(on(), (QStringList{"up", "down", "comment", "clear"}));
  QTest::mouseClick(r.ed->palette()->viewport(), Qt::LeftButton);
  EXPECT_TRUE(on().isEmpty());
  r.clickLine(2);  // the same line again
  EXPECT_EQ(on(), (QStringList{"up", "down", "comment", "clear"}));
}

// The script's context menu, opened by a right-click on a selected line, and each
// entry chosen by mouse.
TEST(UserActions, ScriptContextMenu) {
  const struct {
    const char* entry;
    const char* modal;
    const char* box;
    QStringList names;
  } cases[] = {
      {"Properties", "frmCommandReschedule", nullptr, {}},
      {"Toggle Comment",
       nullptr,
       nullptr,
       {"Relocate", "!Reschedule", "LoadConfig", "ErrorAction", "Comment"}},
      {"Delete", nullptr, "Remove Command", {}},
      {"Up", nullptr, nullptr, {"Reschedule", "Relocate", "LoadConfig", "ErrorAction", "Comment"}},
      {"Down",
       nullptr,
       nullptr,
       {"Relocate", "LoadConfig", "Reschedule", "ErrorAction", "Comment"}},
      {"Clear Script", nullptr, "Clear Command Script", {}},
  };
  const auto choose = [](const QString& caption) {
    return [caption](QMenu* menu) {
      for (QAction* a : menu->actions())
        if (a->text() == caption) a->setObjectName(caption);
      ChooseInPopup({caption});
    };
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    EditorRig r;
    r.clickLine(2);
    QString modal;
    const Opened seen = OpenedBy(
        [&] { QTest::mouseClick(r.tree()->viewport(), Qt::RightButton, {}, r.at(r.lineOf(2))); },
        3000,
        [&](QMenu* menu) {
          modal = OpenedBy([&] { choose(c.entry)(menu); }, c.modal ? 3000 : 0, {}, false).modal;
        });
    EXPECT_EQ(seen.popup, "mnuScript");
    if (c.modal) EXPECT_EQ(modal, c.modal);
    if (c.box) EXPECT_EQ(r.lastBox(), c.box);
    EXPECT_EQ(r.names(), c.names.isEmpty() ? kScript : c.names);
  }
  // Copy, then Paste before the selected line.
  EditorRig r;
  r.clickLine(2);
  OpenedBy([&] { QTest::mouseClick(r.tree()->viewport(), Qt::RightButton, {}, r.at(r.lineOf(2))); },
           3000, choose("Copy"));
  r.clickLine(1);
  OpenedBy([&] { QTest::mouseClick(r.tree()->viewport(), Qt::RightButton, {}, r.at(r.lineOf(1))); },
           3000, choose("Paste"));
  EXPECT_EQ(r.names(), (QStringList{"Reschedule", "Relocate", "Reschedule", "LoadConfig",
                                    "ErrorAction", "Comment"}));
}

// A palette module double-clicked is appended; a script line double-clicked opens its
// dialog.
TEST(UserActions, DoubleClicksInTheEditor) {
  EditorRig r;
  QTreeWidget* palette = r.ed->palette();
  QTreeWidgetItem* end =
      ui::FindNode(palette, PaletteKey(r.s.catalog, r.s.catalog.find("EndDaemon")));
  ASSERT_NE(end, nullptr);
  palette->scrollToItem(end);
  DoubleClick(palette->viewport(), palette->visualItemRect(end).center());
  EXPECT_EQ(r.names(), kScript + QStringList{"EndDaemon"});
  const struct {
    int line;
    const char* modal;
  } lines[] = {{2, "frmCommandReschedule"},
               {3, "frmCommandLoadConfig"},
               {4, "frmCommandOnError"},
               {5, "frmCommandComment"}};
  for (const auto& l : lines) {
    SCOPED_TRACE(l.modal);
    EXPECT_EQ(OpenedBy([&] { DoubleClick(r.tree()->viewport(), r.at(r.lineOf(l.line))); }).modal,
              l.modal);
  }
}

// The picture buttons of the built-in commands' dialogs: a token picked from the menu
// they open lands in the dialog's box, and Ok stores it. Each dialog shows its
// command's picture.
TEST(UserActions, DialogPictureButtonsPutAPickedTokenInTheirBox) {
  const struct {
    int line;
    const char* picture;
    const char* box;
    const char* data1;  // parameter 1 afterwards
    int data;           // which parameter holds the box
  } cases[] = {{2, "picSelect", "txtInterval", "H,2<FileName>", 1},
               {3, "picShowPopup2", "txtConfigFile", "/etc/other.ini<FileName>", 1},
               {4, "picSelect", "txtDirectory", "<FileName>", 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.box);
    EditorRig r;
    bool ran = false;
    whenModal([&](QDialog* d) {
      ran = true;
      auto* picture = d->findChild<QToolButton*>(c.picture);
      ASSERT_NE(picture, nullptr);
      if (c.line == 4) press(d->findChild<QRadioButton*>("optMove"));
      auto* box = d->findChild<QLineEdit*>(c.box);
      box->setCursorPosition(box->text().size());
      const Opened seen = OpenedBy([&] { QTest::mousePress(picture, Qt::LeftButton); }, 3000,
                                   [](QMenu*) {
                                     ChooseInPopup({"mnuVariablesFile", "mnuVariablesFileName"});
                                   });
      QTest::mouseRelease(picture, Qt::LeftButton);
      EXPECT_EQ(seen.popup, "mnuCommand");
      EXPECT_TRUE(box->text().endsWith("<FileName>")) << box->text().toStdString();
      if (auto* icon = d->findChild<QLabel*>("Picture1")) EXPECT_FALSE(icon->pixmap().isNull());
      press(d->findChild<QPushButton*>("cmdSave"));
      QTest::qWait(20);
      if (d->isVisible()) d->reject();
    });
    DoubleClick(r.tree()->viewport(), r.at(r.lineOf(c.line)));
    EXPECT_TRUE(ran);
    EXPECT_EQ(r.s.current()->Commands[c.line - 1].Data[c.data], c.data1);
  }
  // The comment dialog shows its picture too.
  EditorRig r;
  bool shown = false;
  whenModal([&](QDialog* d) {
    auto* icon = d->findChild<QLabel*>("Picture1");
    ASSERT_NE(icon, nullptr);
    shown = !icon->pixmap().isNull();
    d->reject();
  });
  DoubleClick(r.tree()->viewport(), r.at(r.lineOf(5)));
  EXPECT_TRUE(shown);
}

// The ordering dialog's toolbar, each button clicked with "Second" selected.
TEST(UserActions, OrganizeToolbar) {
  const struct {
    const char* key;
    QStringList order;
  } cases[] = {{"up", {"Second", "First"}},
               {"down", {"First", "Second"}},
               {"top", {"Second", "First"}},
               {"bottom", {"First", "Second"}},
               {"sort", {"First", "Second"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    Rig r;
    QStringList order;
    whenModal([&](QDialog* d) {
      auto* list = d->findChild<QListWidget*>("lbList");
      list->setCurrentRow(1);
      ClickToolButton(d->findChild<QToolBar*>("tbToolbar"), QLatin1String(c.key));
      for (int i = 0; i < list->count(); ++i) order << list->item(i)->text();
      d->reject();
    });
    Side("expBar:OPTIONS:ORGANIZE")(r);
    QTest::qWaitFor([&] { return !order.isEmpty(); }, 3000);
    EXPECT_EQ(order, c.order);
  }
}

// A click on the splash picture keeps the splash up; without one it goes at its
// timer's tick. Once the plug-ins are loaded it shows its closing picture.
TEST(UserActions, SplashPicture) {
  const QString icons = makeDir("no icons");
  {
    ui::StartupWindow splash("Version");
    splash.show();
    Catalog catalog;
    ui::ImageLists images;
    catalog.LoadPlugins(icons, images, &splash);
    EXPECT_FALSE(splash.findChild<QLabel*>("picStartup")->pixmap().isNull());
    QTimer::singleShot(
        0, [&] { QTest::mouseClick(splash.findChild<QLabel*>("picAbout"), Qt::LeftButton); });
    splash.waitForUnload();
    EXPECT_TRUE(splash.isVisible());
  }
  ui::StartupWindow splash("Version");
  splash.show();
  splash.waitForUnload();
  EXPECT_FALSE(splash.isVisible());
}
