// The RoziRoruner page offscreen: each field stored into the model as typed or set by
// code, nothing stored without a selection, the checks run when a field loses the
// focus, the option groups, the enabled states after showing a RoziRoruner, and
// folders dropped on the directory boxes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRadioButton>
#include <QToolButton>
#include <QUrl>
#include <functional>

#include "fixture.h"
#include "manager/filecommands.h"
#include "manager/session.h"
#include "manager/ui/mainwindow.h"
#include "manager/ui/roziroruner_page.h"
#include "manager/ui/variablesmenu.h"
#include "platform/prompts.h"

using namespace mvnz;
using namespace mvnz::manager;

namespace {

jobfile::RoziRoruner Job(const QString& name, const QString& trigger, int enabled) {
  jobfile::RoziRoruner r;
  r.Name = name;
  r.Trigger = trigger;
  r.Enabled = enabled;
  r.InputFilter = QStringLiteral("*.pdf");
  r.StableTimer = 20;
  return r;
}

struct Rig {
  Session s;
  std::shared_ptr<prompts::Recorder> boxes = std::make_shared<prompts::Recorder>();
  std::unique_ptr<ui::MainWindow> w;
  explicit Rig(QList<jobfile::RoziRoruner> jobs = {Job("Files", "FILE", 1), Job("Timed", "TIME", 1)}) {
    prompts::install(boxes);
    w = std::make_unique<ui::MainWindow>(s);
    jobfile::JobFile f;
    f.RoziRoruners = jobs;
    for (int i = 0; i < jobs.size(); ++i) s.parentIndex << kNoParent;
    s.replaceModel(f);
    w->show();
  }
  ~Rig() { prompts::install(nullptr); }
  template <typename T = QWidget>
  T* get(const char* name) {
    T* c = w->findChild<T*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  QLineEdit* box(const char* name) { return get<QLineEdit>(name); }
  jobfile::RoziRoruner& job(int i) { return s.model.RoziRoruners[i]; }
  // The field loses the focus to another field of the window.
  void leave(const char* name) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box(name), &out);
    QCoreApplication::processEvents();
  }
  QStringList titles() const {
    QStringList t;
    for (const auto& e : boxes->entries) t << e.title;
    return t;
  }
};

}  // namespace

TEST(RoziRorunerPage, TextFieldsStoreAsTypedOrSetIntoTheCurrentRecord) {
  const struct {
    const char* box;
    QString jobfile::RoziRoruner::*field;
  } fields[] = {{"txtDescription", &jobfile::RoziRoruner::Description},
                {"txtScanDirectory", &jobfile::RoziRoruner::ScanDirectory},
                {"txtFilter", &jobfile::RoziRoruner::InputFilter},
                {"txtReject", &jobfile::RoziRoruner::RejectFilter},
                {"txtRejectMove", &jobfile::RoziRoruner::MoveRejectedDirectory},
                {"txtInterval", &jobfile::RoziRoruner::Interval}};
  for (const auto& f : fields) {
    Rig r;
    r.w->roziRorunerList()->setCurrentIndex(1);
    QLineEdit* b = r.box(f.box);
    b->setText(" set by code ");
    EXPECT_EQ(r.job(1).*f.field, " set by code ") << f.box;
    b->clear();
    b->setFocus();
    for (QChar c : QStringLiteral("ab/c")) b->insert(c);
    EXPECT_EQ(r.job(1).*f.field, "ab/c") << f.box;
    EXPECT_NE(r.job(0).*f.field, "ab/c") << f.box;
  }
}

