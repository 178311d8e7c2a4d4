// Atomic file replacement: a temporary file beside the target, flushed, then
// MoveFileExW over it.
#include "platform/file_util.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "platform/paths.h"
#include "platform/win32/wide.h"

namespace orv {

namespace {
int Errno(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED: case ERROR_SHARING_VIOLATION: case ERROR_LOCK_VIOLATION: return EACCES;
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    default: return EIO;
  }
}
}  // namespace

int ReplaceFileAtomically(const std::string& path, const std::string& content) {
  const std::wstring target = win32::Wide(path);
  const DWORD a = GetFileAttributesW(target.c_str());
  if (a != INVALID_FILE_ATTRIBUTES) {
    if (a & FILE_ATTRIBUTE_DIRECTORY) return EISDIR;
    if (a & FILE_ATTRIBUTE_READONLY) return EACCES;
  }
  std::string folder = FolderOf(path);
  if (folder.empty()) folder = ".";
  const std::wstring temp = win32::Wide(IncludeTrailingSeparator(folder) + "~" + ExtractFileName(path) + "." +
                                        std::to_string(GetCurrentProcessId()) + ".tmp");
  HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Errno(GetLastError());
  int err = 0;
  size_t done = 0;
  while (!err && done < content.size()) {
    DWORD n = 0;
    const DWORD want = DWORD(std::min<size_t>(content.size() - done, 1 << 30));
    if (!WriteFile(h, content.data() + done, want, &n, nullptr) || n == 0) err = Errno(GetLastError());
    done += n;
  }
  if (!err && !FlushFileBuffers(h)) err = Errno(GetLastError());
  CloseHandle(h);
  if (!err && !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    err = Errno(GetLastError());
  if (err) DeleteFileW(temp.c_str());
  return err;
}

}  // namespace orv
