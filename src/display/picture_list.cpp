#include "display/picture_list.h"

#include <chrono>
#include <cstdint>
#include <utility>

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

// The extensions the list takes, in the order of the folder passes, with the
// progress position after each pass. A new format goes here and nowhere else.
struct PicturePass {
  const char* ext;
  int position;
};
constexpr PicturePass kPasses[] = {{"bmp", 25}, {"jpg", 40}, {"jpeg", 55}, {"png", 70}, {"gif", 85}};

bool IsPictureExtension(const std::string& path) {
  const std::string ext = AsciiLower(ExtractFileExt(path));
  for (const PicturePass& pass : kPasses)
    if (ext.size() > 1 && ext.compare(1, std::string::npos, pass.ext) == 0) return true;
  return false;
}

}  // namespace

std::string SearchingText(size_t count) { return "Searching : " + std::to_string(count); }

void AddFilesWithExt(std::vector<std::string>& pictures, const std::string& folder,
                     const std::string& ext, ISearchProgress& progress) {
  // A separator always goes in, even after a folder that ends with one.
  for (std::string& name : ListFilesWithExt(folder, ext))
    Append(pictures, folder + "/" + name, progress);
}

void AddShortcutTargets(std::vector<std::string>& pictures, const std::string& folder,
                        ISearchProgress& progress) {
  for (const std::string& name : ListFilesWithExt(folder, "lnk")) {
    std::string target = ResolveShortcut(folder + "/" + name);
    if (!target.empty()) target = ExpandFileName(target);
    target = GetTruePath(target);
    if (target.empty() || !IsPictureExtension(target) || !FileExists(target)) continue;
    Append(pictures, std::move(target), progress);
  }
}

std::vector<std::string> SearchPictures(const std::string& folder, ISearchProgress& progress) {
  std::vector<std::string> pictures;
  progress.SetCaption(SearchingText(0));
  progress.SetProgress(10);
  progress.Repaint();
  for (const auto& [ext, position] : kPasses) {
    AddFilesWithExt(pictures, folder, ext, progress);
    progress.SetProgress(position);
    progress.Repaint();
  }
  AddShortcutTargets(pictures, folder, progress);
  progress.SetCaption(SearchingText(pictures.size()));
  progress.SetProgress(100);
  progress.Repaint();
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
