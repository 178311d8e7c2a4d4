// A window as the GUI seam's headers name it: an opaque handle, so that the
// same headers serve a face of any toolkit. The Qt face converts its widgets
// with Win() and back with Widget() (qt_window.h).
#pragma once

namespace orv {

struct TWindowObject;
using TWindowHandle = TWindowObject*;

}  // namespace orv
