// Building the picture list: the folder's picture files and the targets of
// its shortcuts, and the shuffle.
#pragma once

#include <string>
#include <vector>

#include "platform/clock.h"

namespace orv {

// What the search shows while it runs (the splash form, or a test's log).
class ISearchProgress {
 public:
  virtual ~ISearchProgress() = default;
  virtual void SetCaption(const std::string& text) = 0;
  virtual void SetProgress(int position) = 0;  // 0..100
  // An immediate redraw: the search processes no messages.
  virtual void Repaint() = 0;
};

// "Searching : " followed by the count.
std::string SearchingText(size_t count);

// Appends folder + "/" + name for every regular file of the folder (not its
// subfolders) whose extension equals ext without regard to case, in the
// order the file system returns them. Every 50th entry updates the count.
void AddFilesWithExt(std::vector<std::string>& pictures, const std::string& folder,
                     const std::string& ext, ISearchProgress& progress);

// Appends the target of every shortcut (.lnk) in the folder that resolves to
// an existing picture file; other shortcuts are skipped silently.
void AddShortcutTargets(std::vector<std::string>& pictures, const std::string& folder,
                        ISearchProgress& progress);

// The whole search with its progress steps: the five picture types, then the
// shortcuts, then the final count. A folder that does not exist or cannot be
// read gives an empty list.
std::vector<std::string> SearchPictures(const std::string& folder, ISearchProgress& progress);

// For each position i in ascending order, exchanges entry i with an entry
// drawn from the whole list.
void ShufflePictures(std::vector<std::string>& pictures, IRandom& random);

// A uniform generator seeded from the time of day.
class TTimeSeededRandom : public IRandom {
 public:
  TTimeSeededRandom();
  int Next(int n) override;

 private:
  uint64_t state_;
};

}  // namespace orv
