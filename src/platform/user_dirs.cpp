#include "platform/user_dirs.h"

#include <fstream>

namespace orv {

std::string ExpandHome(const std::string& path, const char* home) {
  if (!home || !*home) return path;
  for (const char* lead : {"~", "$HOME", "${HOME}"}) {
    const std::string l = lead;
    if (path.compare(0, l.size(), l) == 0 && (path.size() == l.size() || path[l.size()] == '/'))
      return home + path.substr(l.size());
  }
  return path;
}

std::string PicturesFolderFor(const char* xdg_config_home, const char* home) {
  if (!home || !*home) return std::string();
  const std::string config =
      xdg_config_home && xdg_config_home[0] == '/' ? xdg_config_home : std::string(home) + "/.config";
  std::string folder = std::string(home) + "/Pictures";
  // xdg-user-dirs writes KEY="$HOME/name" or KEY="/absolute"; the last line wins.
  std::ifstream in(config + "/user-dirs.dirs");
  const std::string key = "XDG_PICTURES_DIR=\"";
  for (std::string line; std::getline(in, line);) {
    if (line.compare(0, key.size(), key) != 0 || line.size() < key.size() + 1 || line.back() != '"') continue;
    const std::string value = line.substr(key.size(), line.size() - key.size() - 1);
    if (value.compare(0, 5, "$HOME") == 0 || value[0] == '/') folder = ExpandHome(value, home);
  }
  return folder;
}

}  // namespace orv
