// The program's icon, drawn in code: a framed landscape picture.
#pragma once

#include <QIcon>
#include <QImage>

namespace orv {

// The icon at size x size pixels, transparent outside the picture frame.
QImage ApplicationIconImage(int size = 32);
// The icon in the sizes a window manager asks for (16, 32, 48).
QIcon ApplicationIcon();

}  // namespace orv
