// The main window's tools offscreen: the list editors behind picFilter and picReject
// (what they show, what Ok and Cancel write, the refused expression), the tester
// (TESTRE, and from the editor), ordering with two RoziRoruners of one name, and the
// about box with its credits.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "controls/vistrel.h"
#include "dialogdriver.h"
#include "fixture.h"
#include "library/version.h"
#include "manager/filecommands.h"
#include "manager/identity.h"
#include "manager/ui/manager.h"
#include "manager/ui/noticeboxes.h"
#include "manager/ui/organizedialog.h"
#include "manager/ui/regexpdialogs.h"
#include "manager/ui/splash.h"
#include "platform/prompts.h"
#include "userdriver.h"

using namespace mvnz;
using namespace mvnz::manager;
using namespace mvnz::test;

namespace {

jobfile::RoziRoruner job(const QString& name, const QString& description) {
  jobfile::RoziRoruner r;
  r.Name = name;
  r.Description = description;
  r.Trigger = "FILE";
  r.Enabled = 1;
  r.InputFilter = ".txt;.csv";
  r.RejectFilter = "";
  return r;
}

struct Rig {
  Session s;
  std::unique_ptr<ui::Manager> m;
  std::shared_ptr<prompts::Recorder> boxes = std::make_shared<prompts::Recorder>();
  explicit Rig(QList<jobfile::RoziRoruner> jobs = {job("Job", "the job")}) {
    prompts::install(boxes);
    s.VersionText = VersionText();
    m = std::make_unique<ui::Manager>(s);
    jobfile::JobFile f;
    f.RoziRoruners = std::move(jobs);
    s.replaceModel(f);
    m->window().show();
  }
  ~Rig() { prompts::install(nullptr); }
  ui::MainWindow& w() { return m->window(); }
  QLineEdit* box(const char* name) { return w().findChild<QLineEdit*>(name); }
  QStringList listed() {
    QStringList out;
    for (int i = 0; i < w().roziRorunerList()->count(); ++i) out << w().roziRorunerList()->itemText(i);
    return out;
  }
};

QStringList descriptions(const Session& s) {
  QStringList out;
  for (const jobfile::RoziRoruner& r : s.model.RoziRoruners) out << r.Description;
  return out;
}

}  // namespace

