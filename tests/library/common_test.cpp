#include <sys/stat.h>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QProcess>

#include "library/common.h"
#include "testenv.h"

using namespace mvnz;

namespace {

void touch(const QString& path) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}

}  // namespace

TEST(Common, KnownPluginNamesTable) {
  InitKnownPlugins();
  ASSERT_EQ(KnownPluginNames.size(), 15);
  EXPECT_EQ(KnownPluginNames[0], QString());
  EXPECT_EQ(KnownPluginNames[1], QString("Duplicate"));
  EXPECT_EQ(KnownPluginNames[12], QString("Sleep"));
  EXPECT_EQ(KnownPluginNames[14], QString("AssignValue"));
}

TEST(Common, ListPluginFilesTakesKnownLibrariesOnly) {
  InitKnownPlugins();
  const QString dir = test::makeDir("Plugins");
  for (const char* f : {"relocate.SO", "Other.so", "HostFacts.so", "AssignValue.so", "Sleep.so.bak",
                        "Erase.dll", ".Scour.so", "Duplicate"})
    touch(dir + "/" + f);
  QDir().mkpath(dir + "/Sleep.so");  // a folder, not a library
  PluginCount = 0;
  QString folder = dir + "/";
  ListPluginFiles(folder);
  EXPECT_EQ(folder, dir);
  EXPECT_EQ(PluginCount, 3);
  EXPECT_EQ(PluginNames, (QStringList{"AssignValue", "HostFacts", "relocate"}));

  // A second call appends; a caller that resets the count starts over.
  ListPluginFiles(folder);
  EXPECT_EQ(PluginCount, 6);
  PluginCount = 0;
  QString missing = dir + "/none";
  ListPluginFiles(missing);
  EXPECT_EQ(PluginCount, 0);
  ListPluginFiles(folder);
  EXPECT_EQ(PluginNames.size(), 3);
}

TEST(Common, PlatformUtilities) {
  EXPECT_TRUE(IsMdacInstalled());
  EXPECT_EQ(GetPlatformId(), 2);
  EXPECT_EQ(StripLastChar(""), QString());
  EXPECT_EQ(StripLastChar("a"), QString());
  EXPECT_EQ(StripLastChar("abc\\"), QString("abc"));
}

TEST(Common, AlreadyRunningCountsTwoRealProcesses) {
  // A program of a unique name: a copy of sleep inside a folder of its own.
  const QString dir = test::makeDir("prog");
  const QString exe = dir + "/mvnzsleeper";
  ASSERT_TRUE(QFile::copy("/bin/sleep", exe));
  QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

  EXPECT_FALSE(IsAlreadyRunning("mvnzsleeper.exe"));
  QProcess first, second;
  first.start(exe, {"60"});
  ASSERT_TRUE(first.waitForStarted());
  EXPECT_FALSE(IsAlreadyRunning("MVNZSLEEPER.EXE"));
  second.start(exe, {"60"});
  ASSERT_TRUE(second.waitForStarted());
  EXPECT_TRUE(IsAlreadyRunning("MvnzSleeper.exe"));
  EXPECT_TRUE(IsAlreadyRunning("mvnzsleeper"));
  EXPECT_GE(ProcessCount, 2);
  EXPECT_EQ(ProcessCount, ProcessList.size());
  // A name inside a folder name counts too.
  EXPECT_TRUE(IsAlreadyRunning(QDir(dir).dirName()));
  first.kill();
  first.waitForFinished();
  EXPECT_FALSE(IsAlreadyRunning("mvnzsleeper.exe"));
  second.kill();
  second.waitForFinished();
}

// Of two files naming one plug-in only the first is taken; a file others could change
// is left out. Each refusal names the file and says why.
TEST(Common, ListPluginFilesRefusesDuplicatesAndUnsafeFiles) {
  InitKnownPlugins();
  const QString dir = test::makeDir("Plugins-refused");
  for (const char* f : {"Erase.so", "ERASE.so", "erase.so", "Sleep.so", ".Relocate.so"})
    touch(dir + "/" + f);
  ::chmod(QFile::encodeName(dir + "/Sleep.so").constData(), 0666);
  PluginNames.clear();
  PluginCount = 0;
  QString folder = dir;
  QStringList refused;
  ListPluginFiles(folder, &refused);
  EXPECT_EQ(PluginNames, QStringList{"ERASE"});
  ASSERT_EQ(refused.size(), 3) << refused.join('\n').toStdString();
  EXPECT_TRUE(refused[0].startsWith("Plug-in not loaded [" + dir + "/Erase.so]: it names"));
  EXPECT_TRUE(refused[1].startsWith("Plug-in not loaded [" + dir + "/erase.so]: it names"));
  EXPECT_TRUE(refused[2].contains(dir + "/Sleep.so] is writable by group or others"));
}
