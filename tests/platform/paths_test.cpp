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
  EXPECT_EQ(paths::pluginDir(), paths::appDir() + "/Plugins");
}
