#include "daemon/windows/messagebar.h"

#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <cmath>

#include "controls/panehost.h"
#include "daemon/windows/logwindow.h"
#include "daemon/windows/logwindows.h"

namespace mvnz::mvnd {

namespace {

constexpr int kTwips = controls::kTwipsPerPixel;

int Px(double twips) { return int(std::lround(twips / kTwips)); }
// A coordinate in twips as the handlers keep it: a whole number.
int Whole(double twips) { return int(std::nearbyint(twips)); }

int BasicButton(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton:
      return 1;
    case Qt::RightButton:
      return 2;
    case Qt::MiddleButton:
      return 4;
    default:
      return 0;
  }
}

}  // namespace

frmMessage::frmMessage(Daemon& d, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), d_(d) {
  setObjectName(QStringLiteral("frmMessage"));
  setWindowTitle(QString());
  setAutoFillBackground(true);

  ZephMb = new controls::ZephContainer(this);
  ZephMb->setObjectName(QStringLiteral("ZephMb"));
  ZephMb->setBorderStyle(controls::eBorderStyles::Raised);
  ZephMb->setBackColor(0xE0E0E0u);
  ZephMb->setAutoSizeChildren(false);

  auto picture = [this](const char* name, const QString& tip) {
    auto* l = new QLabel(ZephMb);
    l->setObjectName(QString::fromLatin1(name));
    l->setToolTip(tip);
    l->setAlignment(Qt::AlignCenter);
    return l;
  };
  picStatus = picture("picStatus", {});
  picError = picture("picError", QStringLiteral("Error Counter"));
  picError->setPixmap(LevelPicture(2));
  picID = picture("picID", QStringLiteral("Daemon Instance"));
  picResize = picture("picResize", QStringLiteral("click & drag to resize"));
  picResize->setText(QStringLiteral("\u22ee"));
  picResize->setCursor(Qt::SizeHorCursor);

  lblMessage = new QLabel(QStringLiteral("message"), ZephMb);
  lblMessage->setObjectName(QStringLiteral("lblMessage"));
  lblMessage->setFont(QFont(QStringLiteral("Tahoma"), 8));
  lblMessage->setTextFormat(Qt::PlainText);
  lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  lblError = new QLabel(QStringLiteral("0"), ZephMb);
  lblError->setObjectName(QStringLiteral("lblError"));
  lblError->setToolTip(QStringLiteral("Error Counter"));
  lblError->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  // The container's surface moves the bar as its mouse events would; watching its
  // events (rather than its relayed ones) keeps a drag that passes over a child.
  for (QWidget* w : {static_cast<QWidget*>(lblMessage), static_cast<QWidget*>(picResize),
                     static_cast<QWidget*>(ZephMb)})
    w->installEventFilter(this);

  // Load: no drag; the instance icon of this daemon.
  DragStartX = DragStartY = -1;
  picID->setPixmap(InstancePicture(d_.settings.SettingsKeySuffix.toInt()));
  setMinimumWidth(Px(kMinWidthTwips));
  resize(Px(2000), Px(kHeight));
}

void frmMessage::placeChildren() {
  // The container keeps the positions given here (no automatic arrangement).
  const int w = Width() - 60;
  ZephMb->setGeometry(Px(30), Px(30), Px(w), height() - 2 * Px(30));
  const int h = ZephMb->height();
  const int icon = 16;
  const int iconTop = (h - icon) / 2;
  picStatus->setGeometry(Px(75), iconTop, icon, icon);
  picResize->setGeometry(Px(w - 150), 0, Px(120), h);
  picError->setGeometry(Px(w - 825), iconTop, icon, icon);
  lblError->setGeometry(Px(w - 825) + icon + 3, 0, Px(w - 405) - Px(w - 825) - icon - 6, h);
  picID->setGeometry(Px(w - 405), iconTop, icon, icon);
  const int msgLeft = Px(375);
  lblMessage->setGeometry(msgLeft, 0, std::max(0, Px(w - 825) - msgLeft - 4), h);
}

void frmMessage::resizeEvent(QResizeEvent*) { placeChildren(); }

void frmMessage::ShowMessage(const QString& text, int level, qint64 errors) {
  lblError->setText(QString::number(errors));
  // A level outside 0 to 3 keeps the picture and the colour shown.
  if (level >= 0 && level <= 3) {
    picStatus->setPixmap(LevelPicture(level));
    QPalette p = lblMessage->palette();
    p.setColor(QPalette::WindowText, QColor(LogLevelColors(level).text));
    lblMessage->setPalette(p);
  }
  if (!text.isEmpty()) lblMessage->setText(text);
  lblMessage->repaint();
}