TEST(RoziRorunerPage, SwitchesTriggerAndRejectOptionsStore) {
  Rig r;
  r.get<QCheckBox>("chkIncludeSubdir")->click();
  r.get<QCheckBox>("chkOldestFirst")->click();
  r.get<QCheckBox>("chkSingleFiles")->click();
  EXPECT_EQ(r.job(0).IncludeSubdir, 1);
  EXPECT_EQ(r.job(0).OldestFirst, 1);
  EXPECT_EQ(r.job(0).SingleFileHandling, 1);
  r.get<QCheckBox>("chkSingleFiles")->click();
  EXPECT_EQ(r.job(0).SingleFileHandling, 0);

  r.get<QRadioButton>("optTimeTrigger")->click();
  EXPECT_EQ(r.job(0).Trigger, "TIME");
  EXPECT_FALSE(r.box("txtScanDirectory")->isEnabled());
  r.get<QRadioButton>("optFileTrigger")->click();
  EXPECT_EQ(r.job(0).Trigger, "FILE");
  EXPECT_TRUE(r.box("txtScanDirectory")->isEnabled());

  r.box("txtReject")->setText("*.tmp");
  r.get<QRadioButton>("optRejectMove")->click();
  EXPECT_TRUE(r.job(0).MoveRejected);
  EXPECT_FALSE(r.job(0).SkipRejected);
  EXPECT_FALSE(r.job(0).RemoveRejected);
  EXPECT_TRUE(r.box("txtRejectMove")->isEnabled());
  r.get<QRadioButton>("optRejectRemove")->click();
  EXPECT_TRUE(r.job(0).RemoveRejected);
  EXPECT_FALSE(r.job(0).MoveRejected);
  EXPECT_FALSE(r.box("txtRejectMove")->isEnabled());

  // The Enabled box: a click moves between 0 and 1 only.
  auto* enabled = r.get<QCheckBox>("chkEnabled");
  enabled->click();
  EXPECT_EQ(r.job(0).Enabled, 0);
  EXPECT_FALSE(r.get("fraScannerOptions")->isEnabled());
  enabled->click();
  EXPECT_EQ(r.job(0).Enabled, 1);
  EXPECT_TRUE(r.get("fraScannerOptions")->isEnabled());
}

TEST(RoziRorunerPage, NothingIsStoredWithoutASelection) {
  Rig r;
  const jobfile::JobFile before = r.s.model;
  r.w->roziRorunerList()->setCurrentIndex(-1);
  EXPECT_EQ(r.s.current(), nullptr);
  for (const char* name : {"txtDescription", "txtFilter", "txtReject", "txtInterval", "txtStabletimer"})
    r.box(name)->setText("7");
  r.get<QRadioButton>("optRejectMove")->click();
  // The reject option still switches the reject-directory controls.
  EXPECT_TRUE(r.box("txtRejectMove")->isEnabled());
  r.get<QRadioButton>("optTimeTrigger")->click();
  r.get<QCheckBox>("chkOldestFirst")->click();
  EXPECT_EQ(r.s.model, before);
  EXPECT_FALSE(r.get<QCheckBox>("chkEnabled")->isEnabled());
}

TEST(RoziRorunerPage, FilterChecksOnLeavingTheField) {
  const struct {
    const char* field;
    QString filter, reject;
    QString expected;  // the field's text after the check
    QStringList titles;
  } cases[] = {
      {"txtFilter", "*", "", ".", {}},
      {"txtFilter", "*.*", "*.tmp", ".", {}},
      {"txtFilter", "", "*.tmp", ".", {"Empty Filter"}},
      {"txtFilter", " a.* ;  b.*; c.* ", "", "a.*;b.*;c.*", {}},
      {"txtFilter", "a.*;;b.*", "", "a.*;;b.*", {}},
      {"txtFilter", "  one.pdf  ", "", "one.pdf", {}},
      {"txtFilter", "*", ".", "", {"ERROR"}},
      // Checked after every normalisation: an empty filter becomes "." and then clashes.
      {"txtFilter", "", ".", "", {"Empty Filter", "ERROR"}},
      {"txtFilter", " x.pdf ", "x.pdf", "", {"ERROR"}},
      {"txtReject", "*.pdf", "", "", {}},
      {"txtReject", "*.pdf", " *.pdf ", "", {"ERROR"}},
      {"txtReject", ".", "*.*", "", {"ERROR"}},
      {"txtReject", "*.pdf", " a ; b ", "a;b", {}},
  };
  for (const auto& c : cases) {
    Rig r;
    r.box("txtFilter")->setText(c.filter);
    r.box("txtReject")->setText(c.reject);
    r.leave(c.field);
    EXPECT_EQ(r.box(c.field)->text(), c.expected) << c.field << " " << c.filter.toStdString();
    EXPECT_EQ(r.titles(), c.titles) << c.field << " " << c.filter.toStdString();
    const QString stored = QLatin1String(c.field) == "txtFilter" ? r.job(0).InputFilter : r.job(0).RejectFilter;
    EXPECT_EQ(stored, c.expected) << c.field;
  }
}

