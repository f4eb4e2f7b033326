// The ErrorAction dialog offscreen: what it shows for each stored command (empty,
// malformed and out-of-range values included) and what OK writes back, the refused
// saves, the fork target checks, the folder chooser and the tokens menu; through the
// main window's command properties; and the real daemon running what was saved.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QToolButton>

#include "controls/vistrel.h"
#include "dialogdriver.h"
#include "fixture.h"
#include "managerrig.h"
#include "manager/filecommands.h"
#include "manager/identity.h"
#include "manager/ui/erroractiondialog.h"
#include "manager/ui/manager.h"
#include "manager/ui/variablesmenu.h"
#include "platform/prompts.h"

using namespace mvnz;
using namespace mvnz::manager;
using namespace mvnz::manager::ui;
using Choice = ErrorActionDialog::Choice;

namespace {

// Parameters 1..9 as one text "a|b|...": short enough for a table; 10..30 "stale".
jobfile::CommandEntry command(const QString& nine) {
  jobfile::CommandEntry c;
  c.Name = "ErrorAction";
  const QStringList p = nine.split('|');
  for (int k = 1; k <= jobfile::kParameterCount; ++k) c.Data[k] = k <= 9 ? p.value(k - 1) : "stale";
  return c;
}

QString nine(const Parameters& p) {
  QStringList out;
  for (int k = 1; k <= 9; ++k) out << p[k];
  return out.join('|');
}

ErrorActionContext context(int current = 0, int parent = kNoParent) {
  ErrorActionContext c;
  c.roziRoruners = {"Orders", "Invoices", "Nightly"};
  c.current = current;
  c.parent = parent;
  return c;
}

struct Boxes {
  std::shared_ptr<prompts::Recorder> r = std::make_shared<prompts::Recorder>();
  Boxes() { prompts::install(r); }
  ~Boxes() { prompts::install(nullptr); }
};

}  // namespace

