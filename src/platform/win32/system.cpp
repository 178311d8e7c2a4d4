// Process services through Win32: thread CPU time, the environment, folders,
// the UTC clock, the ANSI code page.
#include <windows.h>

#include "platform/native.h"
#include "platform/win32/wide.h"

namespace orv {

const char* const native::kLineEnd = "\r\n";

unsigned native::AnsiCodePage() { return GetACP(); }

uint64_t native::ThreadCpuMilliseconds() {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
  auto ticks = [](const FILETIME& f) { return (uint64_t(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
  return (ticks(kernel) + ticks(user)) / 10000;  // 100 ns ticks
}

std::string native::GetEnv(const std::string& name) {
  const std::wstring w = win32::Wide(name);
  const DWORD n = GetEnvironmentVariableW(w.c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring value(n, L'\0');
  const DWORD got = GetEnvironmentVariableW(w.c_str(), value.data(), n);
  value.resize(got < n ? got : 0);
  return win32::Utf8(value);
}

void native::SetEnv(const std::string& name, const std::string& value) {
  SetEnvironmentVariableW(win32::Wide(name).c_str(), win32::Wide(value).c_str());
}

bool native::CreateFolder(const std::string& path) {
  const std::wstring w = win32::Wide(path);
  CreateDirectoryW(w.c_str(), nullptr);
  const DWORD a = GetFileAttributesW(w.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

native::UtcTime native::UtcNow() {
  SYSTEMTIME t;
  GetSystemTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace orv
