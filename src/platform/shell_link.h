// Windows shell shortcuts (.lnk files): a bounds-checked reader of the shell
// link format, and the two shell services built on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orv {

// What a shortcut file says about its target. Strings are UTF-8; paths keep
// their Windows form.
struct ShellLinkData {
  uint32_t flags = 0;
  std::string local_base_path;     // from LinkInfo (Unicode form preferred)
  std::string common_path_suffix;  // appended to the local base path
  std::string net_name;            // a network share, when the target is on one
  std::string name;
  std::string relative_path;
  std::string working_dir;
  std::string arguments;
  std::string icon_location;
};

// Parses a shortcut; false when the bytes are not a well-formed shell link.
bool ParseShellLink(const uint8_t* data, size_t size, ShellLinkData* out);

// Maps a Windows path of a shortcut to a path here: "\" becomes "/", a drive
// Z: (where compatibility layers put the root) maps to "/", a path that
// already starts with "/" is kept. Other drives give the empty string.
std::string MapWindowsPath(const std::string& path);

// The target of a shortcut file: its relative path resolved against the
// shortcut's folder when that names an existing entry, else its local base
// path. Any failure gives the empty string.
std::string ResolveShortcut(const std::string& link_path);

// The absolute, normalised path of an existing file, each component written
// as its directory stores it (a component that matches only without regard to
// case takes the stored spelling); empty when there is no such file. With
// allow_directory an existing directory is accepted too.
std::string GetTruePath(const std::string& path, bool allow_directory = false);

}  // namespace orv