TEST(ErrorActionDialog, ShowsEachStoredCommandAndOkWritesNineParameters) {
  const struct {
    const char* what;
    const char* stored;
    Choice choice;
    bool resumeChecked, resumeEnabled, folderEnabled;
    int target;  // list index shown
    const char* saved;
  } cases[] = {
      {"new command", "", Choice::Abort, false, false, false, -1,
       "False||False|False||True|0|1|False"},
      {"stop", "False||False|False||False|0|0|True", Choice::Stop, false, false, false, -1,
       "False||False|False||False|0|0|True"},
      {"delete and resume", "False||True|False||False|1|0|False", Choice::Delete, true, true, false, -1,
       "False||True|False||False|1|0|False"},
      {"move with tokens", "False||False|True|/failed/<LC1>|False|0|0|False", Choice::Move, false, true,
       true, -1, "False||False|True|/failed/<LC1>|False|0|0|False"},
      {"fork to a RoziRoruner", "True|Nightly|False|False||False|0|1|False", Choice::Fork, false, true,
       false, 2, "True|Nightly|False|False||False|0|1|False"},
      // "True" is compared exactly: other spellings leave the design choice, abort.
      {"lower-case true", "False||true|False||False|0|0|False", Choice::Abort, false, false, false, -1,
       "False||False|False||True|0|0|False"},
      // Several options stored "True": the last one set wins, and only it is saved.
      {"delete and stop", "False||True|False||False|0|0|True", Choice::Stop, false, false, false, -1,
       "False||False|False||False|0|0|True"},
      // Only "1" resumes the script in the daemon, so only "1" checks the box.
      {"resume 2", "False||True|False||False|2|0|False", Choice::Delete, false, true, false, -1,
       "False||True|False||False|0|0|False"},
      {"resume blank 1", "False||True|False||False| 1|0|False", Choice::Delete, false, true, false, -1,
       "False||True|False||False|0|0|False"},
      {"resume letters", "False||True|False||False|yes|x|False", Choice::Delete, false, true, false, -1,
       "False||True|False||False|0|0|False"},
      // Abort and stop cannot resume: the box is cleared and saved "0".
      {"abort with resume", "False||False|False||True|1|0|False", Choice::Abort, false, false, false, -1,
       "False||False|False||True|0|0|False"},
      // A target naming no RoziRoruner selects none and is written back as it was.
      {"unknown target", "False|Gone|True|False||False|0|0|False", Choice::Delete, false, true, false, -1,
       "False|Gone|True|False||False|0|0|False"},
      // The current RoziRoruner as stored target opens without the loop box.
      {"own name as target", "False|Orders|True|False||False|0|0|False", Choice::Delete, false, true,
       false, 0, "False|Orders|True|False||False|0|0|False"},
      {"short list", "False||True", Choice::Delete, false, true, false, -1,
       "False||True|False||False|0|1|False"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    Boxes boxes;
    ErrorActionDialog d(command(k.stored), context());
    EXPECT_EQ(d.choice(), k.choice);
    EXPECT_TRUE(d.option(k.choice)->isChecked());
    EXPECT_EQ(d.resumeBox()->isChecked(), k.resumeChecked);
    EXPECT_EQ(d.resumeBox()->isEnabled(), k.resumeEnabled);
    EXPECT_EQ(d.folderBox()->isEnabled(), k.folderEnabled);
    EXPECT_EQ(d.findChild<QPushButton*>("cmdBrowse")->isEnabled(), k.folderEnabled);
    EXPECT_EQ(d.findChild<QToolButton*>("picSelect")->isEnabled(), k.folderEnabled);
    EXPECT_EQ(d.targetList()->count(), 3);
    EXPECT_EQ(d.targetList()->currentIndex(), k.target);
    d.findChild<QPushButton*>("cmdSave")->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(nine(d.parameters()), k.saved);
    for (int p = 10; p <= jobfile::kParameterCount; ++p) EXPECT_EQ(d.parameters()[p], "") << p;
    EXPECT_TRUE(boxes.r->entries.isEmpty());
  }
}

TEST(ErrorActionDialog, DesignStateAndCaptions) {
  ErrorActionDialog d(command(""), context());
  EXPECT_EQ(d.objectName(), "frmCommandOnError");
  EXPECT_EQ(d.windowTitle(), "Edit Command: Error Action");
  auto* header = d.findChild<controls::vistrel*>("vistrel1");
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->Caption(), "Command: ErrorAction");
  EXPECT_EQ(header->Text(), "");  // no placeholder text under the heading
  const struct {
    const char* name;
    const char* caption;
    bool visible;
  } controls[] = {{"optDelete", "Delete File", true},         {"optMove", "Move File", true},
                  {"optAbort", "Abort CommandScript", true},   {"optStop", "Stop Daemon", true},
                  {"chkResume", "Resume CommandScript", true}, {"optFork", "Fork to Roziroruner:", false},
                  {"chkCommandsOnly", "Commands Only", false}};
  d.show();
  for (const auto& c : controls) {
    auto* b = d.findChild<QAbstractButton*>(c.name);
    ASSERT_NE(b, nullptr) << c.name;
    EXPECT_EQ(b->text(), c.caption);
    EXPECT_EQ(b->isVisible(), c.visible) << c.name;
  }
  EXPECT_FALSE(d.targetList()->isVisible());
  EXPECT_TRUE(d.commandsOnlyBox()->isChecked());
  EXPECT_EQ(d.findChild<QToolButton*>("picSelect")->toolTip(), "click to select command/variable");
}

TEST(ErrorActionDialog, RefusedSavesBeepAndChangingTheChoiceFollows) {
  Boxes boxes;
  {  // Move without a folder, then with one.
    ErrorActionDialog d(command(""), context());
    d.option(Choice::Move)->setChecked(true);
    EXPECT_TRUE(d.folderBox()->isEnabled());
    d.save();
    EXPECT_EQ(boxes.r->beeps, 1);
    EXPECT_NE(d.result(), QDialog::Accepted);
    d.folderBox()->setText("/srv/failed");
    d.save();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(nine(d.parameters()), "False||False|True|/srv/failed|False|0|1|False");
  }
  {  // Fork without a target.
    ErrorActionDialog d(command(""), context());
    d.option(Choice::Fork)->setChecked(true);
    d.save();
    EXPECT_EQ(boxes.r->beeps, 2);
    EXPECT_NE(d.result(), QDialog::Accepted);
  }
  {  // Resume checked under Delete is cleared by Abort and stays cleared after Delete.
    ErrorActionDialog d(command("False||True|False||False|1|0|False"), context());
    d.option(Choice::Abort)->setChecked(true);
    EXPECT_FALSE(d.resumeBox()->isChecked());
    EXPECT_FALSE(d.resumeBox()->isEnabled());
    d.option(Choice::Delete)->setChecked(true);
    EXPECT_TRUE(d.resumeBox()->isEnabled());
    EXPECT_FALSE(d.resumeBox()->isChecked());
  }
  EXPECT_TRUE(boxes.r->entries.isEmpty());
}

