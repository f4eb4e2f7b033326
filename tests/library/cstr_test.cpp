#include <gtest/gtest.h>
#include <QLocale>

#include "library/numbers.h"

using namespace mvnz;

TEST(CStr, GeneralNumberText) {
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  struct Case {
    double v;
    const char* want;
  } cases[] = {
      {3, "3"},
      {0, "0"},
      {-2.5, "-2.5"},
      {0.1 + 0.2, "0.3"},  // 15 significant digits hide the binary residue
      {1.0 / 3, "0.333333333333333"},
      {1234567.5, "1234567.5"},  // no thousands separator
      {999999999999999, "999999999999999"},
      {1e15, "1E+15"},
      {9.999999999999999e14, "1E+15"},  // rounding moves the exponent
      {1e20, "1E+20"},
      {-1.5e300, "-1.5E+300"},
      {0.0001, "0.0001"},
      {0.00001, "1E-05"},
      {1.25e-7, "1.25E-07"},
      {100, "100"},
  };
  for (const auto& c : cases) EXPECT_EQ(CStr(c.v), QString(c.want)) << c.v;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(CStr(2.5), "2,5");
  EXPECT_EQ(CStr(1.5e-5), "1,5E-05");
  QLocale::setDefault(QLocale::c());
}

// What CStr writes reads back in the same locale; the locale-free forms always read.
TEST(CStr, ReadsBackInTheLocale) {
  struct Case {
    QLocale locale;
    const char* text;
    std::optional<double> want;
  } cases[] = {
      {QLocale(QLocale::German, QLocale::Germany), "2,5", 2.5},
      {QLocale(QLocale::German, QLocale::Germany), "1E+20", 1e20},
      {QLocale(QLocale::German, QLocale::Germany), "&H10", 16},
      {QLocale(QLocale::English, QLocale::UnitedStates), " 2.5 ", 2.5},
      {QLocale(QLocale::English, QLocale::UnitedStates), "1e3", 1000},
      {QLocale(QLocale::English, QLocale::UnitedStates), "abc", std::nullopt},
      {QLocale(QLocale::English, QLocale::UnitedStates), "", std::nullopt},
      {QLocale(QLocale::English, QLocale::UnitedStates), "inf", std::nullopt},
      {QLocale(QLocale::English, QLocale::UnitedStates), "1e999", std::nullopt},
  };
  for (const auto& c : cases) {
    QLocale::setDefault(c.locale);
    EXPECT_EQ(ToDoubleInLocale(c.text), c.want) << c.text;
  }
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(ToDoubleInLocale(CStr(-0.125)), -0.125);
  QLocale::setDefault(QLocale::c());
}
