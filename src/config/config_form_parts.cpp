#include "config/config_form_parts.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QScreen>
#include <QThread>

#include "config/config_model.h"
#include "config/fit_to_screen.h"

namespace orv {

TColorDialog::TColorDialog() { custom_.fill(qRgb(255, 255, 255)); }

std::optional<TColor> TColorDialog::Execute(QWidget* owner, TColor initial) {
  // Qt keeps custom colours per process; ours belong to this component.
  for (int i = 0; i < int(custom_.size()); ++i) QColorDialog::setCustomColor(i, QColor::fromRgb(custom_[size_t(i)]));
  QColorDialog dialog(QColor(GetRValue(initial), GetGValue(initial), GetBValue(initial)), owner);
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  for (int i = 0; i < int(custom_.size()); ++i) custom_[size_t(i)] = QColorDialog::customColor(i).rgb();
  if (!accepted) return std::nullopt;
  const QColor chosen = dialog.selectedColor();
  return RGB(chosen.red(), chosen.green(), chosen.blue());
}

void BrowseForFolder(QLineEdit* field, const QString& title) {
  const QString chosen =
      QFileDialog::getExistingDirectory(field->window(), title, field->text(), QFileDialog::ShowDirsOnly);
  if (!chosen.isEmpty()) field->setText(chosen);
}

QSize CentreOnScreen(QDialog* dialog) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return QSize();
  // The frame, title bar included, is what sits in the middle; it is known
  // only once the window system has decorated the window.
  FitDialogToScreen(dialog, screen->availableGeometry());
  const QRect frame = dialog->frameGeometry();
  const QRect area = screen->geometry();
  dialog->move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
  return frame.size();
}

TScreenCentring::TScreenCentring(QDialog* dialog) : QObject(dialog), dialog_(dialog) {
  centred_frame_ = CentreOnScreen(dialog);
  dialog->installEventFilter(this);
}

bool TScreenCentring::eventFilter(QObject* watched, QEvent* event) {
  // The size is fixed, so only a new frame changes this; a move by the user does not.
  if (watched == dialog_ && event->type() == QEvent::Move && dialog_->frameGeometry().size() != centred_frame_)
    centred_frame_ = CentreOnScreen(dialog_);
  return false;
}

void SlideOut(QWidget* icon, QWidget* group, const std::function<void()>& wait) {
  // The group clips the icon at its right edge.
  for (const int left : IconSlideSteps()) {
    const QRect before = icon->geometry();
    icon->move(left, before.y());
    group->repaint(before.united(icon->geometry()));
    if (wait)
      wait();
    else
      QThread::msleep(12);
  }
}

}  // namespace orv