TEST(ErrorActionDialog, ForkTargetChecks) {
  const struct {
    const char* what;
    int current, parent, pick;
    const char* box;  // "" when the pick is taken
  } cases[] = {
      {"itself", 1, kNoParent, 1, "ERROR: This will cause a loop!"},
      {"its parent", 1, 2, 2, "ERROR: Cannot fork to parent-scanner!"},
      {"another", 1, 2, 0, ""},
      // An unset parent names none: the first RoziRoruner is a valid target.
      {"no parent", 1, kNoParent, 0, ""},
      {"parent unknown (-1)", 1, -1, 0, ""},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    Boxes boxes;
    ErrorActionDialog d(command("True||False|False||False|0|1|False"), context(k.current, k.parent));
    d.targetList()->setCurrentIndex(k.pick);
    if (*k.box) {
      ASSERT_EQ(boxes.r->entries.size(), 1);
      EXPECT_EQ(boxes.r->entries[0].text, k.box);
      EXPECT_EQ(boxes.r->entries[0].title, "LOOP-ERROR");
      EXPECT_EQ(boxes.r->entries[0].icon, prompts::Icon::Exclamation);
      EXPECT_EQ(d.targetList()->currentIndex(), -1);
      d.save();  // a fork without target is not saved
      EXPECT_NE(d.result(), QDialog::Accepted);
    } else {
      EXPECT_TRUE(boxes.r->entries.isEmpty());
      d.save();
      EXPECT_EQ(d.result(), QDialog::Accepted);
      EXPECT_EQ(d.parameters()[2], context().roziRoruners[k.pick]);
    }
  }
}

TEST(ErrorActionDialog, FolderChooserAndTokensMenu) {
  const struct {
    const char* before;
    const char* chosen;  // what the chooser returns ("" = cancelled: it returns the start)
    const char* start;
    const char* after;
  } cases[] = {{"", "", "C:", ""},
               {"", "/srv/failed", "C:", "/srv/failed"},
               {"/srv/old", "", "/srv/old", "/srv/old"},
               {"/srv/old", "/srv/new", "/srv/old", "/srv/new"}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.before);
    ErrorActionContext c = context();
    QString title, start;
    c.chooseFolder = [&](const QString& t, const QString& s) {
      title = t;
      start = s;
      return *k.chosen ? QString(k.chosen) : s;
    };
    ErrorActionDialog d(command(QString("False||False|True|") + k.before + "|False|0|0|False"), c);
    d.findChild<QPushButton*>("cmdBrowse")->click();
    EXPECT_EQ(title, "Select Directory:");
    EXPECT_EQ(start, k.start);
    EXPECT_EQ(d.folderBox()->text(), k.after);
  }

  Session s;
  QWidget owner;
  VariablesMenu menu(s, &owner);
  ErrorActionContext c = context();
  c.variables = &menu;
  ErrorActionDialog d(command("False||False|True|/failed/|False|0|0|False"), c);
  d.show();
  d.findChild<QToolButton*>("picSelect")->pressed();
  EXPECT_TRUE(menu.commandMenu()->isVisible());
  owner.findChild<QAction*>("mnuVariablesFileName")->trigger();
  menu.commandMenu()->hide();
  EXPECT_EQ(d.folderBox()->text(), "/failed/<FileName>");
}

namespace {

// The main window on a configuration with three RoziRoruners.
struct WindowRig {
  Session s;
  std::unique_ptr<ui::Manager> m;
  std::shared_ptr<prompts::Recorder> boxes = std::make_shared<prompts::Recorder>();
  explicit WindowRig(const QByteArray& config) {
    prompts::install(boxes);
    m = test::StartedManager(s, test::rootDir() + "/erroraction.ini", config);
  }
  ~WindowRig() { prompts::install(nullptr); }
};

const QByteArray kThree =
    "[CONFIGURATION]\r\n\r\n[Orders]\r\nCommand=ErrorAction]~[False]~[]~[False]~[False]~[]~[False]~[0]~[0]~["
    "True]~[x\r\n\r\n[Invoices]\r\n\r\n[Nightly]\r\n\r\n";

}  // namespace