TEST(RoziRorunerPage, FocusLostToAPopupRunsNoCheck) {
  Rig r;
  r.box("txtFilter")->setText("");
  QFocusEvent out(QEvent::FocusOut, Qt::PopupFocusReason);
  QApplication::sendEvent(r.box("txtFilter"), &out);
  QCoreApplication::processEvents();
  EXPECT_TRUE(r.boxes->entries.isEmpty());
  EXPECT_EQ(r.box("txtFilter")->text(), "");
}

TEST(RoziRorunerPage, StableTimerStoresNumbersAndRefusesTheRest) {
  const struct {
    QString typed;
    double stored;
    QString after;  // text after leaving the field
    QString unit;
    bool refused;
  } cases[] = {{"5", 5, "5", "sec.", false},       {"0.5", 0.5, "0.5", "sec.", false},
               {"-1", -1, "-1", "", false},         {"abc", 20, "20", "sec.", true},
               {"", 20, "20", "sec.", true},        {"1,5", 20, "20", "sec.", true},
               {"1e2", 100, "1e2", "sec.", false},
               // What the daemon would read as another number, or none.
               {"inf", 20, "20", "sec.", true},     {"-inf", 20, "20", "sec.", true},
               {"nan", 20, "20", "sec.", true},     {"1e400", 20, "20", "sec.", true},
               {"0x10", 20, "20", "sec.", true}};
  for (const auto& c : cases) {
    Rig r;
    r.box("txtStabletimer")->setText(c.typed);
    r.leave("txtStabletimer");
    EXPECT_DOUBLE_EQ(r.job(0).StableTimer, c.stored) << c.typed.toStdString();
    EXPECT_EQ(r.box("txtStabletimer")->text(), c.after) << c.typed.toStdString();
    EXPECT_EQ(r.get<QLabel>("lblSText")->text(), c.unit) << c.typed.toStdString();
    EXPECT_EQ(r.w->roziRoruners().noTimestampChecked(), c.after == "-1");
    EXPECT_EQ(r.titles(), c.refused ? QStringList{"Illegal Value"} : QStringList{}) << c.typed.toStdString();
  }
}

TEST(RoziRorunerPage, IntervalUnitFollowsTheText) {
  const struct {
    const char* text;
    const char* unit;
  } cases[] = {{"60", "sec."}, {"12:30", ""}, {"24-12-2026", ""}, {"*ON-STARTUP*", ""}, {"3600", "sec."}};
  Rig r;
  for (const auto& c : cases) {
    r.box("txtInterval")->setText(c.text);
    EXPECT_EQ(r.get<QLabel>("lblIntervalType")->text(), c.unit) << c.text;
  }
}

