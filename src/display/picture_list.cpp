#include "display/picture_list.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <set>
#include <utility>

#include "formats/formats.h"
#include "platform/folder_listing.h"
#include "platform/paths.h"
#include "platform/shell_link.h"

namespace orv {

namespace {

constexpr size_t kCountStep = 50;

void Append(std::vector<std::string>& pictures, std::string path, ISearchProgress& progress) {
  pictures.push_back(std::move(path));
  if (pictures.size() % kCountStep == 0) {
    progress.SetCaption(SearchingText(pictures.size()));
    progress.Repaint();
  }
}

void AddShortcutTarget(std::vector<std::string>& pictures, const std::string& link, ISearchProgress& progress) {
  std::string target = ResolveShortcut(link);
  if (!target.empty()) target = ExpandFileName(target);
  target = GetTruePath(target);
  if (target.empty() || !IsPictureFormatPath(target) || !FileExists(target)) return;
  Append(pictures, std::move(target), progress);
}

void StartSearch(ISearchProgress& progress) {
  progress.SetCaption(SearchingText(0));
  progress.SetProgress(10);
  progress.Repaint();
}

void EndSearch(const std::vector<std::string>& pictures, ISearchProgress& progress) {
  progress.SetCaption(SearchingText(pictures.size()));
  progress.SetProgress(100);
  progress.Repaint();
}

// The passes of AddFilesWithExt and AddShortcutTargets over names already
// read; with steps, the bar moves after each picture pass as in one folder.
void AddListedFiles(std::vector<std::string>& pictures, const std::string& folder,
                    const std::vector<std::string>& names, ISearchProgress& progress, bool steps) {
  // The extension after the last dot, as ListFilesWithExt compares it.
  std::vector<std::string> exts;
  exts.reserve(names.size());
  for (const std::string& name : names) {
    const size_t dot = name.rfind('.');
    exts.push_back(dot == std::string::npos ? std::string() : AsciiLower(name.substr(dot + 1)));
  }
  for (const TPictureFormat& pass : PictureFormats()) {
    for (size_t i = 0; i < names.size(); ++i)
      if (exts[i] == pass.ext) Append(pictures, JoinPath(folder, names[i]), progress);
    if (steps && pass.searchBar) {
      progress.SetProgress(pass.searchBar);
      progress.Repaint();
    }
  }
  for (size_t i = 0; i < names.size(); ++i)
    if (exts[i] == "lnk") AddShortcutTarget(pictures, JoinPath(folder, names[i]), progress);
}

}  // namespace

std::string SearchingText(size_t count) { return "Searching : " + std::to_string(count); }

void AddFilesWithExt(std::vector<std::string>& pictures, const std::string& folder,
                     const std::string& ext, ISearchProgress& progress) {
  // A separator always goes in, even after a folder that ends with one.
  for (std::string& name : ListFilesWithExt(folder, ext))
    Append(pictures, JoinPath(folder, name), progress);
}

void AddShortcutTargets(std::vector<std::string>& pictures, const std::string& folder,
                        ISearchProgress& progress) {
  for (const std::string& name : ListFilesWithExt(folder, "lnk"))
    AddShortcutTarget(pictures, JoinPath(folder, name), progress);
}

std::vector<std::string> SearchPictures(const std::string& folder, ISearchProgress& progress) {
  std::vector<std::string> pictures;
  StartSearch(progress);
  for (const TPictureFormat& pass : PictureFormats()) {
    AddFilesWithExt(pictures, folder, pass.ext, progress);
    if (!pass.searchBar) continue;
    progress.SetProgress(pass.searchBar);
    progress.Repaint();
  }
  AddShortcutTargets(pictures, folder, progress);
  EndSearch(pictures, progress);
  return pictures;
}

std::vector<std::string> SearchPictures(const std::string& folder, ISearchProgress& progress, bool subfolders,
                                        const TSearchLimits& limits) {
  if (!subfolders) return SearchPictures(folder, progress);
  std::vector<std::string> pictures;
  StartSearch(progress);
  TFolderId top;
  if (GetFolderId(folder, &top)) {
    struct Pending {
      std::string path;
      int depth;
    };
    // Every folder is queued once, by what it is rather than by the path
    // that reached it: links back up the tree cannot loop.
    std::set<std::pair<uint64_t, uint64_t>> seen = {{top.device, top.inode}};
    std::deque<Pending> queue = {{folder, 0}};
    size_t budget = limits.maxEntries;
    size_t listed = 0;
    int shown = 85;
    TFolderListing listing;
    while (!queue.empty() && budget > 0) {
      const Pending next = std::move(queue.front());
      queue.pop_front();
      const bool first = listed++ == 0;
      if (ListFolder(next.path, budget, &listing)) {
        budget -= listing.entries;
        AddListedFiles(pictures, next.path, listing.files, progress, first);
        if (next.depth < limits.maxDepth)
          for (const TFolderListing::Folder& sub : listing.folders)
            if (seen.insert({sub.id.device, sub.id.inode}).second)
              queue.push_back({JoinPath(next.path, sub.name), next.depth + 1});
      }
      if (first) continue;
      // Folders listed against folders known: short of 100 until the end.
      const int position = 85 + int(14 * listed / (listed + queue.size()));
      if (position != shown) progress.SetProgress(shown = position);
      progress.StillSearching(pictures.size());
    }
  }
  EndSearch(pictures, progress);
  return pictures;
}

void ShufflePictures(std::vector<std::string>& pictures, IRandom& random) {
  const size_t n = pictures.size();
  if (n == 0) return;
  // The list never comes near 2^31 entries in practice; clamp so that the
  // generator's int range cannot be exceeded.
  const int range = n > size_t(INT32_MAX) ? INT32_MAX : static_cast<int>(n);
  for (size_t i = 0; i < n; ++i) {
    int r = random.Next(range);
    if (r < 0 || size_t(r) >= n) continue;  // a broken generator never indexes out of range
    std::swap(pictures[i], pictures[size_t(r)]);
  }
}

TTimeSeededRandom::TTimeSeededRandom() {
  state_ = uint64_t(std::chrono::system_clock::now().time_since_epoch().count()) ^
           uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) ^ 0x9E3779B97F4A7C15ull;
}

int TTimeSeededRandom::Next(int n) {
  if (n <= 1) return 0;
  // splitmix64, then an unbiased bounded draw (rejection of the short tail).
  const uint64_t bound = uint64_t(n);
  const uint64_t limit = UINT64_MAX - UINT64_MAX % bound;
  for (;;) {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    if (z < limit) return static_cast<int>(z % bound);
  }
}

}  // namespace orv
