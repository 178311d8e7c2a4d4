// A dialog of fixed size on a screen too small for it (a small monitor or a
// high scale factor, where 1920 x 1080 at scale 2 leaves 960 x 540): its
// controls move, as they are, into a scroll area and the window takes only
// the room the screen has, so that it never reaches past the screen's edges.
#pragma once

class QDialog;
class QRect;

namespace orv {

// Fits the dialog's frame into area; leaves a dialog that fits as it is.
// Called again (a new frame, another screen) it resizes the scroll area.
void FitDialogToScreen(QDialog* dialog, const QRect& area);

}  // namespace orv
