// The container's arrangement arithmetic, in twips, on a surface without widgets.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "controls/panehost.h"

using namespace mvnz::controls;
using namespace mvnz::controls::panelayout;

namespace {

struct FakeChild {
  Child c;
  int maxWidth = INT_MAX, maxHeight = INT_MAX;  // a child may refuse a size
};

class FakeSurface : public Surface {
 public:
  FakeSurface(int w, int h) : w_(w), h_(h) {}
  int childCount() const override { return int(kids.size()); }
  Child child(int i) const override { return kids[size_t(i)].c; }
  Geometry placeChild(int i, const Geometry& g) override {
    FakeChild& k = kids[size_t(i)];
    k.c.geometry = g;
    k.c.geometry.width = std::min(g.width, k.maxWidth);
    k.c.geometry.height = std::min(g.height, k.maxHeight);
    if (grows > 0) {  // the host reacts to a child by resizing the control
      --grows;
      w_ += 150;
    }
    return k.c.geometry;
  }
  int scaleWidth() const override { return w_; }
  int scaleHeight() const override { return h_; }

  void add(int left, int top, int width, int height, bool visible = true) {
    kids.push_back({{{left, top, width, height}, visible}});
  }
  Geometry at(int i) const { return kids[size_t(i)].c.geometry; }

  std::vector<FakeChild> kids;
  int grows = 0;

 private:
  int w_, h_;
};

Params params(eAutoSizeChildrenTypes type, int captionOffset = 0, bool splitter = true) {
  Params p;
  p.type = type;
  p.captionOffset = captionOffset;
  p.splitter = splitter;
  return p;
}

}  // namespace

TEST(PaneLayout, EvenHorizontalThreeChildren) {
  FakeSurface s(3000, 1500);
  for (int i = 0; i < 3; ++i) s.add(i * 100, 0, 500, 500);
  const Arrangement a = arrange(params(asEvenHorz), s);

  const int lefts[] = {50, 1033, 2016};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(s.at(i), (Geometry{lefts[i], 50, 933, 1400})) << i;
  ASSERT_EQ(a.bars.size(), 2u);
  EXPECT_EQ(a.bars[0], (Bar{{983, 50, 50, 1400}, true, false, 0, 1}));
  EXPECT_EQ(a.bars[1], (Bar{{1966, 50, 50, 1400}, true, false, 1, 2}));
  EXPECT_EQ(a.passes, 1);
}

TEST(PaneLayout, TypesAndCaptionOffset) {
  // Three children of 400 x 300 at the origin diagonal; control 3000 x 2000,
  // caption offset 300 (vertical types take it from the main axis).
  struct Case {
    eAutoSizeChildrenTypes type;
    Geometry expected[3];
  } cases[] = {
      {asEvenHorz, {{50, 350, 933, 1600}, {1033, 350, 933, 1600}, {2016, 350, 933, 1600}}},
      {asUnevenHorz, {{50, 350, 400, 1600}, {500, 350, 400, 1600}, {950, 350, 2000, 1600}}},
      {asEvenVert, {{50, 350, 2900, 500}, {50, 900, 2900, 500}, {50, 1450, 2900, 500}}},
      {asUnevenVert, {{50, 350, 2900, 300}, {50, 700, 2900, 300}, {50, 1050, 2900, 900}}},
  };
  for (const Case& c : cases) {
    FakeSurface s(3000, 2000);
    for (int i = 0; i < 3; ++i) s.add(i * 10, i * 10, 400, 300);
    arrange(params(c.type, 300), s);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(s.at(i), c.expected[i]) << "type " << c.type << " child " << i;
  }
}

TEST(PaneLayout, OrderFollowsCurrentPositionOfTheAxis) {
  FakeSurface s(3000, 3000);
  s.add(2000, 0, 100, 100);     // child 0: rightmost, topmost
  s.add(0, 2000, 100, 100);     // child 1: leftmost, lowest
  s.add(1000, 1000, 100, 100);  // child 2: middle
  EXPECT_EQ(childOrder({2000, 0, 1000}), (std::vector<int>{1, 2, 0}));

  Arrangement a = arrange(params(asEvenHorz), s);
  EXPECT_LT(s.at(1).left, s.at(2).left);
  EXPECT_LT(s.at(2).left, s.at(0).left);
  EXPECT_EQ(a.bars[0].first, 1);
  EXPECT_EQ(a.bars[0].second, 2);

  // After the horizontal pass all tops are equal; give them a new order by Top.
  s.kids[0].c.geometry.top = 10;
  s.kids[1].c.geometry.top = 30;
  s.kids[2].c.geometry.top = 20;
  a = arrange(params(asEvenVert), s);
  EXPECT_LT(s.at(0).top, s.at(2).top);
  EXPECT_LT(s.at(2).top, s.at(1).top);
  EXPECT_EQ(a.bars[0].vertical, true);
}

