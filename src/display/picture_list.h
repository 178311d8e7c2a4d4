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
  // Between the folders of a search with subfolders, which can take a while:
  // a chance to show the count so far and answer the window system.
  virtual void StillSearching(size_t /*count*/) {}
};

// A search that shows nothing (no splash).
class TSilentProgress : public ISearchProgress {
 public:
  void SetCaption(const std::string&) override {}
  void SetProgress(int) override {}
  void Repaint() override {}
};

// How far a search with subfolders goes.
struct TSearchLimits {
  int maxDepth = 32;            // levels below the chosen folder
  size_t maxEntries = 1000000;  // names read over the whole walk
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

// The same with every folder under the chosen one, each by the same passes,
// breadth first: a folder reached again through a link (a loop, or two
// links to one folder) is listed once, folders deeper than the limit and
// names past the entry limit are left out, and folders that cannot be read
// are skipped. The progress bar steps through the chosen folder's passes as
// above, then creeps towards 100 as the walk goes on.
std::vector<std::string> SearchPictures(const std::string& folder, ISearchProgress& progress, bool subfolders,
                                        const TSearchLimits& limits = {});

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
