// The Qt face's windows as the GUI seam's opaque handles, and back.
#pragma once

#include <QWidget>

#include "platform/gui/window_handle.h"

namespace orv {

inline TWindowHandle Win(QWidget* widget) { return reinterpret_cast<TWindowHandle>(widget); }
inline QWidget* Widget(TWindowHandle window) { return reinterpret_cast<QWidget*>(window); }

}  // namespace orv
