#include "platform/paths.h"

#include <mutex>

#include "platform/native.h"

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
  return native::ExecutablePath();
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
    std::string cwd = native::CurrentFolder();
    if (!cwd.empty()) full = cwd + "/" + path;
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

}  // namespace orv
