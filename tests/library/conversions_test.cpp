#include <gtest/gtest.h>
#include <QLocale>

#include "library/dates.h"
#include "library/numbers.h"

using namespace mvnz;

TEST(Conversions, NumbersFromText) {
  struct Case {
    const char* text;
    double val;
    bool numeric;
  } cases[] = {
      {" 30x", 30, false},        {"", 0, false},        {"1e2", 100, true},
      {"&H1F", 31, true},         {"&hff", 255, true},   {"&HFFFF", -1, true},
      {"&H10000", 65536, true},   {"&O17", 15, true},    {"&H", 0, false},
      {"12", 12, true},           {" 12 ", 12, true},    {"-3.5", -3.5, true},
      {"+.5", 0.5, true},         {".", 0, false},       {"-", 0, false},
      {"1 2 3", 123, false},      {"1.2.3", 1.2, false}, {"2e", 2, false},
      {"1d3", 1000, true},        {"1E-2", 0.01, true},  {"x1", 0, false},
      {"\t7\n", 7, true},         {"1,5", 1, false},     {"True", 0, false},
      {"1e400", HUGE_VAL, false},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(Val(c.text), c.val) << '"' << c.text << '"';
    EXPECT_EQ(IsNumeric(c.text), c.numeric) << '"' << c.text << '"';
  }
}

TEST(Conversions, IntegerConversionsRoundHalfToEvenAndOverflow) {
  struct Case {
    double v;
    std::optional<short> i16;
    std::optional<int> i32;
  } cases[] = {
      {0.5, 0, 0},
      {1.5, 2, 2},
      {2.5, 2, 2},
      {-2.5, -2, -2},
      {2.6, 3, 3},
      {-0.4, 0, 0},
      {32767, 32767, 32767},
      {32767.5, {}, 32768},
      {-32768.5, -32768, -32768},
      {-32769, {}, -32769},
      {2147483647.0, {}, 2147483647},
      {2147483647.5, {}, {}},
      {-2147483648.0, {}, -2147483647 - 1},
      {NAN, {}, {}},
  };
  for (const auto& c : cases) {
    if (c.i16)
      EXPECT_EQ(CInt(c.v), *c.i16) << c.v;
    else
      EXPECT_THROW(CInt(c.v), ConversionError) << c.v;
    if (c.i32)
      EXPECT_EQ(CLng(c.v), *c.i32) << c.v;
    else
      EXPECT_THROW(CLng(c.v), ConversionError) << c.v;
  }
  try {
    CInt(40000.0);
    ADD_FAILURE();
  } catch (const ConversionError& e) {
    EXPECT_EQ(e.number, kErrOverflow);
    EXPECT_EQ(e.description, QString("Overflow"));
  }
  try {
    CLng("12abc");
    ADD_FAILURE();
  } catch (const ConversionError& e) {
    EXPECT_EQ(e.number, kErrTypeMismatch);
    EXPECT_EQ(e.description, QString("Type mismatch"));
  }
  EXPECT_EQ(CInt(" 12.5 "), 12);
  EXPECT_EQ(CLng("&H7FFFFFFF"), 2147483647);
  EXPECT_DOUBLE_EQ(CDbl("1e2"), 100);
  EXPECT_THROW(CDbl(""), ConversionError);
  EXPECT_EQ(ToInteger("70000"), std::nullopt);
  EXPECT_EQ(ToLong("70000"), 70000);
  EXPECT_EQ(ToLong("ten"), std::nullopt);
  EXPECT_EQ(ToDouble("1e400"), std::nullopt);
}

TEST(Conversions, BooleanTexts) {
  EXPECT_EQ(BoolText(true), QString("True"));
  EXPECT_EQ(BoolText(false), QString("False"));
  struct Case {
    const char* text;
    std::optional<bool> value;
  } cases[] = {{"True", true}, {"false", false}, {" TRUE ", true}, {"1", true},
               {"0", false},   {"-1", true},     {"yes", {}},      {"", {}}};
  for (const auto& c : cases) EXPECT_EQ(ToBool(c.text), c.value) << c.text;
  EXPECT_THROW(CBool("maybe"), ConversionError);
}

TEST(Conversions, DateTextsUseEnglishMonthsWhateverTheLocale) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const QDateTime t(QDate(2026, 3, 5), QTime(14, 7, 9));
  struct Case {
    const QString& format;
    const char* text;
  } cases[] = {
      {kDueTimeFormat, "05-Mar-2026 14:07:09"},
      {kLogTimeFormat, "05-03-2026 14:07.09"},
      {kMessageTimeFormat, "05-Mar-2026 14:07.09"},
      {kDayFormat, "05-Mar-2026"},
      {kDateFormat, "05-03-2026"},
      {kClockFormat, "14:07"},
      {kDateClockFormat, "05-03-2026 14:07"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatDate(t, c.format), QString(c.text));
    const auto back = ParseDate(c.text, c.format);
    ASSERT_TRUE(back) << c.text;
    EXPECT_EQ(FormatDate(*back, c.format), QString(c.text));
    EXPECT_EQ(ParseDateText(c.text), back) << c.text;
  }
  EXPECT_EQ(FormatDate(t, "dddd d mmmm yy h:n:s ddd"), QString("Thursday 5 March 26 14:7:9 Thu"));
  EXPECT_EQ(ParseDate("14:07", kClockFormat), QDateTime(QDate(1899, 12, 30), QTime(14, 7)));
  EXPECT_EQ(ParseDate(" 5-mar-2026 9:05:00 ", kDueTimeFormat),
            QDateTime(QDate(2026, 3, 5), QTime(9, 5)));
  EXPECT_EQ(ParseDate("05-Dez-2026", kDayFormat), std::nullopt);
  EXPECT_EQ(ParseDate("31-02-2026", kDateFormat), std::nullopt);
  EXPECT_EQ(ParseDate("24:00", kClockFormat), std::nullopt);
  EXPECT_EQ(ParseDate("05-03-2026 14:07", kDateFormat), std::nullopt);
  EXPECT_EQ(ParseDate("05-03-26", kDateFormat), std::nullopt);
  EXPECT_EQ(ParseDateText("tomorrow"), std::nullopt);
  QLocale::setDefault(QLocale::c());
}
