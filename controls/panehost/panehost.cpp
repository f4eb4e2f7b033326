#include "controls/panehost.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <cmath>

#include "controls/propertybag.h"

namespace mvnz::controls {

namespace {

const char* const kTwipsProperty = "mvnzTwips";    // last geometry given, in twips
const char* const kPixelsProperty = "mvnzPixels";  // ... and the pixels it became
const char* const kInternalProperty = "mvnzPaneInternal";

constexpr OleColor kDefaultBackColor = 0x8000000Fu;
constexpr OleColor kDefaultFontColor = 0x80000009u;
constexpr int kSizeMessage = int(QEvent::Resize);

int toPixels(int twips) { return int(std::lround(double(twips) / kTwipsPerPixel)); }

QColor systemColor(int index, const QPalette& pal) {
  switch (index) {
    case 0:  // scroll bar
    case 10:
    case 11:
    case 15:  // button face
      return pal.color(QPalette::Button);
    case 1:
    case 12:
    case 16:  // button shadow
      return pal.color(QPalette::Dark);
    case 2:   // active caption
    case 13:  // highlight
    case 29:
      return pal.color(QPalette::Active, QPalette::Highlight);
    case 3:
    case 28:
      return pal.color(QPalette::Inactive, QPalette::Highlight).lighter(120);
    case 4:
    case 30:
      return pal.color(QPalette::Window);
    case 5:
      return pal.color(QPalette::Base);
    case 6:
    case 7:
      return pal.color(QPalette::WindowText);
    case 8:
      return pal.color(QPalette::Text);
    case 9:   // caption text
    case 14:  // highlight text
      return pal.color(QPalette::Active, QPalette::HighlightedText);
    case 17:
      return pal.color(QPalette::Disabled, QPalette::Text);
    case 18:
      return pal.color(QPalette::ButtonText);
    case 19:
      return pal.color(QPalette::Inactive, QPalette::HighlightedText);
    case 20:  // button highlight
      return pal.color(QPalette::Light);
    case 21:  // 3-D dark shadow
      return pal.color(QPalette::Shadow);
    case 22:  // 3-D light
      return pal.color(QPalette::Midlight);
    case 23:
      return pal.color(QPalette::ToolTipText);
    case 24:
      return pal.color(QPalette::ToolTipBase);
    case 26:
      return pal.color(QPalette::Link);
    case 27:  // gradient of the active caption
      return pal.color(QPalette::Active, QPalette::Highlight).lighter(150);
    default:
      return pal.color(QPalette::Button);
  }
}

QColor sys(int index) { return systemColor(index, QGuiApplication::palette()); }

// One bevel: top and left lines in one colour, bottom and right in the other.
void bevel(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
  p.setPen(topLeft);
  p.drawLine(r.left(), r.top(), r.right() - 1, r.top());
  p.drawLine(r.left(), r.top(), r.left(), r.bottom() - 1);
  p.setPen(bottomRight);
  p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
  p.drawLine(r.right(), r.top(), r.right(), r.bottom());
}

// The platform's edge drawing for the border styles.
void drawEdge(QPainter& p, const QRect& r, eBorderStyles style) {
  switch (style) {
    case eBorderStyles::Single:
      p.setPen(sys(6));
      p.setBrush(Qt::NoBrush);
      p.drawRect(r.adjusted(0, 0, -1, -1));
      break;
    case eBorderStyles::Raised:
      bevel(p, r, sys(22), sys(21));
      bevel(p, r.adjusted(1, 1, -1, -1), sys(20), sys(16));
      break;
    case eBorderStyles::Insert:
      bevel(p, r, sys(16), sys(20));
      bevel(p, r.adjusted(1, 1, -1, -1), sys(21), sys(22));
      break;
    case eBorderStyles::Frame:
      bevel(p, r, sys(16), sys(20));
      bevel(p, r.adjusted(1, 1, -1, -1), sys(20), sys(16));
      break;
    case eBorderStyles::None:
      break;
  }
}

qint16 shiftState(Qt::KeyboardModifiers m) {
  qint16 s = 0;
  if (m & Qt::ShiftModifier) s |= 1;
  if (m & Qt::ControlModifier) s |= 2;
  if (m & Qt::AltModifier) s |= 4;
  return s;
}

qint16 buttonCode(Qt::MouseButtons b) {
  qint16 c = 0;
  if (b & Qt::LeftButton) c |= 1;
  if (b & Qt::RightButton) c |= 2;
  if (b & Qt::MiddleButton) c |= 4;
  return c;
}

// Virtual-key code of a key; 0 for keys without one.
qint16 keyCode(int key) {
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
    return qint16(key);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return qint16(112 + key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Tab:
      return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Shift:
      return 16;
    case Qt::Key_Control:
      return 17;
    case Qt::Key_Alt:
      return 18;
    case Qt::Key_Pause:
      return 19;
    case Qt::Key_CapsLock:
      return 20;
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Space:
      return 32;
    case Qt::Key_PageUp:
      return 33;
    case Qt::Key_PageDown:
      return 34;
    case Qt::Key_End:
      return 35;
    case Qt::Key_Home:
      return 36;
    case Qt::Key_Left:
      return 37;
    case Qt::Key_Up:
      return 38;
    case Qt::Key_Right:
      return 39;
    case Qt::Key_Down:
      return 40;
    case Qt::Key_Insert:
      return 45;
    case Qt::Key_Delete:
      return 46;
    default:
      return 0;
  }
}

enum : int { kLeftEdge = 1, kTopEdge = 2, kRightEdge = 4, kBottomEdge = 8 };

// The mouse event of a button press, a move or a button release; nullptr for any
// other event.
QMouseEvent* pressMoveOrRelease(QEvent* event) {
  const auto type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease)
    return nullptr;
  return static_cast<QMouseEvent*>(event);
}

bool buttonsDown() { return QGuiApplication::mouseButtons() & (Qt::LeftButton | Qt::RightButton); }

}  // namespace

