// One copy per target window: a named mutex per window, owned by its copy.
#include "platform/window_mark.h"

#include <windows.h>

#include <cstdio>

#include "platform/win32/wide.h"

namespace orv {

std::string WindowMarkPath(const std::string& display, unsigned long window) {
  char id[32];
  std::snprintf(id, sizeof id, "0x%lx", window);
  std::string safe;
  for (char c : display) safe += c == '\\' ? '_' : c;
  return "Mutex_of_tobrinel.window." + safe + "." + id;
}

WindowMark::~WindowMark() {
  if (fd_ != kNoHandle) {
    ReleaseMutex(reinterpret_cast<HANDLE>(fd_));
    CloseHandle(reinterpret_cast<HANDLE>(fd_));
  }
}

bool WindowMark::Acquire(const std::string& display, unsigned long window, int wait_ms) {
  if (fd_ != kNoHandle) return true;
  HANDLE h = CreateMutexW(nullptr, FALSE, win32::Wide(WindowMarkPath(display, window)).c_str());
  if (!h) return true;  // no place for marks: better two copies than none
  const DWORD r = WaitForSingleObject(h, DWORD(wait_ms < 0 ? 0 : wait_ms));
  if (r != WAIT_OBJECT_0 && r != WAIT_ABANDONED) {
    CloseHandle(h);
    return false;
  }
  fd_ = reinterpret_cast<NativeHandle>(h);
  return true;
}

}  // namespace orv
