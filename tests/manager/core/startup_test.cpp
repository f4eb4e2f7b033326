// Start-up order and its effects, and the exit path: the catalogue and the command
// line come before the preferences, the preferences before the configuration; a file
// that cannot be read starts the run with none; an incomplete start-up saves no
// preferences; exiting never writes the configuration.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "fixture.h"
#include "library/regwrap.h"
#include "manager/filecommands.h"
#include "manager/identity.h"
#include "manager/session.h"
#include "manager/startup.h"
#include "platform/prompts.h"
#include "platform/registry.h"

using namespace mvnz;
using namespace mvnz::manager;
using namespace mvnz::test;

namespace {

const QString kKey = QLatin1String(kManagerKey);
const QByteArray kConfig = "[CONFIGURATION]\r\nRoziRoruTitle=Start\r\n\r\n[Spool]\r\nTrigger=FILE\r\n\r\n";

QString WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(bytes);
  return path;
}

// What the session held when the update check was started.
struct AtUpdateCheck {
  bool called = false;
  int catalogRows = 0;
  QString path;
  int roziRoruners = -1;
};

}  // namespace

struct StartRig {
  Session s;
  FakeSetup::Behaviour relocate;
  RegisteredFake registered{"Relocate", &relocate};
  AtUpdateCheck seen;
  StartupHooks hooks;
  StartRig() {
    relocate.modules = {Module("Relocate", "File")};
    PluginFolder({"Relocate"});
    hooks.startWebUpdate = [this] {
      seen = {true, s.catalog.NextModuleRow(), s.ConfigurationPath, s.RoziRorunerCount()};
    };
  }
};

TEST(Startup, CatalogueCommandLineAndPreferencesComeBeforeTheConfiguration) {
  const QString named = WriteFile(rootDir() + "/named.ini", kConfig);
  WriteFile(DefaultConfigPath(), kConfig + "[Second]\r\nEnabled=1\r\n\r\n");
  const struct {
    const char* what;
    QStringList args;
    const char* webUpdate;  // nullptr: no stored value
    QString path;
    int roziRoruners;
    bool updateCheck;
  } cases[] = {
      {"no arguments: the default file", {}, nullptr, DefaultConfigPath(), 2, true},
      {"first argument verbatim", {named, "ignored"}, "1", named, 1, true},
      {"quotes are kept, so no file", {"\"" + named + "\""}, "1", "\"" + named + "\"", 0, true},
      {"a path naming no file", {rootDir() + "/new.ini"}, "0", rootDir() + "/new.ini", 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    registry::deleteKeyTree(kKey);
    if (c.webUpdate) SaveRegString(kKey, "WebUpdate", c.webUpdate);
    StartRig rig;
    InitManager(rig.s, c.args, rig.hooks);
    EXPECT_TRUE(rig.s.Initialised);
    EXPECT_EQ(rig.s.ConfigurationPath, c.path);
    EXPECT_EQ(rig.s.RoziRorunerCount(), c.roziRoruners);
    EXPECT_EQ(rig.s.prefs.AutoCheckUpdates, c.updateCheck);
    EXPECT_EQ(rig.seen.called, c.updateCheck);
    if (c.updateCheck) {
      EXPECT_EQ(rig.seen.catalogRows, 8);  // the catalogue was built
      EXPECT_EQ(rig.seen.path, c.path);    // the command line was read
      EXPECT_EQ(rig.seen.roziRoruners, 0);  // the configuration was not loaded yet
    }
  }
}

TEST(Startup, APathNamingNoFileIsWhereALaterSaveWrites) {
  StartRig rig;
  const QString path = rootDir() + "/later.ini";
  InitManager(rig.s, {path}, rig.hooks);
  rig.s.AddRoziRoruner("Fresh");
  auto boxes = std::make_shared<prompts::Recorder>();
  prompts::install(boxes);
  EXPECT_TRUE(WriteConfigFile(rig.s, true));
  prompts::install(nullptr);
  EXPECT_TRUE(readFile(path).contains("[Fresh]\r\n"));
}

TEST(Startup, AnUnreadableFileStartsWithNoneAndItsReasonAndExitNeverWritesTheFile) {
  registry::deleteKeyTree(kKey);
  SaveRegString(kKey, "ScriptIconSize", "Large");
  SaveRegString(kKey, "WebUpdate", "0");
  {
    StartRig rig;
    const QString folder = makeDir("a-folder.ini");
    InitManager(rig.s, {folder}, rig.hooks);
    EXPECT_TRUE(rig.s.Initialised);
    EXPECT_EQ(rig.s.RoziRorunerCount(), 0);
    EXPECT_EQ(rig.s.ConfigurationPath, folder);
    EXPECT_EQ(rig.s.lastLoad().status, jobfile::ReadStatus::Unreadable);
    EXPECT_TRUE(rig.s.lastLoad().error.contains(folder)) << rig.s.lastLoad().error.toStdString();
    EXPECT_TRUE(rig.s.unreadAt(folder));
    EXPECT_TRUE(BeginExit(rig.s));
    EXPECT_TRUE(rig.s.Exiting);
    EXPECT_EQ(GetRegString(kKey, "ScriptIconSize"), "Large");
  }
  {
    const QString path = WriteFile(rootDir() + "/kept.ini", kConfig);
    StartRig rig;
    InitManager(rig.s, {path}, rig.hooks);
    rig.s.model.RoziRoruners[0].Description = "edited, never saved";
    rig.s.prefs.AutoCheckUpdates = true;
    EXPECT_TRUE(BeginExit(rig.s));
    EXPECT_FALSE(BeginExit(rig.s));  // one exit path, taken once
    EXPECT_EQ(GetRegString(kKey, "WebUpdate"), "1");
    EXPECT_EQ(readFile(path), kConfig);
  }
}

TEST(Startup, BeforeStartUpCompletedExitSavesNoPreferences) {
  registry::deleteKeyTree(kKey);
  SaveRegString(kKey, "WebUpdate", "0");
  Session s;
  s.prefs.AutoCheckUpdates = true;  // defaults, which must not reach the store
  EXPECT_TRUE(BeginExit(s));
  EXPECT_EQ(GetRegString(kKey, "WebUpdate"), "0");
}