QColor oleColorToQColor(OleColor color, const QPalette& palette) {
  if (color & 0x80000000u) return systemColor(int(color & 0xFFu), palette);
  return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

QRegion hollowRegion(const QSize& window, const QSize& client, bool hollow) {
  const QRegion whole(0, 0, window.width(), window.height());
  if (!hollow) return whole;
  const int border = (window.width() - client.width() + 2) / 2;
  const int topInset = window.height() + 2 - border - client.height();
  return whole.subtracted(
      QRegion(border, topInset, window.width() - 2 * border, window.height() - border - topInset));
}

// The control's contained controls as the arrangement sees them.
class ZephContainer::Layout : public panelayout::Surface {
 public:
  explicit Layout(ZephContainer& c) : c_(c), children_(c.ContainedControls()) {}
  int childCount() const override { return int(children_.size()); }
  panelayout::Child child(int index) const override {
    QWidget* w = children_[index];
    return {c_.childGeometry(w), w->isVisibleTo(&c_)};
  }
  panelayout::Geometry placeChild(int index, const panelayout::Geometry& g) override {
    c_.setChildGeometry(children_[index], g);
    return c_.childGeometry(children_[index]);
  }
  int scaleWidth() const override { return c_.ScaleWidth(); }
  int scaleHeight() const override { return c_.ScaleHeight(); }

 private:
  ZephContainer& c_;
  QList<QWidget*> children_;
};

ZephContainer::ZephContainer(QWidget* parent) : QWidget(parent) {
  // Creation: the caption bar, a picture box of the control's own.
  m_captionBar = new QWidget(this);
  m_captionBar->setObjectName(QStringLiteral("m_CaptionBar"));
  m_captionBar->setProperty(kInternalProperty, true);
  m_captionBar->setAutoFillBackground(true);
  QPalette pal = m_captionBar->palette();
  pal.setColor(QPalette::Window, sys(2));
  m_captionBar->setPalette(pal);
  m_captionBar->hide();
  m_captionBar->installEventFilter(this);
  ensureSplitterBars(1);
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
  InitProperties();
}

ZephContainer::~ZephContainer() { detachSizeHook(); }

// ---- properties -------------------------------------------------------------

void ZephContainer::setAutoSizeChildren(bool value) {
  m_autoSizeChildren = value;
  if (value) {
    ResizeHandling();
  } else {
    for (QWidget* bar : m_splitterBars) bar->hide();
  }
  notify("AutoSizeChildren");
}

void ZephContainer::setAutoSizeChildrenType(eAutoSizeChildrenTypes value) {
  if (value != m_autoSizeChildrenType) {
    m_autoSizeChildrenType = value;
    if (!panelayout::isUneven(value)) m_splitter = false;
    Refresh();
  }
  notify("AutoSizeChildrenType");
}

void ZephContainer::setBorderStyle(eBorderStyles value) {
  if (value != m_borderStyle) {
    m_borderStyle = value;
    Refresh();
  }
  notify("BorderStyle");
}

void ZephContainer::setBorderWidth(qint16 value) {
  if (value >= 0 && value != m_borderWidth) {
    m_borderWidth = value;
    if (m_autoSizeChildren) Refresh();
  }
  notify("BorderWidth");
}

void ZephContainer::setCaption(const QString& value) {
  if (value != m_caption) {
    m_caption = value;
    ShowCaptionBar();
    ResizeHandling();
  }
  notify("Caption");
}

void ZephContainer::setChildSpacing(qint16 value) {
  if (value >= 1 && value != m_childSpacing) {
    m_childSpacing = value;
    if (m_autoSizeChildren) Refresh();
  }
  notify("ChildSpacing");
}

QFont ZephContainer::Font() const { return m_captionBar->font(); }

void ZephContainer::setFont(const QFont& value) {
  m_captionBar->setFont(value);
  ShowCaptionBar();
  ResizeHandling();
  notify("Font");
}

void ZephContainer::setFontColor(OleColor value) {
  m_fontColor = value;
  m_captionBar->update();
  notify("FontColor");
}

void ZephContainer::setMoveable(bool value) {
  if (value != m_moveable) {
    m_moveable = value;
    ShowCaptionBar();
    ResizeHandling();
  }
  notify("Moveable");
}

void ZephContainer::setSizeable(bool value) {
  if (value != m_sizeable) {
    m_sizeable = value;
    setSizeableStyle();
    PlaceCaptionBar();
  }
  notify("Sizeable");
}

void ZephContainer::setSplitter(bool value) {
  const bool effective = value && panelayout::isUneven(m_autoSizeChildrenType);
  if (effective != m_splitter) {
    m_splitter = effective;
    ArrangeChildren();
  }
  notify("Splitter");
}

void ZephContainer::setBackColor(OleColor value) {
  m_backColor = value;
  applyBackColor();
  notify("BackColor");
}

qint32 ZephContainer::hwnd() { return windowHandleOf(this); }

void ZephContainer::setWidth(int twips) { resize(toPixels(twips), height()); }
void ZephContainer::setHeight(int twips) { resize(width(), toPixels(twips)); }
int ZephContainer::ScaleWidth() const { return qMax(0, width() - 2 * m_frame) * kTwipsPerPixel; }
int ZephContainer::ScaleHeight() const { return qMax(0, height() - 2 * m_frame) * kTwipsPerPixel; }

QColor ZephContainer::backQColor() const {
  return oleColorToQColor(m_backColor, QGuiApplication::palette());
}

void ZephContainer::applyBackColor() {
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, backQColor());
  setPalette(pal);
  for (QWidget* bar : m_splitterBars) bar->setPalette(pal);
}

