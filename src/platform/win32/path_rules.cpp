// Windows paths: "\" and "/" separate; roots are "C:\", "\\server\share\" and "\".
#include "platform/native.h"
#include "platform/shell_link.h"

namespace orv {

const char native::kPathDelim = '\\';

bool native::IsPathDelimiter(char c) { return c == '\\' || c == '/'; }

size_t native::PathRootLength(const std::string& p) {
  const size_t n = p.size();
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (n >= 2 && letter(p[0]) && p[1] == ':') return n >= 3 && IsPathDelimiter(p[2]) ? 3 : 2;
  if (n >= 2 && IsPathDelimiter(p[0]) && IsPathDelimiter(p[1])) {
    // \\server\share\ : the server and the share belong to the root.
    size_t i = 2;
    for (int piece = 0; piece < 2 && i < n; ++piece) {
      while (i < n && !IsPathDelimiter(p[i])) ++i;
      if (i < n) ++i;
    }
    return i;
  }
  return n >= 1 && IsPathDelimiter(p[0]) ? 1 : 0;
}

// A shortcut's target is already a path of this system.
std::string MapWindowsPath(const std::string& path) {
  std::string p = path;
  for (auto& c : p)
    if (c == '/') c = '\\';
  return p;
}

}  // namespace orv
