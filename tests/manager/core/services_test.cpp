// The manager's services: preferences in the registry store, the regular-expression
// syntax test, and programs started from a given folder only.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include "library/regwrap.h"
#include "manager/identity.h"
#include "manager/services.h"
#include "platform/registry.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::manager;

namespace {
const QString kKey = QLatin1String(kManagerKey);
}

TEST(ManagerServices, PreferencesAsStored) {
  const struct {
    const char* iconSize;  // nullptr: no value
    const char* webUpdate;
    bool large, autoCheck;
  } cases[] = {
      {nullptr, nullptr, false, true}, {"Small", "1", false, true}, {"", "0", false, false},
      {"Large", "no", true, true},     {"small", "0", true, false}, {"x", "", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.iconSize ? c.iconSize : "<none>") + "/" + (c.webUpdate ? c.webUpdate : "<none>"));
    registry::deleteKeyTree(kKey);
    if (c.iconSize) SaveRegString(kKey, "ScriptIconSize", c.iconSize);
    if (c.webUpdate) SaveRegString(kKey, "WebUpdate", c.webUpdate);
    const ManagerPrefs p = LoadManagerSettings();
    EXPECT_EQ(p.LargeScriptIcons, c.large);
    EXPECT_EQ(p.AutoCheckUpdates, c.autoCheck);
  }
}

TEST(ManagerServices, PreferencesSavedAsTheWordsTheyAreReadFrom) {
  for (bool large : {false, true})
    for (bool check : {false, true}) {
      ASSERT_TRUE(SaveManagerSettings({large, check}));
      EXPECT_EQ(GetRegString(kKey, "ScriptIconSize"), large ? "Large" : "Small");
      EXPECT_EQ(GetRegString(kKey, "WebUpdate"), check ? "1" : "0");
      const ManagerPrefs p = LoadManagerSettings();
      EXPECT_EQ(p.LargeScriptIcons, large);
      EXPECT_EQ(p.AutoCheckUpdates, check);
    }
}

TEST(ManagerServices, RegularExpressionSyntaxNotMatch) {
  EXPECT_TRUE(ValidateRegExpr("\\.txt$"));
  EXPECT_TRUE(ValidateRegExpr("^nothing-like-the-subject$"));
  EXPECT_FALSE(ValidateRegExpr("(unclosed"));
}

TEST(ManagerServices, ProgramsStartOnlyFromTheGivenFolder) {
  const QString folder = test::makeDir("programs");
  const QString marker = test::rootDir() + "/started";
  QFile script(folder + "/mvnd");
  ASSERT_TRUE(script.open(QIODevice::WriteOnly));
  script.write(QString("#!/bin/sh\necho \"$#\" > '%1'\n").arg(marker).toLocal8Bit());
  script.close();
  script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

  EXPECT_FALSE(StartServiceInstaller(folder));  // no svcwright there
  ASSERT_TRUE(StartDaemon(folder));
  QDeadlineTimer deadline(10000);
  while (!QFile::exists(marker) && !deadline.hasExpired()) QThread::msleep(20);
  EXPECT_EQ(test::readFile(marker), "0\n");  // started without arguments
  EXPECT_FALSE(StartDaemon(test::makeDir("empty")));
}

TEST(ManagerServices, FolderThatDoesNotExistOpensNothing) {
  EXPECT_FALSE(OpenFolderInExplorer(test::rootDir() + "/no/such/folder"));
  EXPECT_FALSE(OpenFolderInExplorer(""));
}

TEST(ManagerIdentity, CaptionAndSplashFromTheVersion) {
  EXPECT_EQ(MainCaption("1.0"), QString::fromUtf8("Orvendel \xC2\xB7 Mervane Zuri v1.0 \xC2\xB7 Configuration Manager"));
  EXPECT_TRUE(MainCaption("3.0").endsWith(QString::fromUtf8("v3.0 \xC2\xB7 Configuration Manager")));
  EXPECT_EQ(SplashVersionLabel("3.0", 7), "Version 3.0   Build 7");
  EXPECT_EQ(VersionText(), "1.0");
}
