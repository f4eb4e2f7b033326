// The pictures of the log windows, drawn once: level pictures and the instance icon.
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <array>

#include "daemon/windows/logwindows.h"

namespace mvnz::mvnd {

namespace {

constexpr int kSize = 16;

QPixmap Blank() {
  QPixmap p(kSize, kSize);
  p.fill(Qt::transparent);
  return p;
}

QPixmap DrawLevelPicture(int level) {
  QPixmap p = Blank();
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  QPen mark(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  switch (level) {
    case 0:  // a green disc with a tick
      g.setPen(QColor(0, 100, 0));
      g.setBrush(QColor(40, 160, 40));
      g.drawEllipse(QRectF(1, 1, 14, 14));
      g.setPen(mark);
      g.drawPolyline(QPolygonF({{4.5, 8.5}, {7, 11}, {11.5, 5}}));
      break;
    case 1: {  // a yellow triangle with an exclamation mark
      QPainterPath tri;
      tri.moveTo(8, 1.5);
      tri.lineTo(15, 14.5);
      tri.lineTo(1, 14.5);
      tri.closeSubpath();
      g.setPen(QColor(100, 100, 0));
      g.setBrush(QColor(240, 200, 30));
      g.drawPath(tri);
      g.setPen(QPen(QColor(60, 50, 0), 2, Qt::SolidLine, Qt::RoundCap));
      g.drawLine(QPointF(8, 5.5), QPointF(8, 10));
      g.drawPoint(QPointF(8, 12.5));
      break;
    }
    case 2:  // a red disc with a cross
      g.setPen(QColor(100, 0, 0));
      g.setBrush(QColor(200, 40, 40));
      g.drawEllipse(QRectF(1, 1, 14, 14));
      g.setPen(mark);
      g.drawLine(QPointF(5, 5), QPointF(11, 11));
      g.drawLine(QPointF(11, 5), QPointF(5, 11));
      break;
    case 3:  // a blue disc with a dot: an internal line
      g.setPen(QColor(0, 0, 100));
      g.setBrush(QColor(60, 80, 200));
      g.drawEllipse(QRectF(1, 1, 14, 14));
      g.setPen(Qt::NoPen);
      g.setBrush(Qt::white);
      g.drawEllipse(QRectF(6, 6, 4, 4));
      break;
    default:
      break;
  }
  return p;
}

}  // namespace

QPixmap LevelPicture(int level) {
  // The bar asks for a picture with every log line: the four are drawn once, at the
  // first call.
  static const std::array<QPixmap, 4> pictures = {DrawLevelPicture(0), DrawLevelPicture(1),
                                                  DrawLevelPicture(2), DrawLevelPicture(3)};
  return level >= 0 && level < int(pictures.size()) ? pictures[level] : Blank();
}

QPixmap InstancePicture(int instance) {
  QPixmap p = Blank();
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QColor(40, 40, 90));
  g.setBrush(QColor(70, 90, 160));
  g.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
  QFont f = g.font();
  f.setPixelSize(11);
  f.setBold(true);
  g.setFont(f);
  g.setPen(Qt::white);
  g.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, QString::number(instance));
  return p;
}

}  // namespace mvnz::mvnd
