#include "controls/vistrel.h"

#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <QTime>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>

namespace mvnz::controls {

namespace vistrelgeo {

long long roundHalfEven(long long num, long long den) {
  long long q = num / den;
  long long r = num % den;
  if (r < 0) {  // floor division
    r += den;
    --q;
  }
  if (2 * r > den || (2 * r == den && (q % 2 != 0))) ++q;
  return q;
}

int clampPercent(int percent) { return std::clamp(percent, 0, 100); }

std::optional<Rect> floodBar(int floodType, int percent, int width, int height) {
  const int innerW = width - 2 * kBarMargin;
  const int innerH = height - 2 * kBarMargin;
  const int wExt = int(roundHalfEven(1LL * percent * innerW, 100));
  const int hExt = int(roundHalfEven(1LL * percent * innerH, 100));
  switch (floodType) {
    case 1:
      return Rect{kBarMargin, kBarMargin, wExt, innerH};
    case 2:
      return Rect{width - kBarMargin - wExt, kBarMargin, wExt, innerH};
    case 3:
      return Rect{kBarMargin, kBarMargin, innerW, hExt};
    case 4:
      return Rect{kBarMargin, height - kBarMargin - hExt, innerW, hExt};
    default:
      return std::nullopt;
  }
}

int blockPitch(int width, int twipsPerPixel) {
  const int border = (2 * kBarMargin) / twipsPerPixel;
  const double scaleWidth = double(width) / twipsPerPixel;
  const int pitchPx = std::max(0, int(std::floor((scaleWidth - border) / kBlockCount)));
  return pitchPx * twipsPerPixel;
}

std::array<Rect, kBlockCount> blockLayout(int width, int height, int twipsPerPixel) {
  const int pitch = blockPitch(width, twipsPerPixel);
  std::array<Rect, kBlockCount> blocks;
  for (int i = 0; i < kBlockCount; ++i)
    blocks[i] =
        Rect{kBarMargin + i * pitch, kBarMargin, pitch - kBlockGap, height - 2 * kBarMargin};
  return blocks;
}

int lastLitBlock(int percent) {
  // percent / 100 * 20 - 1, kept exact.
  return int(roundHalfEven(1LL * percent * kBlockCount - 100, 100));
}

QString percentText(int percent) {
  return (percent < 0 ? QString() : QStringLiteral(" ")) + QString::number(percent) + u'%';
}

std::optional<TextPlace> textPlacement(int alignment, int width, int height, double textHeight) {
  if (alignment < 0 || alignment > 8) return std::nullopt;
  TextPlace p;
  p.left = kTextMargin;
  p.width = width - 2 * kTextMargin;
  switch (alignment % 3) {
    case 0:
      p.top = kTextMargin;
      break;
    case 1:
      p.top = height / 2.0 - textHeight / 2.0;
      break;
    default:
      p.top = height - kTextMargin - textHeight;
      break;
  }
  static constexpr LabelAlign kColumns[] = {AlignLeft, AlignCenter, AlignRight};
  p.align = kColumns[alignment / 3];
  return p;
}

TextPlace percentPlacement(int width, int height, double textHeight, double textWidth,
                           double hundredWidth) {
  return TextPlace{width / 2.0 - hundredWidth / 2.0, height / 2.0 - textHeight / 2.0, textWidth,
                   AlignCenter};
}

int toPixels(double twips, int twipsPerPixel) { return int(std::lround(twips / twipsPerPixel)); }

}  // namespace vistrelgeo

namespace edge {
namespace {

// Colours of the two rings, top/left and bottom/right, as the 3D system colours.
struct Ring {
  QPalette::ColorRole topLeft;
  QPalette::ColorRole bottomRight;
};

constexpr Ring kRaisedOuter{QPalette::Midlight, QPalette::Shadow};
constexpr Ring kSunkenOuter{QPalette::Dark, QPalette::Light};
constexpr Ring kRaisedInner{QPalette::Light, QPalette::Dark};
constexpr Ring kSunkenInner{QPalette::Shadow, QPalette::Midlight};

void drawRing(QPainter& p, const QRect& r, const Ring& ring, int sides, const QPalette& pal) {
  if (r.width() <= 0 || r.height() <= 0) return;
  if (sides & Left) p.fillRect(QRect(r.left(), r.top(), 1, r.height()), pal.color(ring.topLeft));
  if (sides & Top) p.fillRect(QRect(r.left(), r.top(), r.width(), 1), pal.color(ring.topLeft));
  if (sides & Right)
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), pal.color(ring.bottomRight));
  if (sides & Bottom)
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), pal.color(ring.bottomRight));
}

}  // namespace

