// TfrmSplash: the small form that shows the search's count and progress
// while the display form builds its picture list.
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <string>
#include <vector>

#include "display/picture_list.h"

class QFrame;
class QLabel;
class QProgressBar;

namespace orv {

class TfrmSplash : public QWidget, public ISearchProgress {
  Q_OBJECT
 public:
  explicit TfrmSplash(QWidget* parent = nullptr);

  QFrame* Panel1;
  QLabel* lblCaption;
  QProgressBar* ProgressBar;

  // Shows the form and lets the window system expose it, so that the
  // repaints during the search reach the screen.
  void ShowExposed();

  void SetCaption(const std::string& text) override;
  void SetProgress(int position) override;
  void Repaint() override;
  // A few times a second: the count so far, and the window system's events
  // (exposes, a window manager's pings) but no input.
  void StillSearching(size_t count) override;

 private:
  QElapsedTimer sinceAnswer_;
};

// The picture list of a folder, searched with the splash form showing, or
// silently (hosted mode: a window of our own would show above the host's).
std::vector<std::string> SearchPicturesWithSplash(const std::string& folder, bool subFolders, bool splash);

}  // namespace orv
