// The configuration dialog as Win32 windows over the shared dialog model.
#pragma once

// The window handle as <windows.h> declares it, so that this header leaves
// the order of includes free (the platform's colour helpers share names with
// the Windows macros).
struct HWND__;
typedef HWND__* HWND;

namespace orv {

// Shows the dialog modal to owner (may be null) until it closes; IDOK (1)
// when OK saved the settings, IDCANCEL (2) otherwise.
int RunConfigDialog(HWND owner);

}  // namespace orv