TEST(RoziRorunerPage, ShowingARoziRorunerSetsFieldsAndEnabledStates) {
  jobfile::RoziRoruner file = Job("Files", "FILE", 1);
  file.RejectFilter = "*.tmp";
  file.MoveRejected = true;
  file.MoveRejectedDirectory = "/rej";
  file.StableTimer = -1;
  jobfile::RoziRoruner bare = Job("Bare", "FILE", 1);
  jobfile::RoziRoruner timed = Job("Timed", "TIME", 1);
  timed.RejectFilter = "*.tmp";
  jobfile::RoziRoruner grayed = Job("Grayed", "FILE", 2);
  jobfile::RoziRoruner off = Job("Off", "FILE", 0);
  Rig r({file, bare, timed, grayed, off});
  const jobfile::JobFile before = r.s.model;
  const struct {
    int index;
    bool scanDir, rejectFrame, options;
    Qt::CheckState enabled;
  } cases[] = {{0, true, true, true, Qt::Checked},          {1, true, false, true, Qt::Checked},
               {2, false, false, true, Qt::Checked},        {3, true, false, true, Qt::PartiallyChecked},
               {4, false, false, false, Qt::Unchecked},     {0, true, true, true, Qt::Checked}};
  for (const auto& c : cases) {
    r.w->roziRorunerList()->setCurrentIndex(c.index);
    EXPECT_EQ(r.s.CurrentRoziRoruner, c.index);
    EXPECT_EQ(r.box("txtScanDirectory")->isEnabled(), c.scanDir) << c.index;
    EXPECT_EQ(r.get("fraReject")->isEnabled(), c.rejectFrame) << c.index;
    EXPECT_EQ(r.get("fraScannerOptions")->isEnabled(), c.options) << c.index;
    EXPECT_EQ(r.get<QCheckBox>("chkEnabled")->checkState(), c.enabled) << c.index;
  }
  EXPECT_EQ(r.box("txtStabletimer")->text(), "-1");
  EXPECT_EQ(r.get<QLabel>("lblSText")->text(), "");
  EXPECT_TRUE(r.get<QRadioButton>("optRejectMove")->isChecked());
  EXPECT_EQ(r.box("txtRejectMove")->text(), "/rej");
  // A record with none of the three reject options shows none.
  r.w->roziRorunerList()->setCurrentIndex(1);
  for (const char* o : {"optRejectSkip", "optRejectRemove", "optRejectMove"})
    EXPECT_FALSE(r.get<QRadioButton>(o)->isChecked()) << o;
  // Showing writes nothing back.
  EXPECT_EQ(r.s.model, before);
}

TEST(RoziRorunerPage, AnEmptyModelClearsTheFieldsAndDisablesEnabled) {
  Rig r;
  r.s.replaceModel({});
  EXPECT_EQ(r.s.current(), nullptr);
  EXPECT_EQ(r.box("txtFilter")->text(), "");
  EXPECT_FALSE(r.get<QCheckBox>("chkEnabled")->isEnabled());
  EXPECT_TRUE(r.get<QRadioButton>("optRejectSkip")->isChecked());
}

TEST(RoziRorunerPage, SaveStopsWhileAJobsFiltersCollide) {
  Rig r;
  r.s.ConfigurationPath = test::rootDir() + "/out.ini";
  r.job(1).InputFilter = "";
  r.job(1).RejectFilter = " . ";
  EXPECT_FALSE(WriteConfigFile(r.s, true));
  EXPECT_FALSE(QFile::exists(r.s.ConfigurationPath));
  ASSERT_EQ(r.boxes->entries.size(), 1);
  EXPECT_EQ(r.boxes->entries[0].title, "ERROR");
  EXPECT_TRUE(r.boxes->entries[0].text.contains("Timed"));
  r.job(1).RejectFilter = "*.tmp";
  EXPECT_TRUE(WriteConfigFile(r.s, true));
}

