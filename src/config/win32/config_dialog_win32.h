// The configuration dialog of the Windows build (/c).
#pragma once

#include <windows.h>

namespace orv {

// Shows the dialog, owned by owner (may be null), and returns when it closes:
// the dialog's result.
int RunConfigDialog(HWND owner);

}  // namespace orv