void drawEdge(QPainter& painter, const QRect& rect, int edgeParts, int sides,
              const QPalette& palette) {
  if (edgeParts & Mono) {  // the window-frame colour on every side asked for
    drawRing(painter, rect, Ring{QPalette::Shadow, QPalette::Shadow}, sides, palette);
    return;
  }
  QRect r = rect;
  const int outer = edgeParts & (RaisedOuter | SunkenOuter);
  const int inner = edgeParts & (RaisedInner | SunkenInner);
  if (outer) {
    drawRing(painter, r, (outer & RaisedOuter) ? kRaisedOuter : kSunkenOuter, sides, palette);
    r.adjust((sides & Left) ? 1 : 0, (sides & Top) ? 1 : 0, (sides & Right) ? -1 : 0,
             (sides & Bottom) ? -1 : 0);
  }
  if (inner)
    drawRing(painter, r, (inner & RaisedInner) ? kRaisedInner : kSunkenInner, sides, palette);
}

}  // namespace edge

QColor oleColor(quint32 value, const QPalette& palette) {
  if ((value & 0xFF000000u) == 0x80000000u) {
    struct Sys {
      QPalette::ColorGroup group;
      QPalette::ColorRole role;
    };
    // System colour indices 0..24 and the palette roles that stand in for them.
    static constexpr Sys kSystem[] = {
        {QPalette::Active, QPalette::Mid},                // scroll bar
        {QPalette::Active, QPalette::Dark},               // desktop
        {QPalette::Active, QPalette::Highlight},          // active caption
        {QPalette::Inactive, QPalette::Highlight},        // inactive caption
        {QPalette::Active, QPalette::Window},             // menu
        {QPalette::Active, QPalette::Base},               // window
        {QPalette::Active, QPalette::Shadow},             // window frame
        {QPalette::Active, QPalette::WindowText},         // menu text
        {QPalette::Active, QPalette::Text},               // window text
        {QPalette::Active, QPalette::HighlightedText},    // caption text
        {QPalette::Active, QPalette::Button},             // active border
        {QPalette::Inactive, QPalette::Button},           // inactive border
        {QPalette::Active, QPalette::Dark},               // application workspace
        {QPalette::Active, QPalette::Highlight},          // highlight
        {QPalette::Active, QPalette::HighlightedText},    // highlight text
        {QPalette::Active, QPalette::Button},             // button face
        {QPalette::Active, QPalette::Dark},               // button shadow
        {QPalette::Disabled, QPalette::Text},             // grey text
        {QPalette::Active, QPalette::ButtonText},         // button text
        {QPalette::Inactive, QPalette::HighlightedText},  // inactive caption text
        {QPalette::Active, QPalette::Light},              // button highlight
        {QPalette::Active, QPalette::Shadow},             // 3D dark shadow
        {QPalette::Active, QPalette::Midlight},           // 3D light
        {QPalette::Active, QPalette::ToolTipText},        // info text
        {QPalette::Active, QPalette::ToolTipBase},        // info background
    };
    const quint32 index = value & 0xFFu;
    if (index >= std::size(kSystem)) return QColor(Qt::black);
    return palette.color(kSystem[index].group, kSystem[index].role);
  }
  return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

namespace {

constexpr int kInitialWidth = 2700;  // twips
constexpr int kInitialHeight = 600;
constexpr int kTimerInterval = 1000;  // ms
constexpr int kCaptionLeft = 90;      // twips
constexpr int kCaptionDrop = 5;       // pixels the bevel's top moves down under a caption

constexpr int kVersionMajor = 1;
constexpr int kVersionMinor = 0;
constexpr int kVersionRevision = 0;
const char* const kTitle = "vistrelControl";
const char* const kDescription = "Bevelled panel/meter control";
const char* const kCopyright = "Copyright \u00a9 Orvendel. All rights reserved.";
const char* const kDisclaimer =
    "This software is provided \"as is\", without warranty of any kind, express or implied. "
    "In no event shall the authors be liable for any claim, damages or other liability "
    "arising from its use.";

// Stored names and defaults, in the order they are read and written.
const QString kEnabled = QStringLiteral("Enabled");
const QString kBorderStyle = QStringLiteral("BorderStyle");
const QString kCaption = QStringLiteral("Caption");
const QString kFont = QStringLiteral("Font");
const QString kText = QStringLiteral("Text");
const QString kTextAlignment = QStringLiteral("TextAlignment");
const QString kTextType = QStringLiteral("TextType");
const QString kFloodShowPct = QStringLiteral("FloodShowPct");
const QString kFloodType = QStringLiteral("FloodType");
const QString kFloodPercent = QStringLiteral("FloodPercent");
const QString kFloodColor = QStringLiteral("FloodColor");
const QString kFloodBackColor = QStringLiteral("FloodBackColor");
const QString kBackColor = QStringLiteral("BackColor");
const QString kForeColor = QStringLiteral("ForeColor");

constexpr qint16 kStoredBorderStyle = 2;

// A stored 16-bit value; the default when it is missing, not a number or out of range.
qint16 readInt16(const PropertyBag& bag, const QString& name, qint16 def) {
  bool ok = false;
  const qlonglong v = bag.read(name, qlonglong(def)).toLongLong(&ok);
  if (!ok || v < std::numeric_limits<qint16>::min() || v > std::numeric_limits<qint16>::max())
    return def;
  return qint16(v);
}

quint32 readColor(const PropertyBag& bag, const QString& name, quint32 def) {
  bool ok = false;
  const qlonglong v = bag.read(name, qlonglong(def)).toLongLong(&ok);
  if (!ok || v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<quint32>::max())
    return def;
  return quint32(v);  // a signed 32-bit value keeps its bits
}

// The system's short time format, with seconds so the clock visibly ticks.
QString timeText(const QTime& t) {
  const QLocale locale = QLocale::system();
  QString fmt = locale.timeFormat(QLocale::ShortFormat);
  if (!fmt.contains(u's')) {
    const qsizetype m = fmt.lastIndexOf(QStringLiteral("mm"));
    if (m >= 0)
      fmt.insert(m + 2, QStringLiteral(":ss"));
    else
      fmt = QStringLiteral("HH:mm:ss");
  }
  return locale.toString(t, fmt);
}

QString dateText(const QDate& d) { return QLocale::system().toString(d, QLocale::ShortFormat); }

}  // namespace

using namespace vistrelgeo;

vistrel::vistrel(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);

  auto* bar = new QWidget(this);
  bar->setObjectName(QStringLiteral("Flooder"));
  bar->setAutoFillBackground(true);
  bar->hide();
  flooder_.append(bar);

  lblText_ = new QLabel(this);
  lblText_->setObjectName(QStringLiteral("lblText"));
  lblText_->setAttribute(Qt::WA_TransparentForMouseEvents);

  lblCaption_ = new QLabel(this);
  lblCaption_->setObjectName(QStringLiteral("lblCaption"));
  lblCaption_->setAutoFillBackground(true);
  lblCaption_->hide();

  timer_ = new QTimer(this);
  timer_->setObjectName(QStringLiteral("Timer1"));
  timer_->setInterval(kTimerInterval);
  connect(timer_, &QTimer::timeout, this, &vistrel::TimerTick);

  // New instance.
  borderStyle_ = ThinRaised;
  caption_.clear();
  textAlignment_ = CenterMiddle;
  text_ = QStringLiteral("vistrel");
  textType_ = UserDefined;
  floodType_ = None;
  floodPercent_ = 0;
  floodShowPct_ = false;
  floodColor_ = kDefaultFloodColor;
  floodBackColor_ = kDefaultFloodBackColor;
  backColor_ = kDefaultBackColor;
  foreColor_ = kDefaultForeColor;
  ApplyColors();
  resize(kInitialWidth / kTwipsPerPixel, kInitialHeight / kTwipsPerPixel);
  PlaceText();
}

