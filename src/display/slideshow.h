// TSlideshow: the slideshow itself, whatever shows it. It keeps the schedule
// (the 100 ms rhythm, the change every changeSec seconds, the fade), asks the
// picture preparer for the next picture, composes each frame (the fitted
// picture on the background, the caption, the error lines), and decides which
// input ends the show. A face (a window of the platform's toolkit) shows its
// frames, runs its timer, draws text and ends when told to.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "display/cross_fade.h"
#include "display/picture_preparer.h"
#include "platform/bitmap.h"
#include "platform/clock.h"
#include "platform/text_canvas.h"

namespace orv {

struct TPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TPoint&) const = default;
};

// What the slideshow needs of the window that shows it.
class ISlideshowFace {
 public:
  virtual ~ISlideshowFace() = default;
  // The frame the window shows, at its size in device pixels.
  virtual TBitmap& Shown() = 0;
  // Text on a bitmap of the slideshow's; the surface keeps its font.
  virtual std::unique_ptr<ITextCanvas> TextCanvas(TBitmap& bitmap) = 0;
  // Shows Shown() again: at once (immediate) or when the window system gets to it.
  virtual void Repaint(bool immediate) = 0;
  virtual void SetTimerInterval(int ms) = 0;
  // The display's refresh rate in Hz; 0 when unknown.
  virtual double RefreshRate() = 0;
  // Closes the window: the show ends.
  virtual void End() = 0;
  // A translated text of the slideshow's (context "orv::TfrmMain").
  virtual std::string Translate(const char* source) = 0;
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

class TSlideshow {
 public:
  // The face is only used once the show runs: it may be constructed later.
  explicit TSlideshow(ISlideshowFace& face) : face_(face) {}
  virtual ~TSlideshow() = default;
  TSlideshow(const TSlideshow&) = delete;
  TSlideshow& operator=(const TSlideshow&) = delete;

  // The timer's rhythm between fades; during one it ticks at the display's
  // refresh rate (FadeFrameInterval).
  static constexpr int kTimerIntervalMs = 100;
  int FadeFrameInterval();
  bool Fading() const { return fade_.Active(); }
  unsigned FadeWeight() const { return fade_.LastWeight(); }

  // False in full-screen mode, true in preview mode; set right after creation.
  bool isPreview = false;
  // True when a screen-saver host gave us its window: the full-screen rules
  // at that window's size, with input, grabs, cursor and stacking left to it.
  bool isHosted = false;

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
  int32_t fadeTime = 0;  // tenths of a second, 0..30; 0: a hard cut

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
  TPoint startCursorPos;

  TChangeTimings lastChange;

  void ApplySettings(const TSettings& s);
  const TSettings& Settings() const { return settings_; }
  // The background at size: the settings' colour, or what snapshot gives
  // (a bitmap of any format and size, made 32-bit at that size).
  template <class Snapshot>
  void TakeBackground(int width, int height, Snapshot snapshot) {
    if (bgColorEnable) {
      FillBackground(width, height);
    } else {
      snapshot(bmpBackground);
      BackgroundTaken(width, height);
    }
  }
  // What the first monitor's show starts from, in this order: the stored
  // settings (`adjust` may change them), the background, taken before any
  // window of ours shows (the splash included), and the pictures `search`
  // finds for the folder and the sub-folder switch.
  template <class Snapshot, class Search>
  void Gather(const std::function<void(TSettings&)>& adjust, int width, int height, Snapshot snapshot,
              Search search) {
    TSettings s = ReadSettings(SettingsFilePath(), DefaultFolder());
    if (adjust) adjust(s);
    ApplySettings(s);
    TakeBackground(width, height, snapshot);
    SetPictures(search(illustFolder, subFolders));
  }
  // The list, shuffled, from the first entry.
  void SetPictures(std::vector<std::string> list);
  // The clock and the generator: the system's clock and one seeded from the
  // time of day where null.
  void SetServices(IClock* clock, IRandom* random, IPictureSource* source);
  // Another monitor's show: first's settings and pictures (in an order of its
  // own), and the clock and generator first borrowed (its own stay with it).
  void FollowFirst(const TSlideshow& first);
  void SetPictureSource(IPictureSource* source) { source_ = source; }
  TPrepareRequest RequestFor(const std::string& name) const;

