// GetTruePath over Windows folders: each component as FindFirstFileW stores
// it (the long name also for a component given in its 8.3 form).
#include <windows.h>

#include "platform/native.h"
#include "platform/paths.h"
#include "platform/shell_link.h"
#include "platform/win32/wide.h"

namespace orv {

std::string GetTruePath(const std::string& path, bool allow_directory) {
  if (path.empty()) return {};
  const std::string full = ExpandFileName(path);
  const size_t root = native::PathRootLength(full);
  std::string out = full.substr(0, root);
  if (out.size() == 3 && out[1] == ':' && out[0] >= 'a' && out[0] <= 'z') out[0] = char(out[0] - 'a' + 'A');
  size_t i = root;
  while (i < full.size()) {
    size_t j = full.find('\\', i);
    if (j == std::string::npos) j = full.size();
    const std::string probe = IncludeTrailingSeparator(out) + full.substr(i, j - i);
    if (probe.find_first_of("*?") != std::string::npos) return {};
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(win32::Wide(probe).c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return {};
    FindClose(h);
    out = IncludeTrailingSeparator(out) + win32::Utf8(std::wstring(data.cFileName));
    i = j + 1;
  }
  if (FileExists(out)) return out;
  if (allow_directory && DirectoryExists(out)) return out;
  return {};
}

}  // namespace orv
