#pragma once
// ZephContainer: a captioned frame that holds child panes and can arrange them
// side by side or one above the other, with draggable splitter bars between
// them, a caption bar across its top (by which it can be moved), a border and
// an optional sizing frame.
//
// Sizes and positions of the control's public face are in twips (15 per
// pixel). The arithmetic of the arrangement lives in plain functions over
// twips (namespace panelayout) and is applied to widgets by the control.
#include <QColor>
#include <QFont>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <optional>
#include <vector>

#include "controls/panehook.h"

class QRegion;

namespace mvnz::controls {

class PropertyBag;

inline constexpr int kTwipsPerPixel = 15;

enum class eBorderStyles : qint32 { None = 0, Single = 1, Raised = 2, Insert = 3, Frame = 4 };

enum eAutoSizeChildrenTypes : qint32 {
  asEvenHorz = 1,
  asUnevenHorz = 2,
  asEvenVert = 3,
  asUnevenVert = 4,
};

// A colour as stored: &H00BBGGRR, or &H800000nn for system colour nn.
using OleColor = quint32;
QColor oleColorToQColor(OleColor color, const QPalette& palette);

namespace panelayout {

struct Geometry {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Geometry&) const = default;
};

struct Child {
  Geometry geometry;
  bool visible = true;
};

struct Params {
  eAutoSizeChildrenTypes type = asEvenHorz;
  int captionOffset = 0;  // what the caption bar takes from the top
  int borderWidth = 50;
  int childSpacing = 50;
  bool designing = false;  // while designing, invisible children are laid out too
  bool splitter = false;
};

// A splitter bar between two laid-out neighbours (child indexes; -1 for a bar
// that is not in use).
struct Bar {
  Geometry geometry;
  bool visible = false;
  bool vertical = false;  // the children are stacked top to bottom
  int first = -1, second = -1;
  bool operator==(const Bar&) const = default;
};

// What the arrangement works on: the children in the order they were added.
class Surface {
 public:
  virtual ~Surface() = default;
  virtual int childCount() const = 0;
  virtual Child child(int index) const = 0;
  // Puts a child at the given geometry and returns where it ended up (a child
  // may refuse a size).
  virtual Geometry placeChild(int index, const Geometry& geometry) = 0;
  // The control's client extent now; placing a child may change it.
  virtual int scaleWidth() const = 0;
  virtual int scaleHeight() const = 0;
};

struct Arrangement {
  std::vector<Bar> bars;  // one per child but the last; unused bars are hidden
  int passes = 0;         // 1 + the restarts after the control changed size
};

// How many times one arrangement starts over when a child changes the
// control's size before the pass is finished with the new size as it is.
inline constexpr int kMaxArrangeRestarts = 3;

bool isVertical(eAutoSizeChildrenTypes type);
bool isUneven(eAutoSizeChildrenTypes type);
// Child indexes in visual order: ascending by Left (horizontal) or Top (vertical).
std::vector<int> childOrder(const std::vector<double>& positions);
// The extent each child gets in the even types.
int evenExtent(int total, int borderWidth, int childSpacing, int mainOffset, int laidOut);
// Lays the children out along the axis of params.type.
Arrangement arrange(const Params& params, Surface& surface);
// Moves the boundary between the two children of a bar by delta twips along
// the axis; refused when either child would be 1 twip or less. Returns the
// bar's new position along the axis (back at its place when refused);
// nullopt when either index names no child.
std::optional<int> applySplitterMove(Surface& surface, bool vertical, int first, int second,
                                     int delta);

// The caption bar's height: the text height of its font + 30 twips.
int captionBarHeight(int textHeightTwips);
// What the caption bar takes from the top of the control: 0 without it.
int captionOffset(bool shown, int barTop, int barHeight);

}  // namespace panelayout

class ZephContainer : public QWidget, public cZephContainer {
  Q_OBJECT

 public:
  explicit ZephContainer(QWidget* parent = nullptr);
  ~ZephContainer() override;

  bool AutoSizeChildren() const { return m_autoSizeChildren; }
  void setAutoSizeChildren(bool value);
  eAutoSizeChildrenTypes AutoSizeChildrenType() const { return m_autoSizeChildrenType; }
  void setAutoSizeChildrenType(eAutoSizeChildrenTypes value);
  eBorderStyles BorderStyle() const { return m_borderStyle; }
  void setBorderStyle(eBorderStyles value);
  qint16 BorderWidth() const { return m_borderWidth; }
  void setBorderWidth(qint16 value);
  QString Caption() const { return m_caption; }
  void setCaption(const QString& value);
  qint16 ChildSpacing() const { return m_childSpacing; }
  void setChildSpacing(qint16 value);
  QFont Font() const;
  void setFont(const QFont& value);
  OleColor FontColor() const { return m_fontColor; }
  void setFontColor(OleColor value);
  bool Moveable() const { return m_moveable; }
  void setMoveable(bool value);
  bool Sizeable() const { return m_sizeable; }
  void setSizeable(bool value);
  bool Splitter() const { return m_splitter; }
  void setSplitter(bool value);
  OleColor BackColor() const { return m_backColor; }
  void setBackColor(OleColor value);
  qint32 hwnd();

  // The control's outer extent in twips, as its host places it.
  int Width() const { return width() * kTwipsPerPixel; }
  int Height() const { return height() * kTwipsPerPixel; }
  void setWidth(int twips);
  void setHeight(int twips);
  // The client extent in twips (inside the sizing frame).
  int ScaleWidth() const;
  int ScaleHeight() const;

