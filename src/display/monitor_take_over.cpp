#include "display/monitor_take_over.h"

#include <QCursor>
#include <QGuiApplication>
#include <QWidget>

#include "platform/gui/qt_window.h"
#include "platform/gui/screen.h"
#include "platform/gui/window_stack.h"

namespace orv {

TMonitorTakeOver::TMonitorTakeOver(QWidget* form, QWidget* input_target, int monitor)
    : form_(form), input_target_(input_target), monitor_(monitor) {}

void TMonitorTakeOver::CoverArea() {
  const TRect g = Screen().MonitorGeometry(monitor_);
  form_->setGeometry(g.Left, g.Top, g.Width(), g.Height());
}

void TMonitorTakeOver::Place() {
  // On its own X screen where the monitor is one; then its whole area.
  PlaceOnMonitor(Win(form_), monitor_);
  CoverArea();
}

void TMonitorTakeOver::Cover(bool holds_input) {
  if (holds_input) SetScreenSaverRunning(true);
  CoverArea();
  if (!(form_->windowState() & Qt::WindowFullScreen)) form_->setWindowState(form_->windowState() | Qt::WindowFullScreen);
}

void TMonitorTakeOver::Capture() {
  const QCursor* cursor = QGuiApplication::overrideCursor();
  if (!cursor || cursor->shape() != Qt::BlankCursor) QGuiApplication::setOverrideCursor(Qt::BlankCursor);
  form_->activateWindow();
  form_->setFocus();
}

void TMonitorTakeOver::KeepInCharge(bool holds_input) {
  if (!ScreenSaverRunning() || !form_->isVisible()) return;
  // No window manager may keep a stay-on-top window on top: raise it
  // ourselves, at every tick, so that nothing covers the slideshow for long.
  RaiseWindow(Win(form_));
  // One grab per program: the first form's, which takes every monitor's input.
  if (!inputGrabbed_ && holds_input) inputGrabbed_ = GrabInput(Win(form_), Win(input_target_));
}

void TMonitorTakeOver::Release(bool holds_input) {
  if (!holds_input) return;
  ReleaseInput(Win(form_), Win(input_target_));
  SetScreenSaverRunning(false);
}

}  // namespace orv
