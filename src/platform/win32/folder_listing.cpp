// Folder walks through FindFirstFileW; a folder's id is its volume and file index.
#include "platform/folder_listing.h"

#include "platform/paths.h"
#include "platform/win32/find_files.h"
#include "platform/win32/wide.h"

namespace orv {

bool win32::ForEachEntry(const std::string& folder, const std::function<bool(const std::string&, uint32_t)>& visit) {
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileExW(Wide(IncludeTrailingSeparator(folder) + "*").c_str(), FindExInfoBasic, &data,
                              FindExSearchNameMatch, nullptr, 0);
  if (h == INVALID_HANDLE_VALUE) return false;
  do {
    const wchar_t* n = data.cFileName;
    if (n[0] == L'.' && (n[1] == L'\0' || (n[1] == L'.' && n[2] == L'\0'))) continue;
    if (!visit(Utf8(std::wstring(n)), data.dwFileAttributes)) break;
  } while (FindNextFileW(h, &data));
  FindClose(h);
  return true;
}

bool GetFolderId(const std::string& folder, TFolderId* id) {
  if (folder.empty() || !DirectoryExists(folder)) return false;
  HANDLE h = CreateFileW(win32::Wide(folder).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool ok = GetFileInformationByHandle(h, &info);
  CloseHandle(h);
  if (!ok) return false;
  *id = {info.dwVolumeSerialNumber, (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  return true;
}

bool ListFolder(const std::string& folder, size_t max_entries, TFolderListing* out) {
  *out = {};
  if (folder.empty() || max_entries == 0) return !folder.empty() && DirectoryExists(folder);
  return win32::ForEachEntry(folder, [&](const std::string& name, uint32_t attributes) {
    ++out->entries;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      TFolderId id;
      if (GetFolderId(JoinPath(folder, name), &id)) out->folders.push_back({name, id});
    } else if (!(attributes & win32::kSkippedAttributes)) {
      out->files.push_back(name);
    }
    return out->entries < max_entries;
  });
}

}  // namespace orv