QFont ZephContainer::ambientFont() const {
  return parentWidget() ? parentWidget()->font() : QApplication::font();
}

// ---- children ---------------------------------------------------------------

QList<QWidget*> ZephContainer::ContainedControls() const {
  QList<QWidget*> out;
  for (QObject* o : children()) {
    auto* w = qobject_cast<QWidget*>(o);
    if (w && !w->isWindow() && !w->property(kInternalProperty).toBool()) out.append(w);
  }
  return out;
}

panelayout::Geometry ZephContainer::childGeometry(QWidget* child) const {
  const QRect px = child->geometry();
  // While a child stays where it was put, its twips are the ones it was given,
  // so the arithmetic does not drift by pixel rounding.
  if (child->property(kPixelsProperty).toRect() == px.translated(-m_frame, -m_frame)) {
    const QRect tw = child->property(kTwipsProperty).toRect();
    return {tw.x(), tw.y(), tw.width(), tw.height()};
  }
  return {(px.x() - m_frame) * kTwipsPerPixel, (px.y() - m_frame) * kTwipsPerPixel,
          px.width() * kTwipsPerPixel, px.height() * kTwipsPerPixel};
}

void ZephContainer::setChildGeometry(QWidget* child, const panelayout::Geometry& g) {
  const QRect px(toPixels(g.left), toPixels(g.top), qMax(0, toPixels(g.width)),
                 qMax(0, toPixels(g.height)));
  child->setGeometry(px.translated(m_frame, m_frame));
  child->setProperty(kTwipsProperty, QRect(g.left, g.top, g.width, g.height));
  child->setProperty(kPixelsProperty, px);
}

