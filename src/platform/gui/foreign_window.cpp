#include "platform/gui/foreign_window.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>
#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>

namespace orv {

namespace {

xcb_connection_t* Connection() {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

bool Geometry(unsigned long id, int* w, int* h) {
  xcb_connection_t* c = Connection();
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
  xcb_connection_t* c = Connection();
  if (!c || id == 0 || id > 0xFFFFFFFFul) return false;
  xcb_get_window_attributes_reply_t* r =
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, xcb_window_t(id)), nullptr);
  if (!r) return false;
  std::free(r);
  return true;
}

bool EmbedInForeignWindow(QWidget* widget, unsigned long id) {
  int w = 0, h = 0;
  if (!Geometry(id, &w, &h)) return false;
  QWindow* host = QWindow::fromWinId(WId(id));
  if (!host) return false;
  widget->setAttribute(Qt::WA_NativeWindow);
  widget->winId();
  widget->windowHandle()->setParent(host);
  SizeToForeignWindow(widget, w, h);
  return true;
}

void SizeToForeignWindow(QWidget* widget, int width, int height) {
  const qreal dpr = widget->devicePixelRatioF();
  widget->setGeometry(0, 0, int(std::ceil(width / dpr)), int(std::ceil(height / dpr)));
}

class ForeignWindowWatcher::Filter : public QAbstractNativeEventFilter {
 public:
  explicit Filter(ForeignWindowWatcher* owner) : owner_(owner) {}
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    auto* ev = static_cast<xcb_generic_event_t*>(message);
    switch (ev->response_type & 0x7F) {
      case XCB_DESTROY_NOTIFY: {
        auto* d = reinterpret_cast<xcb_destroy_notify_event_t*>(ev);
        if (d->window == owner_->id_) QTimer::singleShot(0, owner_, [o = owner_] { o->Check(); });
        break;
      }
      case XCB_CONFIGURE_NOTIFY: {
        auto* c = reinterpret_cast<xcb_configure_notify_event_t*>(ev);
        if (c->window == owner_->id_) emit owner_->resized(c->width, c->height);
        break;
      }
      default: break;
    }
    return false;
  }

 private:
  ForeignWindowWatcher* owner_;
};

ForeignWindowWatcher::ForeignWindowWatcher(unsigned long id, QObject* parent)
    : QObject(parent), id_(id), filter_(new Filter(this)) {
  QCoreApplication::instance()->installNativeEventFilter(filter_);
  if (xcb_connection_t* c = Connection()) {
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

ForeignWindowWatcher::~ForeignWindowWatcher() {
  if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(filter_);
  delete filter_;
}

void ForeignWindowWatcher::Check() {
  if (gone_ || ForeignWindowExists(id_)) return;
  gone_ = true;
  emit hostDestroyed();
}

}  // namespace orv
