#include "platform/window_mark.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/instance_mark.h"

namespace orv {

std::string WindowMarkPath(const std::string& display, unsigned long window) {
  // Only file-name-safe characters of the display name ("localhost:10.0").
  std::string safe;
  for (char c : display) safe += (c == '/' || c == '\0') ? '_' : c;
  char id[32];
  std::snprintf(id, sizeof id, "0x%lx", window);
  return InstanceMarkPath("Mutex_of_tobrinel.window." + safe + "." + id);
}

WindowMark::~WindowMark() {
  if (fd_ >= 0) ::close(fd_);
}

bool WindowMark::Acquire(const std::string& display, unsigned long window, int wait_ms) {
  if (fd_ >= 0) return true;
  int fd;
  do {
    fd = ::open(WindowMarkPath(display, window).c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return true;  // no place for marks: better two copies than none
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) break;
    if (errno != EWOULDBLOCK && errno != EINTR) break;  // locks unsupported: go on unguarded
    if (std::chrono::steady_clock::now() >= deadline) {
      ::close(fd);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  fd_ = fd;
  return true;
}

}  // namespace orv
