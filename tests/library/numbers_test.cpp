// The two leading-number rules side by side: Basic's Val, and the configuration
// file's plain decimal rule with its whole numbers, whole-text numbers and Boolean texts.
#include <gtest/gtest.h>

#include <cmath>

#include "library/numbers.h"

using namespace mvnz;

TEST(Numbers, ValAndTheConfigurationRuleDifferWhereTheySay) {
  const struct {
    const char* text;
    double val;
    bool valHasNumber;
    double leading;
    std::optional<double> whole;  // FileNumber: the number only when nothing else is there
  } cases[] = {
      {"1 0", 10, true, 1, {}},
      {"&H10", 16, true, 0, {}},
      {"1d2", 100, true, 1, {}},
      {"\n5", 5, true, 0, {}},
      {"1e400", HUGE_VAL, true, 0, {}},
      {"1e2", 100, true, 100, 100},
      {" 7x", 7, true, 7, {}},
      {"\t+.5", 0.5, true, 0.5, 0.5},
      {"-2.5", -2.5, true, -2.5, -2.5},
      {" 20 ", 20, true, 20, 20},
      {"2e", 2, true, 2, {}},
      {"1,5", 1, true, 1, {}},
      {"", 0, false, 0, {}},
      {"abc", 0, false, 0, {}},
      {"<LV1>", 0, false, 0, {}},
      {".", 0, false, 0, {}},
      {"nan", 0, false, 0, {}},
      {"inf", 0, false, 0, {}},
      {"-inf", 0, false, 0, {}},
  };
  for (const auto& c : cases) {
    bool has = !c.valHasNumber;
    EXPECT_DOUBLE_EQ(Val(c.text, &has), c.val) << '"' << c.text << '"';
    EXPECT_EQ(has, c.valHasNumber) << '"' << c.text << '"';
    EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.leading) << '"' << c.text << '"';
    EXPECT_EQ(FileNumber(c.text), c.whole) << '"' << c.text << '"';
  }
}

TEST(Numbers, ConfigurationSwitchesAndBooleans) {
  const struct {
    const char* text;
    std::optional<int> int16;
  } ints[] = {{"32767", 32767},     {"32767.5", std::nullopt}, {"2.5", 2}, {"3.5", 4},
              {"-32768.4", -32768}, {"-32769", std::nullopt},  {"x", 0},   {" 1 junk", 1}};
  for (const auto& c : ints) EXPECT_EQ(LeadingInt16(c.text), c.int16) << '"' << c.text << '"';

  const struct {
    const char* text;
    std::optional<bool> value;
  } bools[] = {{"True", true},        {" false ", false},    {"TRUE", true},
               {"0", false},          {"2", true},           {"-1", true},
               {"1.5", true},         {"0.0", false},        {"1 0", std::nullopt},
               {"&H1", std::nullopt}, {"yes", std::nullopt}, {"", std::nullopt},
               {"1x", std::nullopt}};
  for (const auto& c : bools) EXPECT_EQ(ParseBoolean(c.text), c.value) << '"' << c.text << '"';
}
