#include "platform/gui/screen.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include "platform/gui/qt_bitmap.h"

namespace orv {

namespace {

class QtScreen : public IScreen {
 public:
  TSize Size() override {
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return {640, 480};
    QSize size = s->geometry().size() * s->devicePixelRatio();
    return {size.width(), size.height()};
  }
  void Snapshot(TBitmap& bmp) override {
    TSize size = Size();
    QScreen* s = QGuiApplication::primaryScreen();
    QImage image;
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

void SetScreenSaverRunning(bool running) {
  g_running = running;
  if (g_listener) g_listener(running);
}

bool ScreenSaverRunning() { return g_running; }

void SetScreenSaverRunningListener(std::function<void(bool)> listener) { g_listener = std::move(listener); }

}  // namespace orv
