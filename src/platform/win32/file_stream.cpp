// TFileStream over a Win32 file handle (wide path).
#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "platform/exceptions.h"
#include "platform/stream.h"
#include "platform/win32/wide.h"

namespace orv {

namespace {
HANDLE H(NativeHandle h) { return reinterpret_cast<HANDLE>(h); }
}  // namespace

TFileStream::TFileStream(const std::string& path, TFileMode mode) : path_(path) {
  DWORD access = GENERIC_READ, share = FILE_SHARE_READ, disposition = OPEN_EXISTING;
  switch (mode) {
    case fmOpenRead: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    case fmCreate: access |= GENERIC_WRITE; disposition = CREATE_ALWAYS; break;
    case fmOpenReadWrite: access |= GENERIC_WRITE; break;
  }
  HANDLE h = CreateFileW(win32::Wide(path).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw EFOpenError::ForPath(path);
  // Only disk files make sense as pictures; a pipe or device could block forever.
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    throw EFOpenError::ForPath(path);
  }
  handle_ = reinterpret_cast<NativeHandle>(h);
}

TFileStream::~TFileStream() {
  if (handle_ != kNoHandle) CloseHandle(H(handle_));
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  int64_t done = 0;
  auto* p = static_cast<uint8_t*>(buffer);
  while (done < count) {
    DWORD n = 0;
    const DWORD want = DWORD(std::min<int64_t>(count - done, 1 << 30));
    if (!ReadFile(H(handle_), p + done, want, &n, nullptr) || n == 0) break;
    done += n;
  }
  return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  int64_t done = 0;
  auto* p = static_cast<const uint8_t*>(buffer);
  while (done < count) {
    DWORD n = 0;
    const DWORD want = DWORD(std::min<int64_t>(count - done, 1 << 30));
    if (!WriteFile(H(handle_), p + done, want, &n, nullptr) || n == 0) break;
    done += n;
  }
  return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  const DWORD method = origin == soBeginning ? FILE_BEGIN : origin == soCurrent ? FILE_CURRENT : FILE_END;
  LARGE_INTEGER to, now;
  to.QuadPart = offset;
  if (SetFilePointerEx(H(handle_), to, &now, method)) return now.QuadPart;
  to.QuadPart = 0;
  return SetFilePointerEx(H(handle_), to, &now, FILE_CURRENT) ? now.QuadPart : 0;
}

int64_t TFileStream::Size() {
  LARGE_INTEGER size;
  return GetFileSizeEx(H(handle_), &size) ? size.QuadPart : 0;
}

void TFileStream::SetSize(int64_t size) {
  const int64_t pos = Position();
  Seek(size, soBeginning);
  const bool ok = SetEndOfFile(H(handle_));
  Seek(std::min(pos, size), soBeginning);
  if (!ok) throw EOSError::FromErrno(EIO);
}

}  // namespace orv
