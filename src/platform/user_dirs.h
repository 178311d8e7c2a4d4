// The user's own folders as the desktop names them.
#pragma once

#include <string>

namespace orv {

// A leading "~", "$HOME" or "${HOME}" (alone or before a "/") replaced by
// home; anything else, or an empty home, gives the path unchanged. Hosts
// pass such paths without a shell to expand them.
std::string ExpandHome(const std::string& path, const char* home);

// The user's pictures folder: XDG_PICTURES_DIR from user-dirs.dirs in the
// config folder (xdg_config_home when absolute, else home/.config), else
// home/Pictures. Empty when home is unset.
std::string PicturesFolderFor(const char* xdg_config_home, const char* home);
// The same for the running user.
std::string PicturesFolder();

}  // namespace orv
