// The file system through the wide Win32 calls: the program's path, the
// current folder, existence checks and folder listing.
#include <windows.h>

#include "platform/native.h"
#include "platform/paths.h"
#include "platform/win32/find_files.h"
#include "platform/win32/wide.h"

namespace orv {

std::string native::ExecutablePath() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), DWORD(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) return win32::Utf8(buf.data(), n);
    if (buf.size() >= 32768) return {};
    buf.resize(buf.size() * 2);
  }
}

std::string native::CurrentFolder() {
  const DWORD n = GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return {};
  std::wstring buf(n, L'\0');
  const DWORD got = GetCurrentDirectoryW(n, buf.data());
  return got > 0 && got < n ? win32::Utf8(buf.data(), got) : std::string();
}

namespace {
DWORD Attributes(const std::string& path) {
  return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(win32::Wide(path).c_str());
}
}  // namespace

bool FileExists(const std::string& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

bool DirectoryExists(const std::string& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> ListFilesWithExt(const std::string& folder, const std::string& ext) {
  std::vector<std::string> out;
  if (folder.empty()) return out;
  const std::string want = AsciiLower(ext);
  // All names, compared here: a "*.jpg" pattern would also match the 8.3
  // short name of "a.jpeg".
  win32::ForEachEntry(folder, [&](const std::string& name, uint32_t attributes) {
    if (attributes & win32::kSkippedAttributes) return true;
    auto dot = name.rfind('.');
    if (dot != std::string::npos && AsciiLower(name.substr(dot + 1)) == want) out.push_back(name);
    return true;
  });
  return out;
}

}  // namespace orv
