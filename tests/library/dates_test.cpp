// The time texts log callers send, read back; the texts the programs write read back
// by the same rules.
#include <gtest/gtest.h>

#include "library/dates.h"

using namespace mvnz;

TEST(Dates, TimeTextsOfLogCallers) {
  const QDateTime t(QDate(2024, 3, 5), QTime(7, 8, 9));
  const QDateTime noSeconds(QDate(2024, 3, 5), QTime(7, 8));
  const struct {
    const char* text;
    std::optional<QDateTime> read;
  } cases[] = {
      {"05-Mar-2024 07:08.09", t},
      {"05-MAR-2024 07:08:09", t},
      {"5-3-2024 7:08.09", t},
      {"05-03-2024 07:08:09", t},
      {"05-03-2024 07:08", noSeconds},
      {"05-Mar-2024 07:08", noSeconds},
      {"2024-03-05 07:08:09", t},
      {"2024-03-05T07:08:09", t},
      {"  05-Mar-2024 07:08.09 ", t},
      {"", std::nullopt},
      {"07:08", std::nullopt},
      {"05-Mar-2024", std::nullopt},
      {"31-02-2024 07:08:09", std::nullopt},
      {"05-Foo-2024 07:08:09", std::nullopt},
      {"05-Mar-2024 25:08:09", std::nullopt},
      {"05-Mar-2024 07:08.09 x", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseTimeText(c.text), c.read) << '"' << c.text << '"';
}

TEST(Dates, WrittenTextsReadBack) {
  const QDateTime t(QDate(2026, 12, 31), QTime(23, 59, 58));
  for (const QString& f : {kDueTimeFormat, kMessageTimeFormat, kLogTimeFormat}) {
    EXPECT_EQ(ParseTimeText(FormatDate(t, f)), t) << f.toStdString();
  }
  EXPECT_EQ(FormatDueTime(t), "31-Dec-2026 23:59:58");
  EXPECT_EQ(FormatDay(t.date()), "31-Dec-2026");
  EXPECT_EQ(ParseDateTimeText(FormatDueTime(t)), t);
}