vistrel::~vistrel() = default;

// ---- properties ----

void vistrel::setBorderStyle(qint16 style) {
  if (style != borderStyle_) {
    borderStyle_ = style;
    ShowCaption();
    update();
  }
  emit propertyChanged(kBorderStyle);
}

void vistrel::setEnabled(bool enabled) {
  QWidget::setEnabled(enabled);
  emit propertyChanged(kEnabled);
}

void vistrel::setCaption(const QString& caption) {
  caption_ = caption;
  ShowCaption();
  update();
  emit propertyChanged(kCaption);
}

void vistrel::setFont(const QFont& font) {
  QWidget::setFont(font);  // the labels inherit it
  emit propertyChanged(kFont);
}

void vistrel::setText(const QString& text) {
  text_ = text;
  PlaceText();
  updateGeometry();
  emit propertyChanged(kText);
}

void vistrel::setTextAlignment(qint16 alignment) {
  if (alignment != textAlignment_) {
    textAlignment_ = alignment;
    PlaceText();
  }
  emit propertyChanged(kTextAlignment);
}

void vistrel::setTextType(qint16 type) {
  if (type != textType_) {
    textType_ = type;
    PlaceText();
  }
  emit propertyChanged(kTextType);
}

void vistrel::setFloodShowPct(bool show) {
  floodShowPct_ = show;
  if (floodType_ != None) PlaceText();
  emit propertyChanged(kFloodShowPct);
}

