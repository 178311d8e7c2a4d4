#include "platform/gui/host_window.h"

#include <QGuiApplication>
#include <xcb/xcb.h>

#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <memory>

namespace orv {

namespace {

xcb_connection_t* Connection() {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

// The pixmap id in the window's _SCREENSAVER_SCREENSHOT property, 0 when none.
uint32_t ScreenshotPixmap(xcb_connection_t* c, xcb_window_t window) {
  const char name[] = "_SCREENSAVER_SCREENSHOT";
  Reply<xcb_intern_atom_reply_t> atom(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr), &std::free);
  if (!atom || atom->atom == XCB_ATOM_NONE) return 0;
  Reply<xcb_get_property_reply_t> prop(
      xcb_get_property_reply(c, xcb_get_property(c, 0, window, atom->atom, XCB_ATOM_PIXMAP, 0, 1), nullptr),
      &std::free);
  if (!prop || prop->format != 32 || xcb_get_property_value_length(prop.get()) < 4) return 0;
  uint32_t pixmap;
  std::memcpy(&pixmap, xcb_get_property_value(prop.get()), 4);
  return pixmap;
}

}  // namespace

unsigned long RootWindowId() {
  xcb_connection_t* c = Connection();
  if (!c) return 0;
  const xcb_setup_t* setup = xcb_get_setup(c);
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
  // Qt connects to the display's default screen; DISPLAY's ".N" names it.
  const char* display = std::getenv("DISPLAY");
  int screen = 0;
  if (display) {
    const char* dot = std::strrchr(display, '.');
    const char* colon = std::strrchr(display, ':');
    if (dot && colon && dot > colon) screen = std::atoi(dot + 1);
  }
  for (int i = 0; i < screen && it.rem; ++i) xcb_screen_next(&it);
  return it.rem ? it.data->root : 0;
}

std::optional<TSize> HostWindowSize(unsigned long id) {
  xcb_connection_t* c = Connection();
  if (!c || id == 0 || id > 0xFFFFFFFFul) return std::nullopt;
  Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, xcb_get_geometry(c, xcb_drawable_t(id)), nullptr),
                                    &std::free);
  if (!g) return std::nullopt;
  return TSize{g->width, g->height};
}

std::string DisplayName() {
  const char* d = std::getenv("DISPLAY");
  return d ? d : "";
}

void THostWindowScreen::Snapshot(TBitmap& bmp) {
  bmp.Allocate(size_.Width, size_.Height, pf32bit, true);
  xcb_connection_t* c = Connection();
  if (!c) return;
  uint32_t pixmap = ScreenshotPixmap(c, xcb_window_t(window_));
  if (!pixmap) pixmap = ScreenshotPixmap(c, xcb_window_t(RootWindowId()));
  if (!pixmap) return;
  Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, xcb_get_geometry(c, pixmap), nullptr), &std::free);
  if (!g || g->depth < 24) return;
  const int w = std::min<int>(g->width, size_.Width), h = std::min<int>(g->height, size_.Height);
  // Row by row: one request for a whole screen can exceed the request limit.
  for (int y = 0; y < h; ++y) {
    Reply<xcb_get_image_reply_t> img(
        xcb_get_image_reply(c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, 0, int16_t(y), uint16_t(w), 1, ~0u),
                            nullptr),
        &std::free);
    if (!img || xcb_get_image_data_length(img.get()) < w * 4) return;
    uint8_t* row = bmp.ScanLine(y);
    std::memcpy(row, xcb_get_image_data(img.get()), size_t(w) * 4);
    for (int x = 0; x < w; ++x) row[x * 4 + 3] = 0xFF;
  }
}

}  // namespace orv
