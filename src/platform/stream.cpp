#include "platform/stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/exceptions.h"

namespace orv {

int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t end = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return end;
}

void TStream::SetSize(int64_t) { throw EWriteError(); }

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count > 0 && Read(buffer, count) != count) throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count > 0 && Write(buffer, count) != count) throw EWriteError();
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  int64_t done = 0;
  std::vector<uint8_t> buf(size_t(std::min<int64_t>(std::max<int64_t>(count, 1), 1 << 20)));
  while (done < count) {
    int64_t n = std::min<int64_t>(count - done, int64_t(buf.size()));
    source.ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    done += n;
  }
  return done;
}

TMemoryStream::TMemoryStream(const void* data, size_t size)
    : data_(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size) {}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || pos_ >= Size()) return 0;
  int64_t n = std::min<int64_t>(count, Size() - pos_);
  std::memcpy(buffer, data_.data() + pos_, size_t(n));
  pos_ += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  if (pos_ + count > Size()) data_.resize(size_t(pos_ + count));
  std::memcpy(data_.data() + pos_, buffer, size_t(count));
  pos_ += count;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? pos_ : Size();
  pos_ = std::max<int64_t>(0, base + offset);
  return pos_;
}

void TMemoryStream::SetSize(int64_t size) {
  data_.resize(size_t(std::max<int64_t>(size, 0)));
  pos_ = std::min(pos_, Size());
}

std::vector<uint8_t> TMemoryStream::TakeBytes() {
  pos_ = 0;
  return std::move(data_);
}

void TMemoryStream::Clear() {
  data_.clear();
  pos_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  int64_t n = source.Size();
  data_.resize(size_t(n));
  source.ReadBuffer(data_.data(), n);
  pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& path) {
  TFileStream f(path, fmOpenRead);
  LoadFromStream(f);
}

void TMemoryStream::SaveToStream(TStream& target) { target.WriteBuffer(data_.data(), Size()); }

void TMemoryStream::SaveToFile(const std::string& path) {
  TFileStream f(path, fmCreate);
  SaveToStream(f);
}

TFileStream::TFileStream(const std::string& path, TFileMode mode) : path_(path) {
  // Non-blocking open, so that a FIFO cannot hang us before the check below.
  int flags = O_CLOEXEC;
  switch (mode) {
    case fmOpenRead: flags |= O_RDONLY | O_NONBLOCK; break;
    case fmCreate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case fmOpenReadWrite: flags |= O_RDWR; break;
  }
  do {
    fd_ = ::open(path.c_str(), flags, 0666);
  } while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0) throw EFOpenError::ForPath(path);
  if (mode == fmOpenRead) {
    // Only regular files make sense as pictures; a FIFO or device could block forever.
    struct stat st;
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd_);
      fd_ = -1;
      throw EFOpenError::ForPath(path);
    }
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
  }
}

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  int64_t done = 0;
  auto* p = static_cast<uint8_t*>(buffer);
  while (done < count) {
    ssize_t n = ::read(fd_, p + done, size_t(std::min<int64_t>(count - done, 1 << 30)));
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
    ssize_t n = ::write(fd_, p + done, size_t(std::min<int64_t>(count - done, 1 << 30)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  off_t r = ::lseek(fd_, off_t(offset), whence);
  return r < 0 ? ::lseek(fd_, 0, SEEK_CUR) : int64_t(r);
}

int64_t TFileStream::Size() {
  struct stat st;
  if (::fstat(fd_, &st) != 0) return 0;
  return int64_t(st.st_size);
}

void TFileStream::SetSize(int64_t size) {
  if (::ftruncate(fd_, off_t(size)) != 0) throw EOSError::FromErrno(errno);
}

}  // namespace orv
