#include "display/slideshow.h"

#include <algorithm>
#include <chrono>

#include "display/caption.h"
#include "display/outlined_text.h"
#include "display/picture_list.h"
#include "display/second_counter.h"
#include "platform/canvas.h"
#include "platform/translatable.h"

namespace orv {

namespace {

using SteadyClock = std::chrono::steady_clock;

int64_t Ns(SteadyClock::time_point from, SteadyClock::time_point to) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(to - from).count();
}

constexpr TColor kYellow = 0x00FFFF;
constexpr TColor kCyan = 0xFFFF00;
constexpr int kCaptionLeft = 16;
constexpr int kCaptionSize = 12;

// The lines shown when there is nothing to show, centred, at offsets from
// the middle of the frame (pixels at 96 dpi).
struct TErrorLine {
  const char* text;
  int offset;
  int size;
  TColor colour;
};
constexpr TErrorLine kErrorLines[] = {
    {ORV_TRANSLATE_NOOP("orv::TfrmMain", "【スクリーンセーバーエラー】"), -56, 24, kYellow},
    {ORV_TRANSLATE_NOOP("orv::TfrmMain", "指定されたフォルダに有効な画像ファイルが見つかりません。"), -20, 16, kCyan},
    {ORV_TRANSLATE_NOOP("orv::TfrmMain", "(指定フォルダ：%1)"), 4, 12, kCyan},
};

// The text with its first "%1" replaced by arg byte for byte (paths need not
// be valid UTF-8).
std::string WithArg(std::string text, const std::string& arg) {
  const size_t at = text.find("%1");
  if (at != std::string::npos) text.replace(at, 2, arg);
  return text;
}

}  // namespace

void TSlideshow::SetServices(IClock* clock, IRandom* random, IPictureSource* source) {
  if (!clock && !ownClock_) ownClock_ = std::make_unique<SystemClock>();
  if (!random && !ownRandom_) ownRandom_ = std::make_unique<TTimeSeededRandom>();
  clock_ = clock ? clock : ownClock_.get();
  random_ = random ? random : ownRandom_.get();
  source_ = source;
}

void TSlideshow::FollowFirst(const TSlideshow& first) {
  following_ = true;
  if (!first.ownClock_) clock_ = first.clock_;
  if (!first.ownRandom_) random_ = first.random_;
  ApplySettings(first.settings_);
  SetPictures(first.pictures);
}

void TSlideshow::ApplySettings(const TSettings& s) {
  settings_ = s;
  illustFolder = s.folder;
  changeSec = s.changeSec;
  extend = s.extend;
  putFilename = s.putFilename;
  putFullPath = s.putFullPath;
  putExtention = s.putExtention;
  bgColorEnable = s.bgColorEnable;
  bgColor = s.bgColor;
  drawMode = s.drawMode;
  autoRotate = s.autoRotate;
  subFolders = s.subFolders;
  fadeTime = s.fadeTime;  // kept within range where the file is read
}

void TSlideshow::FillBackground(int width, int height) {
  bmpBackground.Allocate(width, height, pf32bit, false);
  TCanvas canvas(bmpBackground);
  canvas.BrushColor = bgColor;
  canvas.FillRect(Rect(0, 0, width, height));
  BackgroundTaken(width, height);
}

void TSlideshow::BackgroundTaken(int width, int height) {
  if (bmpBackground.PixelFormat() != pf32bit) bmpBackground.SetPixelFormat(pf32bit);
  bmpBackground.SetSize(width, height);
  bmpCompose = bmpBackground;
  bmpDisplay = bmpBackground;
  sharedBackground_ = std::make_shared<const TBitmap>(bmpBackground);
  ++composeVersion_;
}

void TSlideshow::SetPictures(std::vector<std::string> list) {
  pictures = std::move(list);
  nextIndex = 0;
  secondCounter = 0;
  failedInRow_ = 0;
  ShufflePictures(pictures, *random_);
}

ITextCanvas& TSlideshow::Canvas(std::unique_ptr<ITextCanvas>& canvas, TBitmap& bitmap) {
  if (!canvas) {
    canvas = face_.TextCanvas(bitmap);
    canvas->SetScale(textScale_);
  }
  return *canvas;
}

void TSlideshow::ShowBackground() {
  face_.Shown() = bmpBackground;
  presentedVersion_ = -1;
  face_.Repaint(false);
}

void TSlideshow::Start(TPoint cursor) {
  startCursorPos = cursor;
  secondStart = clock_->Now();
  secondCounter = 0;
  waitingForPicture_ = false;
  RequestNextPicture();
}

