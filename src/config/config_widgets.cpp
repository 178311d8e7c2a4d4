#include "config/config_widgets.h"

#include <algorithm>

#include <QKeyEvent>
#include <qdrawutil.h>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace orv {

TGroupFrame::TGroupFrame(const QString& caption, QWidget* parent) : QWidget(parent), caption_(caption) {}

void TGroupFrame::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QFontMetrics fm(font());
  // An etched line whose top runs through the middle of the caption.
  const QRect frame = rect().adjusted(0, fm.height() / 2, 0, 0);
  qDrawShadeRect(&p, frame, palette(), true, 1, 0);
  if (caption_.isEmpty()) return;
  const QRect text(8, 0, fm.horizontalAdvance(caption_), fm.height());
  p.fillRect(text.adjusted(-2, 0, 2, 0), palette().window());
  style()->drawItemText(&p, text, Qt::AlignLeft | Qt::AlignTop, palette(), isEnabled(), caption_,
                        QPalette::WindowText);
}

TUpDown::TUpDown(int min, int max, QWidget* parent) : QWidget(parent), min_(min), max_(max), position_(min) {
  // Like the system's up-down control it never takes the focus: the
  // attached field keeps it.
  setFocusPolicy(Qt::NoFocus);
  connect(&repeat_, &QTimer::timeout, this, [this] {
    repeat_.setInterval(100);
    Step(pressed_);
  });
}

void TUpDown::SetPosition(int position) {
  position = std::clamp(position, min_, max_);
  const bool moved = position != position_;
  position_ = position;
  if (edit_) edit_->setText(QString::number(position_));
  if (moved) emit changed(position_);
}

void TUpDown::Step(int delta) { SetPosition(position_ + delta); }

void TUpDown::Associate(QLineEdit* edit) {
  if (edit_) edit_->removeEventFilter(this);
  edit_ = edit;
  if (edit_) {
    edit_->installEventFilter(this);
    edit_->setText(QString::number(position_));
  }
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_ && event->type() == QEvent::KeyPress && isEnabled()) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      Step(key == Qt::Key_Up ? 1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TUpDown::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  pressed_ = event->position().y() < height() / 2 ? 1 : -1;
  Step(pressed_);
  repeat_.start(400);  // held down: keep stepping
  update();
}

void TUpDown::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  pressed_ = 0;
  repeat_.stop();
  update();
}

void TUpDown::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const int half = height() / 2;
  const QRect halves[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
  for (int i = 0; i < 2; ++i) {
    QStyleOptionButton button;
    button.initFrom(this);
    button.rect = halves[i];
    const bool down = pressed_ == (i == 0 ? 1 : -1);
    button.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &button, &p, this);
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = halves[i].adjusted(3, 2, -3, -2);
    style()->drawPrimitive(i == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &arrow, &p, this);
  }
}

TColorSwatch::TColorSwatch(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(1);
}

void TColorSwatch::SetColor(TColor color) {
  color_ = color;
  update();
}

void TColorSwatch::paintEvent(QPaintEvent* event) {
  {
    QPainter p(this);
    p.fillRect(contentsRect(), QColor(GetRValue(color_), GetGValue(color_), GetBValue(color_)));
  }
  QFrame::paintEvent(event);
}

void TStretchedImage::SetPicture(const QImage& image) {
  picture_ = image;
  update();
}

void TStretchedImage::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.drawImage(rect(), picture_);
}

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : TGroupFrame(caption, parent) {
  for (const QString& text : items) {
    auto* button = new QRadioButton(text, this);
    button->setObjectName(QStringLiteral("RadioGroupItem%1").arg(group_.buttons().size()));
    group_.addButton(button, int(group_.buttons().size()));
  }
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
  // The items share the height below the caption evenly, one per row.
  TGroupFrame::resizeEvent(event);
  const int top = QFontMetrics(font()).height();
  const int row = Count() > 0 ? (height() - top - 4) / Count() : 0;
  for (int i = 0; i < Count(); ++i) {
    QRadioButton* button = Item(i);
    const int h = std::min(row, button->sizeHint().height());
    button->setGeometry(8, top + i * row + (row - h) / 2, width() - 16, h);
  }
}

int TRadioGroup::Count() const { return int(group_.buttons().size()); }

QRadioButton* TRadioGroup::Item(int index) const { return static_cast<QRadioButton*>(group_.button(index)); }

int TRadioGroup::ItemIndex() const { return group_.checkedId(); }

void TRadioGroup::SetItemIndex(int index) {
  if (index >= 0 && index < Count()) {
    Item(index)->setChecked(true);
    return;
  }
  // An exclusive group never unchecks its last button by itself.
  group_.setExclusive(false);
  for (QAbstractButton* b : group_.buttons()) b->setChecked(false);
  group_.setExclusive(true);
}

TLinkLabel::TLinkLabel(const QString& text, const QString& tip, QWidget* parent) : QLabel(text, parent) {
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
  QPalette blue = palette();
  blue.setColor(QPalette::WindowText, Qt::blue);
  setPalette(blue);
  setCursor(Qt::PointingHandCursor);
  setToolTip(tip);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
  QLabel::mouseReleaseEvent(event);
}

}  // namespace orv
