// Command properties: the plug-in road through a fixture Setup class, the built-in
// road through a fake dialog, and the line and name checks before either.
#include <gtest/gtest.h>

#include "fixture.h"
#include "manager/properties.h"
#include "manager/session.h"
#include "platform/prompts.h"

using namespace mvnz;
using namespace mvnz::manager;
using namespace mvnz::test;

namespace {

class FakeBuiltins : public BuiltinDialogs {
 public:
  std::optional<Parameters> edit(BuiltinDialog which, Session&,
                                 const jobfile::CommandEntry& command) override {
    shown << which;
    seen = command;
    return answer;
  }
  QList<BuiltinDialog> shown;
  jobfile::CommandEntry seen;
  std::optional<Parameters> answer;
};

// A session with one RoziRoruner whose script is Relocate (p1..p5), EndDaemon,
// Reschedule, and a catalogue holding the fixture Relocate plug-in.
struct Rig {
  Session s;
  FakeSetup::Behaviour relocate;
  RegisteredFake registered{"Relocate", &relocate};
  FakeBuiltins builtins;
  Rig() {
    relocate.modules = {Module("Relocate", "File")};
    PluginFolder({"Relocate"});
    class Count : public PictureSink {
      int n = kDesignPictures;
      int count() const override { return n; }
      bool add(const QString&, const QString&, QString*) override { return ++n; }
    } pictures;
    s.catalog.LoadPlugins(makeDir("Icons"), pictures, nullptr);
    s.AddRoziRoruner("Spool");
    s.setCurrent(0);
    jobfile::RoziRoruner* r = s.current();
    for (const char* name : {"RELOCATE", "EndDaemon", "Reschedule"}) {
      jobfile::CommandEntry c;
      c.Name = name;
      r->Commands.append(c);
    }
    for (int k = 1; k <= 5; ++k) r->Commands[0].Data[k] = QString("p%1").arg(k);
    r->LocalConstants[3] = "local three";
    s.model.Globals.GlobalConstants[15] = "global fifteen";
    relocate.calls.clear();
  }
  QStringList data(int line) const {
    return s.model.RoziRoruners[0].Commands[line - 1].Data.toList().mid(1);
  }
};

QStringList Thirty(QStringList head) {
  while (head.size() < 30) head << QString();
  return head;
}

}  // namespace

TEST(CommandProperties, PluginDialogResultsAreStoredOnlyWhenConfirmedAndWhole) {
  QStringList thirtyOne;
  for (int i = 1; i <= 31; ++i) thirtyOne << QString("n%1").arg(i);
  const struct {
    const char* what;
    QStringList saved;
    int failDataAt;
    bool result;
    QStringList after;
  } cases[] = {
      {"cancelled", {}, 0, false, Thirty({"p1", "p2", "p3", "p4", "p5"})},
      {"two saved over five", {"a", "b"}, 0, true, Thirty({"a", "b", "p3", "p4", "p5"})},
      {"a failing read stores nothing", {"a", "b", "c"}, 2, false, Thirty({"p1", "p2", "p3", "p4", "p5"})},
      {"thirty of thirty-one kept, and a failure", thirtyOne, 0, false, thirtyOne.mid(0, 30)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    rig.relocate.saved = c.saved;
    rig.relocate.failDataAt = c.failDataAt;
    EXPECT_EQ(ShowCommandProperties(rig.s, "1", "relocate", rig.builtins), c.result);
    EXPECT_EQ(rig.data(1), c.after);
    EXPECT_EQ(rig.s.model.RoziRoruners[0].Commands[0].Name, "RELOCATE");
    EXPECT_TRUE(rig.builtins.shown.isEmpty());
  }
}

TEST(CommandProperties, PluginGetsTheCatalogueNameConstantsAndParametersInOrder) {
  Rig rig;
  rig.relocate.saved = {"x"};
  ASSERT_TRUE(ShowCommandProperties(rig.s, "1", "RELOCATE", rig.builtins));
  EXPECT_EQ(rig.relocate.propsModule, "Relocate");
  EXPECT_EQ(rig.relocate.calls.mid(0, 6), (QStringList{"Init", "SetLocalConstants", "SetGlobalConstants",
                                                      "Props", "DataCount", "Data"}));
  ASSERT_EQ(rig.relocate.locals.size(), 16);
  EXPECT_EQ(rig.relocate.locals[3], "local three");
  ASSERT_EQ(rig.relocate.globals.size(), 16);
  EXPECT_EQ(rig.relocate.globals[15], "global fifteen");
  ASSERT_EQ(rig.relocate.propsData.size(), 31);
  EXPECT_EQ(rig.relocate.propsData[1], "p1");
  EXPECT_EQ(rig.relocate.propsData[5], "p5");
}

TEST(CommandProperties, NothingOpensForABadLineOrACommandWithoutDialog) {
  const struct {
    const char* line;
    const char* name;
    bool selected;
  } cases[] = {{"0", "Relocate", true},  {"4", "Relocate", true},   {"-1", "Relocate", true},
               {"abc", "Relocate", true}, {"", "Relocate", true},   {"1", "Relocate", false},
               {"2", "EndDaemon", true},  {"1", "NoSuchModule", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.line) + " " + c.name);
    Rig rig;
    if (!c.selected) rig.s.setCurrent(-1);
    rig.relocate.saved = {"changed"};
    EXPECT_FALSE(ShowCommandProperties(rig.s, c.line, c.name, rig.builtins));
    EXPECT_TRUE(rig.relocate.calls.isEmpty());
    EXPECT_TRUE(rig.builtins.shown.isEmpty());
    EXPECT_EQ(rig.data(1)[0], "p1");
  }
}