void vistrel::setFloodType(qint16 type) {
  floodType_ = type;
  RemoveBlocks();
  SetUpFlood();
  emit propertyChanged(kFloodType);
}

// Stores a bar setting and, with a flood type set, shows it.
void vistrel::setFloodValue(auto& member, auto value, const QString& name) {
  member = value;
  if (floodType_ != None) {
    PlaceText();
    PlaceFlood();
  }
  emit propertyChanged(name);
}

void vistrel::setFloodPercent(int percent) {
  setFloodValue(floodPercent_, qint16(clampPercent(percent)), kFloodPercent);
}
void vistrel::setFloodColor(quint32 color) { setFloodValue(floodColor_, color, kFloodColor); }
void vistrel::setFloodBackColor(quint32 color) {
  setFloodValue(floodBackColor_, color, kFloodBackColor);
}

// Stores a panel colour and applies both colours.
void vistrel::setPanelColor(quint32& member, quint32 color, const QString& name) {
  member = color;
  ApplyColors();
  update();
  emit propertyChanged(name);
}

void vistrel::setBackColor(quint32 color) { setPanelColor(backColor_, color, kBackColor); }
void vistrel::setForeColor(quint32 color) { setPanelColor(foreColor_, color, kForeColor); }

// ---- persistence ----

QFont vistrel::ambientFont() const {
  return parentWidget() ? parentWidget()->font() : QApplication::font(this);
}

void vistrel::ReadProperties(const PropertyBag& bag) {
  QWidget::setEnabled(bag.read(kEnabled, true).toBool());
  borderStyle_ = readInt16(bag, kBorderStyle, kStoredBorderStyle);
  caption_ = bag.read(kCaption, QString()).toString();
  // No stored font: take the host's (an empty font inherits everything).
  QWidget::setFont(bag.contains(kFont) ? bag.read(kFont, ambientFont()).value<QFont>() : QFont());
  text_ = bag.read(kText, QString()).toString();
  textAlignment_ = readInt16(bag, kTextAlignment, LeftTop);
  textType_ = readInt16(bag, kTextType, UserDefined);
  floodShowPct_ = bag.read(kFloodShowPct, false).toBool();
  floodType_ = readInt16(bag, kFloodType, None);
  // Clamped like the setter: a stored value out of 0..100 would draw outside the panel.
  floodPercent_ = qint16(clampPercent(readInt16(bag, kFloodPercent, 0)));
  floodColor_ = readColor(bag, kFloodColor, kDefaultFloodColor);
  floodBackColor_ = readColor(bag, kFloodBackColor, kDefaultFloodBackColor);
  backColor_ = readColor(bag, kBackColor, kDefaultBackColor);
  foreColor_ = readColor(bag, kForeColor, kDefaultForeColor);

  ApplyColors();
  RemoveBlocks();  // a control read twice must not stack a second set of blocks
  SetUpFlood();
  ShowCaption();
  update();
}

