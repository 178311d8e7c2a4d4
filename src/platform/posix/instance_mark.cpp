// The instance mark as a flock on a file in the runtime folder.
#include "platform/instance_mark.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace orv {

std::string InstanceMarkPath(const std::string& name) {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  if (dir && *dir) return std::string(dir) + "/" + name;
  const char* tmp = std::getenv("TMPDIR");
  std::string base = (tmp && *tmp) ? tmp : "/tmp";
  // The temporary folder is shared between users: keep one mark per user.
  return base + "/" + name + "." + std::to_string(::getuid());
}

namespace {
int OpenMark(const std::string& name, bool create) {
  int flags = O_RDONLY | O_CLOEXEC | (create ? O_CREAT : 0);
  int fd;
  do {
    fd = ::open(InstanceMarkPath(name).c_str(), flags, 0600);
  } while (fd < 0 && errno == EINTR);
  return fd;
}
}  // namespace

bool InstanceMarkHeld(const std::string& name) {
  int fd = OpenMark(name, false);
  if (fd < 0) return false;  // no file: nobody ever took the mark
  // Holders keep a shared lock; an exclusive probe fails exactly while one lives.
  bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);  // also drops the probe's lock if it got one
  return held;
}

InstanceMark::~InstanceMark() { Release(); }

bool InstanceMark::Create(const std::string& name) {
  Release();
  const int fd = OpenMark(name, true);
  if (fd < 0) return false;
  handle_ = fd;
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
    // Another start is probing right now; take the mark when it lets go.
    if (::flock(fd, LOCK_SH) != 0) {
      Release();
      return false;
    }
  }
  return true;
}

void InstanceMark::Release() {
  if (handle_ != kNoHandle) ::close(int(handle_));
  handle_ = kNoHandle;
}

}  // namespace orv
