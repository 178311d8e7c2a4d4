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

namespace {
size_t LastDelimiter(const std::string& path) {
  for (size_t i = path.size(); i > 0; --i)
    if (native::IsPathDelimiter(path[i - 1])) return i - 1;
  return std::string::npos;
}

// Start of the extension's dot in the last component, or npos.
size_t ExtDot(const std::string& path) {
  const size_t delim = LastDelimiter(path);
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (delim != std::string::npos && dot < delim)) return std::string::npos;
  return dot;
}
}  // namespace

std::string FolderOf(const std::string& path) {
  const size_t pos = LastDelimiter(path);
  if (pos == std::string::npos) return {};
  const size_t root = native::PathRootLength(path);
  if (pos < root) return path.substr(0, root);
  return path.substr(0, pos);
}

std::string ExtractFileName(const std::string& path) {
  const size_t pos = LastDelimiter(path);
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string ExtractFileExt(const std::string& path) {
  const size_t dot = ExtDot(path);
  return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  const size_t dot = ExtDot(path);
  return (dot == std::string::npos ? path : path.substr(0, dot)) + ext;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + native::kPathDelim + name;
}

std::string ExpandFileName(const std::string& path) {
  std::string full = path;
  if (native::PathRootLength(full) == 0) {
    std::string cwd = native::CurrentFolder();
    if (!cwd.empty()) full = IncludeTrailingSeparator(cwd) + path;
  }
  const size_t root_len = native::PathRootLength(full);
  std::string root = full.substr(0, root_len);
  for (auto& c : root)
    if (native::IsPathDelimiter(c)) c = native::kPathDelim;
  if (root.empty() || !native::IsPathDelimiter(root.back())) root += native::kPathDelim;
  std::vector<std::string> parts;
  size_t i = root_len;
  while (i <= full.size()) {
    size_t j = i;
    while (j < full.size() && !native::IsPathDelimiter(full[j])) ++j;
    std::string part = full.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::string out = root;
  for (size_t k = 0; k < parts.size(); ++k) out += (k ? std::string(1, native::kPathDelim) : std::string()) + parts[k];
  return out;
}

std::string IncludeTrailingSeparator(const std::string& path) {
  if (!path.empty() && native::IsPathDelimiter(path.back())) return path;
  return path + native::kPathDelim;
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
