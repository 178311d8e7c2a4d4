// POSIX paths: "/" separates and is the only root.
#include "platform/native.h"
#include "platform/shell_link.h"

namespace orv {

const char native::kPathDelim = '/';

bool native::IsPathDelimiter(char c) { return c == '/'; }

size_t native::PathRootLength(const std::string& path) { return !path.empty() && path[0] == '/' ? 1 : 0; }

std::string MapWindowsPath(const std::string& path) {
  if (path.empty()) return {};
  std::string p = path;
  for (auto& c : p)
    if (c == '\\') c = '/';
  if (p[0] == '/' && !(p.size() > 1 && p[1] == '/')) return p;
  if (p.size() >= 2 && (p[0] == 'Z' || p[0] == 'z') && p[1] == ':') {
    std::string rest = p.substr(2);
    return rest.empty() || rest[0] != '/' ? "/" + rest : rest;
  }
  return {};
}

}  // namespace orv