void vistrel::WriteProperties(PropertyBag& bag) const {
  bag.write(kEnabled, isEnabled(), true);
  bag.write(kBorderStyle, borderStyle_, kStoredBorderStyle);
  bag.write(kCaption, caption_, QString());
  if (testAttribute(Qt::WA_SetFont))
    bag.write(kFont, font(), ambientFont());
  else
    bag.remove(kFont);
  bag.write(kText, text_, QString());
  bag.write(kTextAlignment, textAlignment_, qint16(LeftTop));
  bag.write(kTextType, textType_, qint16(UserDefined));
  bag.write(kFloodShowPct, floodShowPct_, false);
  bag.write(kFloodType, floodType_, qint16(None));
  bag.write(kFloodPercent, floodPercent_, qint16(0));
  bag.write(kFloodColor, floodColor_, kDefaultFloodColor);
  bag.write(kFloodBackColor, floodBackColor_, kDefaultFloodBackColor);
  bag.write(kBackColor, backColor_, kDefaultBackColor);
  bag.write(kForeColor, foreColor_, kDefaultForeColor);
}

// ---- painting and layout ----

void vistrel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  DrawPanelBorder(painter);
}

void vistrel::DrawPanelBorder(QPainter& painter) {
  QRect r = rect();
  if (!caption_.isEmpty()) r.setTop(r.top() + kCaptionDrop);
  const QPalette& pal = palette();
  auto twoPasses = [&](int topLeft, int bottomRight) {
    edge::drawEdge(painter, r, topLeft, edge::TopLeft, pal);
    edge::drawEdge(painter, r, bottomRight, edge::BottomRight, pal);
  };
  switch (borderStyle_) {
    case Single:
      edge::drawEdge(painter, r, edge::RaisedOuter | edge::Mono, edge::AllSides, pal);
      break;
    case ThinRaised:
      twoPasses(edge::RaisedInner, edge::RaisedOuter);
      break;
    case ThickRaised:
      twoPasses(edge::Raised, edge::Raised);
      break;
    case ThinInset:
      twoPasses(edge::SunkenInner, edge::SunkenOuter);
      break;
    case ThickInset:
      twoPasses(edge::Sunken, edge::Sunken);
      break;
    case Etched:
      twoPasses(edge::Etched, edge::Etched);
      break;
    case Bump:
      twoPasses(edge::Bump, edge::Bump);
      break;
    default:
      break;  // "No Border" and values outside the styles draw nothing
  }
}

void vistrel::setTwipsGeometry(QWidget* w, double left, double top, double width, double height) {
  const int x = toPixels(left);
  const int y = toPixels(top);
  w->setGeometry(x, y, std::max(0, toPixels(left + width) - x),
                 std::max(0, toPixels(top + height) - y));
}

void vistrel::setFill(QWidget* w, quint32 color) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, oleColor(color, QApplication::palette(this)));
  w->setPalette(pal);
}

void vistrel::ApplyColors() {
  const QPalette system = QApplication::palette(this);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, oleColor(backColor_, system));
  // The fore colour is the text of an enabled panel; a disabled one keeps the system's
  // disabled text, so the controls placed on it look disabled too.
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
    pal.setColor(group, QPalette::WindowText, oleColor(foreColor_, system));
  pal.setColor(QPalette::Disabled, QPalette::WindowText, system.color(QPalette::Disabled, QPalette::WindowText));
  setPalette(pal);  // lblCaption and lblText inherit both
}

void vistrel::ShowCaption() {
  updateGeometry();
  if (caption_.isEmpty()) {
    lblCaption_->hide();
    return;
  }
  lblCaption_->setText(u' ' + caption_ + u' ');
  lblCaption_->adjustSize();
  lblCaption_->move(toPixels(kCaptionLeft), 0);
  lblCaption_->show();
  lblCaption_->raise();
}

