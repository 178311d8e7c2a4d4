// Qt's connection to the X server; nullptr on other Qt platforms (offscreen).
#pragma once

#include <QGuiApplication>
#include <xcb/xcb.h>

namespace orv {

inline xcb_connection_t* XcbConnection() {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

}  // namespace orv
