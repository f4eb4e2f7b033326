#pragma once
// vistrel: a bevelled panel with an optional caption set into its top edge, a
// line of text (user text, the current date or the current time) in one of nine
// positions, and an optional progress bar ("flood") in one of five styles with
// an optional percentage. Dialogs use it as their heading panel.
//
// Positions and sizes are worked out in twips (vistrelgeo below) and only then
// turned into pixels, so the arithmetic is exact and testable on its own.
#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QWidget>
#include <array>
#include <optional>

#include "controls/propertybag.h"

class QLabel;
class QPainter;
class QPalette;
class QTimer;

namespace mvnz::controls {

// Geometry of the control in twips, free of any widget.
namespace vistrelgeo {

constexpr int kTwipsPerPixel = 15;
constexpr int kBarMargin = 40;   // bar inset on every side
constexpr int kTextMargin = 60;  // text inset from the left, top and bottom
constexpr int kBlockCount = 20;  // blocks of the segmented bar
constexpr int kBlockGap = 20;    // twips between two blocks

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Rect&) const = default;
};

// Horizontal alignment of the text label within its box.
enum LabelAlign { AlignLeft = 0, AlignRight = 1, AlignCenter = 2 };

struct TextPlace {
  double left = 0;
  double top = 0;
  double width = 0;
  LabelAlign align = AlignLeft;
  bool operator==(const TextPlace&) const = default;
};

// num / den rounded to the nearest integer, halves to even (den > 0).
long long roundHalfEven(long long num, long long den);
// Percent limited to 0..100.
int clampPercent(int percent);

// The bar of the sweep styles (flood types 1 to 4) on a control width x height;
// nullopt for the other types.
std::optional<Rect> floodBar(int floodType, int percent, int width, int height);

// Distance between the left edges of two blocks: a whole number of pixels.
int blockPitch(int width, int twipsPerPixel = kTwipsPerPixel);
// The twenty blocks of the segmented style.
std::array<Rect, kBlockCount> blockLayout(int width, int height,
                                          int twipsPerPixel = kTwipsPerPixel);
// Index of the last lit block (-1: none); block i is lit when i <= the result.
int lastLitBlock(int percent);

// The percentage text: " 50%", "-5%".
QString percentText(int percent);
// The text label's box for a text alignment 0..8; nullopt outside that range.
// textHeight: height of one line of text in the control's font.
std::optional<TextPlace> textPlacement(int alignment, int width, int height, double textHeight);
// The percentage label's box: it starts where a centred "100%" would start.
TextPlace percentPlacement(int width, int height, double textHeight, double textWidth,
                           double hundredWidth);

// Pixel span of a twips span (edges rounded, so adjacent spans stay adjacent).
int toPixels(double twips, int twipsPerPixel = kTwipsPerPixel);

}  // namespace vistrelgeo

// Edge drawing of the panel's bevel: edge parts and sides as the bevel tables
// name them. A part alone is drawn on the outermost pixel ring; an outer and an
// inner part together take two rings.
namespace edge {
constexpr int RaisedOuter = 0x1;
constexpr int SunkenOuter = 0x2;
constexpr int RaisedInner = 0x4;
constexpr int SunkenInner = 0x8;
constexpr int Raised = RaisedOuter | RaisedInner;  // 5
constexpr int Sunken = SunkenOuter | SunkenInner;  // 10
constexpr int Etched = SunkenOuter | RaisedInner;  // 6
constexpr int Bump = RaisedOuter | SunkenInner;    // 9

constexpr int Left = 0x1;
constexpr int Top = 0x2;
constexpr int Right = 0x4;
constexpr int Bottom = 0x8;
constexpr int TopLeft = Left | Top;          // 3
constexpr int BottomRight = Right | Bottom;  // 12
constexpr int AllSides = 0xF;
constexpr int Mono = 0x8000;  // one flat line in the frame colour

void drawEdge(QPainter& painter, const QRect& rect, int edgeParts, int sides,
              const QPalette& palette);
}  // namespace edge

// A 32-bit colour value as hosts store it: 0x00BBGGRR, or 0x800000nn for the
// system colour nn, which maps to a role of the palette.
QColor oleColor(quint32 value, const QPalette& palette);

class vistrel : public QWidget {
  Q_OBJECT

