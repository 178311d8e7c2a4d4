// The per-user instance mark: an advisory lock on a file named after the mark
// in $XDG_RUNTIME_DIR (else the temporary folder). The kernel drops the lock
// when the process dies, so a crash never blocks the next start.
#pragma once

#include <string>

#include "platform/native.h"

namespace orv {

// Path of the lock file for a mark name.
std::string InstanceMarkPath(const std::string& name);

// True while another live process holds the mark.
bool InstanceMarkHeld(const std::string& name);

// Holds the mark for the life of this object (normally the process).
class InstanceMark {
 public:
  InstanceMark() = default;
  ~InstanceMark();
  InstanceMark(const InstanceMark&) = delete;
  InstanceMark& operator=(const InstanceMark&) = delete;
  // Takes the mark (shared with other holders). Failure is not fatal.
  bool Create(const std::string& name);
  void Release();

 private:
  NativeHandle handle_ = kNoHandle;
};

}  // namespace orv