QSize vistrel::ownRoom() const {
  const QFontMetrics fm(font());
  const int margin = toPixels(kTextMargin);
  QSize caption;
  if (!caption_.isEmpty()) {
    caption = fm.size(Qt::TextSingleLine, u' ' + caption_ + u' ');
    caption.rwidth() += 2 * toPixels(kCaptionLeft);
  }
  const bool showsText = floodType_ < 1 && !text_.isEmpty();
  const int textWidth = showsText ? fm.horizontalAdvance(text_) + 2 * margin : 0;
  // Below the caption: a line of text, or half a line of empty bevel.
  const int inside = showsText ? fm.height() + 2 * margin : fm.height() / 2 + margin;
  return {std::max(caption.width(), textWidth), caption.height() + inside};
}

QSize vistrel::roomWith(const QSize& layoutHint) const {
  const QSize own = ownRoom();
  return layout() ? layoutHint.expandedTo(QSize(own.width(), 0)) : own;
}

QSize vistrel::sizeHint() const { return roomWith(QWidget::sizeHint()); }

QSize vistrel::minimumSizeHint() const { return roomWith(QWidget::minimumSizeHint()); }

void vistrel::PlaceText() {
  timer_->stop();
  const int w = width() * kTwipsPerPixel;
  const int h = height() * kTwipsPerPixel;
  const QFontMetricsF fm(font());
  const double lineHeight = fm.height() * kTwipsPerPixel;

  if (floodType_ < 1) {
    lblText_->hide();
    QString text = text_;
    if (textType_ == CurrentDate) text = dateText(QDate::currentDate());
    if (textType_ == CurrentTime) {
      text = timeText(QTime::currentTime());
      timer_->start();
    }
    lblText_->setText(text);
    const auto place = textPlacement(textAlignment_, w, h, lineHeight);
    if (!place) return;
    static constexpr Qt::Alignment kAlign[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};
    lblText_->setAlignment(kAlign[place->align] | Qt::AlignVCenter);
    setTwipsGeometry(lblText_, place->left, place->top, place->width, lineHeight);
    lblText_->show();
    lblText_->raise();
    return;
  }

  if (!floodShowPct_ || floodType_ == Windows95) {
    lblText_->hide();
    return;
  }
  const QString text = percentText(floodPercent_);
  lblText_->setText(text);
  const auto place =
      percentPlacement(w, h, lineHeight, fm.horizontalAdvance(text) * kTwipsPerPixel,
                       fm.horizontalAdvance(QStringLiteral("100%")) * kTwipsPerPixel);
  lblText_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  // One pixel of slack so rounding never clips the last digit.
  setTwipsGeometry(lblText_, place.left, place.top, place.width + kTwipsPerPixel, lineHeight);
  lblText_->show();
  lblText_->raise();
}

void vistrel::TimerTick() { lblText_->setText(timeText(QTime::currentTime())); }

void vistrel::PlaceFlood() {
  const int w = width() * kTwipsPerPixel;
  const int h = height() * kTwipsPerPixel;
  if (floodType_ == Windows95) {
    const int lit = lastLitBlock(floodPercent_);
    for (int i = 0; i < flooder_.size(); ++i)
      setFill(flooder_[i], i <= lit ? floodColor_ : floodBackColor_);
    return;
  }
  setFill(flooder_[0], floodColor_);
  if (const auto bar = floodBar(floodType_, floodPercent_, w, h))
    setTwipsGeometry(flooder_[0], bar->left, bar->top, bar->width, bar->height);
}

void vistrel::CreateBlocks() {
  flooder_[0]->hide();
  for (int i = 1; i < kBlockCount; ++i) {
    auto* block = new QWidget(this);
    block->setObjectName(QStringLiteral("Flooder"));
    block->setAutoFillBackground(true);
    flooder_.append(block);
  }
  LayoutBlocks();
  for (QWidget* block : flooder_) {
    setFill(block, floodBackColor_);
    block->show();
  }
  lblText_->raise();
  lblCaption_->raise();
}

