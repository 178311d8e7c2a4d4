#include "platform/paths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <mutex>

namespace orv {

namespace {
std::mutex g_path_mu;
std::string g_program_override;
}  // namespace

std::string ProgramPath() {
  {
    std::lock_guard<std::mutex> lock(g_path_mu);
    if (!g_program_override.empty()) return g_program_override;
  }
  std::string buf(PATH_MAX, '\0');
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0) return {};
  buf.resize(size_t(n));
  return buf;
}

void SetProgramPathForTesting(const std::string& path) {
  std::lock_guard<std::mutex> lock(g_path_mu);
  g_program_override = path;
}

std::string SettingsPathFor(const std::string& program_path) {
  return ChangeFileExt(program_path, ".ini");
}

std::string FolderOf(const std::string& path) {
  auto pos = path.rfind('/');
  if (pos == std::string::npos) return {};
  if (pos == 0) return "/";
  return path.substr(0, pos);
}

std::string ExtractFileName(const std::string& path) {
  auto pos = path.rfind('/');
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string ExtractFileExt(const std::string& path) {
  auto slash = path.rfind('/');
  auto dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return path.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  auto slash = path.rfind('/');
  auto dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + ext;
  return path.substr(0, dot) + ext;
}

std::string ExpandFileName(const std::string& path) {
  std::string full = path;
  if (full.empty() || full[0] != '/') {
    std::string cwd(PATH_MAX, '\0');
    if (::getcwd(cwd.data(), cwd.size())) {
      cwd.resize(cwd.find('\0'));
      full = cwd + "/" + path;
    }
  }
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= full.size()) {
    size_t j = full.find('/', i);
    if (j == std::string::npos) j = full.size();
    std::string part = full.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::string out;
  for (auto& p : parts) out += "/" + p;
  return out.empty() ? "/" : out;
}

std::string IncludeTrailingSeparator(const std::string& path) {
  if (!path.empty() && path.back() == '/') return path;
  return path + "/";
}

bool FileExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string AsciiLower(std::string s) {
  for (auto& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return s;
}

std::string AsciiUpper(std::string s) {
  for (auto& c : s)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return s;
}

std::vector<std::string> ListFilesWithExt(const std::string& folder, const std::string& ext) {
  std::vector<std::string> out;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
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
