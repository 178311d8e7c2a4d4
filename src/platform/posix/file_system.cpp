// The file system through POSIX: the program's path, the current folder,
// existence checks and folder listing.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "platform/native.h"
#include "platform/paths.h"

namespace orv {

std::string native::ExecutablePath() {
  std::string buf(PATH_MAX, '\0');
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0) return {};
  buf.resize(size_t(n));
  return buf;
}

std::string native::CurrentFolder() {
  std::string cwd(PATH_MAX, '\0');
  if (!::getcwd(cwd.data(), cwd.size())) return {};
  cwd.resize(cwd.find('\0'));
  return cwd;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> ListFilesWithExt(const std::string& folder, const std::string& ext) {
  std::vector<std::string> out;
  // An empty name is no folder: reading "." would give names that the
  // caller's "folder/name" paths cannot find.
  if (folder.empty()) return out;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return out;
  const std::string want = AsciiLower(ext);
  const int dfd = ::dirfd(dir);
  while (dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    auto dot = name.rfind('.');
    if (dot == std::string::npos || AsciiLower(name.substr(dot + 1)) != want) continue;
    if (e->d_type != DT_REG) {
      if (e->d_type != DT_LNK && e->d_type != DT_UNKNOWN) continue;
      struct stat st;
      if (::fstatat(dfd, e->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
    }
    out.push_back(std::move(name));
  }
  ::closedir(dir);
  return out;
}

}  // namespace orv
