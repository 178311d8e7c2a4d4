// Folder walks through readdir and fstatat.
#include "platform/folder_listing.h"

#include <dirent.h>
#include <sys/stat.h>

namespace orv {

bool GetFolderId(const std::string& folder, TFolderId* id) {
  struct stat st;
  if (folder.empty() || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  *id = {uint64_t(st.st_dev), uint64_t(st.st_ino)};
  return true;
}

bool ListFolder(const std::string& folder, size_t max_entries, TFolderListing* out) {
  *out = {};
  if (folder.empty()) return false;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return false;
  const int dfd = ::dirfd(dir);
  while (out->entries < max_entries) {
    const dirent* e = ::readdir(dir);
    if (!e) break;
    const char* name = e->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    ++out->entries;
    if (e->d_type == DT_REG) {
      out->files.emplace_back(name);
      continue;
    }
    if (e->d_type != DT_DIR && e->d_type != DT_LNK && e->d_type != DT_UNKNOWN) continue;
    // Links are followed; a folder needs its id in any case (a mount point's
    // is the mounted folder's, which only stat tells).
    struct stat st;
    if (::fstatat(dfd, name, &st, 0) != 0) continue;
    if (S_ISREG(st.st_mode))
      out->files.emplace_back(name);
    else if (S_ISDIR(st.st_mode))
      out->folders.push_back({name, {uint64_t(st.st_dev), uint64_t(st.st_ino)}});
  }
  ::closedir(dir);
  return true;
}

}  // namespace orv
