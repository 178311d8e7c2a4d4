#include "config/fit_to_screen.h"

#include <QDialog>
#include <QRect>
#include <QScrollArea>
#include <QStyle>
#include <algorithm>

namespace orv {

namespace {
constexpr char kScrollName[] = "scrDialog";
}

void FitDialogToScreen(QDialog* dialog, const QRect& area) {
  auto* scroll = dialog->findChild<QScrollArea*>(QLatin1String(kScrollName), Qt::FindDirectChildrenOnly);
  const QSize content = scroll ? scroll->widget()->size() : dialog->size();
  // The window system's frame (title bar, borders) needs room too.
  const QSize room = area.size() - (dialog->frameGeometry().size() - dialog->geometry().size());
  if (!scroll && content.width() <= room.width() && content.height() <= room.height()) return;
  if (!scroll) {
    // Moving a widget drops its focus; the dialog's chosen control keeps it.
    QWidget* focused = dialog->focusWidget();
    auto* inner = new QWidget;
    inner->setObjectName(QStringLiteral("scrDialogContent"));
    for (QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      const QRect placed = child->geometry();
      child->setParent(inner);  // same window, so the tab order stays
      child->setGeometry(placed);
    }
    inner->setFixedSize(content);
    scroll = new QScrollArea(dialog);
    scroll->setObjectName(QLatin1String(kScrollName));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);  // not a stop of its own in the tab order
    scroll->setWidget(inner);
    if (focused) focused->setFocus();
  }
  // A bar on one side takes room from the other, which may then need one too.
  const int bar = scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll);
  bool vertical = false, horizontal = false;
  for (int pass = 0; pass < 2; ++pass) {
    vertical = content.height() + (horizontal ? bar : 0) > room.height();
    horizontal = content.width() + (vertical ? bar : 0) > room.width();
  }
  const QSize size(std::max(1, std::min(content.width() + (vertical ? bar : 0), room.width())),
                   std::max(1, std::min(content.height() + (horizontal ? bar : 0), room.height())));
  dialog->setFixedSize(size);
  scroll->setGeometry(0, 0, size.width(), size.height());
}

}  // namespace orv