TEST(PaneLayout, InvisibleChildPassedOverInRunModeAndBarsPairShownNeighbours) {
  FakeSurface s(3000, 1500);
  s.add(0, 0, 500, 500);
  s.add(10, 0, 500, 500, false);
  s.add(20, 0, 500, 500);
  Arrangement a = arrange(params(asEvenHorz), s);
  EXPECT_EQ(s.at(0), (Geometry{50, 50, 1425, 1400}));  // (3000 - 100 - 50) \ 2
  EXPECT_EQ(s.at(1), (Geometry{10, 0, 500, 500}));     // untouched
  EXPECT_EQ(s.at(2), (Geometry{1525, 50, 1425, 1400}));
  // The one bar in use lies between the two shown children and names them.
  EXPECT_EQ(a.bars[0], (Bar{{1475, 50, 50, 1400}, true, false, 0, 2}));
  EXPECT_EQ(a.bars[1].first, -1);
  EXPECT_FALSE(a.bars[1].visible);

  // While designing every child is laid out, and no bar is shown.
  s.kids[1].c.geometry.left = 1000;
  Params design = params(asEvenHorz);
  design.designing = true;
  a = arrange(design, s);
  EXPECT_EQ(s.at(1), (Geometry{1033, 50, 933, 1400}));
  EXPECT_EQ(a.bars[1].first, 1);
  EXPECT_EQ(a.bars[1].second, 2);
  EXPECT_FALSE(a.bars[0].visible);
  EXPECT_FALSE(a.bars[1].visible);
}

TEST(PaneLayout, ControlSmallerThanItsBorders) {
  FakeSurface s(80, 60);
  s.add(0, 0, 500, 500);
  s.add(10, 0, 500, 500);
  arrange(params(asEvenHorz), s);
  // The even extent is negative: widths are kept, the cross extent is 1.
  EXPECT_EQ(s.at(0), (Geometry{50, 50, 500, 1}));
  EXPECT_EQ(s.at(1), (Geometry{600, 50, 500, 1}));
}

TEST(PaneLayout, RefusedSizeMovesTheNextChildAfterTheActualEnd) {
  FakeSurface s(3000, 1500);
  for (int i = 0; i < 3; ++i) s.add(i, 0, 100, 100);
  s.kids[0].maxWidth = 600;
  const Arrangement a = arrange(params(asEvenHorz), s);
  EXPECT_EQ(s.at(0).width, 600);
  EXPECT_EQ(s.at(1).left, 700);
  EXPECT_EQ(a.bars[0].geometry.left, 650);
}

TEST(PaneLayout, RestartsWhenTheControlChangesSizeButBounded) {
  // A control that grows once: one restart, laid out for the new size.
  FakeSurface s(3000, 1500);
  for (int i = 0; i < 2; ++i) s.add(100 + i * 100, 0, 100, 100);
  s.grows = 1;
  Arrangement a = arrange(params(asEvenHorz), s);
  EXPECT_EQ(a.passes, 2);
  EXPECT_EQ(s.at(1), (Geometry{1600, 50, 1500, 1400}));  // (3150 - 150) \ 2 wide

  // A control that grows at every child never settles: the restarts stop.
  FakeSurface g(3000, 1500);
  for (int i = 0; i < 2; ++i) g.add(100 + i * 100, 0, 100, 100);
  g.grows = INT_MAX;
  a = arrange(params(asEvenHorz), g);
  EXPECT_EQ(a.passes, kMaxArrangeRestarts + 1);
  EXPECT_EQ(a.bars[0].first, 0);
  EXPECT_EQ(a.bars[0].second, 1);
}

TEST(PaneLayout, SplitterMove) {
  struct Case {
    const char* name;
    bool vertical;
    int delta;
    int firstMax;  // extent the first child accepts at most
    int firstExtent, secondPos, secondExtent, bar;
  } cases[] = {
      {"first grows", false, 200, INT_MAX, 1200, 1300, 800, 1250},
      {"first shrinks", false, -300, INT_MAX, 700, 800, 1300, 750},
      {"vertical", true, 100, INT_MAX, 1100, 1200, 900, 1150},
      {"second to 1 refused", false, 999, INT_MAX, 1000, 1100, 1000, 1050},
      {"first to 1 refused", false, -999, INT_MAX, 1000, 1100, 1000, 1050},
      {"first refuses to grow", false, 200, 1100, 1100, 1300, 800, 1150},
  };
  for (const Case& c : cases) {
    FakeSurface s(3000, 3000);
    if (c.vertical) {
      s.add(50, 50, 500, 1000);
      s.add(50, 1100, 500, 1000);
      s.kids[0].maxHeight = c.firstMax;
    } else {
      s.add(50, 50, 1000, 500);
      s.add(1100, 50, 1000, 500);
      s.kids[0].maxWidth = c.firstMax;
    }
    const auto bar = applySplitterMove(s, c.vertical, 0, 1, c.delta);
    const Geometry f = s.at(0), sc = s.at(1);
    EXPECT_EQ(c.vertical ? f.height : f.width, c.firstExtent) << c.name;
    EXPECT_EQ(c.vertical ? sc.top : sc.left, c.secondPos) << c.name;
    EXPECT_EQ(c.vertical ? sc.height : sc.width, c.secondExtent) << c.name;
    EXPECT_EQ(bar, c.bar) << c.name;
  }
  FakeSurface s(3000, 3000);
  s.add(0, 0, 100, 100);
  EXPECT_FALSE(applySplitterMove(s, false, 0, 1, 10));  // a bar not in use
  EXPECT_FALSE(applySplitterMove(s, false, -1, 0, 10));
}
