// TfrmMain: the display form of the full-screen and preview modes. Creating
// it reads the settings, takes the background and builds the picture list;
// showing it starts the 100 ms timer whose ticks run the slideshow; input
// ends it in full-screen mode.
#pragma once

#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/settings.h"
#include "display/picture_preparer.h"
#include "picture/picture.h"
#include "platform/bitmap.h"
#include "platform/clock.h"
#include "platform/gui/gui_canvas.h"

class QTimer;

namespace orv {

class TImage;

// What the form takes from its surroundings; tests inject their own. The
// screen comes from Screen() (SetScreenForTesting).
struct TDisplayServices {
  IClock* clock = nullptr;            // the millisecond clock when null
  IRandom* random = nullptr;          // a generator seeded from the time of day when null
  std::function<QPoint()> cursorPos;  // QCursor::pos() when empty
  // Prepare each picture inside the tick that shows it instead of on a
  // worker thread ahead of time (tests of the tick's logic).
  bool prepareOnTick = false;
  // Hosted mode: the host's options over the settings file, and no splash
  // form (a window of our own would show above the host's).
  std::function<void(TSettings&)> adjustSettings;
  bool splash = true;
};

// Phases of the last picture change, in nanoseconds (for the benchmark).
struct TChangeTimings {
  int64_t load = 0;
  int64_t convert = 0;
  int64_t scale = 0;  // the fitted draw onto the composition
  int64_t caption = 0;
  bool changed = false;  // a picture was drawn at that tick
  int64_t preparedCpu = 0;  // processor time of the preparation, on its thread
  int scaleShift = 0;       // a JPEG decoded at 1 / 2^scaleShift
};

class TfrmMain : public QWidget {
  Q_OBJECT
 public:
  // Creating the form runs FormCreate.
  explicit TfrmMain(QWidget* parent = nullptr, TDisplayServices services = {});
  // A form for another monitor of the full-screen show: first's settings and
  // pictures (in an order of its own), a background of its own monitor, no
  // second folder scan. It leaves the running mark and the input grab to first.
  TfrmMain(const TfrmMain& first, int monitor);
  ~TfrmMain() override;

  // False in full-screen mode, true in preview mode; set right after creation.
  bool isPreview = false;
  // True when a screen-saver host gave us its window: the full-screen rules
  // at that window's size, with input, grabs, cursor and stacking left to it.
  bool isHosted = false;

  // Shows the form covering its monitor (full-screen mode).
  void ShowFullScreen();
  // The monitor the form covers in full-screen mode (0: the primary).
  int Monitor() const { return monitor_; }
  // Shows the form inside a host window that it has been embedded in.
  void ShowInHost();

  // Settings, read once at creation.
  std::string illustFolder;
  int32_t changeSec = 10;
  bool extend = true;
  bool putFilename = false;
  bool putFullPath = false;
  bool putExtention = true;
  bool bgColorEnable = false;
  TColor bgColor = 0;
  int32_t drawMode = 0;
  bool autoRotate = true;
  bool subFolders = false;

  // Screen-size bitmaps: the background, the composition of the current
  // picture and caption on it, and the reference area / buffered frame.
  TBitmap bmpBackground;
  TBitmap bmpCompose;
  TBitmap bmpDisplay;

  std::vector<std::string> pictures;
  int32_t nextIndex = 0;
  int32_t secondCounter = 0;  // 0: the picture changes at the next tick
  uint32_t secondStart = 0;
  std::string lastFileName;
  bool inTimer = false;
  QPoint startCursorPos;

  TImage* imgMain;
  TPicture img2loadIllust;  // unused: the preparer loads into a container of its own
  QTimer* tmrMain;

  TChangeTimings lastChange;
  // Where the next picture is made ready.
  TPicturePreparer& Preparer() { return *preparer_; }
  TPrepareRequest RequestFor(const std::string& name) const;

  // The handlers.
  void FormCreate();
  void FormShow();
  void FormResize();
  void FormKeyDown();
  void FormDestroy();
  void imgMainMouseDown(int x, int y);
  void imgMainMouseUp(int x, int y);
  void imgMainMouseMove(int x, int y);
  void tmrMainTimer();

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ChangePicture();
  void RequestNextPicture();
  void DrawCaption(const std::string& name);
  void Present();
  void DrawErrorText(TGuiCanvas& canvas);
  void KeepInCharge();
  void Setup();
  void TakeBackground();
  void ApplySettings(const TSettings& s);
  bool EndsOnInput() const { return !isPreview && !isHosted; }

  TDisplayServices services_;
  TSettings settings_;  // as read (and adjusted by a host); copied by other monitors' forms
  std::unique_ptr<IClock> own_clock_;
  std::unique_ptr<IRandom> own_random_;
  // Canvases keep their font between ticks, as a bitmap's canvas does.
  TGuiCanvas composeCanvas_;
  TGuiCanvas displayCanvas_;
  std::unique_ptr<TGuiCanvas> imgMainCanvas_;
  // The composition's version, and the one last handed to the control: a tick
  // with nothing new leaves the control's frame as it is.
  int64_t composeVersion_ = 0;
  int64_t presentedVersion_ = -1;
  int monitor_ = 0;
  bool extra_ = false;  // a form for a monitor other than the first form's
  // The background as the preparer copies it, and the preparer (destroyed
  // first: it joins its worker).
  std::shared_ptr<const TBitmap> sharedBackground_;
  bool waitingForPicture_ = false;  // the change is due, its picture not ready
  std::unique_ptr<TPicturePreparer> preparer_;
  bool inputGrabbed_ = false;
  bool destroyed_ = false;
};

}  // namespace orv