void ZephContainer::ensureSplitterBars(int count) {
  while (int(m_splitterBars.size()) < count) {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("SplitterBar%1").arg(m_splitterBars.size()));
    bar->setProperty(kInternalProperty, true);
    bar->setAutoFillBackground(true);
    bar->setPalette(palette());
    bar->hide();
    bar->installEventFilter(this);
    m_splitterBars.push_back(bar);
  }
}

QList<QWidget*> ZephContainer::splitterBars() const {
  return QList<QWidget*>(m_splitterBars.begin(), m_splitterBars.end());
}

QString ZephContainer::splitterTag(int bar) const {
  if (bar < 0 || bar >= int(m_barTable.size()) || m_barTable[size_t(bar)].first < 0) return {};
  const auto& b = m_barTable[size_t(bar)];
  return QString::number(b.first) + u':' + QString::number(b.second);
}

void ZephContainer::applyBars(const std::vector<panelayout::Bar>& bars) {
  m_barTable = bars;
  for (size_t k = 0; k < m_splitterBars.size(); ++k) {
    QWidget* w = m_splitterBars[k];
    if (k >= bars.size() || bars[k].first < 0) {
      w->hide();
      continue;
    }
    const auto& b = bars[k];
    setChildGeometry(w, b.geometry);
    w->setCursor(b.vertical ? Qt::SizeVerCursor : Qt::SizeHorCursor);
    w->setPalette(palette());
    w->setVisible(b.visible);
    w->raise();
  }
}

// ---- arrangement, caption bar, border ---------------------------------------

void ZephContainer::ArrangeChildren() {
  if (!m_autoSizeChildren || m_arranging) return;
  // Held back while a mouse button is down, so that dragging a border or a
  // splitter does not arrange at every step; the resize handling always runs.
  if (!m_inResize && buttonsDown()) return;
  m_arranging = true;
  Layout surface(*this);
  ensureSplitterBars(surface.childCount() - 1);
  panelayout::Params p;
  p.type = m_autoSizeChildrenType;
  p.captionOffset = GetCaptionOffset();
  p.borderWidth = m_borderWidth;
  p.childSpacing = m_childSpacing;
  p.designing = !m_userMode;
  p.splitter = m_splitter;
  applyBars(panelayout::arrange(p, surface).bars);
  m_arranging = false;
}

void ZephContainer::ResizeHandling() {
  emit Resize();
  if (m_inResize) return;
  m_inResize = true;
  update();  // the border is drawn on the next paint
  PlaceCaptionBar();
  ArrangeChildren();
  m_inResize = false;
}

void ZephContainer::Refresh() {
  if (!m_arranging && !m_applyingSplitterMove && !m_splitterDrag && !m_painting) ArrangeChildren();
  update();
}

void ZephContainer::ShowCaptionBar() {
  if (!m_caption.isEmpty() || m_moveable) {
    PlaceCaptionBar();
    m_captionBar->update();
    if (!m_captionShown) {
      m_captionBar->show();
      update();
    }
    m_captionShown = true;
  } else {
    m_captionBar->hide();
    m_captionShown = false;
  }
}

void ZephContainer::PlaceCaptionBar() {
  int widthTwips = ScaleWidth();
  if (widthTwips == 0) widthTwips = m_captionBar->width() * kTwipsPerPixel;
  const int textTwips = QFontMetrics(m_captionBar->font()).height() * kTwipsPerPixel;
  setChildGeometry(m_captionBar, {0, 0, widthTwips, panelayout::captionBarHeight(textTwips)});
}