  // The host's ambient run mode; while designing, no size hook is attached and
  // invisible children are laid out too.
  bool UserMode() const { return m_userMode; }
  void setUserMode(bool userMode) { m_userMode = userMode; }

  // The contained controls: child widgets other than the caption bar and the
  // splitter bars, in the order they were added.
  QList<QWidget*> ContainedControls() const;
  // A contained control's geometry in twips of the client area, and back.
  panelayout::Geometry childGeometry(QWidget* child) const;
  void setChildGeometry(QWidget* child, const panelayout::Geometry& g);

  // Persistence in the host's property bag; a value equal to its default is
  // not stored. Reading returns the size hook's error, if any.
  void InitProperties();
  void WriteProperties(PropertyBag& bag) const;
  std::optional<HookError> ReadProperties(const PropertyBag& bag);

  // Asks the host's handler whether a point (twips) hits the control.
  qint16 HitTestAt(float X, float Y);

  // Routines of the arrangement and the caption bar.
  void ArrangeChildren();
  void ResizeHandling();
  void ShowCaptionBar();
  void PlaceCaptionBar();
  int GetCaptionOffset() const;
  QRect GetInnerRect() const;
  void Refresh();
  void ReleaseCursorClip();
  bool captionBarShown() const { return m_captionShown; }
  QWidget* captionBar() const { return m_captionBar; }
  QList<QWidget*> splitterBars() const;
  // The pair of child indexes a bar sits between, as "first:second".
  QString splitterTag(int bar) const;
  bool hookAttached() const { return m_hookAttached; }

  // Size-message client (the container hooks its own window).
  EWindowMessages MsgResponse() const override { return emrConsume; }
  void setMsgResponse(EWindowMessages) override {}
  qintptr WindowProc(qint32 hWnd, qint32 iMsg, QEvent* event) override;

 signals:
  void Show();
  void Hide();
  void HitTest(float& X, float& Y, qint16& HitResult);
  void KeyDown(qint16& KeyCode, qint16& Shift);
  void KeyPress(qint16& KeyAscii);
  void KeyUp(qint16& KeyCode, qint16& Shift);
  void MouseDown(qint16& Button, qint16& Shift, float& X, float& Y);
  void MouseMove(qint16& Button, qint16& Shift, float& X, float& Y);
  void MouseUp(qint16& Button, qint16& Shift, float& X, float& Y);
  void Paint();
  void Resize();
  void Click();
  void DblClick();
  // Tells the host that a property changed, by its name.
  void PropertyChanged(const QString& name);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Layout;
  friend class Layout;

  void attachSizeHook(std::optional<HookError>* error);
  void detachSizeHook();
  void setSizeableStyle();
  void drawBorder(QPainter& painter);
  void drawCaptionBar(QPainter& painter);
  void ensureSplitterBars(int count);
  void applyBars(const std::vector<panelayout::Bar>& bars);
  void raiseMouse(int which, QMouseEvent* event);
  int frameWidth() const { return m_frame; }
  QColor backQColor() const;
  void applyBackColor();
  QFont ambientFont() const;
  void notify(const char* name) { emit PropertyChanged(QString::fromLatin1(name)); }

  // caption bar and splitter bar mouse handling
  void captionMouse(QEvent* event);
  void splitterMouse(int bar, QEvent* event);
  // sizing frame
  int sizingEdges(const QPoint& pos) const;
  // Whether a point (pixels) lies on the control's own surface, where its mouse
  // events, Click and DblClick come from.
  bool onOwnSurface(const QPoint& pos) const;

  static constexpr int kSizingFrame = 4;  // pixels

  bool m_autoSizeChildren = false;
  eAutoSizeChildrenTypes m_autoSizeChildrenType = asEvenHorz;
  eBorderStyles m_borderStyle = eBorderStyles::None;
  qint16 m_borderWidth = 50;
  QString m_caption;
  qint16 m_childSpacing = 50;
  OleColor m_fontColor = 0x80000009u;
  bool m_moveable = false;
  bool m_sizeable = false;
  bool m_splitter = false;
  OleColor m_backColor = 0x8000000Fu;
  bool m_userMode = true;
  int m_frame = 0;  // pixels of sizing frame around the client area

  QWidget* m_captionBar = nullptr;
  std::vector<QWidget*> m_splitterBars;
  std::vector<panelayout::Bar> m_barTable;
  bool m_captionShown = false;

  // caption drag: start point in twips of the caption bar
  bool m_captionDrag = false;
  QPoint m_captionDragStart;
  std::optional<QRect> m_cursorClip;  // global rectangle the drag is confined to
  // splitter drag: start point in twips of the bar and the bar's start position
  bool m_splitterDrag = false;
  int m_splitterDragBar = -1;
  QPoint m_splitterDragStart;
  int m_splitterBarStart = 0;
  // sizing-frame drag
  int m_sizingEdges = 0;
  QPoint m_sizingStart;
  QRect m_sizingGeometry;

  bool m_painting = false;
  bool m_arranging = false;
  bool m_inResize = false;
  bool m_applyingSplitterMove = false;
  bool m_arrangePosted = false;
  bool m_hookAttached = false;
  QPointer<QWidget> m_containerWindow;  // the window that holds the control
};

// Frame-only region of a window (window size, client size in pixels) used for
// a splitter bar while it is dragged; hollow = false gives the whole rectangle.
QRegion hollowRegion(const QSize& window, const QSize& client, bool hollow);

}  // namespace mvnz::controls
