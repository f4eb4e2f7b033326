// The container's arrangement arithmetic, in twips, without widgets.
#include <cmath>
#include <utility>

#include "controls/panehost.h"

namespace mvnz::controls::panelayout {

namespace {

int mainPos(const Geometry& g, bool vertical) { return vertical ? g.top : g.left; }
int mainExtent(const Geometry& g, bool vertical) { return vertical ? g.height : g.width; }
void setMainPos(Geometry& g, bool vertical, int v) { (vertical ? g.top : g.left) = v; }
void setMainExtent(Geometry& g, bool vertical, int v) { (vertical ? g.height : g.width) = v; }
int crossPos(const Geometry& g, bool vertical) { return vertical ? g.left : g.top; }
int crossExtent(const Geometry& g, bool vertical) { return vertical ? g.width : g.height; }
void setCross(Geometry& g, bool vertical, int pos, int extent) {
  if (vertical) {
    g.left = pos;
    g.width = extent;
  } else {
    g.top = pos;
    g.height = extent;
  }
}

// Quicksort around the middle record's position rounded to an integer, so
// children at equal positions keep the order this partition gives them.
void sortChildOrder(std::vector<std::pair<double, int>>& list, int low, int high) {
  int i = low, j = high;
  const double pivot = std::nearbyint(list[(low + high) / 2].first);
  while (i <= j) {
    while (list[i].first < pivot) ++i;
    while (list[j].first > pivot) --j;
    if (i <= j) {
      std::swap(list[i], list[j]);
      ++i;
      --j;
    }
  }
  if (low < j) sortChildOrder(list, low, j);
  if (i < high) sortChildOrder(list, i, high);
}

}  // namespace

bool isVertical(eAutoSizeChildrenTypes type) { return type == asEvenVert || type == asUnevenVert; }
bool isUneven(eAutoSizeChildrenTypes type) { return type == asUnevenHorz || type == asUnevenVert; }

std::vector<int> childOrder(const std::vector<double>& positions) {
  std::vector<std::pair<double, int>> list;
  list.reserve(positions.size());
  for (size_t i = 0; i < positions.size(); ++i) list.emplace_back(positions[i], int(i));
  if (list.size() > 1) sortChildOrder(list, 0, int(list.size()) - 1);
  std::vector<int> order;
  order.reserve(list.size());
  for (const auto& r : list) order.push_back(r.second);
  return order;
}

int evenExtent(int total, int borderWidth, int childSpacing, int mainOffset, int laidOut) {
  if (laidOut <= 0) return 0;
  return (total - 2 * borderWidth - (laidOut - 1) * childSpacing - mainOffset) / laidOut;
}

Arrangement arrange(const Params& p, Surface& s) {
  const bool vertical = isVertical(p.type);
  const bool uneven = isUneven(p.type);
  const int mainOffset = vertical ? p.captionOffset : 0;
  const int crossOffset = vertical ? 0 : p.captionOffset;
  Arrangement out;

  for (int restarts = 0;; ++restarts) {
    out.passes = restarts + 1;
    const int count = s.childCount();
    out.bars.assign(size_t(count > 1 ? count - 1 : 0), Bar{});
    for (Bar& b : out.bars) b.vertical = vertical;

    const int scaleW = s.scaleWidth(), scaleH = s.scaleHeight();
    const int total = vertical ? scaleH : scaleW;
    const int cross = vertical ? scaleW : scaleH;

    // Each child is read once per pass; placing one child leaves the others as
    // they are.
    std::vector<Child> children;
    std::vector<double> positions;
    children.reserve(size_t(count));
    positions.reserve(size_t(count));
    int n = 0;
    for (int i = 0; i < count; ++i) {
      children.push_back(s.child(i));
      positions.push_back(mainPos(children.back().geometry, vertical));
      if (children.back().visible || p.designing) ++n;
    }
    const std::vector<int> order = childOrder(positions);
    const int even = evenExtent(total, p.borderWidth, p.childSpacing, mainOffset, n);

    int laid = 0, previousEnd = 0;
    bool restart = false;
    for (const int index : order) {
      const Child& c = children[size_t(index)];
      if (!c.visible && !p.designing) continue;
      ++laid;
      const int pos = laid == 1 ? p.borderWidth + mainOffset : previousEnd + p.childSpacing;
      int extent = mainExtent(c.geometry, vertical);
      if (!uneven)
        extent = even;
      else if (laid == n)
        extent = total - pos - p.borderWidth;
      if (extent == 0) extent = 1;
      int crossExt = cross - 2 * p.borderWidth - crossOffset;
      if (crossExt < 0) crossExt = 1;

      Geometry g = c.geometry;
      setMainPos(g, vertical, pos);
      if (extent > 1) setMainExtent(g, vertical, extent);
      setCross(g, vertical, p.borderWidth + crossOffset, crossExt);
      const Geometry actual = s.placeChild(index, g);

      // A child that changed the control's size starts the pass again, a
      // bounded number of times; after that the pass finishes as it is.
      if ((s.scaleWidth() != scaleW || s.scaleHeight() != scaleH) &&
          restarts < kMaxArrangeRestarts) {
        restart = true;
        break;
      }
      previousEnd = pos + mainExtent(actual, vertical);

      // Bars sit between laid-out neighbours only, so a bar never names a
      // child that is not on screen.
      if (laid > 1) out.bars[size_t(laid - 2)].second = index;
      if (laid < n) {
        Bar& bar = out.bars[size_t(laid - 1)];
        bar.first = index;
        setMainPos(bar.geometry, vertical, previousEnd);
        setMainExtent(bar.geometry, vertical, p.childSpacing);
        setCross(bar.geometry, vertical, crossPos(actual, vertical), crossExtent(actual, vertical));
        bar.visible = p.splitter && !p.designing;
      }
    }
    if (!restart) return out;
  }
}

std::optional<int> applySplitterMove(Surface& s, bool vertical, int first, int second, int delta) {
  const int count = s.childCount();
  if (first < 0 || second < 0 || first >= count || second >= count || first == second)
    return std::nullopt;
  const Geometry f = s.child(first).geometry;
  const Geometry sc = s.child(second).geometry;
  const int newFirst = mainExtent(f, vertical) + delta;
  const int newSecond = mainExtent(sc, vertical) - delta;
  if (newFirst > 1 && newSecond > 1) {
    if (delta < 0) {
      Geometry g = f;
      setMainExtent(g, vertical, newFirst);
      const int taken = mainExtent(s.placeChild(first, g), vertical) - mainExtent(f, vertical);
      Geometry g2 = sc;
      setMainPos(g2, vertical, mainPos(sc, vertical) + taken);
      setMainExtent(g2, vertical, mainExtent(sc, vertical) - taken);
      s.placeChild(second, g2);
    } else {
      Geometry g2 = sc;
      setMainExtent(g2, vertical, newSecond);
      const Geometry shrunk = s.placeChild(second, g2);
      const int taken = mainExtent(sc, vertical) - mainExtent(shrunk, vertical);
      g2 = shrunk;
      setMainPos(g2, vertical, mainPos(shrunk, vertical) + taken);
      s.placeChild(second, g2);
      Geometry g = f;
      setMainExtent(g, vertical, mainExtent(f, vertical) + taken);
      s.placeChild(first, g);
    }
  }
  const Geometry now = s.child(first).geometry;
  return mainPos(now, vertical) + mainExtent(now, vertical);
}

int captionBarHeight(int textHeightTwips) { return textHeightTwips + 30; }

int captionOffset(bool shown, int barTop, int barHeight) {
  return shown ? barTop + barHeight + kTwipsPerPixel : 0;
}

}  // namespace mvnz::controls::panelayout
