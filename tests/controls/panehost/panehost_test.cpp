// The container widget: property setters, persistence, arrangement through the
// size hook, splitter and caption drags, and the surface's mouse events.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <memory>

#include "controls/panehost.h"
#include "controls/propertybag.h"

using namespace mvnz::controls;

namespace {

void mouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button = Qt::LeftButton) {
  const bool release = type == QEvent::MouseButtonRelease;
  QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)),
                type == QEvent::MouseMove ? Qt::NoButton : button,
                release ? Qt::MouseButtons() : Qt::MouseButtons(button), Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

// A host window 400 x 300 pixels with a container 200 x 100 pixels at (50, 50).
struct Host : ::testing::Test {
  QWidget window;
  ZephContainer* box = new ZephContainer(&window);
  std::vector<QWidget*> kids;

  Host() {
    window.resize(400, 300);
    box->setGeometry(50, 50, 200, 100);
  }
  void addChildren(int n, int widthPx = 20) {
    for (int i = 0; i < n; ++i) {
      auto* k = new QWidget(box);
      k->setGeometry(i * 5, i * 5, widthPx, 20);
      kids.push_back(k);
    }
  }
  void load(std::initializer_list<std::pair<const char*, QVariant>> values) {
    PropertyBag bag;
    for (const auto& [name, value] : values) bag.write(QString::fromLatin1(name), value);
    ASSERT_FALSE(box->ReadProperties(bag));
    window.show();
  }
  panelayout::Geometry at(int i) const { return box->childGeometry(kids[size_t(i)]); }
};

}  // namespace

TEST_F(Host, SettersCheckTheirValues) {
  QStringList changed;
  QObject::connect(box, &ZephContainer::PropertyChanged, [&](const QString& n) { changed << n; });

  box->setBorderWidth(-1);
  EXPECT_EQ(box->BorderWidth(), 50);
  box->setBorderWidth(0);
  EXPECT_EQ(box->BorderWidth(), 0);
  box->setChildSpacing(0);
  EXPECT_EQ(box->ChildSpacing(), 50);
  box->setSplitter(true);  // asEvenHorz
  EXPECT_FALSE(box->Splitter());
  box->setAutoSizeChildrenType(asUnevenVert);
  box->setSplitter(true);
  EXPECT_TRUE(box->Splitter());
  box->setAutoSizeChildrenType(asEvenVert);
  EXPECT_FALSE(box->Splitter());
  EXPECT_EQ(changed, (QStringList{"BorderWidth", "BorderWidth", "ChildSpacing", "Splitter",
                                  "AutoSizeChildrenType", "Splitter", "AutoSizeChildrenType"}));
}

TEST_F(Host, CaptionBarFollowsCaptionAndMoveable) {
  QWidget* bar = box->captionBar();
  EXPECT_FALSE(bar->isVisibleTo(box));
  EXPECT_EQ(box->GetCaptionOffset(), 0);
  box->setMoveable(true);
  EXPECT_TRUE(bar->isVisibleTo(box));
  box->setMoveable(false);
  EXPECT_FALSE(bar->isVisibleTo(box));
  box->setCaption(QStringLiteral("[Total Log]"));
  EXPECT_TRUE(box->captionBarShown());
  const int textPx = QFontMetrics(box->Font()).height();
  EXPECT_EQ(bar->geometry(), QRect(0, 0, 200, textPx + 2));
  EXPECT_EQ(box->GetCaptionOffset(), (textPx + 2) * 15 + 15);
  EXPECT_TRUE(box->Font().bold());
  EXPECT_EQ(box->Font().pointSize(), 10);
  // Children are laid out below it: the first child's Top in asUnevenVert.
  addChildren(2);
  box->setAutoSizeChildrenType(asUnevenVert);
  box->setAutoSizeChildren(true);
  EXPECT_EQ(at(0).top, 50 + box->GetCaptionOffset());
  EXPECT_EQ(at(0).height, 300);  // kept; only the last child takes the rest
  EXPECT_EQ(at(1).top + at(1).height, 1500 - 50);
}

