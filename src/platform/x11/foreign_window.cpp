#include "platform/gui/foreign_window.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>

#include "platform/gui/qt_window.h"
#include "platform/x11/xcb_connection.h"

namespace orv {

namespace {

bool Geometry(unsigned long id, int* w, int* h) {
  xcb_connection_t* c = XcbConnection();
  if (!c || id == 0 || id > 0xFFFFFFFFul) return false;
  xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, xcb_drawable_t(id)), nullptr);
  if (!g) return false;
  *w = g->width;
  *h = g->height;
  std::free(g);
  return true;
}

}  // namespace

bool ForeignWindowExists(unsigned long id) {
  xcb_connection_t* c = XcbConnection();
  if (!c || id == 0 || id > 0xFFFFFFFFul) return false;
  xcb_get_window_attributes_reply_t* r =
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, xcb_window_t(id)), nullptr);
  if (!r) return false;
  std::free(r);
  return true;
}

bool EmbedInForeignWindow(TWindowHandle window, unsigned long id) {
  int w = 0, h = 0;
  if (!Geometry(id, &w, &h)) return false;
  QWindow* host = QWindow::fromWinId(WId(id));
  if (!host) return false;
  QWidget* widget = Widget(window);
  widget->setAttribute(Qt::WA_NativeWindow);
  widget->winId();
  widget->windowHandle()->setParent(host);
  SizeToForeignWindow(window, w, h);
  return true;
}

void SizeToForeignWindow(TWindowHandle window, int width, int height) {
  QWidget* widget = Widget(window);
  const qreal dpr = widget->devicePixelRatioF();
  widget->setGeometry(0, 0, int(std::ceil(width / dpr)), int(std::ceil(height / dpr)));
}

namespace {

// Lives as a child of the watching window, so that the watch ends with it.
class Watcher : public QObject, public QAbstractNativeEventFilter {
 public:
  Watcher(unsigned long id, QObject* parent, std::function<void()> destroyed, std::function<void(int, int)> resized)
      : QObject(parent), id_(id), destroyed_(std::move(destroyed)), resized_(std::move(resized)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
    if (xcb_connection_t* c = XcbConnection()) {
      uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
      xcb_change_window_attributes(c, xcb_window_t(id), XCB_CW_EVENT_MASK, &mask);
      xcb_flush(c);
    }
    // The fallback: a host whose events we could not select still gets noticed.
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] { Check(); });
    timer->start(250);
    QTimer::singleShot(0, this, [this] { Check(); });
  }
  ~Watcher() override {
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
  }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    auto* ev = static_cast<xcb_generic_event_t*>(message);
    switch (ev->response_type & 0x7F) {
      case XCB_DESTROY_NOTIFY: {
        auto* d = reinterpret_cast<xcb_destroy_notify_event_t*>(ev);
        if (d->window == id_) QTimer::singleShot(0, this, [this] { Check(); });
        break;
      }
      case XCB_CONFIGURE_NOTIFY: {
        auto* c = reinterpret_cast<xcb_configure_notify_event_t*>(ev);
        if (c->window == id_ && resized_) resized_(c->width, c->height);
        break;
      }
      default: break;
    }
    return false;
  }

 private:
  void Check() {
    if (gone_ || ForeignWindowExists(id_)) return;
    gone_ = true;
    if (destroyed_) destroyed_();
  }

  unsigned long id_;
  std::function<void()> destroyed_;
  std::function<void(int, int)> resized_;
  bool gone_ = false;
};

}  // namespace

void WatchForeignWindow(unsigned long id, TWindowHandle window, std::function<void()> hostDestroyed,
                        std::function<void(int width, int height)> resized) {
  new Watcher(id, Widget(window), std::move(hostDestroyed), std::move(resized));
}

}  // namespace orv