TEST(RoziRorunerPage, RemoveAndDeleteAllAskFirst) {
  jobfile::RoziRoruner a = Job("A", "FILE", 1), b = Job("B", "TIME", 1), c = Job("C", "FILE", 0);
  c.LocalConstants[15] = "kept";
  c.Commands << jobfile::CommandEntry{"Sleep", {}};
  {
    Rig r({a, b, c});
    r.w->roziRorunerList()->setCurrentIndex(1);
    r.boxes->answer = prompts::Answer::No;
    r.w->roziRoruners().DiscardRoziRoruner();
    EXPECT_EQ(r.s.RoziRorunerCount(), 3);
    r.boxes->answer = prompts::Answer::Yes;
    r.w->roziRoruners().DiscardRoziRoruner();
    ASSERT_EQ(r.s.RoziRorunerCount(), 2);
    EXPECT_EQ(r.job(1), c);
    EXPECT_EQ(r.w->roziRorunerList()->count(), 2);
    EXPECT_EQ(r.w->roziRorunerList()->itemText(1), "C");
    EXPECT_EQ(r.s.CurrentRoziRoruner, 0);
    EXPECT_EQ(r.boxes->entries.last().text, "Are you sure you want to remove [B]");

    r.boxes->answer = prompts::Answer::No;
    r.w->roziRoruners().DeleteAllRoziRoruners();
    EXPECT_EQ(r.s.RoziRorunerCount(), 2);
    r.boxes->answer = prompts::Answer::Yes;
    r.w->roziRoruners().DeleteAllRoziRoruners();
    EXPECT_EQ(r.s.RoziRorunerCount(), 0);
    EXPECT_EQ(r.w->roziRorunerList()->count(), 0);
    EXPECT_EQ(r.s.current(), nullptr);
    EXPECT_FALSE(r.get<QCheckBox>("chkEnabled")->isEnabled());
  }
  Rig r;
  r.w->roziRorunerList()->setCurrentIndex(-1);
  r.w->roziRoruners().DiscardRoziRoruner();
  ASSERT_EQ(r.boxes->entries.size(), 1);
  EXPECT_EQ(r.boxes->entries[0].title, "No RoziRoruner Selected");
  EXPECT_EQ(r.s.RoziRorunerCount(), 2);
}

TEST(RoziRorunerPage, VariablesMenusInsertIntoThePageFieldsAndStore) {
  Rig r;
  const struct {
    const char* button;
    const char* field;
    const char* item;
    const char* token;
    QString jobfile::RoziRoruner::*stored;
  } cases[] = {{"Picture1", "txtScanDirectory", "mnuGCdata_1", "<GC2>", &jobfile::RoziRoruner::ScanDirectory},
               {"picShowPopup2", "txtRejectMove", "mnuVariablesFileName", "<FileName>",
                &jobfile::RoziRoruner::MoveRejectedDirectory}};
  r.box("txtReject")->setText("*.tmp");
  r.get<QRadioButton>("optRejectMove")->click();
  for (const auto& c : cases) {
    r.box(c.field)->setText("/in/");
    r.get<QToolButton>(c.button)->pressed();
    r.w->findChild<QAction*>(QLatin1String(c.item))->trigger();
    for (QMenu* m : r.w->findChildren<QMenu*>()) m->hide();
    EXPECT_EQ(r.box(c.field)->text(), QStringLiteral("/in/") + c.token) << c.button;
    EXPECT_EQ(r.job(0).*c.stored, QStringLiteral("/in/") + c.token) << c.button;
  }
  // The stable-time presets write the field, which stores the value.
  r.w->findChild<QAction*>("mnuSTnoTimestamp")->trigger();
  EXPECT_EQ(r.box("txtStabletimer")->text(), "-1");
  EXPECT_DOUBLE_EQ(r.job(0).StableTimer, -1);
  EXPECT_EQ(r.get<QLabel>("lblSText")->text(), "");
  r.w->findChild<QAction*>("mnuSTdefault")->trigger();
  EXPECT_DOUBLE_EQ(r.job(0).StableTimer, 20);
  // Showing a RoziRoruner keeps the item's check mark in step with the field.
  r.job(1).StableTimer = -1;
  r.w->roziRorunerList()->setCurrentIndex(1);
  EXPECT_TRUE(r.w->variables().noTimestampItem()->isChecked());
}

