// Paths and the file system: the program's own path, the settings file beside
// it, path pieces, existence checks and folder listing.
#pragma once

#include <string>
#include <vector>

namespace orv {

// Full path of the running program, unless a test
// has set another.
std::string ProgramPath();
void SetProgramPathForTesting(const std::string& path);  // empty restores the real one

// The program's path with its extension replaced by ".ini" (appended when the
// file name has none).
std::string SettingsPathFor(const std::string& program_path);
// The folder of a path without a trailing separator; a root keeps it ("/", "C:\\").
std::string FolderOf(const std::string& path);

// A folder and a name with the system's separator between them, always
// (also after a folder that ends with one).
std::string JoinPath(const std::string& folder, const std::string& name);

// Pieces of a path; the system's separators separate ("/", on Windows also "\\").
std::string ExtractFileName(const std::string& path);
// The extension with its dot, from the last "." after the last separator; empty when none.
std::string ExtractFileExt(const std::string& path);
std::string ChangeFileExt(const std::string& path, const std::string& ext);
// Absolute and lexically normalised ("." and ".." folded, repeated separators merged).
std::string ExpandFileName(const std::string& path);
std::string IncludeTrailingSeparator(const std::string& path);

bool FileExists(const std::string& path);       // a regular file, also through links
bool DirectoryExists(const std::string& path);  // a directory, also through links

// ASCII-only case changes (the locale's rules for our UTF-8 text).
std::string AsciiLower(std::string s);
std::string AsciiUpper(std::string s);

// Names in one folder whose extension (after the last dot) equals ext without
// regard to case, in the order the file system returns them. Regular files,
// also through symbolic links, including hidden dot-files; directories,
// devices, sockets, FIFOs and dangling links are skipped. A folder that
// cannot be read gives an empty list.
std::vector<std::string> ListFilesWithExt(const std::string& folder, const std::string& ext);

}  // namespace orv