void frmMessage::SetErrorCount(qint64 errors) { lblError->setText(QString::number(errors)); }

bool frmMessage::OnTop() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

void frmMessage::SetOnTop(bool onTop) {
  if (OnTop() == onTop) return;
  const bool shown = isVisible();
  const QPoint at = pos();
  const QSize size = this->size();
  setWindowFlag(Qt::WindowStaysOnTopHint, onTop);  // hides a shown window
  move(at);
  resize(size);
  if (shown) show();
}

int frmMessage::Left() const { return x() * kTwips; }
int frmMessage::Top() const { return y() * kTwips; }
int frmMessage::Width() const { return width() * kTwips; }
void frmMessage::setLeft(int twips) { move(Px(twips), y()); }
void frmMessage::setTop(int twips) { move(x(), Px(twips)); }
void frmMessage::setWidth(int twips) { resize(Px(twips), height()); }

void frmMessage::MoveMouseDown(int, double X, double Y) {
  DragStartX = Whole(X);
  DragStartY = Whole(Y);
}

void frmMessage::MoveMouseMove(double X, double Y) {
  if (DragStartX == -1 || DragStartY == -1) return;
  move(Px(X - DragStartX + Left()), Px(Y - DragStartY + Top()));
}

void frmMessage::MoveMouseUp(int Button, const QPoint& globalPos) {
  DragStartX = DragStartY = -1;
  if (Button == 2) {
    emit menuRequested(globalPos);
    if (menu_) menu_->popup(globalPos);
  }
}

void frmMessage::ResizeMouseDown(double X) { DragStartX = Whole(X); }

void frmMessage::ResizeMouseMove(double X) {
  if (DragStartX == -1) return;
  const double w = X - DragStartX + Width();
  if (w >= kMinWidthTwips) setWidth(int(w));
}

void frmMessage::ResizeMouseUp() { DragStartX = -1; }

// The event's point in twips of w. Taken from the screen position and w's place as
// the bar last set it, so events queued before a move are not read against the
// old place (which would make the bar jump while it is dragged).
QPointF frmMessage::twipsIn(QWidget* w, const QMouseEvent* e) const {
  return QPointF(w->mapFromGlobal(e->globalPosition())) * kTwips;
}

void frmMessage::mousePressEvent(QMouseEvent* e) {
  const QPointF p = twipsIn(this, e);
  MoveMouseDown(BasicButton(e->button()), p.x(), p.y());
}

void frmMessage::mouseMoveEvent(QMouseEvent* e) {
  const QPointF p = twipsIn(this, e);
  MoveMouseMove(p.x(), p.y());
}

void frmMessage::mouseReleaseEvent(QMouseEvent* e) {
  MoveMouseUp(BasicButton(e->button()), e->globalPosition().toPoint());
}

bool frmMessage::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type t = event->type();
  if (t != QEvent::MouseButtonPress && t != QEvent::MouseMove && t != QEvent::MouseButtonRelease)
    return QWidget::eventFilter(watched, event);
  auto* e = static_cast<QMouseEvent*>(event);
  auto* w = static_cast<QWidget*>(watched);
  const QPointF p = twipsIn(w, e);
  if (watched == lblMessage || watched == ZephMb) {
    // The container's own surface only: a press on one of its pictures does nothing.
    if (watched == ZephMb && t == QEvent::MouseButtonPress &&
        ZephMb->childAt(e->position().toPoint()))
      return false;
    if (t == QEvent::MouseButtonPress) MoveMouseDown(BasicButton(e->button()), p.x(), p.y());
    if (t == QEvent::MouseMove) MoveMouseMove(p.x(), p.y());
    if (t == QEvent::MouseButtonRelease)
      MoveMouseUp(BasicButton(e->button()), e->globalPosition().toPoint());
    return watched == lblMessage;
  }
  if (watched == picResize) {
    if (t == QEvent::MouseButtonPress) ResizeMouseDown(p.x());
    if (t == QEvent::MouseMove) ResizeMouseMove(p.x());
    if (t == QEvent::MouseButtonRelease) ResizeMouseUp();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace mvnz::mvnd