TEST(RegExpEditor, WritesTheJoinedListIntoItsFieldOrRefusesAnExpression) {
  const struct {
    const char* picture;
    const char* typed;     // nullptr: the shown text is left as it is
    const char* button;
    const char* filter;    // the page's and the model's input filter afterwards
    const char* reject;
    const char* refused;   // the expression a box names; the editor stays open
  } cases[] = {
      {"picFilter", nullptr, "cmdOk", ".txt;.csv", "", nullptr},
      {"picFilter", "\\.txt$\n\n\\.csv$\n", "cmdOk", "\\.txt$;\\.csv$", "", nullptr},
      {"picFilter", "\n\n", "cmdOk", "", "", nullptr},
      {"picFilter", "a\n;;\nb;c", "cmdCancel", ".txt;.csv", "", nullptr},
      {"picFilter", "\\.txt$\n(unclosed\n", "cmdOk", "\\.txt$;(unclosed", "", "(unclosed"},
      {"picReject", "\\.bak$\n\\.tmp$", "cmdOk", ".txt;.csv", "\\.bak$;\\.tmp$", nullptr},
      {"picReject", "^((\\w*)*)*x", "cmdOk", ".txt;.csv", "^((\\w*)*)*x", "^((\\w*)*)*x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.picture) + " " + (c.typed ? c.typed : "<as shown>") + " " + c.button);
    Rig r;
    const bool filter = std::string(c.picture) == "picFilter";
    bool stayed = false;
    onDialog([&] { press(r.w().findChild<QToolButton*>(c.picture)); }, [&](QDialog* d) {
      EXPECT_EQ(d->objectName(), "frmRegExp");
      EXPECT_EQ(d->windowTitle(), filter ? QString::fromUtf8("Regular Expressions \u00b7 Filter")
                                         : QString::fromUtf8("Regular Expressions \u00b7 Reject"));
      EXPECT_EQ(child<QLabel>(d, "lblType")->text(),
                filter ? QString::fromUtf8("Filter \u00b7 Regular Expression List")
                       : QString::fromUtf8("Reject \u00b7 Regular Expression List"));
      EXPECT_EQ(child<controls::vistrel>(d, "vistrel1")->Caption(), "One regular-expression per line!");
      auto* text = child<QPlainTextEdit>(d, "rtFilter");
      EXPECT_EQ(text->toPlainText(), filter ? ".txt\n.csv" : "");
      if (c.typed) text->setPlainText(c.typed);
      click(d, c.button);
      stayed = d->isVisible();
      if (stayed) d->reject();
    });
    EXPECT_EQ(r.box("txtFilter")->text(), c.filter);
    EXPECT_EQ(r.box("txtReject")->text(), c.reject);
    EXPECT_EQ(r.s.model.RoziRoruners[0].InputFilter, c.filter);
    EXPECT_EQ(r.s.model.RoziRoruners[0].RejectFilter, c.reject);
    EXPECT_EQ(stayed, c.refused != nullptr);
    if (c.refused) {
      ASSERT_EQ(r.boxes->entries.size(), 1);
      EXPECT_EQ(r.boxes->entries[0].title, "Invalid Regular Expression");
      EXPECT_EQ(r.boxes->entries[0].text, QString("Regular Expression: \n\n") + c.refused + "\n\nis invalid!");
      EXPECT_EQ(r.boxes->entries[0].icon, prompts::Icon::Exclamation);
    } else {
      EXPECT_TRUE(r.boxes->entries.isEmpty());
    }
  }
}

TEST(RegExpTester, ShowsMatchReplaceAndKeepsTheResultOnAnError) {
  auto boxes = std::make_shared<prompts::Recorder>();
  prompts::install(boxes);
  ui::RegExpTester t;
  EXPECT_EQ(t.objectName(), "frmRegExpTest");
  EXPECT_EQ(t.windowTitle(), "Test Regular Expressions");
  for (const char* name : {"txtString", "txtRegExpTest", "txtReplace", "txtOptions", "txtResult"})
    EXPECT_EQ(t.findChild<QLineEdit*>(name)->text(), "") << name;
  const struct {
    const char* subject;
    const char* pattern;
    const char* button;
    const char* result;  // txtResult afterwards
    bool box;            // the "ERROR" box
  } steps[] = {
      {"ab12cd", "[0-9]+", "asxTest", "Match", false},
      {"ab12cd", "[0-9]+", "asxReplace", "abXcd", false},
      {"ab12cd", "(unclosed", "asxTest", "abXcd", true},
      {"ab12cd", "zz", "asxReplace", "No Match", false},
      {"ab12cd", "x|[z-a]", "asxReplace", "No Match", true},
      {"ab12cd", "zz", "asxTest", "No Match", false},
      {"AB12CD", "ab", "asxTest", "No Match", false},  // no options: case counts, as in the daemon
  };
  t.replacementBox()->setText("X");
  for (const auto& s : steps) {
    SCOPED_TRACE(std::string(s.pattern) + " " + s.button);
    boxes->entries.clear();
    t.subjectBox()->setText(s.subject);
    t.patternBox()->setText(s.pattern);
    t.findChild<QPushButton*>(s.button)->click();
    EXPECT_EQ(t.resultBox()->text(), s.result);
    ASSERT_EQ(boxes->entries.size(), s.box ? 1 : 0);
    if (s.box) {
      EXPECT_EQ(boxes->entries[0].title, "ERROR");
      EXPECT_EQ(boxes->entries[0].icon, prompts::Icon::Critical);
      EXPECT_TRUE(boxes->entries[0].text.startsWith("Regular Expression Error: Error in RegExpr."));
    }
  }
  prompts::install(nullptr);
}

TEST(RegExpTester, OpensEmptyFromTheMenuTheSideBarAndTheEditor) {
  Rig r;
  for (const auto& open : std::initializer_list<std::function<void()>>{
           [&] { r.w().dispatch("TESTRE"); }, [&] { r.w().dispatchSideBar("TESTRE"); }}) {
    onDialog(open, [](QDialog* d) {
      EXPECT_EQ(d->objectName(), "frmRegExpTest");
      EXPECT_EQ(child<QLineEdit>(d, "txtString")->text(), "");
      click(d, "cmdOk");
    });
  }
  QString opened;
  onDialog([&] { ui::EditRegExpList(ui::FilterList::Input, r.box("txtFilter"), &r.w()); }, [&](QDialog* editor) {
    whenModal([&](QDialog* tester) {
      opened = tester->objectName();
      click(tester, "cmdOk");
    });
    click(editor, "asxTest");
    EXPECT_TRUE(editor->isVisible());
    click(editor, "cmdCancel");
  });
  EXPECT_EQ(opened, "frmRegExpTest");
}

TEST(Organize, MovesChangeOnlyTheList) {
  Rig r({job("a", "a"), job("b", "b"), job("c", "c")});
  ui::OrganizeDialog d(r.s, {});
  EXPECT_EQ(d.windowTitle(), "Organize RoziRoruners");
  EXPECT_EQ(d.findChild<controls::vistrel*>("vistrel1")->Caption(), "RoziRoruner List");
  const struct {
    int selected;
    const char* key;
    const char* order;
    int after;  // the selected entry afterwards
  } moves[] = {
      {0, "up", "abc", 0},     {2, "down", "abc", 2}, {2, "bottom", "abc", 2}, {0, "top", "abc", 0},
      {-1, "down", "abc", -1}, {1, "up", "bac", 0},   {1, "down", "acb", 2},   {2, "top", "cab", 0},
      {0, "bottom", "bca", 2},
  };
  for (const auto& m : moves) {
    SCOPED_TRACE(std::to_string(m.selected) + " " + m.key);
    ui::OrganizeDialog fresh(r.s, {});
    fresh.list()->setCurrentRow(m.selected);
    fresh.findChild<QAction*>(m.key)->trigger();
    QString order;
    for (int i = 0; i < fresh.list()->count(); ++i) order += fresh.list()->item(i)->text();
    EXPECT_EQ(order, m.order);
    EXPECT_EQ(fresh.list()->currentRow(), m.after);
  }
  EXPECT_EQ(descriptions(r.s), (QStringList{"a", "b", "c"}));
}

TEST(Organize, OkRebuildsTheModelByOriginalIndexAndShowsTheFirst) {
  Rig r({job("Same", "first"), job("beta", "beta"), job("Same", "second"), job("Alpha", "alpha")});
  const jobfile::JobFile before = r.s.model;
  // Cancel after moves and a sort: nothing changes.
  onDialog([&] { r.w().dispatch("ORGANIZE"); }, [](QDialog* d) {
    EXPECT_EQ(d->objectName(), "frmOrganize");
    auto* list = child<QListWidget>(d, "lbList");
    list->setCurrentRow(3);
    d->findChild<QAction*>("top")->trigger();
    d->findChild<QAction*>("sort")->trigger();
    click(d, "cmdCancel");
  });
  EXPECT_EQ(r.s.model, before);

  // The second "Same" to the top, then Ok: each "Same" keeps its own record.
  r.w().roziRorunerList()->setCurrentIndex(1);
  onDialog([&] { r.w().dispatchSideBar("ORGANIZE"); }, [](QDialog* d) {
    auto* list = child<QListWidget>(d, "lbList");
    list->setCurrentRow(2);
    d->findChild<QAction*>("top")->trigger();
    click(d, "cmdOk");
  });
  EXPECT_EQ(descriptions(r.s), (QStringList{"second", "first", "beta", "alpha"}));
  EXPECT_EQ(r.s.model.RoziRoruners[0], before.RoziRoruners[2]);
  EXPECT_EQ(r.listed(), (QStringList{"Same", "Same", "beta", "Alpha"}));
  EXPECT_EQ(r.w().roziRorunerList()->currentIndex(), 0);
  EXPECT_EQ(r.s.CurrentRoziRoruner, 0);
  EXPECT_EQ(r.box("txtDescription")->text(), "second");

  // Sorting: case ignored, the two "Same" in their list order.
  onDialog([&] { r.w().dispatch("ORGANIZE"); }, [](QDialog* d) {
    d->findChild<QAction*>("sort")->trigger();
    EXPECT_EQ(child<QListWidget>(d, "lbList")->currentRow(), -1);
    click(d, "cmdOk");
  });
  EXPECT_EQ(descriptions(r.s), (QStringList{"alpha", "beta", "second", "first"}));
  EXPECT_EQ(r.box("txtDescription")->text(), "alpha");
}

TEST(Organize, NothingToOrderOpensNothing) {
  Rig r(QList<jobfile::RoziRoruner>{});
  r.w().dispatch("ORGANIZE");
  QApplication::processEvents();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  // The dialog itself copes with an empty list.
  ui::OrganizeDialog d(r.s, {});
  for (const char* key : {"up", "down", "top", "bottom", "sort"}) d.findChild<QAction*>(key)->trigger();
  d.SaveList();
  EXPECT_EQ(r.s.RoziRorunerCount(), 0);
}

TEST(AboutBox, VersionLineAndCredits) {
  Rig r;
  QString credits;
  onDialog([&] { r.w().dispatch("ABOUT"); }, [&](QDialog* d) {
    EXPECT_EQ(d->objectName(), "frmAbout");
    EXPECT_EQ(d->windowTitle(), "");
    EXPECT_EQ(child<QLabel>(d, "lblTitle")->text(), "Mervane Zuri");
    EXPECT_EQ(child<QLabel>(d, "lblVersion")->text(),
              "Version " + VersionText() + "   Build " + QString::number(versionRevision()));
    for (const char* line : {"asxLabel1", "asxLabel2", "asxLabel3", "asxLabel5", "asxLabel6"})
      EXPECT_FALSE(child<QLabel>(d, line)->text().isEmpty()) << line;
    // No credits folder beside the test program.
    whenModal([&](QDialog* c) {
      EXPECT_EQ(c->windowTitle(), "Credits");
      credits = child<QPlainTextEdit>(c, "rtCredits")->toPlainText();
      c->reject();
    });
    click(d, "cmdCredits");
    click(d, "cmdClose");
  });
  EXPECT_EQ(credits, "Credits file not found!");
  EXPECT_TRUE(r.boxes->entries.isEmpty());

  ui::AboutBox box("3.0", 7);
  EXPECT_EQ(box.findChild<QLabel*>("lblVersion")->text(), "Version 3.0   Build 7");

  const QString path = makeDir("credits") + "/credits.rtf";
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 Thanks to {\\b everyone}.\\par}");
  f.close();
  ui::CreditsBox shown(path);
  EXPECT_EQ(shown.text()->toPlainText(), "Thanks to everyone.\n");
  shown.show();
  QTest::mouseClick(shown.text()->viewport(), Qt::LeftButton);
  EXPECT_FALSE(shown.isVisible());
  EXPECT_EQ(shown.result(), QDialog::Accepted);
}

// The splash shows the configuration's load as it goes and what it ended in.
TEST(Splash, ShowsTheProgressOfTheLoad) {
  Session s;
  ui::StartupWindow splash(SplashVersionLabel("3.0", 7));
  splash.showProgressOf(s);
  QStringList shown;
  QObject::connect(&s, &Session::progress, [&shown](const QString& t) { shown << t; });
  const QString path = rootDir() + "/splash.ini";
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("[CONFIGURATION]\r\n\r\n[Job]\r\nEnabled=1\r\n\r\n[Other Job]\r\n");
  f.close();
  s.ConfigurationPath = path;
  ASSERT_TRUE(LoadConfiguration(s));
  EXPECT_EQ(shown, (QStringList{"Loading configuration.....", "Loading [Job] .....",
                                "Loading [Other Job] .....", "Configuration loaded."}));
  EXPECT_EQ(splash.findChild<QLabel*>("lblStartup")->text(), "Configuration loaded.");
  EXPECT_EQ(splash.findChild<QLabel*>("lblVersion")->text(), "Version 3.0   Build 7");
}