void TSlideshow::Resize(int width, int height, int areaWidth, int areaHeight, double textScale, bool running) {
  // Frames are composed and shown in device pixels, 1:1 at any scale.
  face_.Shown().SetSize(width, height);
  shownWidth_ = width;
  bmpDisplay.SetSize(areaWidth, areaHeight);
  textScale_ = textScale;
  for (auto* c : {&composeCanvas_, &displayCanvas_, &shownCanvas_})
    if (*c) (*c)->SetScale(textScale);
  presentedVersion_ = -1;
  // Pictures are fitted to the reference area: a new size, a new request.
  if (running) RequestNextPicture();
}

void TSlideshow::Stop() {
  fade_.Stop();
  fadeFrom_.Clear();
  pictures.clear();
  pictures.shrink_to_fit();
  bmpDisplay.Clear();
  bmpBackground.Clear();
  bmpCompose.Clear();
}

void TSlideshow::KeyDown() {
  if (EndsOnInput()) face_.End();
}

void TSlideshow::MouseButton() {
  if (EndsOnInput()) face_.End();
}

void TSlideshow::MouseMove(TPoint desktop) {
  // The move the system reports when the window appears under a resting
  // cursor is at the starting position itself and does not count. Compared
  // on the desktop: a monitor's window need not start at the desktop's origin.
  if (EndsOnInput() && desktop != startCursorPos) face_.End();
}

void TSlideshow::Tick() {
  if (inTimer) return;
  inTimer = true;
  // Cleared on every way out, so that no failure can stop the slideshow.
  struct ClearFlag {
    bool& flag;
    ~ClearFlag() { flag = false; }
  } clear{inTimer};

  lastChange.changed = false;
  changeFailed_ = false;
  const int64_t composed = composeVersion_;
  if (!pictures.empty() && secondCounter == 0) ChangePicture();
  try {
    // A new frame fades in from what the face shows now, which may be a
    // fade's frame itself.
    if (fadeTime > 0 && composeVersion_ != composed) fadeFrom_ = face_.Shown();
    Present();
  } catch (...) {
    // Out of memory for the frame's copy: the next tick hands it over again.
    presentedVersion_ = -1;
    fade_.Stop();
  }
  fadeFrom_.Clear();
  KeepRhythm();
  const uint32_t now = clock_->Now();
  if (SecondElapsed(secondStart, now)) {
    secondStart = now;
    // A change waiting for its picture stays due, and so does the entry
    // after one that failed: it follows at the next tick, not a period later.
    if (!waitingForPicture_ && !changeFailed_) secondCounter = NextSecondCounter(secondCounter, changeSec);
  }
}

void TSlideshow::ChangePicture() {
  secondCounter = 1;
  if (nextIndex < 0 || size_t(nextIndex) >= pictures.size()) nextIndex = 0;
  const std::string name = pictures[size_t(nextIndex)];
  // The same file again (last of one pass, first of the next): the picture
  // on screen stays for another period.
  if (name != lastFileName) {
    std::optional<TPreparedPicture> prepared;
    if (source_) prepared = source_->Take(RequestFor(name));
    if (!prepared) {
      // Still being prepared: what is on screen stays, and each tick asks
      // again without waiting, so input is never kept waiting by a decode.
      secondCounter = 0;
      waitingForPicture_ = true;
      return;
    }
    waitingForPicture_ = false;
    try {
      lastFileName = name;
      ++composeVersion_;
      if (prepared->ok) {
        bmpCompose = std::move(prepared->frame);
        failedInRow_ = 0;
        const auto t0 = SteadyClock::now();
        if (putFilename) DrawCaption(name);
        lastChange = {prepared->load, prepared->convert, prepared->scale, Ns(t0, SteadyClock::now()), true,
                      prepared->cpu, prepared->scaleShift};
      } else {
        ++failedInRow_;
        bmpCompose = bmpBackground;
        secondCounter = 0;
        changeFailed_ = true;
      }
    } catch (...) {
      // A failure while drawing counts like a failed load: the bare
      // background for one tick, then the next entry. (A message box here
      // would sit under the top-most, input-holding slideshow.)
      ++failedInRow_;
      secondCounter = 0;
      changeFailed_ = true;
      try {
        bmpCompose = bmpBackground;
      } catch (...) {
      }
    }
  }
  ++nextIndex;
  if (size_t(nextIndex) >= pictures.size()) {
    ShufflePictures(pictures, *random_);
    nextIndex = 0;
  }
  RequestNextPicture();
}