TEST_F(Host, PersistenceStoresOnlyWhatDiffersFromTheDefault) {
  PropertyBag fresh;
  box->WriteProperties(fresh);
  // The caption font of a new instance is the ambient font made 10 point bold.
  EXPECT_EQ(fresh.names(), QStringList{"Font"});

  box->setSizeable(true);
  box->setBorderStyle(eBorderStyles::Raised);
  box->setCaption(QStringLiteral("Command Script"));
  box->setAutoSizeChildrenType(asUnevenHorz);
  box->setAutoSizeChildren(true);
  box->setBorderWidth(0);
  box->setChildSpacing(30);
  box->setSplitter(true);
  box->setBackColor(0xE0E0E0);
  box->setMoveable(true);
  box->setFontColor(0x0000FF);
  PropertyBag bag;
  box->WriteProperties(bag);
  EXPECT_EQ(bag.names(), (QStringList{"Sizeable", "BorderStyle", "Caption", "AutoSizeChildrenType",
                                      "AutoSizeChildren", "BorderWidth", "ChildSpacing", "Splitter",
                                      "BackColor", "Moveable", "Font", "FontColor"}));

  bool ok = false;
  const PropertyBag reread = PropertyBag::fromText(bag.toText(), &ok);
  ASSERT_TRUE(ok);
  ZephContainer other(&window);
  ASSERT_FALSE(other.ReadProperties(reread));
  EXPECT_TRUE(other.Sizeable());
  EXPECT_EQ(other.BorderStyle(), eBorderStyles::Raised);
  EXPECT_EQ(other.Caption(), "Command Script");
  EXPECT_EQ(other.AutoSizeChildrenType(), asUnevenHorz);
  EXPECT_TRUE(other.AutoSizeChildren());
  EXPECT_EQ(other.BorderWidth(), 0);
  EXPECT_EQ(other.ChildSpacing(), 30);
  EXPECT_TRUE(other.Splitter());
  EXPECT_EQ(other.BackColor(), 0xE0E0E0u);
  EXPECT_TRUE(other.Moveable());
  EXPECT_EQ(other.FontColor(), 0x0000FFu);
  EXPECT_EQ(other.Font(), box->Font());
  EXPECT_EQ(other.palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));
  PropertyBag again;
  other.WriteProperties(again);
  EXPECT_EQ(again, bag);

  // Absent names read as defaults; stored values are taken without checks.
  PropertyBag raw;
  raw.write(QStringLiteral("BorderWidth"), -5);
  raw.write(QStringLiteral("ChildSpacing"), 0);
  raw.write(QStringLiteral("Splitter"), true);
  ASSERT_FALSE(other.ReadProperties(raw));
  EXPECT_EQ(other.BorderWidth(), -5);
  EXPECT_EQ(other.ChildSpacing(), 0);
  EXPECT_TRUE(other.Splitter());
  EXPECT_EQ(other.AutoSizeChildrenType(), asEvenHorz);
  EXPECT_EQ(other.BackColor(), 0x8000000Fu);
  EXPECT_EQ(other.FontColor(), 0x80000009u);
  EXPECT_EQ(other.Caption(), "");
  EXPECT_FALSE(other.captionBarShown());
  EXPECT_EQ(other.Font(), window.font());
}

TEST_F(Host, ArrangesThroughTheSizeHookWithoutPixelDrift) {
  addChildren(3);
  int resizes = 0;
  QObject::connect(box, &ZephContainer::Resize, [&] { ++resizes; });
  load({{"AutoSizeChildren", true}});
  EXPECT_TRUE(box->hookAttached());
  const int lefts[] = {50, 1033, 2016};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(at(i), (panelayout::Geometry{lefts[i], 50, 933, 1400}));
  EXPECT_EQ(kids[1]->geometry(), QRect(69, 3, 62, 93));
  EXPECT_EQ(box->splitterTag(0), "0:1");
  EXPECT_EQ(box->splitterTag(1), "1:2");
  EXPECT_FALSE(box->splitterBars()[0]->isVisible());  // Splitter is off

  resizes = 0;
  box->resize(300, 100);  // 4500 twips
  EXPECT_GE(resizes, 1);
  EXPECT_EQ(at(2), (panelayout::Geometry{50 + 2 * (1433 + 50), 50, 1433, 1400}));

  // Reading the properties again hooks the window once, not twice.
  ASSERT_FALSE(box->ReadProperties(PropertyBag()));
  const QByteArray h = QByteArray::number(box->hwnd());
  EXPECT_EQ(box->property("C" + h).toInt(), 1);
  EXPECT_FALSE(box->AutoSizeChildren());
}

TEST_F(Host, SwitchingAutoSizeOffHidesBarsAndKeepsChildren) {
  addChildren(2);
  load({{"AutoSizeChildren", true}, {"AutoSizeChildrenType", 2}, {"Splitter", true}});
  QWidget* bar = box->splitterBars()[0];
  EXPECT_TRUE(bar->isVisible());
  const auto before = at(1);
  box->setAutoSizeChildren(false);
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(at(1), before);
  box->resize(300, 150);
  EXPECT_EQ(at(1), before);
}

