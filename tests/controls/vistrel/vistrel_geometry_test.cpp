// The panel's geometry in twips, without any widget or pixel rounding.
#include <gtest/gtest.h>

#include "controls/vistrel.h"

namespace geo = mvnz::controls::vistrelgeo;
using geo::Rect;

TEST(VistrelGeometry, RoundsHalvesToEven) {
  const struct {
    long long num, den, want;
  } cases[] = {{5, 2, 2},      {7, 2, 4},           {3, 2, 2},           {-5, 2, -2},
               {-7, 2, -4},    {-3, 2, -2},         {-1, 3, 0},          {-2, 3, -1},
               {262, 1, 262},  {131050, 100, 1310}, {131150, 100, 1312}, {131151, 100, 1312},
               {-100, 100, -1}};
  for (const auto& c : cases)
    EXPECT_EQ(geo::roundHalfEven(c.num, c.den), c.want) << c.num << "/" << c.den;
}

TEST(VistrelGeometry, SweepBarPerTypeAndPercent) {
  const struct {
    int type, percent, width, height;
    Rect want;
  } cases[] = {
      {1, 50, 2700, 600, {40, 40, 1310, 520}},
      {1, 0, 2700, 600, {40, 40, 0, 520}},
      {1, 100, 2700, 600, {40, 40, 2620, 520}},
      {2, 100, 2700, 600, {40, 40, 2620, 520}},
      {2, 0, 2700, 600, {2660, 40, 0, 520}},
      {2, 25, 2700, 600, {2005, 40, 655, 520}},
      {3, 50, 2700, 600, {40, 40, 2620, 260}},
      {3, 100, 2700, 600, {40, 40, 2620, 520}},
      {4, 25, 2700, 600, {40, 430, 2620, 130}},
      {4, 0, 2700, 600, {40, 560, 2620, 0}},
      // Exact halves round to even: 1310.5 -> 1310, 1311.5 -> 1312.
      {1, 50, 2701, 600, {40, 40, 1310, 520}},
      {1, 50, 2703, 600, {40, 40, 1312, 520}},
      // 10 % of 2625 is 262.5 exactly, which must not drift up through binary fractions.
      {1, 10, 2705, 600, {40, 40, 262, 520}},
  };
  for (const auto& c : cases) {
    const auto bar = geo::floodBar(c.type, c.percent, c.width, c.height);
    ASSERT_TRUE(bar) << c.type;
    EXPECT_EQ(*bar, c.want) << "type " << c.type << " at " << c.percent << "% on " << c.width;
  }
  for (int type : {-1, 0, 5, 6, 99}) EXPECT_FALSE(geo::floodBar(type, 50, 2700, 600)) << type;
}

TEST(VistrelGeometry, BlocksAreWholePixelsApart) {
  // 2700 twips = 180 px; border 5 px; (180 - 5) / 20 -> 8 px = 120 twips.
  EXPECT_EQ(geo::blockPitch(2700), 120);
  const auto blocks = geo::blockLayout(2700, 600);
  for (int i = 0; i < geo::kBlockCount; ++i)
    EXPECT_EQ(blocks[i], (Rect{40 + 120 * i, 40, 100, 520})) << i;
  EXPECT_EQ(blocks[19].left, 2320);

  const struct {
    int width, pitch;
  } pitches[] = {{1000, 45}, {1785, 75}, {1800, 75}, {4800, 225}, {75, 0}, {60, 0}};
  for (const auto& p : pitches) EXPECT_EQ(geo::blockPitch(p.width), p.pitch) << p.width;
}

TEST(VistrelGeometry, LitBlocksByPercent) {
  const struct {
    int percent, last;
  } cases[] = {{0, -1}, {2, -1}, {3, 0},   {7, 0},   {8, 1},   {12, 1},
               {13, 2}, {50, 9}, {97, 18}, {98, 19}, {100, 19}};
  for (const auto& c : cases) EXPECT_EQ(geo::lastLitBlock(c.percent), c.last) << c.percent;
}

TEST(VistrelGeometry, TextPlacementByAlignment) {
  // 2700 x 600 twips, a line 195 twips high.
  const double h = 195;
  const struct {
    int alignment;
    double top;
    geo::LabelAlign align;
  } cases[] = {
      {0, 60, geo::AlignLeft},   {1, 202.5, geo::AlignLeft},   {2, 345, geo::AlignLeft},
      {3, 60, geo::AlignCenter}, {4, 202.5, geo::AlignCenter}, {5, 345, geo::AlignCenter},
      {6, 60, geo::AlignRight},  {7, 202.5, geo::AlignRight},  {8, 345, geo::AlignRight},
  };
  for (const auto& c : cases) {
    const auto p = geo::textPlacement(c.alignment, 2700, 600, h);
    ASSERT_TRUE(p) << c.alignment;
    EXPECT_EQ(*p, (geo::TextPlace{60, c.top, 2580, c.align})) << c.alignment;
  }
  for (int a : {-1, 9, 100}) EXPECT_FALSE(geo::textPlacement(a, 2700, 600, h)) << a;
}

TEST(VistrelGeometry, PercentageStartsWhereACentredHundredWould) {
  EXPECT_EQ(geo::percentText(0), " 0%");
  EXPECT_EQ(geo::percentText(50), " 50%");
  EXPECT_EQ(geo::percentText(100), " 100%");
  EXPECT_EQ(geo::percentText(-5), "-5%");
  // The left edge depends only on the width of "100%", not on the digits shown.
  const auto p = geo::percentPlacement(2700, 600, 195, 300, 450);
  EXPECT_EQ(p, (geo::TextPlace{1125, 202.5, 300, geo::AlignCenter}));
  EXPECT_EQ(geo::percentPlacement(2700, 600, 195, 150, 450).left, 1125);
}

TEST(VistrelGeometry, PercentClampsToTheScale) {
  const struct {
    int in, out;
  } cases[] = {{-5, 0}, {-32768, 0}, {0, 0}, {37, 37}, {100, 100}, {101, 100}, {250, 100}};
  for (const auto& c : cases) EXPECT_EQ(geo::clampPercent(c.in), c.out) << c.in;
}
