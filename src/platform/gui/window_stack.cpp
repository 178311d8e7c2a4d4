#include "platform/gui/window_stack.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include "platform/gui/qt_window.h"

namespace orv {

namespace {

QWindow* TopWindow(QWidget* w) {
  if (!w) return nullptr;
  if (QWindow* h = w->window()->windowHandle()) return h;
  return nullptr;
}

}  // namespace

void HideTaskbarButton(TWindowHandle handle) {
  QWidget* window = Widget(handle);
  const bool shown = window->isVisible();
  window->setWindowFlags(window->windowFlags() | Qt::Tool);
  if (shown) window->show();  // changing the flags hides a shown window
}

void RaiseWindow(TWindowHandle handle) {
  QWidget* window = Widget(handle);
  if (!window) return;
  window->window()->raise();
  FlushWindowSystem();
}

bool GrabInput(TWindowHandle keyboard, TWindowHandle mouse) {
  // Wayland gives no client a grab (the compositor locks the screen itself):
  // asking would only warn, at every tick, so there is nothing to take.
  if (QGuiApplication::platformName().startsWith("wayland")) return true;
  QWidget* keyboard_target = Widget(keyboard);
  QWidget* mouse_target = Widget(mouse);
  QWindow* win = TopWindow(keyboard_target);
  if (!win || !win->isExposed()) return false;
  // Qt's own grabs route the events to the widgets; the window's calls report
  // whether the window system granted them.
  keyboard_target->grabKeyboard();
  mouse_target->grabMouse();
  const bool keys = win->setKeyboardGrabEnabled(true);
  const bool pointer = win->setMouseGrabEnabled(true);
  FlushWindowSystem();
  return keys && pointer;
}

void ReleaseInput(TWindowHandle keyboard, TWindowHandle mouse) {
  QWidget* keyboard_target = Widget(keyboard);
  QWidget* mouse_target = Widget(mouse);
  if (keyboard_target && QWidget::keyboardGrabber() == keyboard_target) keyboard_target->releaseKeyboard();
  if (mouse_target && QWidget::mouseGrabber() == mouse_target) mouse_target->releaseMouse();
  FlushWindowSystem();
}

bool WaitUntilExposed(TWindowHandle handle, int max_ms) {
  QWidget* window = Widget(handle);
  FlushWindowSystem();
  QElapsedTimer timer;
  timer.start();
  for (;;) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QWindow* win = window->windowHandle();
    if (!win || win->isExposed()) return win != nullptr;
    if (timer.elapsed() >= max_ms) return false;
    QThread::msleep(2);
  }
}

}  // namespace orv
