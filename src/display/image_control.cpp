#include "display/image_control.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "platform/gui/qt_bitmap.h"

namespace orv {

namespace {
QPoint Position(const QMouseEvent* event) { return event->position().toPoint(); }
}  // namespace

TImage::TImage(QWidget* parent) : QWidget(parent) {
  // Every pixel is ours: no background fill before the picture is drawn.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
}

void TImage::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  // The picture is in device pixels: draw it 1:1 in the window's own pixels,
  // whatever the scale.
  const qreal dpr = devicePixelRatioF();
  painter.setWorldTransform(QTransform::fromScale(1 / dpr, 1 / dpr));
  const QRect area = dpr == 1 ? event->rect()
                              : QRectF(event->rect().topLeft() * dpr, event->rect().size() * dpr).toAlignedRect();
  QRect drawn;
  if (!picture_.Empty()) {
    QImage view = QImageView(picture_, Rect(area.left(), area.top(), area.right() + 1, area.bottom() + 1));
    drawn = area.intersected(view.rect());
    if (!drawn.isEmpty()) painter.drawImage(drawn.topLeft(), view, drawn);
  }
  // Beyond the picture the parent's colour shows, as with an unstretched image.
  const QColor fill = parentWidget() ? parentWidget()->palette().color(QPalette::Window) : Qt::black;
  QRegion rest = QRegion(area).subtracted(QRegion(drawn));
  for (const QRect& r : rest) painter.fillRect(r, fill);
}

void TImage::mousePressEvent(QMouseEvent* event) {
  if (OnMouseDown) OnMouseDown(Position(event).x(), Position(event).y());
}

void TImage::mouseReleaseEvent(QMouseEvent* event) {
  if (OnMouseUp) OnMouseUp(Position(event).x(), Position(event).y());
}

void TImage::mouseMoveEvent(QMouseEvent* event) {
  if (OnMouseMove) OnMouseMove(Position(event).x(), Position(event).y());
}

}  // namespace orv