TPrepareRequest TSlideshow::RequestFor(const std::string& name) const {
  TPrepareRequest r;
  r.name = name;
  r.frameWidth = bmpDisplay.Width();
  r.frameHeight = bmpDisplay.Height();
  r.extend = extend;
  r.autoRotate = autoRotate;
  r.background = sharedBackground_;
  return r;
}

void TSlideshow::RequestNextPicture() {
  if (!source_ || pictures.empty()) return;
  size_t i = nextIndex < 0 || size_t(nextIndex) >= pictures.size() ? 0 : size_t(nextIndex);
  // An entry equal to the picture on screen is passed over by the tick.
  if (pictures[i] == lastFileName) {
    if (i + 1 >= pictures.size()) return;
    ++i;
  }
  source_->Request(RequestFor(pictures[i]));
}

void TSlideshow::DrawCaption(const std::string& name) {
  ITextCanvas& canvas = Canvas(composeCanvas_, bmpCompose);
  const std::string text = CaptionText(name, putFullPath, putExtention);
  // "A" is measured in the font the surface has now: its default font before
  // the first caption, the caption's font after it. Intended; keep it.
  const int wA = canvas.TextWidth("A");
  const int y = bmpCompose.Height() - ScaledPixels(canvas, 16) - wA;
  DrawOutlinedText(canvas, text, ScaledPixels(canvas, kCaptionLeft), y, kCaptionSize, clWhite);
}

void TSlideshow::Present() {
  if (presentedVersion_ == composeVersion_) {
    // The face already has this frame, or is fading into it.
    if (fade_.Active()) NextFadeFrame();
    return;
  }
  fade_.Stop();
  const bool buffered = isPreview || drawMode == 1;
  TBitmap& shown = face_.Shown();
  ITextCanvas* surface;
  if (buffered) {
    bmpDisplay = bmpCompose;
    surface = &Canvas(displayCanvas_, bmpDisplay);
  } else {
    shown = bmpCompose;
    surface = &Canvas(shownCanvas_, shown);
  }
  // Nothing to show, or nothing that loads: the frame says why.
  if (!isPreview && (pictures.empty() || AllFailed())) DrawErrorText(*surface);

  if (isPreview) {
    // Plain stretching of the screen-size frame into the host's window.
    TCanvas canvas(shown);
    canvas.CopyMode = cmSrcCopy;
    canvas.CopyRect(Rect(0, 0, shown.Width(), shown.Height()), bmpDisplay,
                    Rect(0, 0, bmpDisplay.Width(), bmpDisplay.Height()));
  } else if (drawMode == 1) {
    shown = bmpDisplay;
  }
  presentedVersion_ = composeVersion_;
  if (!fadeFrom_.Empty()) StartFade();
  ShowControl();
}

void TSlideshow::ShowControl() { face_.Repaint(isPreview || drawMode == 1); }

// The face's new frame becomes the fade's end; it shows the old one until
// the next tick.
void TSlideshow::StartFade() {
  const uint32_t now = clock_->Now();
  TBitmap to = face_.Shown();
  if (fade_.Start(std::move(fadeFrom_), std::move(to), now, uint32_t(fadeTime) * 100))
    fade_.Step(now, face_.Shown());
}

void TSlideshow::NextFadeFrame() {
  fade_.Step(clock_->Now(), face_.Shown());
  ShowControl();
}

// The display's refresh rate while fading, the resting rhythm otherwise.
void TSlideshow::KeepRhythm() {
  const int interval = fade_.Active() ? FadeFrameInterval() : kTimerIntervalMs;
  if (timerInterval_ != interval) {
    timerInterval_ = interval;
    face_.SetTimerInterval(interval);
  }
}

int TSlideshow::FadeFrameInterval() {
  double hz = face_.RefreshRate();
  // Some platforms report nothing sensible (0, or a mode's odd rate).
  if (!(hz >= 20 && hz <= 360)) hz = 60;
  return std::max(1, int(1000 / hz));
}

void TSlideshow::DrawErrorText(ITextCanvas& canvas) {
  const int H = bmpDisplay.Height();
  const int W = shownWidth_;
  for (const TErrorLine& line : kErrorLines)
    DrawCenteredText(canvas, WithArg(face_.Translate(line.text), illustFolder), H / 2 + ScaledPixels(canvas, line.offset),
                     line.size, line.colour, W);
}

}  // namespace orv
