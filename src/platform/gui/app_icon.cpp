#include "platform/gui/app_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace orv {

QImage ApplicationIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);

  // A wooden frame around a landscape: sky, sun, two hills.
  p.setPen(QPen(QColor(72, 40, 16), 1));
  p.setBrush(QColor(176, 112, 48));
  p.drawRoundedRect(QRectF(1.5, 3.5, 29, 25), 2, 2);
  const QRectF picture(5, 7, 22, 18);
  QLinearGradient sky(picture.topLeft(), picture.bottomLeft());
  sky.setColorAt(0, QColor(64, 128, 224));
  sky.setColorAt(1, QColor(176, 216, 255));
  p.setPen(Qt::NoPen);
  p.fillRect(picture, sky);
  p.setClipRect(picture);
  p.setBrush(QColor(255, 208, 32));
  p.drawEllipse(QPointF(21, 12), 3, 3);
  QPainterPath far_hill;
  far_hill.moveTo(4, 26);
  far_hill.cubicTo(9, 14, 14, 15, 20, 26);
  p.setBrush(QColor(40, 120, 64));
  p.drawPath(far_hill);
  QPainterPath near_hill;
  near_hill.moveTo(10, 26);
  near_hill.cubicTo(16, 17, 24, 16, 28, 26);
  p.setBrush(QColor(88, 176, 72));
  p.drawPath(near_hill);
  p.setClipping(false);
  p.setPen(QPen(QColor(72, 40, 16), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(picture.adjusted(-0.5, -0.5, 0.5, 0.5));
  return image;
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) icon.addPixmap(QPixmap::fromImage(ApplicationIconImage(size)));
  return icon;
}

}  // namespace orv
