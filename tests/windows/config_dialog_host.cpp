// Opens the configuration dialog alone, as the screen saver's /c does; the
// exit code tells how it closed (0 OK, 1 Cancel).
#include <windows.h>

#include "config/win32/config_dialog_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return orv::RunConfigDialog(nullptr) == IDOK ? 0 : 1; }