namespace {

struct DropOutcome {
  bool offered;
  Qt::DropAction action;  // while dragged over the box
  QString text;           // the box's text after the drop
};

// Drags data over box and drops it, as the desktop delivers it.
DropOutcome DragAndDrop(QLineEdit* box, QMimeData* data) {
  // Shift held: the desktop proposes a move.
  QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, data, Qt::LeftButton,
                        Qt::ShiftModifier);
  EXPECT_EQ(enter.proposedAction(), Qt::MoveAction);
  QApplication::sendEvent(box, &enter);
  DropOutcome out{enter.isAccepted(), enter.dropAction(), {}};
  QDropEvent drop(QPointF(4, 4), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, data, Qt::LeftButton,
                  Qt::ShiftModifier);
  QApplication::sendEvent(box, &drop);
  out.text = box->text();
  return out;
}

}  // namespace

TEST(RoziRorunerPage, DirectoryBoxesTakeTheFirstDroppedPath) {
  const QString folder = test::makeDir("dropped folder"), other = test::makeDir("other");
  const QString file = folder + "/a file.txt";
  {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  const auto urls = [](QList<QUrl> list) {
    auto* d = new QMimeData;
    d->setUrls(list);
    return d;
  };
  auto* text = new QMimeData;
  text->setText(folder);
  const struct {
    const char* what;
    QMimeData* data;
    bool offered;
    Qt::DropAction action;
    QString expected;  // the box's text afterwards ("before": unchanged)
  } cases[] = {
      {"a folder", urls({QUrl::fromLocalFile(folder)}), true, Qt::CopyAction, folder},
      {"two folders", urls({QUrl::fromLocalFile(other), QUrl::fromLocalFile(folder)}), true, Qt::CopyAction,
       other},
      {"a file: offered as dragged", urls({QUrl::fromLocalFile(file)}), true, Qt::MoveAction, file},
      {"text, no file list", text, false, Qt::MoveAction, "before"},
      {"a web address", urls({QUrl("https://example.org/x")}), false, Qt::MoveAction, "before"},
  };
  const struct {
    const char* box;
    std::function<QString(Rig&)> stored;
  } boxes[] = {
      {"txtScanDirectory", [](Rig& r) { return r.job(0).ScanDirectory; }},
      {"txtRejectMove", [](Rig& r) { return r.job(0).MoveRejectedDirectory; }},
      {"txtLogdir", [](Rig& r) { return r.s.model.Globals.LogDirectory; }},
  };
  for (const auto& b : boxes)
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(b.box) + ": " + c.what);
      Rig r;
      r.box("txtReject")->setText("*.tmp");
      r.get<QRadioButton>("optRejectMove")->click();
      r.get<QCheckBox>("chkEnableLogging")->setChecked(true);
      QLineEdit* box = r.box(b.box);
      ASSERT_TRUE(box->isEnabled());
      box->setText("before");
      const DropOutcome out = DragAndDrop(box, c.data);
      EXPECT_EQ(out.offered, c.offered);
      if (c.offered) EXPECT_EQ(out.action, c.action);
      EXPECT_EQ(out.text, c.expected);
      EXPECT_EQ(b.stored(r), c.expected);
    }
  for (const auto& c : cases) delete c.data;
}

TEST(RoziRorunerPage, DisabledDirectoryBoxRefusesADrop) {
  Rig r;
  r.get<QRadioButton>("optTimeTrigger")->click();
  QLineEdit* box = r.box("txtScanDirectory");
  ASSERT_FALSE(box->isEnabled());
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(test::makeDir("any"))});
  const QString before = r.job(0).ScanDirectory;
  EXPECT_FALSE(DragAndDrop(box, &data).offered);
  EXPECT_EQ(r.job(0).ScanDirectory, before);
}
