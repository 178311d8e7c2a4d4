// TImage: a control that shows a bitmap at 1:1 from its top-left corner
// (no stretching, no centring) and reports its mouse events.
#pragma once

#include <QWidget>
#include <functional>

#include "platform/bitmap.h"

namespace orv {

class TImage : public QWidget {
  Q_OBJECT
 public:
  explicit TImage(QWidget* parent = nullptr);

  // The picture the control shows; the owner changes it and then asks for a
  // repaint (update() or repaint()).
  TBitmap& Picture() { return picture_; }

  // Positions are relative to the control.
  std::function<void(int x, int y)> OnMouseDown;
  std::function<void(int x, int y)> OnMouseUp;
  std::function<void(int x, int y)> OnMouseMove;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  TBitmap picture_;
};

}  // namespace orv
