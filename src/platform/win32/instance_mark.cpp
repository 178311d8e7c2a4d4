// The instance mark as the named mutex the system keeps for the session; it
// goes with the last handle, so a crash never blocks the next start.
#include "platform/instance_mark.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace orv {

std::string InstanceMarkPath(const std::string& name) { return name; }

bool InstanceMarkHeld(const std::string& name) {
  HANDLE h = OpenMutexW(SYNCHRONIZE, FALSE, win32::Wide(name).c_str());
  if (!h) return false;
  CloseHandle(h);
  return true;
}

InstanceMark::~InstanceMark() { Release(); }

bool InstanceMark::Create(const std::string& name) {
  Release();
  HANDLE h = CreateMutexW(nullptr, FALSE, win32::Wide(name).c_str());
  if (!h) return false;
  handle_ = reinterpret_cast<NativeHandle>(h);
  return true;
}

void InstanceMark::Release() {
  if (handle_ != kNoHandle) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = kNoHandle;
}

}  // namespace orv