TEST(ErrorActionWindow, CommandPropertiesOpensTheDialogOverTheCommand) {
  for (const bool confirm : {true, false}) {
    SCOPED_TRACE(confirm ? "ok" : "cancel");
    WindowRig r(kThree);
    r.s.setCurrent(0);
    test::withDialog([confirm](QDialog* d) {
      EXPECT_EQ(d->objectName(), "frmCommandOnError");
      auto* list = test::child<QComboBox>(d, "cmbRoziRorunerList");
      EXPECT_EQ(list->count(), 3);
      EXPECT_EQ(list->itemText(2), "Nightly");
      EXPECT_TRUE(test::child<QRadioButton>(d, "optStop")->isChecked());
      test::child<QRadioButton>(d, "optMove")->setChecked(true);
      test::child<QLineEdit>(d, "txtDirectory")->setText("/srv/failed");
      test::click(d, confirm ? "cmdSave" : "cmdCancel");
    });
    EXPECT_EQ(r.m->ShowCommandProperties("1", "ERRORACTION"), confirm);
    const auto& data = r.s.current()->Commands[0].Data;
    EXPECT_EQ(data[4], confirm ? "True" : "False");
    EXPECT_EQ(data[5], confirm ? "/srv/failed" : "");
    EXPECT_EQ(data[9], confirm ? "False" : "True");
    EXPECT_EQ(data[10], confirm ? "" : "x");
  }
}

TEST(ErrorActionWindow, TheDaemonRunsWhatTheDialogSaved) {
  const QString root = test::rootDir();
  const QString in = test::makeDir("ea/in"), done = test::makeDir("ea/done");
  const QString failed = root + "/ea/failed";
  {
    QFile a(in + "/a.txt"), old(done + "/a.txt");
    ASSERT_TRUE(a.open(QIODevice::WriteOnly) && old.open(QIODevice::WriteOnly));
    a.write("A");
    old.write("old");  // the Relocate of a.txt fails: the target exists
  }
  WindowRig r("[CONFIGURATION]\r\n\r\n[Mover]\r\n");
  jobfile::GlobalSettings& g = r.s.model.Globals;
  g.LogDirectory = test::makeDir("ea/logs");
  g.EnableLogging = 1;
  g.AutoStart = 1;
  g.AutoStartState = 4;
  r.s.setCurrent(0);
  jobfile::RoziRoruner& job = *r.s.current();
  job.Trigger = "FILE";
  job.ScanDirectory = in;
  job.InputFilter = ".";
  job.Interval = "1";
  job.StableTimer = -1;
  job.Enabled = 1;
  jobfile::CommandEntry errorAction, relocate;
  errorAction.Name = "ErrorAction";
  relocate.Name = "Relocate";
  relocate.Data[1] = "<SCANPATHFILENAME>";
  relocate.Data[2] = done + "/<FILENAME>";
  relocate.Data[3] = "0";
  relocate.Data[4] = "1";
  job.Commands = {errorAction, relocate};

  test::withDialog([&failed](QDialog* d) {
    test::child<QRadioButton>(d, "optMove")->setChecked(true);
    test::child<QLineEdit>(d, "txtDirectory")->setText(failed);
    test::click(d, "cmdSave");
  });
  ASSERT_TRUE(r.m->ShowCommandProperties("1", "ErrorAction"));
  r.s.ConfigurationPath = DefaultConfigPath();
  ASSERT_TRUE(WriteConfigFile(r.s, false));

  QProcess mvnd;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("MVNZ_SYSTEMCTL", "/bin/true");
  env.remove("MVNZ_RUNNING_AS_SERVICE");
  mvnd.setProcessEnvironment(env);
  mvnd.start(QStringLiteral(MVNZ_BIN_DIR) + "/mvnd", QStringList{});
  ASSERT_TRUE(mvnd.waitForStarted(30000));
  for (int i = 0; i < 1200 && !QFile::exists(failed + "/a.txt"); ++i) QThread::msleep(50);
  mvnd.terminate();
  ASSERT_TRUE(mvnd.waitForFinished(30000));
  EXPECT_EQ(test::readFile(failed + "/a.txt"), "A");
  EXPECT_EQ(test::readFile(done + "/a.txt"), "old");
  EXPECT_FALSE(QFile::exists(in + "/a.txt"));
}