int ZephContainer::GetCaptionOffset() const {
  if (!m_captionShown) return 0;
  const panelayout::Geometry g = childGeometry(m_captionBar);
  return panelayout::captionOffset(true, g.top, g.height);
}

QRect ZephContainer::GetInnerRect() const {
  QRect r(m_frame, m_frame, qMax(0, width() - 2 * m_frame), qMax(0, height() - 2 * m_frame));
  if (m_captionShown) {
    const panelayout::Geometry g = childGeometry(m_captionBar);
    const int top = int(std::lround(double(g.top + g.height) / kTwipsPerPixel + r.top() + 1));
    r.setTop(top);
  }
  return r;
}

void ZephContainer::drawBorder(QPainter& painter) {
  // The sizing frame around the client area is a raised edge.
  if (m_frame > 0) drawEdge(painter, rect(), eBorderStyles::Raised);
  drawEdge(painter, GetInnerRect(), m_borderStyle);
}

void ZephContainer::drawCaptionBar(QPainter& p) {
  const QRect r = m_captionBar->rect();
  QLinearGradient gradient(r.topLeft(), r.topRight());
  gradient.setColorAt(0, sys(2));
  gradient.setColorAt(1, sys(27));
  p.fillRect(r, gradient);
  p.setFont(m_captionBar->font());
  p.setPen(oleColorToQColor(m_fontColor, QGuiApplication::palette()));
  const QFontMetrics fm(m_captionBar->font());
  p.drawText(QPoint(toPixels(25), fm.ascent()), m_caption);
}

void ZephContainer::setSizeableStyle() {
  const int frame = m_sizeable ? kSizingFrame : 0;
  const int delta = frame - m_frame;
  if (delta == 0) return;
  // Children keep their client coordinates when the frame comes or goes.
  for (QObject* o : children())
    if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow())
      w->move(w->pos() + QPoint(delta, delta));
  m_frame = frame;
  update();
}

void ZephContainer::ReleaseCursorClip() { m_cursorClip.reset(); }

qint16 ZephContainer::HitTestAt(float X, float Y) {
  const bool inside = X >= 0 && Y >= 0 && X < ScaleWidth() && Y < ScaleHeight();
  qint16 result = inside ? 3 : 0;
  emit HitTest(X, Y, result);
  return result;
}

// ---- persistence ------------------------------------------------------------

void ZephContainer::InitProperties() {
  QFont f = ambientFont();
  f.setPointSize(10);
  f.setBold(true);
  m_captionBar->setFont(f);
  m_fontColor = kDefaultFontColor;
  m_borderWidth = 50;
  m_childSpacing = 50;
  m_sizeable = false;
  m_autoSizeChildrenType = asEvenHorz;
  m_autoSizeChildren = false;
  m_splitter = false;
  m_borderStyle = eBorderStyles::None;
  m_moveable = false;
  m_caption.clear();
  m_backColor = kDefaultBackColor;
  applyBackColor();
  setSizeableStyle();
  ShowCaptionBar();
}

void ZephContainer::WriteProperties(PropertyBag& bag) const {
  bag.write(QStringLiteral("Sizeable"), m_sizeable, false);
  bag.write(QStringLiteral("BorderStyle"), qint32(m_borderStyle), qint32(0));
  bag.write(QStringLiteral("Caption"), m_caption, QString());
  bag.write(QStringLiteral("AutoSizeChildrenType"), qint32(m_autoSizeChildrenType), qint32(1));
  bag.write(QStringLiteral("AutoSizeChildren"), m_autoSizeChildren, false);
  bag.write(QStringLiteral("BorderWidth"), int(m_borderWidth), 50);
  bag.write(QStringLiteral("ChildSpacing"), int(m_childSpacing), 50);
  bag.write(QStringLiteral("Splitter"), m_splitter, false);
  bag.write(QStringLiteral("BackColor"), uint(m_backColor), uint(kDefaultBackColor));
  bag.write(QStringLiteral("Moveable"), m_moveable, false);
  bag.write(QStringLiteral("Font"), Font(), ambientFont());
  bag.write(QStringLiteral("FontColor"), uint(m_fontColor), uint(kDefaultFontColor));
}

