// The panel/meter widget: defaults, setters, persistence, the clock, the bar and the bevel.
#include <gtest/gtest.h>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <functional>

#include "controls/vistrel.h"

using mvnz::controls::PropertyBag;
using mvnz::controls::vistrel;

namespace {

QLabel* textLabel(vistrel& v) { return v.findChild<QLabel*>("lblText"); }
QLabel* captionLabel(vistrel& v) { return v.findChild<QLabel*>("lblCaption"); }
QTimer* clock(vistrel& v) { return v.findChild<QTimer*>("Timer1"); }
QList<QWidget*> flooders(vistrel& v) {
  return v.findChildren<QWidget*>("Flooder", Qt::FindDirectChildrenOnly);
}
QColor fillOf(QWidget* w) { return w->palette().color(QPalette::Window); }
int vistrel_px(int twips) { return mvnz::controls::vistrelgeo::toPixels(twips); }

// Processes events until pred holds or the (generous) bound passes.
bool waitFor(const std::function<bool()>& pred, int ms = 10000) {
  QElapsedTimer t;
  t.start();
  while (!pred() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  return pred();
}

}  // namespace

TEST(Vistrel, NewInstanceShowsItsNameCentredWithoutABar) {
  vistrel v;
  EXPECT_EQ(v.size(), QSize(180, 40));  // 2700 x 600 twips
  EXPECT_EQ(v.BorderStyle(), vistrel::ThinRaised);
  EXPECT_EQ(v.Text(), "vistrel");
  EXPECT_EQ(v.TextAlignment(), vistrel::CenterMiddle);
  EXPECT_EQ(v.FloodType(), vistrel::None);
  EXPECT_EQ(v.FloodColor(), 0x8000000Du);
  EXPECT_EQ(v.BackColor(), 0x8000000Fu);
  EXPECT_EQ(v.ForeColor(), 0x80000012u);
  EXPECT_FALSE(captionLabel(v)->isVisibleTo(&v));
  EXPECT_TRUE(textLabel(v)->isVisibleTo(&v));
  EXPECT_EQ(textLabel(v)->text(), "vistrel");
  EXPECT_TRUE(textLabel(v)->alignment() & Qt::AlignHCenter);
  ASSERT_EQ(flooders(v).size(), 1);
  EXPECT_FALSE(flooders(v)[0]->isVisibleTo(&v));
  EXPECT_FALSE(clock(v)->isActive());
  // System colours come from the palette.
  EXPECT_EQ(v.palette().color(QPalette::Window), QApplication::palette(&v).color(QPalette::Button));
}

TEST(Vistrel, EverySetterNotifiesUnderItsNameEvenWithoutChange) {
  vistrel v;
  QSignalSpy spy(&v, &vistrel::propertyChanged);
  const std::pair<const char*, std::function<void()>> setters[] = {
      {"BorderStyle", [&] { v.setBorderStyle(v.BorderStyle()); }},
      {"Enabled", [&] { v.setEnabled(true); }},
      {"Caption", [&] { v.setCaption(""); }},
      {"Font", [&] { v.setFont(v.font()); }},
      {"Text", [&] { v.setText(v.Text()); }},
      {"TextAlignment", [&] { v.setTextAlignment(v.TextAlignment()); }},
      {"TextType", [&] { v.setTextType(v.TextType()); }},
      {"FloodShowPct", [&] { v.setFloodShowPct(false); }},
      {"FloodType", [&] { v.setFloodType(vistrel::None); }},
      {"FloodPercent", [&] { v.setFloodPercent(0); }},
      {"FloodColor", [&] { v.setFloodColor(v.FloodColor()); }},
      {"FloodBackColor", [&] { v.setFloodBackColor(v.FloodBackColor()); }},
      {"BackColor", [&] { v.setBackColor(v.BackColor()); }},
      {"ForeColor", [&] { v.setForeColor(v.ForeColor()); }},
  };
  for (const auto& [name, set] : setters) {
    spy.clear();
    set();
    ASSERT_EQ(spy.size(), 1) << name;
    EXPECT_EQ(spy[0][0].toString(), name);
  }
}

TEST(Vistrel, FloodPercentIsClamped) {
  vistrel v;
  v.setFloodType(vistrel::LeftToRight);
  v.setFloodShowPct(true);
  v.setFloodPercent(-5);
  EXPECT_EQ(v.FloodPercent(), 0);
  EXPECT_EQ(textLabel(v)->text(), " 0%");
  v.setFloodPercent(250);
  EXPECT_EQ(v.FloodPercent(), 100);
  EXPECT_EQ(textLabel(v)->text(), " 100%");
  EXPECT_EQ(flooders(v)[0]->geometry(), QRect(3, 3, 174, 34));  // the whole inner area
}

TEST(Vistrel, SweepBarInPixels) {
  vistrel v;
  v.setFloodColor(0x0000FF);  // red
  v.setFloodPercent(50);
  v.setFloodType(vistrel::LeftToRight);
  QWidget* bar = flooders(v)[0];
  EXPECT_TRUE(bar->isVisibleTo(&v));
  // 1310 x 520 twips at (40, 40): edges 40/15 -> 3 and 1350/15 -> 90, 560/15 -> 37.
  EXPECT_EQ(bar->geometry(), QRect(3, 3, 87, 34));
  EXPECT_EQ(fillOf(bar), QColor(255, 0, 0));
  EXPECT_FALSE(textLabel(v)->isVisibleTo(&v));  // no percentage asked for

  v.setFloodType(vistrel::BottomToTop);
  EXPECT_EQ(bar->geometry(), QRect(3, 20, 174, 17));  // 260 twips from 300 to 560

  v.resize(360, 40);  // the bar follows the new width
  QCoreApplication::sendPostedEvents();
  v.setFloodType(vistrel::RightToLeft);
  EXPECT_EQ(bar->geometry(), QRect(180, 3, 177, 34));

  for (qint16 t : {qint16(vistrel::None), qint16(9), qint16(-3)}) {
    v.setFloodType(t);
    EXPECT_FALSE(bar->isVisibleTo(&v)) << t;
  }
}

TEST(Vistrel, SegmentedBarBlocksAndTheirColours) {
  vistrel v;
  v.show();
  v.setFloodColor(0x00FF00);
  v.setFloodBackColor(0xFFFFFF);
  v.setFloodShowPct(true);
  v.setFloodPercent(50);
  v.setFloodType(vistrel::Windows95);
  auto blocks = flooders(v);
  ASSERT_EQ(blocks.size(), 20);
  EXPECT_FALSE(textLabel(v)->isVisibleTo(&v));  // no percentage in this style
  for (int i = 0; i < 20; ++i) {
    QWidget* b = blocks[i];
    EXPECT_TRUE(b->isVisible()) << i;
    // 100 twips wide at 40 + 120 i: 8 px apart.
    EXPECT_EQ(b->x(), vistrel_px(40 + 120 * i)) << i;
    EXPECT_EQ(fillOf(b), i < 10 ? QColor(0, 255, 0) : QColor(255, 255, 255)) << i;
  }

  v.setFloodPercent(3);
  EXPECT_EQ(fillOf(blocks[0]), QColor(0, 255, 0));
  EXPECT_EQ(fillOf(blocks[1]), QColor(255, 255, 255));

  // A resize lays the blocks out again and keeps all twenty on show.
  v.resize(360, 40);
  QCoreApplication::sendPostedEvents();
  waitFor([&] { return blocks[1]->x() != vistrel_px(160); }, 2000);
  for (int i = 0; i < 20; ++i) {
    EXPECT_TRUE(blocks[i]->isVisible()) << i;
    EXPECT_EQ(blocks[i]->x(), vistrel_px(40 + 255 * i)) << i;  // (360 - 5) / 20 -> 17 px
  }

  v.setFloodType(vistrel::LeftToRight);
  EXPECT_EQ(flooders(v).size(), 1);
  EXPECT_TRUE(flooders(v)[0]->isVisible());
}

TEST(Vistrel, TextPlacementAndPercentage) {
  vistrel v;
  const int line = QFontMetrics(v.font()).height();
  v.setText("Heading");
  v.setTextAlignment(vistrel::RightBottom);
  QLabel* label = textLabel(v);
  EXPECT_TRUE(label->isVisibleTo(&v));
  EXPECT_EQ(label->text(), "Heading");
  EXPECT_TRUE(label->alignment() & Qt::AlignRight);
  // From 60 to Width - 60 twips, its top at Height - 60 - text height.
  EXPECT_EQ(label->x(), 4);
  EXPECT_EQ(label->x() + label->width(), 176);
  EXPECT_EQ(label->y(), vistrel_px(600 - 60 - 15 * line));

  v.setTextAlignment(vistrel::LeftTop);
  EXPECT_TRUE(label->alignment() & Qt::AlignLeft);
  EXPECT_EQ(label->y(), 4);

  // Outside the nine positions the label stays hidden where it was.
  const QRect before = label->geometry();
  v.setTextAlignment(9);
  EXPECT_FALSE(label->isVisibleTo(&v));
  EXPECT_EQ(label->geometry(), before);

  // With a bar and the percentage on: the centred percentage replaces the text.
  v.setTextAlignment(vistrel::LeftTop);
  v.setFloodType(vistrel::LeftToRight);
  v.setFloodPercent(7);
  EXPECT_FALSE(label->isVisibleTo(&v));
  v.setFloodShowPct(true);
  EXPECT_TRUE(label->isVisibleTo(&v));
  EXPECT_EQ(label->text(), " 7%");
  const int x7 = label->x();
  v.setFloodPercent(100);
  EXPECT_EQ(label->x(), x7);  // the left edge does not move with the digits
  const double hundred = QFontMetricsF(v.font()).horizontalAdvance("100%") * 15;
  EXPECT_EQ(x7, vistrel_px(1350 - hundred / 2));
}

TEST(Vistrel, ClockRunsOnlyForCurrentTimeWithoutABar) {
  vistrel v;
  v.setText("user text");
  v.setTextType(vistrel::CurrentDate);
  EXPECT_FALSE(clock(v)->isActive());
  EXPECT_NE(textLabel(v)->text(), "user text");
  EXPECT_FALSE(textLabel(v)->text().isEmpty());

  v.setTextType(vistrel::CurrentTime);
  EXPECT_TRUE(clock(v)->isActive());
  EXPECT_EQ(clock(v)->interval(), 1000);
  const QString first = textLabel(v)->text();
  EXPECT_TRUE(waitFor([&] { return textLabel(v)->text() != first; }))
      << "the clock did not tick: " << first.toStdString();

  v.setTextType(vistrel::UserDefined);
  EXPECT_FALSE(clock(v)->isActive());
  EXPECT_EQ(textLabel(v)->text(), "user text");

  v.setTextType(vistrel::CurrentTime);
  ASSERT_TRUE(clock(v)->isActive());
  v.setFloodType(vistrel::TopToBottom);  // a bar stops the clock
  EXPECT_FALSE(clock(v)->isActive());
  v.setFloodType(vistrel::None);
  EXPECT_TRUE(clock(v)->isActive());
}

TEST(Vistrel, CaptionLabelHasABlankOnEachSide) {
  vistrel v;
  v.setCaption("Command: Sleep");
  QLabel* cap = captionLabel(v);
  EXPECT_TRUE(cap->isVisibleTo(&v));
  EXPECT_EQ(cap->text(), " Command: Sleep ");
  EXPECT_EQ(cap->pos(), QPoint(6, 0));  // 90 twips from the left, on the top edge
  v.setCaption("");
  EXPECT_FALSE(cap->isVisibleTo(&v));
  // A border style change shows the caption as it stands.
  v.setCaption("Head");
  v.setBorderStyle(vistrel::Bump);
  EXPECT_TRUE(cap->isVisibleTo(&v));
}

TEST(Vistrel, EmptyStoreLoadsTheStoredDefaults) {
  vistrel v;
  v.setFloodType(vistrel::Windows95);
  v.setCaption("old");
  v.setEnabled(false);
  v.ReadProperties(PropertyBag());
  EXPECT_TRUE(v.isEnabled());
  EXPECT_EQ(v.BorderStyle(), 2);
  EXPECT_EQ(v.Caption(), "");
  EXPECT_EQ(v.Text(), "");
  EXPECT_EQ(v.TextAlignment(), vistrel::LeftTop);
  EXPECT_EQ(v.TextType(), vistrel::UserDefined);
  EXPECT_FALSE(v.FloodShowPct());
  EXPECT_EQ(v.FloodType(), vistrel::None);
  EXPECT_EQ(v.FloodPercent(), 0);
  EXPECT_EQ(v.FloodColor(), 0x8000000Du);
  EXPECT_EQ(v.FloodBackColor(), 0x8000000Fu);
  EXPECT_EQ(v.BackColor(), 0x8000000Fu);
  EXPECT_EQ(v.ForeColor(), 0x80000012u);
  EXPECT_FALSE(v.testAttribute(Qt::WA_SetFont));  // the host's font
  EXPECT_FALSE(captionLabel(v)->isVisibleTo(&v));
  ASSERT_EQ(flooders(v).size(), 1);
  EXPECT_FALSE(flooders(v)[0]->isVisibleTo(&v));
  EXPECT_EQ(textLabel(v)->text(), "");

  // Nothing but the defaults: nothing stored.
  PropertyBag out;
  v.WriteProperties(out);
  EXPECT_TRUE(out.isEmpty()) << out.toText().toStdString();
}

TEST(Vistrel, PropertiesRoundTripThroughTheTextForm) {
  QWidget host;
  vistrel v(&host);
  PropertyBag fresh;
  v.WriteProperties(fresh);  // a new instance differs from the stored defaults in two places
  EXPECT_EQ(fresh.names(), (QStringList{"Text", "TextAlignment"}));

  QFont bold = host.font();
  bold.setBold(true);
  v.setEnabled(false);
  v.setBorderStyle(vistrel::Bump);
  v.setCaption("Command: Sleep");
  v.setFont(bold);
  v.setText("x = \"y\"");
  v.setTextAlignment(vistrel::RightMiddle);
  v.setTextType(vistrel::CurrentDate);
  v.setFloodShowPct(true);
  v.setFloodType(vistrel::Windows95);
  v.setFloodPercent(42);
  v.setFloodColor(0x00112233);
  v.setFloodBackColor(0x00445566);
  v.setBackColor(0x00FFFFFF);
  v.setForeColor(0x80000008);
  PropertyBag bag;
  v.WriteProperties(bag);
  EXPECT_EQ(bag.names(),
            (QStringList{"Enabled", "BorderStyle", "Caption", "Font", "Text", "TextAlignment",
                         "TextType", "FloodShowPct", "FloodType", "FloodPercent", "FloodColor",
                         "FloodBackColor", "BackColor", "ForeColor"}));

  bool ok = false;
  const PropertyBag back = PropertyBag::fromText(bag.toText(), &ok);
  ASSERT_TRUE(ok);
  QWidget host2;
  vistrel w(&host2);
  w.ReadProperties(back);
  w.ReadProperties(back);  // read twice: still one set of blocks
  EXPECT_FALSE(w.isEnabled());
  EXPECT_EQ(w.BorderStyle(), vistrel::Bump);
  EXPECT_EQ(w.Caption(), "Command: Sleep");
  EXPECT_TRUE(w.font().bold());
  EXPECT_EQ(w.Text(), "x = \"y\"");
  EXPECT_EQ(w.TextAlignment(), vistrel::RightMiddle);
  EXPECT_EQ(w.TextType(), vistrel::CurrentDate);
  EXPECT_TRUE(w.FloodShowPct());
  EXPECT_EQ(w.FloodType(), vistrel::Windows95);
  EXPECT_EQ(w.FloodPercent(), 42);
  EXPECT_EQ(w.FloodColor(), 0x00112233u);
  EXPECT_EQ(w.FloodBackColor(), 0x00445566u);
  EXPECT_EQ(w.BackColor(), 0x00FFFFFFu);
  EXPECT_EQ(w.ForeColor(), 0x80000008u);
  EXPECT_EQ(flooders(w).size(), 20);
  EXPECT_EQ(fillOf(flooders(w)[7]), QColor(0x33, 0x22, 0x11));  // lit: 42 % lights eight
  EXPECT_EQ(fillOf(flooders(w)[8]), QColor(0x66, 0x55, 0x44));
  EXPECT_EQ(w.palette().color(QPalette::Window), QColor(255, 255, 255));
  EXPECT_TRUE(captionLabel(w)->isVisibleTo(&w));

  PropertyBag again;
  w.WriteProperties(again);
  EXPECT_EQ(again, bag);
}

TEST(Vistrel, StoredValuesOutOfRangeAreTamed) {
  PropertyBag bag;
  bag.write("FloodPercent", 250);
  bag.write("FloodType", 1);
  bag.write("BorderStyle", 99999);  // does not fit 16 bits
  bag.write("TextAlignment", QStringLiteral("junk"));
  bag.write("BackColor", -1);  // all bits set
  vistrel v;
  v.ReadProperties(bag);
  EXPECT_EQ(v.FloodPercent(), 100);
  EXPECT_EQ(flooders(v)[0]->geometry(), QRect(3, 3, 174, 34));
  EXPECT_EQ(v.BorderStyle(), 2);
  EXPECT_EQ(v.TextAlignment(), 0);
  EXPECT_EQ(v.BackColor(), 0xFFFFFFFFu);
  bag.write("FloodPercent", -7);
  v.ReadProperties(bag);
  EXPECT_EQ(v.FloodPercent(), 0);
}

// The bevel as drawn: two-pixel rings for the thick styles, one for the thin ones,
// and a top edge 5 pixels down under a caption.
TEST(Vistrel, BevelGrab) {
  vistrel v;
  v.setText("");
  v.setBackColor(0xFFFFFF);
  QPalette pal = v.palette();
  const QColor light(250, 0, 0), midlight(0, 250, 0), dark(0, 0, 250), shadow(10, 10, 10);
  pal.setColor(QPalette::Light, light);
  pal.setColor(QPalette::Midlight, midlight);
  pal.setColor(QPalette::Dark, dark);
  pal.setColor(QPalette::Shadow, shadow);
  v.setPalette(pal);
  const QColor back(255, 255, 255);
  v.show();

  const struct {
    qint16 style;
    QColor left0, left1, right0, right1;
  } cases[] = {
      {vistrel::NoBorder, back, back, back, back},
      {vistrel::Single, shadow, back, shadow, back},
      {vistrel::ThinRaised, light, back, shadow, back},
      {vistrel::ThickRaised, midlight, light, shadow, dark},
      {vistrel::ThinInset, shadow, back, light, back},
      {vistrel::ThickInset, dark, shadow, light, midlight},
      {vistrel::Etched, dark, light, light, dark},
      {vistrel::Bump, midlight, shadow, shadow, midlight},
      {42, back, back, back, back},
  };
  for (const auto& c : cases) {
    v.setBorderStyle(c.style);
    const QImage img = v.grab().toImage();
    ASSERT_EQ(img.size(), QSize(180, 40));
    const int w = img.width(), h = img.height();
    EXPECT_EQ(img.pixelColor(0, 20), c.left0) << c.style;
    EXPECT_EQ(img.pixelColor(1, 20), c.left1) << c.style;
    EXPECT_EQ(img.pixelColor(90, 0), c.left0) << c.style;  // top as left
    EXPECT_EQ(img.pixelColor(90, 1), c.left1) << c.style;
    EXPECT_EQ(img.pixelColor(w - 1, 20), c.right0) << c.style;
    EXPECT_EQ(img.pixelColor(w - 2, 20), c.right1) << c.style;
    EXPECT_EQ(img.pixelColor(90, h - 1), c.right0) << c.style;  // bottom as right
    EXPECT_EQ(img.pixelColor(90, h - 2), c.right1) << c.style;
    EXPECT_EQ(img.pixelColor(90, 20), back) << c.style;
  }

  v.setBorderStyle(vistrel::ThinRaised);
  v.setCaption("C");
  const QImage img = v.grab().toImage();
  EXPECT_EQ(img.pixelColor(150, 0), back);
  EXPECT_EQ(img.pixelColor(150, 5), light);  // the top line moved down 5 pixels
  EXPECT_EQ(img.pixelColor(0, 4), back);
  EXPECT_EQ(img.pixelColor(0, 5), light);
}

TEST(Vistrel, AboutBoxShowsTitleAndVersion) {
  vistrel v;
  QString title, version;
  bool closed = false;
  std::function<void()> poll = [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (!box) {
      QTimer::singleShot(20, poll);
      return;
    }
    title = box->windowTitle();
    if (auto* l = box->findChild<QLabel*>("lblVersion")) version = l->text();
    if (auto* ok = box->findChild<QPushButton*>("cmdOK")) {
      ok->click();
      closed = true;
    }
  };
  QTimer::singleShot(0, poll);
  v.ShowAbout();
  EXPECT_TRUE(closed);
  EXPECT_EQ(title, "About vistrelControl");
  EXPECT_EQ(version, "Version 1.0.0");
}

TEST(Vistrel, ControlsOnADisabledPanelShowDisabledText) {
  vistrel v;
  v.setForeColor(0x000000FF);  // red
  auto* label = new QLabel("child", &v);
  const QColor disabled = QApplication::palette().color(QPalette::Disabled, QPalette::WindowText);
  ASSERT_NE(disabled, QColor(Qt::red));
  EXPECT_EQ(label->palette().color(QPalette::Active, QPalette::WindowText), QColor(Qt::red));
  v.setEnabled(false);
  EXPECT_EQ(label->palette().color(label->palette().currentColorGroup(), QPalette::WindowText), disabled);
}
