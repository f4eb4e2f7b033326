// The built plug-ins as the daemon uses them: loaded into its module table, then run
// line by line by its interpreter, logging into the running RoziRoruner's buffer.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QLocale>

#include "daemon/logging.h"
#include "daemon/modules.h"
#include "engine/filetable.h"
#include "engine/interpreter.h"
#include "plugindaemon.h"
#include "testenv.h"

using namespace mvnz;
using test::Line;

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

class PluginScript : public ::testing::Test {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    d.settings.AutoLogInternalCommands = 1;
    test::StartWithPlugins(d, 1, 0, QStringLiteral(MVNZ_BIN_DIR "/Plugins"));
    d.jobs.RoziRoruners[0].Name = "Orders";
  }
  void TearDown() override { mvnd::UnregisterMVNdcom(); }
  mvnd::Daemon d;
};

}  // namespace

TEST_F(PluginScript, AllFourteenModulesAreInTheTable) {
  for (const char* name : {"Relocate", "Duplicate", "Erase", "Scour", "MakeFolder", "DropFolder",
                           "AssignValue", "Sleep", "JournalNote", "BrowseLink", "HostFacts",
                           "RebootHost", "SignOutHost", "PowerOffHost"})
    EXPECT_GT(mvnd::FindModule(d, QString(name).toUpper()), 6) << name;
}

// A variable computed from the file's name feeds a later Relocate; then a Sleep and a
// note. The lines land in the RoziRoruner's log in the order of the script.
TEST_F(PluginScript, VariableFromAFileTokenFeedsALaterLine) {
  const QString hot = test::makeDir("hot"), out = test::rootDir() + "/out";
  QFile f(hot + "/order-42.txt");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("data");
  f.close();
  auto table = std::make_shared<mvnd::FileTable>();
  table->addRow({table->addFolder(hot, "."), "order-42.txt", 4, 0});
  mvnd::RoziRoruner& r = d.jobs.RoziRoruners[0];
  r.FileList = table;
  r.FilesPending = 1;
  r.CurrentFile = 0;
  r.Commands = {
      mvnd::CommandEntry{},
      Line("AssignValue", {"Local", "1", "SubString", "7", "0", "<FileNameNoExt>", "", "1"}),
      Line("Relocate", {"<ScanPathFileName>", out + "/<LV1>/<FileName>", "0", "1"}),
      Line("Sleep", {"1", "1000"}), Line("JournalNote", {"Order <LV1> filed"})};
  r.CommandCount = 4;
  d.run.LastCommandError = false;
  engine::RunCommandScript(d, 0);

  EXPECT_FALSE(d.run.LastCommandError);
  EXPECT_EQ(r.LocalVariables[0], "42");
  EXPECT_TRUE(QFile::exists(out + "/42/order-42.txt"));
  EXPECT_FALSE(QFile::exists(hot + "/order-42.txt"));
  QStringList plugin;
  for (const auto& l : d.log.LogBuffers[1])
    if (l.msType == "M") plugin << l.message;
  const QStringList want = {
      "Processing command <ASSIGNVALUE> .....",
      "  -> Function : SubString",
      "Processing command <RELOCATE> .....",
      "Created directory [" + out + "]",
      "Created directory [" + out + "/42]",
      "Moving file [" + hot + "/order-42.txt] to [" + out + "/42/order-42.txt]...",
      "Processing command <SLEEP> .....",
      "Sleeping for 1000 ms.....",
      "Processing command <JOURNALNOTE> .....",
      "Order 42 filed"};
  EXPECT_EQ(plugin, want);
}