std::optional<HookError> ZephContainer::ReadProperties(const PropertyBag& bag) {
  const auto int16 = [&](const char* name, int def) {
    return qint16(qBound(-32768, bag.read(QString::fromLatin1(name), def).toInt(), 32767));
  };
  // Taken as stored, without the setters' checks.
  m_sizeable = bag.read(QStringLiteral("Sizeable"), false).toBool();
  m_borderStyle = eBorderStyles(bag.read(QStringLiteral("BorderStyle"), qint32(0)).toInt());
  m_autoSizeChildrenType =
      eAutoSizeChildrenTypes(bag.read(QStringLiteral("AutoSizeChildrenType"), qint32(1)).toInt());
  m_autoSizeChildren = bag.read(QStringLiteral("AutoSizeChildren"), false).toBool();
  m_borderWidth = int16("BorderWidth", 50);
  m_childSpacing = int16("ChildSpacing", 50);
  m_splitter = bag.read(QStringLiteral("Splitter"), false).toBool();
  m_moveable = bag.read(QStringLiteral("Moveable"), false).toBool();
  m_backColor = bag.read(QStringLiteral("BackColor"), uint(kDefaultBackColor)).toUInt();
  applyBackColor();
  m_caption = bag.read(QStringLiteral("Caption"), QString()).toString();
  m_captionBar->setFont(bag.read(QStringLiteral("Font"), ambientFont()).value<QFont>());
  m_fontColor = bag.read(QStringLiteral("FontColor"), uint(kDefaultFontColor)).toUInt();

  m_containerWindow = parentWidget();
  setSizeableStyle();
  ShowCaptionBar();
  std::optional<HookError> error;
  if (m_userMode) attachSizeHook(&error);
  return error;
}

// ---- size hook --------------------------------------------------------------

void ZephContainer::attachSizeHook(std::optional<HookError>* error) {
  detachSizeHook();
  *error = HookMessage(this, hwnd(), kSizeMessage);
  if (!*error) m_hookAttached = true;
}

void ZephContainer::detachSizeHook() {
  if (!m_hookAttached) return;
  UnhookMessage(this, hwnd(), kSizeMessage);
  m_hookAttached = false;
}

qintptr ZephContainer::WindowProc(qint32 hWnd, qint32 iMsg, QEvent*) {
  if (iMsg == kSizeMessage && hWnd == hwnd()) ResizeHandling();
  return 0;
}

// ---- events -----------------------------------------------------------------

void ZephContainer::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (m_painting) {  // a splitter drag: keep the border, nothing else
    drawBorder(painter);
    return;
  }
  m_painting = true;
  // Children are not moved from inside a paint; the arrangement follows it.
  if (!m_arranging && !m_applyingSplitterMove && !m_splitterDrag && !m_arrangePosted) {
    m_arrangePosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          m_arrangePosted = false;
          if (!m_painting && !m_applyingSplitterMove && !m_splitterDrag) ArrangeChildren();
        },
        Qt::QueuedConnection);
  }
  drawBorder(painter);
  m_painting = false;
  emit Paint();
}

void ZephContainer::showEvent(QShowEvent*) { emit Show(); }
void ZephContainer::hideEvent(QHideEvent*) { emit Hide(); }

int ZephContainer::sizingEdges(const QPoint& pos) const {
  if (m_frame == 0) return 0;
  int edges = 0;
  if (pos.x() < m_frame) edges |= kLeftEdge;
  if (pos.x() >= width() - m_frame) edges |= kRightEdge;
  if (pos.y() < m_frame) edges |= kTopEdge;
  if (pos.y() >= height() - m_frame) edges |= kBottomEdge;
  return edges;
}

bool ZephContainer::onOwnSurface(const QPoint& pos) const {
  // Not the sizing frame, and not the caption bar, a splitter bar or a child.
  return sizingEdges(pos) == 0 && !childAt(pos);
}

