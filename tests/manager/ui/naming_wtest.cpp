// The naming dialogs offscreen: the name rules (characters, case-blind duplicates,
// the empty and the reserved name), adding and renaming through Ok and Enter, and a
// refusal leaving the dialog open with its text.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "fixture.h"
#include "manager/naming.h"
#include "manager/session.h"
#include "manager/ui/mainwindow.h"
#include "manager/ui/namingdialog.h"
#include "platform/prompts.h"

using namespace mvnz;
using namespace mvnz::manager;

namespace {

jobfile::JobFile ThreeJobs() {
  jobfile::JobFile f;
  for (const char* n : {"Alpha", "Beta two", "Gamma_3"}) {
    jobfile::RoziRoruner r;
    r.Name = QLatin1String(n);
    f.RoziRoruners << r;
  }
  return f;
}

struct Rig {
  Session s;
  std::shared_ptr<prompts::Recorder> boxes = std::make_shared<prompts::Recorder>();
  std::unique_ptr<ui::MainWindow> w;
  Rig() {
    prompts::install(boxes);
    w = std::make_unique<ui::MainWindow>(s);
    s.replaceModel(ThreeJobs());
    for (int i = 0; i < 3; ++i) s.parentIndex << kNoParent;
  }
  ~Rig() { prompts::install(nullptr); }
  QStringList names() const {
    QStringList n;
    for (const auto& r : s.model.RoziRoruners) n << r.Name;
    return n;
  }
  QStringList listed() const {
    QStringList n;
    for (int i = 0; i < w->roziRorunerList()->count(); ++i) n << w->roziRorunerList()->itemText(i);
    return n;
  }
};

}  // namespace

TEST(RoziRorunerNames, RulesForNewAndRenamedNames) {
  const jobfile::JobFile f = ThreeJobs();
  const struct {
    QString name;
    int self;
    QString title;  // "" accepted
    QString text;   // part of the refusal's text
  } cases[] = {
      {"New Job-1_x", -1, "", ""},
      {"in/out", -1, "Error", "Character(s): /"},
      {"a.b.c", -1, "Error", "Character(s): .."},
      {"Ünïcode", -1, "Error", "Character(s): Üï"},
      {"", -1, "Error", "cannot be empty"},
      {"configuration", -1, "Error", "reserved"},
      {"CONFIGURATION", 0, "Error", "reserved"},
      {"ALPHA", -1, "ROZIRORUNER EXISTS", "RoziRoruner [ALPHA] already exists!"},
      {"ALPHA", 0, "", ""},  // its own name in other case
      {"beta TWO", 0, "ROZIRORUNER EXISTS", "[beta TWO]"},
  };
  for (const auto& c : cases) {
    const auto refusal = RefuseRoziRorunerName(f, c.name, c.self);
    EXPECT_EQ(refusal ? refusal->title : QString(), c.title) << c.name.toStdString();
    if (refusal) {
      EXPECT_TRUE(refusal->text.contains(c.text)) << refusal->text.toStdString();
    }
  }
}

TEST(RoziRorunerNames, AddProposesTheNextNumberAndEnterAdds) {
  Rig r;
  ui::NamingDialog d(ui::NamingDialog::Mode::Add, r.s, r.w->roziRorunerList());
  d.show();
  d.nameBox()->setText("RoziRoruner" + QString::number(r.s.RoziRorunerCount() + 1));
  EXPECT_EQ(d.nameBox()->text(), "RoziRoruner4");
  QTest::keyClick(d.nameBox(), Qt::Key_Return);
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(r.names().last(), "RoziRoruner4");
  EXPECT_EQ(r.listed(), r.names());
  EXPECT_EQ(r.s.CurrentRoziRoruner, 3);
  EXPECT_EQ(d.nameBox()->text(), "");
}

TEST(RoziRorunerNames, ARefusedNameKeepsTheDialogOpenAndChangesNothing) {
  const struct {
    ui::NamingDialog::Mode mode;
    const char* typed;
    const char* title;
  } cases[] = {{ui::NamingDialog::Mode::Add, "gamma_3", "ROZIRORUNER EXISTS"},
               {ui::NamingDialog::Mode::Add, "Configuration", "Error"},
               {ui::NamingDialog::Mode::Rename, "", "Error"},
               {ui::NamingDialog::Mode::Rename, "GAMMA_3", "ROZIRORUNER EXISTS"}};
  for (const auto& c : cases) {
    Rig r;
    const QStringList before = r.names();
    ui::NamingDialog d(c.mode, r.s, r.w->roziRorunerList());
    d.show();
    d.nameBox()->setText(c.typed);
    EXPECT_FALSE(d.tryAccept()) << c.typed;
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.nameBox()->text(), c.typed);
    EXPECT_EQ(r.names(), before);
    ASSERT_EQ(r.boxes->entries.size(), 1);
    EXPECT_EQ(r.boxes->entries[0].title, c.title);
  }
}

TEST(RoziRorunerNames, RenameChangesTheCurrentRecordAndItsListEntry) {
  Rig r;
  r.w->roziRorunerList()->setCurrentIndex(1);
  ui::NamingDialog d(ui::NamingDialog::Mode::Rename, r.s, r.w->roziRorunerList());
  d.show();
  d.nameBox()->setText("BETA TWO");  // its own name in other case
  EXPECT_TRUE(d.tryAccept());
  EXPECT_EQ(r.names(), (QStringList{"Alpha", "BETA TWO", "Gamma_3"}));
  EXPECT_EQ(r.listed(), r.names());
}
