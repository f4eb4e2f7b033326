#include "images.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace mvnz::mvnd::images {
namespace {

constexpr int kSize = 32;

QPixmap Canvas(int size = kSize) {
  QPixmap p(size, size);
  p.fill(Qt::transparent);
  return p;
}

// An icon drawn by draw on a transparent square, with antialiasing.
template <class Draw>
QIcon Drawn(Draw draw) {
  QPixmap p = Canvas();
  {
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    draw(g);
  }
  return QIcon(p);
}

// A disc with a ring of spokes; the lit spoke marks the frame.
QIcon Wheel(const QColor& body, const QColor& lit, int litSpoke, int spokes) {
  return Drawn([&](QPainter& g) {
    g.setPen(QPen(body.darker(160), 1.5));
    g.setBrush(body);
    g.drawEllipse(QRectF(3, 3, 26, 26));
    for (int i = 0; i < spokes; ++i) {
      const double a = 2 * M_PI * i / spokes - M_PI / 2;
      const QPointF c(16 + 8 * std::cos(a), 16 + 8 * std::sin(a));
      g.setPen(Qt::NoPen);
      g.setBrush(i == litSpoke ? lit : body.lighter(135));
      g.drawEllipse(c, 3.2, 3.2);
    }
  });
}

}  // namespace

QIcon Startup(int frame) { return Wheel(QColor(70, 110, 190), QColor(255, 230, 90), frame, 6); }

QIcon Stopped() {
  return Drawn([&](QPainter& g) {
    g.setPen(QPen(QColor(90, 90, 90), 1.5));
    g.setBrush(QColor(170, 170, 170));
    g.drawEllipse(QRectF(3, 3, 26, 26));
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(190, 40, 40));
    g.drawRoundedRect(QRectF(11, 11, 10, 10), 2, 2);
  });
}

QIcon Running(int frame) { return Wheel(QColor(40, 150, 60), QColor(255, 255, 255), frame, 5); }

QIcon StartButton() {
  return Drawn([&](QPainter& g) {
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(40, 150, 60));
    g.drawPolygon(QPolygonF({QPointF(9, 5), QPointF(27, 16), QPointF(9, 27)}));
  });
}

QIcon StopButton() {
  return Drawn([&](QPainter& g) {
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(190, 40, 40));
    g.drawRoundedRect(QRectF(7, 7, 18, 18), 3, 3);
  });
}

QIcon ReloadButton() {
  return Drawn([&](QPainter& g) {
    g.setPen(QPen(QColor(40, 90, 180), 3.5, Qt::SolidLine, Qt::RoundCap));
    g.drawArc(QRectF(6, 6, 20, 20), 60 * 16, 280 * 16);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(40, 90, 180));
    g.drawPolygon(QPolygonF({QPointF(19, 2), QPointF(27, 8), QPointF(18, 12)}));
  });
}

QPixmap Daemon(int size) {
  QPixmap p = Canvas(size);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.scale(size / 32.0, size / 32.0);
  QLinearGradient fill(0, 0, 0, 32);
  fill.setColorAt(0, QColor(110, 160, 230));
  fill.setColorAt(1, QColor(30, 70, 150));
  g.setPen(QPen(QColor(20, 40, 90), 1));
  g.setBrush(fill);
  g.drawEllipse(QRectF(1.5, 1.5, 29, 29));
  // a folder with an arrow: files that go somewhere
  g.setPen(Qt::NoPen);
  g.setBrush(QColor(250, 210, 90));
  g.drawRect(QRectF(8, 12, 16, 11));
  g.drawRect(QRectF(8, 10, 6, 3));
  g.setBrush(Qt::white);
  g.drawPolygon(QPolygonF({QPointF(14, 14), QPointF(20, 17.5), QPointF(14, 21)}));
  return p;
}

QPixmap Banner(int width, int height) {
  QPixmap p(qMax(1, width), qMax(1, height));
  QPainter g(&p);
  QLinearGradient fill(0, 0, width, 0);
  fill.setColorAt(0, QColor(30, 70, 150));
  fill.setColorAt(1, QColor(150, 190, 240));
  g.fillRect(p.rect(), fill);
  g.setRenderHint(QPainter::TextAntialiasing);
  QFont f(QStringLiteral("Arial"));
  f.setBold(true);
  f.setPixelSize(qMax(8, height * 2 / 5));
  g.setFont(f);
  g.setPen(Qt::white);
  g.drawText(p.rect().adjusted(12, 0, -12, 0), Qt::AlignVCenter | Qt::AlignLeft,
             QStringLiteral("Mervane Zuri \u00B7 Daemon"));
  return p;
}

}  // namespace mvnz::mvnd::images
