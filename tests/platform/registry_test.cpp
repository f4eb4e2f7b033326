#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QFile>

#include "platform/paths.h"
#include "platform/registry.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::registry;

TEST(Registry, NamesIgnoreCaseAndKeepIt) {
  ASSERT_EQ(writeValue("Software\\Orvendel\\Daemon", "BufferSize", "100"), kOk);
  EXPECT_EQ(readValue("SOFTWARE\\orvendel\\DAEMON", "buffersize"), QString("100"));
  // Rewriting through another spelling keeps the first spelling of every name.
  ASSERT_EQ(writeValue("software\\ORVENDEL\\daemon", "BUFFERSIZE", "200"), kOk);
  EXPECT_EQ(subKeys("Software"), QStringList{"Orvendel"});
  EXPECT_EQ(subKeys("\\"), QStringList{"Software"});
  EXPECT_EQ(valueNames("Software\\Orvendel\\Daemon"), QStringList{"BufferSize"});
  EXPECT_EQ(readValue("Software\\Orvendel\\Daemon", "BufferSize"), QString("200"));
  // "\" is part of a key name, never a value name separator; "/" is an ordinary character.
  EXPECT_EQ(readValue("Software\\Orvendel", "Daemon\\BufferSize"), std::nullopt);
  ASSERT_EQ(writeValue("A/B", "x", "1"), kOk);
  EXPECT_FALSE(keyExists("A"));
  EXPECT_EQ(writeValue("A\\\\B", "x", "1"), kBadName);
}

TEST(Registry, ValuesKeepEveryCharacterAndLength) {
  const QString cases[] = {"",
                           "1",
                           QString(5000, 'x'),
                           "  padded  ",
                           "line1\r\nline2",
                           QString::fromUtf8("Zürich \xE2\x80\xA2 =[]\"\\")};
  int i = 0;
  for (const QString& v : cases) {
    const QString name = QString("v%1").arg(i++);
    ASSERT_EQ(writeValue("K", name, v), kOk);
    EXPECT_EQ(readValue("K", name), v) << name.toStdString();
  }
  EXPECT_EQ(readValue("K", "missing"), std::nullopt);
  EXPECT_EQ(readValue("Missing", "v1"), std::nullopt);
}

TEST(Registry, KeyTreeDeletion) {
  ASSERT_EQ(writeValue("Software\\M\\Daemon", "a", "1"), kOk);
  ASSERT_EQ(writeValue("Software\\M\\Daemon\\Deep", "b", "2"), kOk);
  ASSERT_EQ(writeValue("Software\\M\\Manager", "c", "3"), kOk);
  ASSERT_EQ(writeValue("Software\\Other", "d", "4"), kOk);
  EXPECT_EQ(deleteKeyTree("software\\m"), kOk);
  EXPECT_FALSE(keyExists("Software\\M"));
  EXPECT_FALSE(keyExists("Software\\M\\Daemon\\Deep"));
  EXPECT_EQ(readValue("Software\\Other", "d"), QString("4"));
  EXPECT_EQ(deleteKeyTree("Software\\M"), kNotFound);
  EXPECT_NE(deleteKeyTree(""), kOk);
  EXPECT_EQ(deleteValue("Software\\Other", "D"), kOk);
  EXPECT_EQ(readValue("Software\\Other", "d"), std::nullopt);
  EXPECT_TRUE(keyExists("Software\\Other"));
  EXPECT_EQ(deleteValue("Software\\Other", "d"), kNotFound);
}

TEST(Registry, UnreadableStoreIsNeverReplaced) {
  ASSERT_EQ(writeValue("K", "v", "1"), kOk);
  const QString store = paths::join(paths::registryDir(), "store.json");
  ASSERT_TRUE(QFile::exists(store));
  QFile f(store);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write("{ not json");
  f.close();
  EXPECT_NE(writeValue("K", "v", "2"), kOk);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("{ not json"));
  EXPECT_EQ(readValue("K", "v"), std::nullopt);
}

TEST(Registry, ConcurrentWritersFromTwoProcessesBothSurvive) {
  constexpr int kWrites = 40;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      int bad = 0;
      for (int i = 0; i < kWrites; ++i)
        bad += writeValue("Shared", QString("w%1_%2").arg(c).arg(i), QString::number(i)) != kOk;
      _exit(bad ? 1 : 0);
    }
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(valueNames("Shared").size(), 2 * kWrites);
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < kWrites; ++i)
      EXPECT_EQ(readValue("Shared", QString("w%1_%2").arg(c).arg(i)), QString::number(i));
}

TEST(Registry, WriteFailsWhenTheStoreFolderCannotBeMade) {
  const QString file = test::rootDir() + "/plainfile";
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  qputenv("MVNZ_REGISTRY_DIR", QFile::encodeName(file + "/registry"));
  EXPECT_NE(writeValue("K", "v", "1"), kOk);
  EXPECT_NE(createKey("K"), kOk);
  EXPECT_EQ(readValue("K", "v"), std::nullopt);
}