void ZephContainer::raiseMouse(int which, QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (!onOwnSurface(pos)) return;
  qint16 button = which == 1 ? buttonCode(event->buttons()) : buttonCode(event->button());
  qint16 shift = shiftState(event->modifiers());
  float x = float((event->position().x() - m_frame) * kTwipsPerPixel);
  float y = float((event->position().y() - m_frame) * kTwipsPerPixel);
  if (which == 0) emit MouseDown(button, shift, x, y);
  if (which == 1) emit MouseMove(button, shift, x, y);
  if (which == 2) emit MouseUp(button, shift, x, y);
}

void ZephContainer::mousePressEvent(QMouseEvent* event) {
  const int edges = sizingEdges(event->position().toPoint());
  if (edges && event->button() == Qt::LeftButton) {
    m_sizingEdges = edges;
    m_sizingStart = event->globalPosition().toPoint();
    m_sizingGeometry = geometry();
    return;
  }
  raiseMouse(0, event);
}

void ZephContainer::mouseMoveEvent(QMouseEvent* event) {
  if (m_sizingEdges) {
    const QPoint d = event->globalPosition().toPoint() - m_sizingStart;
    QRect g = m_sizingGeometry;
    const int minimum = 2 * m_frame + 1;
    if (m_sizingEdges & kLeftEdge) g.setLeft(qMin(g.left() + d.x(), g.right() - minimum));
    if (m_sizingEdges & kRightEdge) g.setRight(qMax(g.right() + d.x(), g.left() + minimum));
    if (m_sizingEdges & kTopEdge) g.setTop(qMin(g.top() + d.y(), g.bottom() - minimum));
    if (m_sizingEdges & kBottomEdge) g.setBottom(qMax(g.bottom() + d.y(), g.top() + minimum));
    setGeometry(g);
    return;
  }
  const int edges = sizingEdges(event->position().toPoint());
  if (edges == (kLeftEdge | kTopEdge) || edges == (kRightEdge | kBottomEdge))
    setCursor(Qt::SizeFDiagCursor);
  else if (edges == (kRightEdge | kTopEdge) || edges == (kLeftEdge | kBottomEdge))
    setCursor(Qt::SizeBDiagCursor);
  else if (edges & (kLeftEdge | kRightEdge))
    setCursor(Qt::SizeHorCursor);
  else if (edges)
    setCursor(Qt::SizeVerCursor);
  else
    unsetCursor();
  raiseMouse(1, event);
}

void ZephContainer::mouseReleaseEvent(QMouseEvent* event) {
  if (m_sizingEdges) {
    m_sizingEdges = 0;
    return;
  }
  const QPoint pos = event->position().toPoint();
  const bool surface = onOwnSurface(pos);
  raiseMouse(2, event);
  if (surface && event->button() == Qt::LeftButton && rect().contains(pos)) {
    emit Click();
    ReleaseCursorClip();
  }
}

void ZephContainer::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (onOwnSurface(pos)) emit DblClick();
}

void ZephContainer::keyPressEvent(QKeyEvent* event) {
  qint16 code = keyCode(event->key());
  qint16 shift = shiftState(event->modifiers());
  if (code) emit KeyDown(code, shift);
  const QString text = event->text();
  if (!text.isEmpty() && text.at(0).unicode() < 256) {
    qint16 ascii = qint16(text.at(0).unicode());
    emit KeyPress(ascii);
  }
}

void ZephContainer::keyReleaseEvent(QKeyEvent* event) {
  qint16 code = keyCode(event->key());
  qint16 shift = shiftState(event->modifiers());
  if (code) emit KeyUp(code, shift);
}

bool ZephContainer::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_captionBar) {
    if (event->type() == QEvent::Paint) {
      QPainter p(m_captionBar);
      drawCaptionBar(p);
      return true;
    }
    captionMouse(event);
    return false;
  }
  for (size_t k = 0; k < m_splitterBars.size(); ++k) {
    if (watched != m_splitterBars[k]) continue;
    if (event->type() == QEvent::Paint && m_splitterDrag && m_splitterDragBar == int(k)) {
      QWidget* bar = m_splitterBars[k];
      QPainter p(bar);
      p.fillRect(bar->rect(), bar->palette().color(QPalette::Window));
      p.setPen(QPen(Qt::black, 1, Qt::DotLine));
      p.drawRect(bar->rect().adjusted(0, 0, -1, -1));
      return true;
    }
    splitterMouse(int(k), event);
    return false;
  }
  return QWidget::eventFilter(watched, event);
}

