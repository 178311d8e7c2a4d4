// GetTruePath over POSIX folders.
#include <dirent.h>
#include <sys/stat.h>

#include "platform/paths.h"
#include "platform/shell_link.h"

namespace orv {

namespace {

// Name of an entry of dir that equals name, exactly or else without regard to case.
bool FindStoredName(const std::string& dir, const std::string& name, std::string* stored) {
  struct stat st;
  std::string exact = IncludeTrailingSeparator(dir) + name;
  if (::lstat(exact.c_str(), &st) == 0) {
    *stored = name;
    return true;
  }
  DIR* d = ::opendir(dir.c_str());
  if (!d) return false;
  const std::string want = AsciiLower(name);
  bool found = false;
  while (dirent* e = ::readdir(d)) {
    if (AsciiLower(e->d_name) == want) {
      *stored = e->d_name;
      found = true;
      break;
    }
  }
  ::closedir(d);
  return found;
}

}  // namespace

std::string GetTruePath(const std::string& path, bool allow_directory) {
  if (path.empty()) return {};
  std::string full = ExpandFileName(path);
  std::string out = "/";
  size_t i = 1;
  while (i < full.size()) {
    size_t j = full.find('/', i);
    if (j == std::string::npos) j = full.size();
    std::string stored;
    if (!FindStoredName(out, full.substr(i, j - i), &stored)) return {};
    out = IncludeTrailingSeparator(out) + stored;
    i = j + 1;
  }
  if (FileExists(out)) return out;
  if (allow_directory && DirectoryExists(out)) return out;
  return {};
}

}  // namespace orv
