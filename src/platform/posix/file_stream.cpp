// TFileStream over a POSIX descriptor.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/exceptions.h"
#include "platform/stream.h"

namespace orv {

TFileStream::TFileStream(const std::string& path, TFileMode mode) : path_(path) {
  // Non-blocking open, so that a FIFO cannot hang us before the check below.
  int flags = O_CLOEXEC;
  int fd;
  switch (mode) {
    case fmOpenRead: flags |= O_RDONLY | O_NONBLOCK; break;
    case fmCreate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case fmOpenReadWrite: flags |= O_RDWR; break;
  }
  do {
    fd = ::open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) throw EFOpenError::ForPath(path);
  handle_ = fd;
  if (mode == fmOpenRead) {
    // Only regular files make sense as pictures; a FIFO or device could block forever.
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      handle_ = kNoHandle;
      throw EFOpenError::ForPath(path);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  }
}

TFileStream::~TFileStream() {
  if (handle_ != kNoHandle) ::close(int(handle_));
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  int64_t done = 0;
  auto* p = static_cast<uint8_t*>(buffer);
  while (done < count) {
    ssize_t n = ::read(int(handle_), p + done, size_t(std::min<int64_t>(count - done, 1 << 30)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  int64_t done = 0;
  auto* p = static_cast<const uint8_t*>(buffer);
  while (done < count) {
    ssize_t n = ::write(int(handle_), p + done, size_t(std::min<int64_t>(count - done, 1 << 30)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  off_t r = ::lseek(int(handle_), off_t(offset), whence);
  return r < 0 ? ::lseek(int(handle_), 0, SEEK_CUR) : int64_t(r);
}

int64_t TFileStream::Size() {
  struct stat st;
  if (::fstat(int(handle_), &st) != 0) return 0;
  return int64_t(st.st_size);
}

void TFileStream::SetSize(int64_t size) {
  if (::ftruncate(int(handle_), off_t(size)) != 0) throw EOSError::FromErrno(errno);
}

}  // namespace orv
