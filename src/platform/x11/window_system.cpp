#include <QGuiApplication>
#include <xcb/xcb.h>

#include "platform/gui/window_stack.h"
#include "platform/x11/xcb_connection.h"

namespace orv {

void FlushWindowSystem() {
  if (xcb_connection_t* c = XcbConnection()) xcb_flush(c);
}

}  // namespace orv