void vistrel::LayoutBlocks() {
  const auto blocks = blockLayout(width() * kTwipsPerPixel, height() * kTwipsPerPixel);
  for (int i = 0; i < flooder_.size() && i < kBlockCount; ++i)
    setTwipsGeometry(flooder_[i], blocks[i].left, blocks[i].top, blocks[i].width, blocks[i].height);
}

void vistrel::RemoveBlocks() {
  while (flooder_.size() > 1) delete flooder_.takeLast();
}

// The bar as a flood type asks: the sweep bar, twenty blocks, or nothing.
void vistrel::SetUpFlood() {
  PlaceText();
  const bool sweep = floodType_ >= LeftToRight && floodType_ <= BottomToTop;
  // Types outside the styles draw no bar.
  flooder_[0]->setVisible(sweep);
  if (sweep) PlaceFlood();
  if (floodType_ == Windows95) {
    CreateBlocks();
    PlaceFlood();
  }
}

void vistrel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (width() <= 0 || height() <= 0) return;
  PlaceText();
  const bool sweep = floodType_ >= LeftToRight && floodType_ <= BottomToTop;
  flooder_[0]->setVisible(sweep || (floodType_ == Windows95 && flooder_.size() > 1));
  if (sweep) PlaceFlood();
  if (floodType_ == Windows95) {
    LayoutBlocks();
    PlaceFlood();
  }
}

void vistrel::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  switch (event->type()) {
    case QEvent::FontChange:  // text height and widths follow the font
      PlaceText();
      ShowCaption();
      break;
    case QEvent::ApplicationPaletteChange:  // system colours follow the desktop
      ApplyColors();
      if (floodType_ != None) PlaceFlood();
      break;
    default:
      break;
  }
}

// ---- about box ----

void vistrel::ShowAbout() {
  QDialog box(this);
  box.setObjectName(QStringLiteral("frmAbout"));
  box.setWindowTitle(QStringLiteral("About ") + QString::fromLatin1(kTitle));
  box.setWindowFlags((box.windowFlags() | Qt::MSWindowsFixedSizeDialogHint) &
                     ~Qt::WindowContextHelpButtonHint);
  auto* grid = new QGridLayout(&box);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  auto addLabel = [&](const char* name, const QString& text, int row) {
    auto* label = new QLabel(text, &box);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    grid->addWidget(label, row, 1);
    return label;
  };
  auto* image = new QLabel(&box);
  image->setObjectName(QStringLiteral("Image1"));
  image->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
  grid->addWidget(image, 0, 0, 2, 1, Qt::AlignTop);
  QFont titleFont = box.font();
  titleFont.setBold(true);
  addLabel("lblTitle", QString::fromLatin1(kTitle), 0)->setFont(titleFont);
  addLabel("lblVersion",
           QStringLiteral("Version %1.%2.%3")
               .arg(kVersionMajor)
               .arg(kVersionMinor)
               .arg(kVersionRevision),
           1);
  addLabel("lblDescription", QString::fromLatin1(kDescription), 2);
  addLabel("lblCopyright", QString::fromUtf8(kCopyright), 3);
  addLabel("lblDisclaimer", QString::fromLatin1(kDisclaimer), 4)->setMinimumWidth(280);
  auto* ok = new QPushButton(QStringLiteral("OK"), &box);
  ok->setObjectName(QStringLiteral("cmdOK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, &box, &QDialog::accept);
  grid->addWidget(ok, 5, 1, Qt::AlignRight);
  box.exec();
}

vistrel* makeHeaderPanel(const QString& caption, QWidget* parent, qint16 borderStyle) {
  auto* header = new vistrel(parent);
  header->setObjectName(QStringLiteral("vistrel1"));
  header->setCaption(caption);
  header->setText(QString());  // a new panel's placeholder text would show under the caption
  header->setBorderStyle(borderStyle);
  QFont f = header->Font();
  f.setBold(true);
  header->setFont(f);
  header->setTextAlignment(vistrel::CenterMiddle);
  header->setBackColor(0x00FFFFFF);
  return header;
}

}  // namespace mvnz::controls