  // The show starts (the face's timer runs from here): the cursor where it
  // rests now, the first change due at the first tick.
  void Start(TPoint cursor);
  // The window's size in device pixels, the reference area's size (the
  // screen's for a preview) and the text scale.
  void Resize(int width, int height, int areaWidth, int areaHeight, double textScale, bool running);
  // The window shows the background until the first frame is ready.
  void ShowBackground();
  void Tick();
  void Stop();

  // The full-screen rules (a show of its own, not inside a host's window):
  // the window takes its monitor over, on top, without a cursor, and input
  // ends the show. Of several monitors' shows only the first holds the
  // input grab and the running mark.
  bool TakesOverMonitor() const { return !isPreview && !isHosted; }
  bool HoldsInput() const { return TakesOverMonitor() && !following_; }
  // The window's new size in device pixels: pictures are fitted to the
  // window, or, for a preview, to the screen (screenWidth x screenHeight),
  // whose frame is then shrunk into the window.
  void WindowResized(int width, int height, int screenWidth, int screenHeight, double textScale, bool running) {
    isPreview ? Resize(width, height, screenWidth, screenHeight, textScale, running)
              : Resize(width, height, width, height, textScale, running);
  }

  // Input: which of it ends the show. Positions are on the desktop.
  bool EndsOnInput() const { return TakesOverMonitor(); }
  void KeyDown();
  void MouseButton();
  void MouseMove(TPoint desktop);

  // True once every entry of the list has failed in a row: the frame shows
  // why nothing else does.
  bool AllFailed() const { return !pictures.empty() && failedInRow_ >= pictures.size(); }

 private:
  void ChangePicture();
  void RequestNextPicture();
  void DrawCaption(const std::string& name);
  void Present();
  void StartFade();
  void NextFadeFrame();
  void ShowControl();
  void KeepRhythm();
  void DrawErrorText(ITextCanvas& canvas);
  ITextCanvas& Canvas(std::unique_ptr<ITextCanvas>& canvas, TBitmap& bitmap);
  void FillBackground(int width, int height);
  void BackgroundTaken(int width, int height);

  ISlideshowFace& face_;
  IClock* clock_ = nullptr;
  IRandom* random_ = nullptr;
  std::unique_ptr<IClock> ownClock_;
  std::unique_ptr<IRandom> ownRandom_;
  IPictureSource* source_ = nullptr;
  TSettings settings_;
  // Canvases keep their font between ticks, as a bitmap's canvas does.
  std::unique_ptr<ITextCanvas> composeCanvas_;
  std::unique_ptr<ITextCanvas> displayCanvas_;
  std::unique_ptr<ITextCanvas> shownCanvas_;
  // The composition's version, and the one last handed to the face: a tick
  // with nothing new leaves the face's frame as it is.
  int64_t composeVersion_ = 0;
  int64_t presentedVersion_ = -1;
  std::shared_ptr<const TBitmap> sharedBackground_;
  bool waitingForPicture_ = false;  // the change is due, its picture not ready
  bool changeFailed_ = false;       // this tick's entry failed: the next is due at the next tick
  size_t failedInRow_ = 0;
  bool following_ = false;  // another monitor's show leads
  int timerInterval_ = kTimerIntervalMs;
  double textScale_ = 1.0;
  int shownWidth_ = 0;
  // The frame the face showed when a new one arrived, and the fade from it.
  TBitmap fadeFrom_;
  TCrossFade fade_;
};

}  // namespace orv
