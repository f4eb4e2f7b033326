#include <gtest/gtest.h>
#include <QFile>

#include "library/regwrap.h"
#include "platform/registry.h"
#include "testenv.h"

using namespace mvnz;

TEST(RegWrap, StoredValuesReadBack) {
  const char* key = "Software\\Orvendel\\MervaneZuri\\Manager";
  struct Case {
    const char *stored, *read;
  } cases[] = {
      {"1", "1"}, {"", ""}, {"  padded  ", "padded"}, {"a b", "a b"}, {"\ttab\t", "\ttab\t"},
      {"   ", ""}};
  int i = 0;
  for (const auto& c : cases) {
    const QString name = QString("V%1").arg(i++);
    EXPECT_EQ(SaveRegString(key, name, c.stored), 0);
    EXPECT_EQ(GetRegString(key, name), QString(c.read)) << '"' << c.stored << '"';
  }
  const QString longValue(3000, 'z');
  EXPECT_EQ(SaveRegString(key, "Long", longValue), 0);
  EXPECT_EQ(GetRegString(key, "Long"), longValue);
}

TEST(RegWrap, LeadingBackslashesNameTheSameKey) {
  EXPECT_EQ(SaveRegString("\\\\Software\\X", "A", "one"), 0);
  for (const char* k : {"Software\\X", "\\Software\\X", "\\\\Software\\X", "software\\x"})
    EXPECT_EQ(GetRegString(k, "a"), QString("one")) << k;
  EXPECT_EQ(registry::subKeys(""), QStringList{"Software"});
}

TEST(RegWrap, ReadingAMissingKeyCreatesNothing) {
  EXPECT_EQ(GetRegString("Software\\Nothing\\Here", "V"), QString());
  EXPECT_FALSE(registry::keyExists("Software"));
  EXPECT_EQ(SaveRegString("Software\\Y", "V", "1"), 0);
  EXPECT_EQ(GetRegString("Software\\Y", "Other"), QString());
  EXPECT_EQ(registry::valueNames("Software\\Y"), QStringList{"V"});
}

TEST(RegWrap, FailingWriteReturnsNonZeroAndStoresNothing) {
  const QString file = test::rootDir() + "/notadir";
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  qputenv("MVNZ_REGISTRY_DIR", QFile::encodeName(file + "/registry"));
  EXPECT_NE(SaveRegString("Software\\Z", "V", "1"), 0);
  EXPECT_EQ(GetRegString("Software\\Z", "V"), QString());
}
