#include <gtest/gtest.h>
#include <QFile>
#include <QLocale>

#include "memstats.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::hostfacts;

namespace {

struct Line {
  QString text;
  short level;
};

QString writeFixture(const QByteArray& content) {
  const QString path = test::rootDir() + "/meminfo";
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(content);
  return path;
}

class HostFacts : public ::testing::Test {
 protected:
  void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
  QList<Line> lines;
  LogFn log = [this](const QString& t, short l) { lines.append({t, l}); };
};

}  // namespace

TEST_F(HostFacts, KiloByteFormat) {
  struct Case {
    quint64 bytes;
    const char* want;
  } cases[] = {
      {2147483648ull, "2,097,152 kB"},  // beyond 32 bits, never negative
      {1536, "2 kB"},                   // a half goes up
      {1535, "1 kB"},
      {400, " kB"},
      {0, " kB"},
      {1024000, "1,000 kB"},
      {999 * 1024, "999 kB"},
      {17592186044416ull * 1024, "17,592,186,044,416 kB"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatKiloBytes(c.bytes), QString(c.want)) << c.bytes;
  EXPECT_EQ(FormatLoad(45), "45.00%");
  EXPECT_EQ(FormatLoad(0), "0.00%");
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(FormatKiloBytes(2147483648ull), "2.097.152 kB");
  EXPECT_EQ(FormatLoad(45), "45,00%");
}

TEST_F(HostFacts, ReportFromFixture) {
  const QString path = writeFixture(
      "MemTotal:        2097152 kB\n"
      "MemFree:          100000 kB\n"
      "MemAvailable:    1153434 kB\n"
      "Buffers:            1000 kB\n"
      "SwapTotal:       1048576 kB\n"
      "SwapFree:         524288 kB\n"
      "HugePages_Total:       0\n");
  EXPECT_FALSE(ReportMemoryStatistics(log, path));
  const QStringList want = {
      "*** MEMORY STATISTICS ***",
      " > Total Physical Memory : 2,097,152 kB",
      " > Available Physical Memory : 1,153,434 kB",
      " > Total Virtual Memory : 3,145,728 kB",
      " > Available Virtual Memory : 1,677,722 kB",
      " > Total Page File : 1,048,576 kB",
      " > Available Page File : 524,288 kB",
      " > Memory Load : 45.00%",
  };
  ASSERT_EQ(lines.size(), want.size());
  for (int i = 0; i < want.size(); ++i) {
    EXPECT_EQ(lines[i].text, want[i]);
    EXPECT_EQ(lines[i].level, i == 0 ? 0 : 1);
  }
}

TEST_F(HostFacts, OlderKernelsWithoutMemAvailable) {
  MemoryStatus s;
  QString error;
  ASSERT_TRUE(ReadMemoryStatus(
      writeFixture("MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\nCached: 100 kB\n"), &s,
      &error));
  EXPECT_EQ(s.availPhys, 250u * 1024);
  EXPECT_EQ(s.load, 75);
  EXPECT_EQ(s.totalPageFile, 0u);
}

TEST_F(HostFacts, UnreadableSourceTakesTheErrorPath) {
  EXPECT_TRUE(ReportMemoryStatistics(log, test::rootDir() + "/no-such-meminfo"));
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0].text, "*** MEMORY STATISTICS ***");  // already sent, stays
  EXPECT_TRUE(lines[1].text.startsWith("ERROR_HOSTFACTS: ")) << lines[1].text.toStdString();
  EXPECT_GT(lines[1].text.size(), QString("ERROR_HOSTFACTS: ").size());
  EXPECT_EQ(lines[1].level, 2);

  lines.clear();
  EXPECT_TRUE(ReportMemoryStatistics(log, writeFixture("garbage\n")));
  EXPECT_EQ(lines.size(), 2);
}

TEST_F(HostFacts, ReadsThisMachine) {
  MemoryStatus s;
  QString error;
  ASSERT_TRUE(ReadMemoryStatus("/proc/meminfo", &s, &error)) << error.toStdString();
  EXPECT_GT(s.totalPhys, 0u);
  EXPECT_LE(s.availPhys, s.totalPhys);
  EXPECT_LE(s.load, 100);
}

// The page file is the swap space: its figures are those the kernel gives right now.
TEST_F(HostFacts, PageFileIsTheSwapOfThisMachine) {
  QFile f("/proc/meminfo");
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  quint64 totalKb = 0, freeKb = 0;
  for (const QByteArray& line : f.readAll().split('\n')) {
    const QList<QByteArray> parts = line.simplified().split(' ');
    if (parts.value(0) == "SwapTotal:") totalKb = parts.value(1).toULongLong();
    if (parts.value(0) == "SwapFree:") freeKb = parts.value(1).toULongLong();
  }
  MemoryStatus s;
  QString error;
  ASSERT_TRUE(ReadMemoryStatus("/proc/meminfo", &s, &error)) << error.toStdString();
  // Swap moves between two reads only when the machine is short of memory.
  EXPECT_EQ(s.totalPageFile, totalKb * 1024);
  EXPECT_NEAR(double(s.availPageFile), double(freeKb * 1024), 64.0 * 1024 * 1024);
  EXPECT_GE(s.totalVirtual, s.totalPhys + s.totalPageFile);

  ASSERT_FALSE(ReportMemoryStatistics(log));
  ASSERT_EQ(lines.size(), 8);
  EXPECT_EQ(lines[5].text, " > Total Page File : " + FormatKiloBytes(totalKb * 1024));
  EXPECT_TRUE(lines[6].text.startsWith(" > Available Page File : "));
}
