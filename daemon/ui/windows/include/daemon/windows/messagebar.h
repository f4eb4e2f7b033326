#pragma once
// frmMessage, the last-message bar: a small captionless window with the newest log
// line, its level's picture, the error count and the instance icon. Dragging it
// anywhere moves it, the grip at its right end sizes it (never below 2000 twips),
// a right click opens the "MessageBar" menu. Geometry in twips (15 per pixel).
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include "daemon/core.h"

class QLabel;
#include <QMenu>

namespace mvnz::controls {
class ZephContainer;
}

namespace mvnz::mvnd {

class frmMessage : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kHeight = 360;  // twips
  static constexpr int kMinWidthTwips = 2000;

  explicit frmMessage(Daemon& d, QWidget* parent = nullptr);

  controls::ZephContainer* ZephMb = nullptr;
  QLabel *picStatus = nullptr, *lblMessage = nullptr, *picError = nullptr, *lblError = nullptr,
         *picID = nullptr, *picResize = nullptr;
  int DragStartX = -1, DragStartY = -1;

  void setMenu(QMenu* menu) { menu_ = menu; }

  // The log routine's line: empty text keeps the text shown (a line of no source
  // the bar names), the colour and picture still follow the level.
  void ShowMessage(const QString& text, int level, qint64 errors);
  void SetErrorCount(qint64 errors);
  // Topmost or not, without moving or sizing the bar.
  void SetOnTop(bool onTop);
  bool OnTop() const;

  int Left() const;
  int Top() const;
  int Width() const;
  void setLeft(int twips);
  void setTop(int twips);
  void setWidth(int twips);

  // The mouse handlers, X and Y in twips relative to the control that fires.
  void MoveMouseDown(int Button, double X, double Y);
  void MoveMouseMove(double X, double Y);
  void MoveMouseUp(int Button, const QPoint& globalPos);
  void ResizeMouseDown(double X);
  void ResizeMouseMove(double X);
  void ResizeMouseUp();

 signals:
  // A right click asks for the "MessageBar" menu at this screen position.
  void menuRequested(const QPoint& globalPos);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void placeChildren();
  QPointF twipsIn(QWidget* w, const QMouseEvent* e) const;
  Daemon& d_;
  QPointer<QMenu> menu_;
};

}  // namespace mvnz::mvnd
