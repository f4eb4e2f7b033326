// The module table against fixture plug-ins.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "daemon/modules.h"
#include "library/common.h"
#include "platform/activation.h"
#include "testenv.h"

using namespace mvnz::mvnd;

namespace {

// A plug-in folder holding the named fixtures (copied) and extra files (text).
QString PluginFolder(const QStringList& fixtures, const QStringList& junk = {}) {
  const QString dir = mvnz::test::makeDir(QStringLiteral("plugins"));
  for (const QString& f : fixtures)
    EXPECT_TRUE(
        QFile::copy(QStringLiteral(MVND_FIXTURE_DIR "/") + f + ".so", dir + "/" + f + ".so"))
        << f.toStdString();
  for (const QString& j : junk) {
    QFile file(dir + "/" + j);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a library");
  }
  return dir;
}

QStringList Rows(const Daemon& d) {
  QStringList r;
  for (int i = 1; i < d.NextModuleRow; ++i)
    r << d.ModuleTable[i].Name + "|" + d.ModuleTable[i].ProgID;
  return r;
}

const QStringList kBuiltIns{"ErrorAction|", "EndDaemon|",  "StopDaemon|",
                            "Comment|",     "LoadCOnfig|", "Reschedule|"};

}  // namespace

TEST(ModuleTable, EmptyFolderGivesTheBuiltIns) {
  mvnz::InitKnownPlugins();
  mvnz::activation::setPluginFolder(PluginFolder({}));
  Daemon d;
  LoadPluginModules(d);
  EXPECT_EQ(Rows(d), kBuiltIns);
  EXPECT_EQ(mvnz::PluginCount, 0);
  EXPECT_EQ(d.ModuleTable.size(), d.NextModuleRow + 1);  // one spare row
}

TEST(ModuleTable, FixturePlugins) {
  mvnz::InitKnownPlugins();
  // Duplicate: two modules; Erase: none; HostFacts: fails at its second module;
  // JournalNote: a module named like a built-in; Scour: its factory throws;
  // Relocate: a file that is no library; Bogus: not a known plug-in name.
  mvnz::activation::setPluginFolder(PluginFolder(
      {"Duplicate", "Erase", "HostFacts", "JournalNote", "Scour"}, {"Relocate.so", "Bogus.so"}));
  Daemon d;
  LoadPluginModules(d);
  const QStringList plugins{"Copy First|DuplicateZuri.Setup", "Copy Second|DuplicateZuri.Setup",
                            "Fine Module|HostFactsZuri.Setup", "EndDaemon|JournalNoteZuri.Setup"};
  EXPECT_EQ(Rows(d), kBuiltIns + plugins);
  EXPECT_EQ(mvnz::PluginCount, 6);           // every accepted file counts, loaded or not
  EXPECT_EQ(FindModule(d, "enddaemon"), 2);  // the built-in row wins
  EXPECT_EQ(FindModule(d, "COPY SECOND"), 8);
  EXPECT_EQ(FindModule(d, "Never Seen"), 0);
  EXPECT_EQ(FindModule(d, ""), 0);
}
