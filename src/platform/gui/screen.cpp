#include "platform/gui/screen.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "platform/gui/qt_bitmap.h"
#include "platform/gui/qt_window.h"

namespace orv {

namespace {

// The primary first, then the others in Qt's order; a monitor that repeats
// another's area (a mirrored output) is left out, as two windows there would
// fight over it.
QList<QScreen*> Monitors() {
  QList<QScreen*> list;
  if (QScreen* p = QGuiApplication::primaryScreen()) list.append(p);
  for (QScreen* s : QGuiApplication::screens()) {
    bool repeat = false;
    for (QScreen* l : list)
      repeat = repeat || (l == s || (l->geometry() == s->geometry() && l->virtualSiblings().contains(s)));
    if (!repeat) list.append(s);
  }
  return list;
}

QScreen* MonitorAt(int i) {
  const QList<QScreen*> list = Monitors();
  return i >= 0 && i < list.size() ? list[i] : QGuiApplication::primaryScreen();
}

class QtScreen : public IScreen {
 public:
  TSize Size() override { return MonitorSize(0); }
  void Snapshot(TBitmap& bmp) override { MonitorSnapshot(0, bmp); }
  int Monitors() override { return std::max<int>(1, int(orv::Monitors().size())); }
  TRect MonitorGeometry(int i) override {
    QScreen* s = MonitorAt(i);
    if (!s) return Rect(0, 0, 640, 480);
    const QRect g = s->geometry();
    return Bounds(g.x(), g.y(), g.width(), g.height());
  }
  TSize MonitorSize(int i) override {
    QScreen* s = MonitorAt(i);
    if (!s) return {640, 480};
    QSize size = s->geometry().size() * s->devicePixelRatio();
    return {size.width(), size.height()};
  }
  void MonitorSnapshot(int i, TBitmap& bmp) override {
    TSize size = MonitorSize(i);
    QScreen* s = MonitorAt(i);
    QImage image;
    // The monitor's own area, in device pixels.
    if (s && QGuiApplication::platformName() != "offscreen") image = s->grabWindow(0).toImage();
    if (image.isNull() || image.width() < size.Width || image.height() < size.Height) {
      bmp.Allocate(size.Width, size.Height, pf32bit, true);
      return;
    }
    if (image.width() != size.Width || image.height() != size.Height)
      image = image.copy(0, 0, size.Width, size.Height);
    FromQImage(image, bmp);
  }
};

IScreen* g_screen = nullptr;
bool g_running = false;
std::function<void(bool)> g_listener;

}  // namespace

IScreen& Screen() {
  static QtScreen qt;
  return g_screen ? *g_screen : qt;
}

void SetScreenForTesting(IScreen* screen) { g_screen = screen; }

void PlaceOnMonitor(TWindowHandle window, int monitor) { Widget(window)->setScreen(MonitorAt(monitor)); }

TSize DevicePixelSize(TWindowHandle window) {
  const QWidget* widget = Widget(window);
  const qreal dpr = widget->devicePixelRatioF();
  return {int(std::lround(widget->width() * dpr)), int(std::lround(widget->height() * dpr))};
}

double TextScale(TWindowHandle window) {
  const QWidget* widget = Widget(window);
  double scale = widget->devicePixelRatioF();
  // Without Qt's scaling (QT_ENABLE_HIGHDPI_SCALING=0) a large Xft.dpi shows
  // only in the logical dpi.
  if (QScreen* s = widget->screen()) {
    const double dpi = s->logicalDotsPerInch();
    if (dpi > 96.5) scale *= dpi / 96.0;
  }
  return std::max(1.0, scale);
}

void SetScreenSaverRunning(bool running) {
  g_running = running;
  if (g_listener) g_listener(running);
}

bool ScreenSaverRunning() { return g_running; }

void SetScreenSaverRunningListener(std::function<void(bool)> listener) { g_listener = std::move(listener); }

}  // namespace orv
