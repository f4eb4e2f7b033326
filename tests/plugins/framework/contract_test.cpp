// The Setup contract as the hosts use it, through the built plug-in libraries.
#include <gtest/gtest.h>
#include <QRegularExpression>

#include "platform/prompts.h"
#include "pluginfixture.h"
#include "testenv.h"

using namespace mvnz;
using test::loadPlugin;
using test::params;
using test::sentLines;

TEST(Contract, LoaderTableOfTheFilePlugins) {
  const char* names[] = {"Relocate", "Duplicate", "Erase", "Scour", "MakeFolder", "DropFolder"};
  for (const char* n : names) {
    SCOPED_TRACE(n);
    const QString name = QString::fromLatin1(n);
    test::Plugin p = loadPlugin(name);
    ASSERT_NE(p.setup, nullptr);
    EXPECT_EQ(p->ModuleCount(), 0);  // nothing before Init
    EXPECT_EQ(p->Info(), "");
    p->Init();
    EXPECT_EQ(p->ModuleCount(), 1);
    EXPECT_EQ(p->Info(), "Mervane Plugin: " + name);
    EXPECT_FALSE(p->Author().isEmpty());
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+\\.\\d+$").match(p->Version()).hasMatch());
    ModType m;
    ASSERT_EQ(p->ModuleInfo(1, &m), 0);
    const QString word = name.toLower();
    EXPECT_EQ(m.name, name);
    EXPECT_EQ(m.IconLarge, "il_" + word + ".ico");
    EXPECT_EQ(m.IconSmall, "is_" + word + ".ico");
    EXPECT_EQ(m.Cat, "File");
    EXPECT_EQ(m.CatIconLarge, "icl_file.ico");
    EXPECT_EQ(m.CatIconSmall, "ics_file.ico");
    EXPECT_EQ(p->ModuleInfo(0, &m), kErrSubscript);
    EXPECT_EQ(p->ModuleInfo(2, &m), kErrSubscript);
  }
}

// The state lives once per library: a second object sees the first one's Init and
// AutoLog; another library's state is its own.
TEST(Contract, ModuleStateIsSharedPerLibrary) {
  test::installRecordingLog();
  {
    test::Plugin first = loadPlugin("Relocate");
    first->Init();
    first->SetAutoLog(true);
  }
  test::Plugin second = loadPlugin("Relocate");
  EXPECT_EQ(second->ModuleCount(), 1);
  EXPECT_EQ(second->Info(), "Mervane Plugin: Relocate");
  test::Plugin other = loadPlugin("Duplicate");
  EXPECT_EQ(other->ModuleCount(), 0);

  // AutoLog set through the first object switches the progress lines of the second.
  const QString dir = test::makeDir("state");
  test::writeFile(dir + "/a", "a");
  QString module = "Relocate";
  second->RunP(module, params({dir + "/a", dir + "/b", "0", "0"}));
  ASSERT_EQ(sentLines().size(), 1u);
  EXPECT_EQ(sentLines()[0].level, 0);
  EXPECT_TRUE(sentLines()[0].text.startsWith("Moving file ["));
}

TEST(Contract, IndexBoundsGiveError9) {
  test::Plugin p = loadPlugin("Erase");
  p->Init();
  VarType v{true, "x"};
  EXPECT_EQ(p->LocalVar(15, &v), 0);
  EXPECT_FALSE(v.Use);
  EXPECT_EQ(v.Value, "");
  for (short bad : {short(-1), short(16)}) {
    EXPECT_EQ(p->LocalVar(bad, &v), kErrSubscript);
    EXPECT_EQ(p->GlobalVar(bad, &v), kErrSubscript);
  }
  QString s;
  EXPECT_EQ(p->DataCount(), 0);
  EXPECT_EQ(p->Data(0, &s), kErrSubscript);  // nothing saved yet
  EXPECT_EQ(p->SetLocalConstants(QStringList(15, "c")), kErrSubscript);
  EXPECT_EQ(p->SetGlobalConstants(QStringList(16, "c")), 0);
  // Props with a Data array lacking an index the dialog fills from.
  QString module = "Erase";
  EXPECT_EQ(p->Props(module, QStringList{"", "file"}), kErrSubscript);
}

TEST(Contract, UnknownModuleWarnsAndShowsTheMismatchBox) {
  test::installRecordingLog();
  auto recorder = std::make_shared<prompts::Recorder>();
  prompts::install(recorder);
  test::Plugin p = loadPlugin("Scour");
  p->Init();
  QString module = "Other";
  EXPECT_EQ(p->RunP(module, params({})), 0);
  EXPECT_FALSE(p->Error());
  ASSERT_EQ(sentLines().size(), 1u);
  EXPECT_EQ(sentLines()[0].level, 1);
  EXPECT_EQ(sentLines()[0].text, "WARNING: Module [OTHER] is unknown!");
  EXPECT_TRUE(QRegularExpression("^\\d\\d-[A-Z][a-z]{2}-\\d{4} \\d\\d:\\d\\d\\.\\d\\d$")
                  .match(sentLines()[0].time)
                  .hasMatch())
      << sentLines()[0].time.toStdString();

  EXPECT_EQ(p->Props(module, params({})), 0);
  EXPECT_EQ(p->DataCount(), 0);
  ASSERT_EQ(recorder->entries.size(), 1);
  EXPECT_EQ(recorder->entries[0].text, "Module [OTHER] is unknown!");
  EXPECT_EQ(recorder->entries[0].title, "Unknown Module");
  EXPECT_EQ(recorder->entries[0].icon, prompts::Icon::Exclamation);
  EXPECT_EQ(recorder->entries[0].buttons, prompts::Buttons::Ok);
}

// The Error flag belongs to the last run: a good run after a failed one clears it,
// also through a fresh object. The keyword ignores case.
TEST(Contract, FailedRunThenGoodRunThroughAFreshObject) {
  const QString dir = test::makeDir("runs");
  test::writeFile(dir + "/a", "a");
  {
    test::Plugin p = loadPlugin("Relocate");
    QString module = "Relocate";
    p->RunP(module, params({dir + "/a", dir + "/missing/b", "0", "0"}));
    EXPECT_TRUE(p->Error());
  }
  test::Plugin p = loadPlugin("Relocate");
  EXPECT_TRUE(p->Error());  // left for the host to read
  QString module = "relocate";
  p->RunP(module, params({dir + "/a", dir + "/b", "0", "0"}));
  EXPECT_FALSE(p->Error());
  EXPECT_EQ(test::readFile(dir + "/b"), "a");
}

// Without a daemon the lines are dropped silently and the action's result is the same.
TEST(Contract, NoDaemonMeansSilentLogging) {
  const QString dir = test::makeDir("nolog");
  test::Plugin p = loadPlugin("Duplicate");
  p->SetAutoLog(true);
  QString module = "Duplicate";
  p->RunP(module, params({dir + "/none", dir + "/b", "0", "0"}));
  EXPECT_FALSE(p->Error());
  test::writeFile(dir + "/a", "a");
  p->RunP(module, params({dir + "/a", dir + "/b", "0", "1"}));
  EXPECT_FALSE(p->Error());
  EXPECT_EQ(test::readFile(dir + "/b"), "a");
  EXPECT_TRUE(sentLines().empty());
}
