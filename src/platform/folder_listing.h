// One folder's files and subfolders in a single read, for walks over a tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// What makes a folder the same folder whatever path reaches it.
struct TFolderId {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const TFolderId&) const = default;
};

struct TFolderListing {
  // Regular files, also through symbolic links, hidden ones included, in the
  // order the file system returns them (as ListFilesWithExt takes them).
  std::vector<std::string> files;
  // Subfolders, also through symbolic links, without "." and "..".
  struct Folder {
    std::string name;
    TFolderId id;
  };
  std::vector<Folder> folders;
  // Names read, whatever they named.
  size_t entries = 0;
};

// The folder's id; false when the path names no folder that can be examined.
bool GetFolderId(const std::string& folder, TFolderId* id);

// Lists a folder, reading at most max_entries names (the rest is left
// unread). False when the folder cannot be opened; devices, sockets, FIFOs
// and dangling links are in neither list.
bool ListFolder(const std::string& folder, size_t max_entries, TFolderListing* out);

}  // namespace orv