TEST_F(Host, SplitterDragMovesTheBoundaryOrSnapsBack) {
  addChildren(2, 60);  // the first child is 900 twips wide
  load({{"AutoSizeChildren", true}, {"AutoSizeChildrenType", 2}, {"Splitter", true}});
  QWidget* bar = box->splitterBars()[0];
  ASSERT_TRUE(bar->isVisible());
  EXPECT_EQ(box->childGeometry(bar), (panelayout::Geometry{950, 50, 50, 1400}));
  EXPECT_EQ(bar->cursor().shape(), Qt::SizeHorCursor);

  mouse(bar, QEvent::MouseButtonPress, {1, 10});
  EXPECT_FALSE(bar->mask().isEmpty());  // hollow while dragged
  mouse(bar, QEvent::MouseMove, {11, 10});
  EXPECT_EQ(box->childGeometry(bar).left, 1100);
  mouse(bar, QEvent::MouseButtonRelease, {1, 10});
  EXPECT_TRUE(bar->mask().isEmpty());
  EXPECT_EQ(at(0), (panelayout::Geometry{50, 50, 1050, 1400}));
  EXPECT_EQ(at(1), (panelayout::Geometry{1150, 50, 1800, 1400}));
  EXPECT_EQ(box->childGeometry(bar).left, 1100);

  // Too far: the first child would be 1 twip or less; nothing moves.
  mouse(bar, QEvent::MouseButtonPress, {1, 10});
  mouse(bar, QEvent::MouseMove, {-69, 10});
  mouse(bar, QEvent::MouseButtonRelease, {1, 10});
  EXPECT_EQ(at(0).width, 1050);
  EXPECT_EQ(at(1).left, 1150);
  EXPECT_EQ(box->childGeometry(bar).left, 1100);

  // With Splitter off a press does not start a drag.
  box->setAutoSizeChildrenType(asEvenHorz);
  mouse(bar, QEvent::MouseButtonPress, {1, 10});
  EXPECT_TRUE(bar->mask().isEmpty());
}

TEST_F(Host, CaptionDragMovesTheControlInsideItsWindow) {
  load({{"Moveable", true}});
  QWidget* bar = box->captionBar();
  ASSERT_TRUE(bar->isVisible());
  mouse(bar, QEvent::MouseButtonPress, {20, 5});
  mouse(bar, QEvent::MouseMove, {30, 12});
  EXPECT_EQ(box->pos(), QPoint(60, 57));
  // The pointer is held inside the window: the control stops with it.
  mouse(bar, QEvent::MouseMove, {2000, 12});
  EXPECT_EQ(box->x(), 399 - 20);
  mouse(bar, QEvent::MouseButtonRelease, {20, 5});
  mouse(bar, QEvent::MouseMove, {40, 5});
  EXPECT_EQ(box->x(), 399 - 20);
}

TEST_F(Host, MouseEventsOfTheOwnSurfaceInTwips) {
  addChildren(1);
  kids[0]->move(100, 50);
  load({{"Sizeable", true}});
  EXPECT_EQ(box->ScaleWidth(), (200 - 8) * 15);
  QStringList seen;
  QObject::connect(box, &ZephContainer::MouseDown, [&](qint16& b, qint16& s, float& x, float& y) {
    seen << QStringLiteral("down %1 %2 %3 %4").arg(b).arg(s).arg(x).arg(y);
  });
  QObject::connect(box, &ZephContainer::MouseUp, [&](qint16& b, qint16&, float& x, float& y) {
    seen << QStringLiteral("up %1 %2 %3").arg(b).arg(x).arg(y);
  });
  QObject::connect(box, &ZephContainer::Click, [&] { seen << QStringLiteral("click"); });

  mouse(box, QEvent::MouseButtonPress, {14, 24}, Qt::RightButton);  // 4-pixel frame
  mouse(box, QEvent::MouseButtonRelease, {14, 24}, Qt::RightButton);
  mouse(box, QEvent::MouseButtonPress, {14, 24});
  mouse(box, QEvent::MouseButtonRelease, {14, 24});
  mouse(box, QEvent::MouseButtonPress, {kids[0]->x() + 2, kids[0]->y() + 2});  // on the child
  mouse(box, QEvent::MouseButtonPress, {1, 50});  // on the sizing frame
  EXPECT_EQ(seen, (QStringList{"down 2 0 150 300", "up 2 150 300", "down 1 0 150 300",
                               "up 1 150 300", "click"}));
  // The child kept its client position when the frame came.
  EXPECT_EQ(box->childGeometry(kids[0]).left, 1500);
}

TEST_F(Host, SizingFrameResizesAndArranges) {
  addChildren(2);
  load({{"Sizeable", true}, {"AutoSizeChildren", true}});
  mouse(box, QEvent::MouseButtonPress, {199, 50});
  mouse(box, QEvent::MouseMove, {249, 50});
  mouse(box, QEvent::MouseButtonRelease, {249, 50});
  EXPECT_EQ(box->width(), 250);
  EXPECT_EQ(at(1).left + at(1).width, (250 - 8) * 15 - 50);
}
