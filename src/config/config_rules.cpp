#include "config/config_rules.h"

#include <algorithm>

#include "platform/hex_digit.h"
#include "platform/paths.h"
#include "platform/shell_link.h"

namespace orv {

int ClampChangeSec(int32_t stored) {
  const int position = static_cast<int16_t>(static_cast<uint32_t>(stored) & 0xFFFFu);
  return std::clamp(position, kChangeSecMin, kChangeSecMax);
}

int ClampDrawMode(int32_t stored) { return std::clamp<int32_t>(stored, -1, 1); }

std::string FolderForDroppedPath(const std::string& dropped) {
  // A path is a C string: nothing after a NUL byte belongs to it.
  std::string path(dropped.c_str());
  if (AsciiUpper(ExtractFileExt(path)) == ".LNK") {
    path = ResolveShortcut(path);
    // The dialog accepts a directory as a shortcut's target as well as a file.
    if (!path.empty()) path = GetTruePath(ExpandFileName(path), true);
  }
  if (!DirectoryExists(path)) path = FolderOf(path);
  return path;
}

std::string PercentDecode(const std::string& encoded) {
  std::string out;
  out.reserve(encoded.size());
  for (size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] == '%' && i + 2 < encoded.size()) {
      int hi = HexDigit(encoded[i + 1]);
      int lo = HexDigit(encoded[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        continue;
      }
    }
    out.push_back(encoded[i]);
  }
  return out;
}

}  // namespace orv