void ZephContainer::captionMouse(QEvent* event) {
  auto* me = pressMoveOrRelease(event);
  if (!me) return;
  const auto type = event->type();
  if (type == QEvent::MouseButtonPress) {
    if (!m_moveable || me->button() != Qt::LeftButton) return;
    m_captionDrag = true;
    m_captionDragStart = (me->position() * kTwipsPerPixel).toPoint();
    QWidget* holder = m_containerWindow ? m_containerWindow.data() : parentWidget();
    if (holder) m_cursorClip = QRect(holder->mapToGlobal(QPoint(0, 0)), holder->size());
    return;
  }
  if (type == QEvent::MouseButtonRelease) {
    if (!m_captionDrag) return;
    m_captionDrag = false;
    ReleaseCursorClip();
    return;
  }
  if (!m_captionDrag) return;
  // The cursor stays inside the window that holds the control.
  QPoint global = me->globalPosition().toPoint();
  if (m_cursorClip) {
    global.setX(qBound(m_cursorClip->left(), global.x(), m_cursorClip->right()));
    global.setY(qBound(m_cursorClip->top(), global.y(), m_cursorClip->bottom()));
  }
  const QPoint local = m_captionBar->mapFromGlobal(global) * kTwipsPerPixel;
  const int dx = (m_captionDragStart.x() - local.x()) / kTwipsPerPixel;
  const int dy = (m_captionDragStart.y() - local.y()) / kTwipsPerPixel;
  if (dx != 0 || dy != 0) move(pos() - QPoint(dx, dy));
}

void ZephContainer::splitterMouse(int k, QEvent* event) {
  auto* me = pressMoveOrRelease(event);
  if (!me) return;
  const auto type = event->type();
  QWidget* bar = m_splitterBars[size_t(k)];
  const bool vertical = panelayout::isVertical(m_autoSizeChildrenType);
  const QPoint point = (me->position() * kTwipsPerPixel).toPoint();
  if (type == QEvent::MouseButtonPress) {
    if (me->button() != Qt::LeftButton || !m_splitter || m_splitterDrag) return;
    m_splitterDrag = true;
    m_splitterDragBar = k;
    m_splitterDragStart = point;
    const panelayout::Geometry g = childGeometry(bar);
    m_splitterBarStart = vertical ? g.top : g.left;
    bar->setMask(hollowRegion(bar->size(), bar->contentsRect().size(), true));
    bar->update();
    m_painting = true;
    return;
  }
  if (!m_splitterDrag || m_splitterDragBar != k) return;
  if (type == QEvent::MouseMove) {
    panelayout::Geometry g = childGeometry(bar);
    if (vertical && point.y() != m_splitterDragStart.y())
      g.top += point.y() - m_splitterDragStart.y();
    else if (!vertical && point.x() != m_splitterDragStart.x())
      g.left += point.x() - m_splitterDragStart.x();
    else
      return;
    setChildGeometry(bar, g);
    return;
  }
  // button up
  if (m_splitter && k < int(m_barTable.size())) {
    panelayout::Geometry g = childGeometry(bar);
    const int delta = (vertical ? g.top : g.left) - m_splitterBarStart;
    m_applyingSplitterMove = true;
    Layout surface(*this);
    const auto& b = m_barTable[size_t(k)];
    if (const auto at =
            panelayout::applySplitterMove(surface, vertical, b.first, b.second, delta)) {
      (vertical ? g.top : g.left) = *at;
      setChildGeometry(bar, g);
    }
    m_applyingSplitterMove = false;
  }
  // The bar gets its whole rectangle and plain background back, also when the
  // splitter was switched off during the drag, so painting resumes.
  bar->clearMask();
  bar->setPalette(palette());
  bar->update();
  m_painting = false;
  m_splitterDrag = false;
  m_splitterDragBar = -1;
}

}  // namespace mvnz::controls
