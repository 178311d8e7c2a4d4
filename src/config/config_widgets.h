// The dialog's controls that Qt has no direct counterpart for: a group frame
// whose caption sits on its top line, an up-down spinner attached to an edit
// field, a colour swatch, a stretched image, a radio group with an index and
// a link label.
#pragma once

#include <QButtonGroup>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>

#include "platform/color.h"

namespace orv {

// A frame with an optional caption; its top line runs through the middle of
// the caption's height, so that a check box placed at the top reads as its
// heading.
class TGroupFrame : public QWidget {
  Q_OBJECT
 public:
  TGroupFrame(const QString& caption, QWidget* parent);
  const QString& caption() const { return caption_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString caption_;
};

// An up-down control: two arrow halves that step a position between Min and
// Max without wrapping around; the attached edit field shows the position,
// and the arrow keys step it while the field has the focus.
class TUpDown : public QWidget {
  Q_OBJECT
 public:
  TUpDown(int min, int max, QWidget* parent);
  int Position() const { return position_; }
  void SetPosition(int position);  // brought within Min..Max
  int Min() const { return min_; }
  int Max() const { return max_; }
  void Associate(QLineEdit* edit);
  void Step(int delta);

 signals:
  void changed(int position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int min_;
  int max_;
  int position_;
  int pressed_ = 0;  // +1 upper half held, -1 lower half held
  QPointer<QLineEdit> edit_;
  QTimer repeat_;
};

// A sunken panel filled with a colour value (0x00BBGGRR). The value is kept
// exactly as set; only its low 24 bits are shown.
class TColorSwatch : public QFrame {
  Q_OBJECT
 public:
  explicit TColorSwatch(QWidget* parent);
  TColor Color() const { return color_; }
  void SetColor(TColor color);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TColor color_ = clBlack;
};

// A picture stretched to the control's size.
class TStretchedImage : public QWidget {
  Q_OBJECT
 public:
  explicit TStretchedImage(QWidget* parent) : QWidget(parent) {}
  void SetPicture(const QImage& image);
  const QImage& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

// A captioned frame of radio buttons with the selected item's index; -1
// selects none.
class TRadioGroup : public TGroupFrame {
  Q_OBJECT
 public:
  TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent);
  int ItemIndex() const;
  void SetItemIndex(int index);
  QRadioButton* Item(int index) const;
  int Count() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QButtonGroup group_;
};

// A label that opens something: underlined in blue under a pointing hand,
// it reports a click released over it.
class TLinkLabel : public QLabel {
  Q_OBJECT
 public:
  TLinkLabel(const QString& text, const QString& tip, QWidget* parent);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace orv
