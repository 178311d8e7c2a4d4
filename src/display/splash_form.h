// TfrmSplash: the small form that shows the search's count and progress
// while the display form builds its picture list.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

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

}  // namespace orv
