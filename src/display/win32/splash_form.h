// TfrmSplash on Windows: the small top-most window that counts the pictures
// while the folder is searched. It draws itself with GDI; the search
// processes no messages, so each step repaints it at once.
#pragma once

#include <cstdint>
#include <string>

#include "display/picture_list.h"

struct HWND__;

namespace orv::win32 {

class TfrmSplash : public ISearchProgress {
 public:
  // Shown at once, centred on the primary monitor, caption empty, bar at 0.
  TfrmSplash();
  ~TfrmSplash() override;
  TfrmSplash(const TfrmSplash&) = delete;
  TfrmSplash& operator=(const TfrmSplash&) = delete;

  void SetCaption(const std::string& text) override { lblCaption = text; }
  void SetProgress(int position) override { ProgressBar = position; }
  void Repaint() override;
  // A long walk through subfolders: the count so far, and the system told
  // that the program still answers.
  void StillSearching(size_t count) override;

  // What the window shows (the label's text, the bar's position 0..100).
  std::string lblCaption;
  int ProgressBar = 0;

  // For the window procedure.
  void Paint();

 private:
  HWND__* handle_ = nullptr;
  double scale_ = 1.0;
  uint32_t lastAnswer_ = 0;
};

// The picture list with the splash shown during the search (or without it).
std::vector<std::string> SearchPicturesWithSplash(const std::string& folder, bool subFolders, bool splash);

}  // namespace orv::win32
