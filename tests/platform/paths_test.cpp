#include <gtest/gtest.h>
#include <QDir>

#include "platform/paths.h"
#include "testenv.h"

using namespace mvnz;

TEST(Paths, JoinUsesExactlyOneSeparator) {
  struct Case {
    const char *a, *b, *want;
  } cases[] = {{"/x", "y", "/x/y"},  {"/x/", "y", "/x/y"}, {"/x/", "/y", "/x/y"},
               {"/x", "/y", "/x/y"}, {"", "y", "y"},       {"/x", "", "/x"}};
  for (const auto& c : cases)
    EXPECT_EQ(paths::join(c.a, c.b), QString(c.want)) << c.a << "+" << c.b;
}

TEST(Paths, SystemFoldersPointIntoTheTestRoot) {
  const QString root = test::rootDir();
  for (const QString& p : {paths::windowsDir(), paths::registryDir(), paths::runtimeDir(),
                           paths::userSettingsDir(), paths::unitDir()})
    EXPECT_TRUE(p.startsWith(root)) << p.toStdString();
  EXPECT_TRUE(QDir(paths::runtimeDir()).exists());
}

TEST(Paths, AppDirIsTheExecutablesFolder) {
  EXPECT_EQ(paths::appDir(), QDir(MVNZ_TEST_BIN_DIR).absolutePath());
}

// A folder beside the program wins (the build tree); without it the installed tree's
// place relative to the program's folder is taken, whether it exists or not.
TEST(Paths, BundledFoldersBesideTheProgramElseInTheInstalledTree) {
  const QString build = test::makeDir("build/bin");
  for (const char* name : {"Plugins", "help", "credits", "Icons"})
    test::makeDir(QStringLiteral("build/bin/") + name);
  const QString installed = test::makeDir("usr/bin");
  const QString usr = test::rootDir() + "/usr";
  const struct Case {
    paths::Bundled which;
    QString inBuild, inInstalled;
  } cases[] = {
      {paths::Bundled::Plugins, build + "/Plugins", usr + "/lib/mervanezuri/Plugins"},
      {paths::Bundled::Help, build + "/help", usr + "/share/mervanezuri/help"},
      {paths::Bundled::Credits, build + "/credits", usr + "/share/mervanezuri/credits"},
      {paths::Bundled::Icons, build + "/Icons", usr + "/share/mervanezuri/Icons"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(paths::bundledDir(c.which, build), c.inBuild);
    EXPECT_EQ(paths::bundledDir(c.which, installed), c.inInstalled);
  }
}