TEST(CommandProperties, BuiltInDialogsByNameInAnyCase) {
  const struct {
    const char* name;
    std::optional<BuiltinDialog> dialog;
  } names[] = {{"ErrorAction", BuiltinDialog::ErrorAction}, {"loadconfig", BuiltinDialog::LoadConfig},
               {"ReSchedule", BuiltinDialog::Reschedule},   {"Comment", std::nullopt},
               {"EndDaemon", std::nullopt},                 {"Relocate", std::nullopt}};
  for (const auto& n : names) EXPECT_EQ(BuiltinDialogOf(n.name), n.dialog) << n.name;

  Rig rig;
  rig.s.current()->Commands[2].Data[1] = "I,30";
  EXPECT_FALSE(ShowCommandProperties(rig.s, "3", "reschedule", rig.builtins));  // cancelled
  ASSERT_EQ(rig.builtins.shown, QList<BuiltinDialog>{BuiltinDialog::Reschedule});
  EXPECT_EQ(rig.builtins.seen.Data[1], "I,30");
  EXPECT_EQ(rig.data(3)[0], "I,30");

  Parameters confirmed;
  confirmed[1] = "H,1,5";
  rig.builtins.answer = confirmed;
  EXPECT_TRUE(ShowCommandProperties(rig.s, "3", "Reschedule", rig.builtins));
  EXPECT_EQ(rig.data(3), Thirty({"H,1,5"}));
}

TEST(CommandProperties, RescheduleOpensOnlyOnAnEmptyParameterOrOneInPieces) {
  const struct {
    const char* stored;
    bool opens;
  } cases[] = {{"", true}, {"I,30", true}, {",", true}, {"H,1,5", true}, {"I", false}, {"30", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    Rig rig;
    rig.s.current()->Commands[2].Data[1] = c.stored;
    Parameters confirmed;
    confirmed[1] = "D,1";
    rig.builtins.answer = confirmed;
    EXPECT_EQ(ShowCommandProperties(rig.s, "3", "RESCHEDULE", rig.builtins), c.opens);
    EXPECT_EQ(rig.builtins.shown.size(), c.opens ? 1 : 0);
    EXPECT_EQ(rig.data(3)[0], c.opens ? "D,1" : c.stored);
  }
  const struct {
    const char* stored;
    std::optional<std::pair<QString, QString>> pieces;
  } splits[] = {{"I,30", {{"I", "30"}}}, {"H,1,5", {{"H", "1"}}}, {",", {{"", ""}}},
                {"S,24-Dec-2026 18:00,x", {{"S", "24-Dec-2026 18:00"}}}, {"I", {}}, {"", {}}};
  for (const auto& c : splits) {
    const auto p = SplitReschedule(c.stored);
    ASSERT_EQ(p.has_value(), c.pieces.has_value()) << c.stored;
    if (p) EXPECT_EQ(std::make_pair(p->letter, p->value), *c.pieces) << c.stored;
  }
}

// A dialog during which another RoziRoruner became current stores nothing anywhere.
TEST(CommandProperties, AnEditStoresOnlyIntoTheRoziRorunerItWasOpenedOn) {
  Rig rig;
  rig.s.AddRoziRoruner("Other");
  rig.s.current()->Commands[2].Data[1] = "I,30";
  rig.s.model.RoziRoruners[1].Commands = rig.s.current()->Commands;
  class Switching : public BuiltinDialogs {
   public:
    std::optional<Parameters> edit(BuiltinDialog, Session& s, const jobfile::CommandEntry&) override {
      s.setCurrent(1);
      Parameters p;
      p[1] = "M,5";
      return p;
    }
  } switching;
  EXPECT_FALSE(ShowCommandProperties(rig.s, "3", "Reschedule", switching));
  for (const auto& r : rig.s.model.RoziRoruners) EXPECT_EQ(r.Commands[2].Data[1], "I,30") << r.Name.toStdString();
}
