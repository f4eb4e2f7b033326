// The global settings page offscreen: each control stored into the model's globals,
// the controls following a loaded model, the start modes (none selected included),
// the enabled states of logging and automatic start, and the idle minutes' check.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>

#include "fixture.h"
#include "manager/session.h"
#include "manager/ui/globals_page.h"
#include "manager/ui/mainwindow.h"
#include "platform/prompts.h"

using namespace mvnz;
using namespace mvnz::manager;

namespace {

struct Rig {
  Session s;
  std::shared_ptr<prompts::Recorder> boxes = std::make_shared<prompts::Recorder>();
  std::unique_ptr<ui::MainWindow> w;
  Rig() {
    prompts::install(boxes);
    w = std::make_unique<ui::MainWindow>(s);
    w->pages()->setCurrentWidget(w->preferencesPage());
    w->show();
  }
  ~Rig() { prompts::install(nullptr); }
  template <typename T = QWidget>
  T* get(const char* name) {
    T* c = w->findChild<T*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  jobfile::GlobalSettings& g() { return s.model.Globals; }
};

}  // namespace

TEST(GlobalsPage, ControlsStoreIntoTheGlobals) {
  Rig r;
  r.get<QLineEdit>("txtRoziRoruTitle")->setText("  Title  ");
  r.get<QLineEdit>("txtLogdir")->setText(" /var/log/x ");
  EXPECT_EQ(r.g().RoziRoruTitle, "  Title  ");  // the writer trims it
  EXPECT_EQ(r.g().LogDirectory, " /var/log/x ");
  const struct {
    const char* box;
    int jobfile::GlobalSettings::*field;
  } switches[] = {{"chkEnableLogging", &jobfile::GlobalSettings::EnableLogging},
                  {"chkAutoLogInternal", &jobfile::GlobalSettings::AutoLogInternalCommands},
                  {"chkAutoStart", &jobfile::GlobalSettings::AutoStart}};
  for (const auto& c : switches) {
    auto* b = r.get<QCheckBox>(c.box);
    b->click();
    EXPECT_EQ(r.g().*c.field, b->isChecked() ? 1 : 0) << c.box;
    b->click();
    EXPECT_EQ(r.g().*c.field, b->isChecked() ? 1 : 0) << c.box;
  }
  r.get<QCheckBox>("chkAutoStart")->setChecked(true);
  const struct {
    const char* option;
    int state;
  } modes[] = {{"optSystemTray", 2}, {"optNTService", 3}, {"optHidden", 4}, {"optNormal", 1}};
  for (const auto& m : modes) {
    r.get<QRadioButton>(m.option)->click();
    EXPECT_EQ(r.g().AutoStartState, m.state) << m.option;
  }
  // The run-only switches leave the model alone.
  const jobfile::JobFile before = r.s.model;
  r.get<QCheckBox>("chkShowUnstable")->click();
  r.get<QCheckBox>("chkProcessRO")->click();
  EXPECT_EQ(r.s.model, before);
}

TEST(GlobalsPage, ALoadedModelIsShownWithItsEnabledStates) {
  const struct {
    int autoStart, state, logging;
    const char* selected;  // nullptr: none
  } cases[] = {{1, 3, 1, "optNTService"}, {0, 2, 0, "optSystemTray"}, {1, 0, 1, nullptr}, {0, 4, 1, "optHidden"}};
  for (const auto& c : cases) {
    Rig r;
    jobfile::JobFile f;
    f.Globals.RoziRoruTitle = "Loaded";
    f.Globals.LogDirectory = "/logs";
    f.Globals.EnableLogging = c.logging;
    f.Globals.AutoStart = c.autoStart;
    f.Globals.AutoStartState = c.state;
    r.s.replaceModel(f);
    const jobfile::GlobalSettings shown = r.g();
    EXPECT_EQ(r.get<QLineEdit>("txtRoziRoruTitle")->text(), "Loaded");
    EXPECT_EQ(r.get<QLineEdit>("txtLogdir")->text(), "/logs");
    EXPECT_EQ(r.get<QLineEdit>("txtLogdir")->isEnabled(), c.logging == 1);
    for (const char* o : {"optNormal", "optSystemTray", "optNTService", "optHidden"}) {
      EXPECT_EQ(r.get<QRadioButton>(o)->isChecked(), c.selected && QLatin1String(o) == c.selected) << o;
      EXPECT_EQ(r.get<QRadioButton>(o)->isEnabled(), c.autoStart == 1) << o;
    }
    EXPECT_EQ(r.get<QToolButton>("cmdSetupService")->isEnabled(), c.autoStart == 1);
    // Showing stores nothing back, so a file without a start mode keeps none.
    EXPECT_EQ(r.g(), shown);
  }
}

TEST(GlobalsPage, IdleMinutesAreCheckedOnLeavingTheField) {
  const struct {
    const char* typed;
    const char* after;
    bool refused;
  } cases[] = {{"15", "15", false}, {"0", "1", false},    {"-4", "1", false},  {"abc", "30", true},
               {"", "30", true},     {"inf", "30", true}, {"nan", "30", true}, {"0x10", "30", true}};
  for (const auto& c : cases) {
    Rig r;
    auto* box = r.get<QLineEdit>("txtIdleTimestampValue");
    box->setText(c.typed);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &out);
    QCoreApplication::processEvents();
    EXPECT_EQ(box->text(), c.after) << c.typed;
    ASSERT_EQ(r.boxes->entries.size(), c.refused ? 1 : 0) << c.typed;
    if (c.refused) {
      EXPECT_EQ(r.boxes->entries[0].title, "Illegal Value");
    }
  }
  Rig r;
  r.get<QCheckBox>("chkIdleTimestamp")->click();
  EXPECT_FALSE(r.get<QLineEdit>("txtIdleTimestampValue")->isEnabled());
}

TEST(GlobalsPage, TheDesignedValuesAreTheModelsUntilALoad) {
  Rig r;
  EXPECT_EQ(r.g().RoziRoruTitle, "Mervane Zuri");
  EXPECT_EQ(r.g().AutoLogInternalCommands, 1);
  EXPECT_EQ(r.g().EnableLogging, 0);
  EXPECT_EQ(r.g().AutoStart, 0);
  EXPECT_EQ(r.g().AutoStartState, 1);
  EXPECT_TRUE(r.get<QRadioButton>("optNormal")->isChecked());
  EXPECT_FALSE(r.get<QRadioButton>("optNormal")->isEnabled());
}
