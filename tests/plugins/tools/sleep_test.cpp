// The Sleep action with a waiter that records instead of waiting.
#include <gtest/gtest.h>
#include <QLocale>

#include "sleepfor.h"

using namespace mvnz::sleepaction;

TEST(SleepAction, MillisecondsTable) {
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  struct Case {
    const char *count, *unit;
    const char* logged;  // the number in "Sleeping for ... ms....."
    long waited;         // -1: no wait
    const char* error;   // description after "ERROR_SLEEP: ", "" for none
  } cases[] = {
      {"5", "1000", "5000", 5000, ""},
      {"1.5", "1000", "1500", 2000, ""},  // the count becomes 2 before the product
      {"2.5", "1", "2.5", 2, ""},         // halves go to the even neighbour
      {" 7 ", "10", "70", 70, ""},
      {"0", "1000", "0", 0, ""},
      {"-5", "1000", "-5000", 0, ""},  // a negative product counts as 0
      {"2147483647", "1", "2147483647", 2147483647, ""},
      {"abc", "1000", "0", -1, "Type mismatch"},
      {"", "1000", "0", -1, "Type mismatch"},
      {"1", "", "0", -1, "Type mismatch"},
      {"3000000", "1000", "3000000000", -1, "Overflow"},  // the product leaves 32 bits
      {"3000000000", "0", "0", -1, "Overflow"},           // the count itself does
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.count) + " x " + c.unit);
    for (bool autoLog : {true, false}) {
      QList<std::pair<QString, short>> lines;
      long waited = -1;
      const bool error = SleepFor(
          {"", c.count, c.unit}, autoLog,
          [&](const QString& t, short l) {
            lines.append({t, l});
          },
          [&](long ms) { waited = ms; });
      EXPECT_EQ(waited, c.waited);
      EXPECT_EQ(error, *c.error != 0);
      QList<std::pair<QString, short>> want;
      if (autoLog) want.append({QString("Sleeping for %1 ms.....").arg(c.logged), 0});
      if (*c.error) want.append({QString("ERROR_SLEEP: ") + c.error, 2});
      EXPECT_EQ(lines, want);
    }
  }
}

// A count written by a comma locale (an AssignValue result) reads in that locale.
TEST(SleepAction, CountInTheLocale) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  long waited = -1;
  EXPECT_FALSE(SleepFor(
      {"", "3,5", "1000"}, false, [](const QString&, short) {}, [&](long ms) { waited = ms; }));
  EXPECT_EQ(waited, 4000);
  QLocale::setDefault(QLocale::c());
}