 public:
  enum AxBorderStyles : qint16 {
    NoBorder = 0,
    Single = 1,
    ThinRaised = 2,
    ThickRaised = 3,
    ThinInset = 4,
    ThickInset = 5,
    Etched = 6,
    Bump = 7,
  };
  enum TextAlign : qint16 {
    LeftTop = 0,
    LeftMiddle = 1,
    LeftBottom = 2,
    CenterTop = 3,
    CenterMiddle = 4,
    CenterBottom = 5,
    RightTop = 6,
    RightMiddle = 7,
    RightBottom = 8,
  };
  enum TextTypes : qint16 { UserDefined = 0, CurrentDate = 1, CurrentTime = 2 };
  enum FloodTypes : qint16 {
    None = 0,
    LeftToRight = 1,
    RightToLeft = 2,
    TopToBottom = 3,
    BottomToTop = 4,
    Windows95 = 5,
  };

  static constexpr quint32 kDefaultFloodColor = 0x8000000D;      // highlight
  static constexpr quint32 kDefaultFloodBackColor = 0x8000000F;  // button face
  static constexpr quint32 kDefaultBackColor = 0x8000000F;       // button face
  static constexpr quint32 kDefaultForeColor = 0x80000012;       // button text

  // A new instance: 2700 x 600 twips, text "vistrel" centred, no bar.
  explicit vistrel(QWidget* parent = nullptr);
  ~vistrel() override;

  qint16 BorderStyle() const { return borderStyle_; }
  void setBorderStyle(qint16 style);
  bool Enabled() const { return isEnabled(); }
  void setEnabled(bool enabled);
  QString Caption() const { return caption_; }
  void setCaption(const QString& caption);
  QFont Font() const { return font(); }
  void setFont(const QFont& font);
  QString Text() const { return text_; }
  void setText(const QString& text);
  qint16 TextAlignment() const { return textAlignment_; }
  void setTextAlignment(qint16 alignment);
  qint16 TextType() const { return textType_; }
  void setTextType(qint16 type);
  bool FloodShowPct() const { return floodShowPct_; }
  void setFloodShowPct(bool show);
  qint16 FloodType() const { return floodType_; }
  void setFloodType(qint16 type);
  qint16 FloodPercent() const { return floodPercent_; }
  // Values below 0 become 0, values above 100 become 100.
  void setFloodPercent(int percent);
  quint32 FloodColor() const { return floodColor_; }
  void setFloodColor(quint32 color);
  quint32 FloodBackColor() const { return floodBackColor_; }
  void setFloodBackColor(quint32 color);
  quint32 BackColor() const { return backColor_; }
  void setBackColor(quint32 color);
  quint32 ForeColor() const { return foreColor_; }
  void setForeColor(quint32 color);

  // The host's stored property data: a value equal to its default is not
  // stored, a missing name reads as its default.
  void ReadProperties(const PropertyBag& bag);
  void WriteProperties(PropertyBag& bag) const;

  // Shows the about box modally.
  void ShowAbout();

 signals:
  // Raised by every setter with the property's name, also when nothing changed.
  void propertyChanged(const QString& name);

 public:
  // Room for the caption on the top edge and for one line of text inside the bevel;
  // a panel with a layout takes the layout's room, at least as wide as its caption.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QSize ownRoom() const;
  QSize roomWith(const QSize& layoutHint) const;
  void DrawPanelBorder(QPainter& painter);
  void PlaceText();
  void PlaceFlood();
  void CreateBlocks();
  void LayoutBlocks();
  void RemoveBlocks();
  void SetUpFlood();
  void ShowCaption();
  void ApplyColors();
  void TimerTick();
  void setFloodValue(auto& member, auto value, const QString& name);
  void setPanelColor(quint32& member, quint32 color, const QString& name);
  QFont ambientFont() const;
  void setTwipsGeometry(QWidget* w, double left, double top, double width, double height);
  void setFill(QWidget* w, quint32 color);

  qint16 borderStyle_ = ThinRaised;
  QString caption_;
  QString text_;
  qint16 textAlignment_ = LeftTop;
  qint16 textType_ = UserDefined;
  qint16 floodType_ = None;
  qint16 floodPercent_ = 0;
  bool floodShowPct_ = false;
  quint32 floodColor_ = kDefaultFloodColor;
  quint32 floodBackColor_ = kDefaultFloodBackColor;
  quint32 backColor_ = kDefaultBackColor;
  quint32 foreColor_ = kDefaultForeColor;

  QLabel* lblCaption_ = nullptr;
  QLabel* lblText_ = nullptr;
  QTimer* timer_ = nullptr;
  QList<QWidget*> flooder_;  // member 0: the bar; 1 to 19: blocks
};

// A dialog's header panel across the top: the caption bold and centred on white.
vistrel* makeHeaderPanel(const QString& caption, QWidget* parent, qint16 borderStyle = vistrel::Bump);

}  // namespace mvnz::controls
