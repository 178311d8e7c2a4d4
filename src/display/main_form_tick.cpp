// The slideshow's tick: every 100 ms; every changeSec seconds it loads the
// next picture, fits it onto the background, writes the caption, and hands
// the frame to the control.
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <optional>

#include "display/caption.h"
#include "display/fit_picture.h"
#include "display/image_control.h"
#include "display/main_form.h"
#include "display/outlined_text.h"
#include "display/picture_list.h"
#include "display/second_counter.h"
#include "platform/gui/language.h"
#include "platform/gui/screen.h"
#include "platform/gui/window_stack.h"

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

}  // namespace

void TfrmMain::tmrMainTimer() {
  if (inTimer) return;
  inTimer = true;
  // Cleared on every way out, so that no failure can stop the slideshow.
  struct ClearFlag {
    bool& flag;
    ~ClearFlag() { flag = false; }
  } clear{inTimer};

  lastChange.changed = false;
  const int64_t composed = composeVersion_;
  if (!pictures.empty() && secondCounter == 0) ChangePicture();
  try {
    // A new frame fades in from what the control shows now, which may be a
    // fade's frame itself.
    if (fadeTime > 0 && composeVersion_ != composed) fadeFrom_ = imgMain->Picture();
    Present();
  } catch (...) {
    // Out of memory for the frame's copy: the next tick hands it over again.
    presentedVersion_ = -1;
    fade_.Stop();
  }
  fadeFrom_.Clear();
  KeepRhythm();
  const uint32_t now = services_.clock->Now();
  if (SecondElapsed(secondStart, now)) {
    secondStart = now;
    // A change waiting for its picture stays due.
    if (!waitingForPicture_) secondCounter = NextSecondCounter(secondCounter, changeSec);
  }
  KeepInCharge();
}

void TfrmMain::ChangePicture() {
  secondCounter = 1;
  if (nextIndex < 0 || size_t(nextIndex) >= pictures.size()) nextIndex = 0;
  const std::string name = pictures[size_t(nextIndex)];
  // The same file again (last of one pass, first of the next): the picture
  // on screen stays for another period.
  if (name != lastFileName) {
    std::optional<TPreparedPicture> prepared;
    if (preparer_) prepared = preparer_->Take(RequestFor(name));
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
        const auto t0 = SteadyClock::now();
        if (putFilename) DrawCaption(name);
        lastChange = {prepared->load, prepared->convert, prepared->scale, Ns(t0, SteadyClock::now()), true,
                      prepared->cpu, prepared->scaleShift};
      } else {
        bmpCompose = bmpBackground;
        secondCounter = 0;
      }
    } catch (...) {
      // A failure while drawing counts like a failed load: the bare
      // background for one tick, then the next entry. (A message box here
      // would sit under the top-most, input-holding slideshow.)
      secondCounter = 0;
      try {
        bmpCompose = bmpBackground;
      } catch (...) {
      }
    }
  }
  ++nextIndex;
  if (size_t(nextIndex) >= pictures.size()) {
    ShufflePictures(pictures, *services_.random);
    nextIndex = 0;
  }
  RequestNextPicture();
}

TPrepareRequest TfrmMain::RequestFor(const std::string& name) const {
  TPrepareRequest r;
  r.name = name;
  r.frameWidth = bmpDisplay.Width();
  r.frameHeight = bmpDisplay.Height();
  r.extend = extend;
  r.autoRotate = autoRotate;
  r.background = sharedBackground_;
  return r;
}

void TfrmMain::RequestNextPicture() {
  if (!preparer_ || pictures.empty()) return;
  size_t i = nextIndex < 0 || size_t(nextIndex) >= pictures.size() ? 0 : size_t(nextIndex);
  // An entry equal to the picture on screen is passed over by the tick.
  if (pictures[i] == lastFileName) {
    if (i + 1 >= pictures.size()) return;
    ++i;
  }
  preparer_->Request(RequestFor(pictures[i]));
}

void TfrmMain::DrawCaption(const std::string& name) {
  const std::string text = CaptionText(name, putFullPath, putExtention);
  // "A" is measured in the font the surface has now: its default font before
  // the first caption, the caption's font after it. Intended; keep it.
  const int wA = composeCanvas_.TextWidth("A");
  const int y = bmpCompose.Height() - ScaledPixels(composeCanvas_, 16) - wA;
  DrawOutlinedText(composeCanvas_, text, ScaledPixels(composeCanvas_, kCaptionLeft), y, kCaptionSize, clWhite);
}

void TfrmMain::Present() {
  if (presentedVersion_ == composeVersion_) {
    // The control already has this frame, or is fading into it.
    if (fade_.Active()) NextFadeFrame();
    return;
  }
  fade_.Stop();
  const bool buffered = isPreview || drawMode == 1;
  TGuiCanvas* surface;
  if (buffered) {
    bmpDisplay = bmpCompose;
    surface = &displayCanvas_;
  } else {
    imgMain->Picture() = bmpCompose;
    surface = imgMainCanvas_.get();
  }
  if (!isPreview && pictures.empty()) DrawErrorText(*surface);

  if (isPreview) {
    // Plain stretching of the screen-size frame into the host's window.
    TCanvas canvas(imgMain->Picture());
    canvas.CopyMode = cmSrcCopy;
    TBitmap& shown = imgMain->Picture();
    canvas.CopyRect(Rect(0, 0, shown.Width(), shown.Height()), bmpDisplay,
                    Rect(0, 0, bmpDisplay.Width(), bmpDisplay.Height()));
  } else if (drawMode == 1) {
    imgMain->Picture() = bmpDisplay;
  }
  presentedVersion_ = composeVersion_;
  if (!fadeFrom_.Empty()) StartFade();
  ShowControl();
}

void TfrmMain::ShowControl() {
  if (isPreview || drawMode == 1) imgMain->repaint();
  else imgMain->update();
}

// The control's new frame becomes the fade's end; it shows the old one
// until the next tick.
void TfrmMain::StartFade() {
  const uint32_t now = services_.clock->Now();
  TBitmap to = imgMain->Picture();
  if (fade_.Start(std::move(fadeFrom_), std::move(to), now, uint32_t(fadeTime) * 100))
    fade_.Step(now, imgMain->Picture());
}

void TfrmMain::NextFadeFrame() {
  fade_.Step(services_.clock->Now(), imgMain->Picture());
  ShowControl();
}

// The display's refresh rate while fading, the resting rhythm otherwise.
void TfrmMain::KeepRhythm() {
  const int interval = fade_.Active() ? FadeFrameInterval() : kTimerIntervalMs;
  if (tmrMain->interval() != interval) tmrMain->setInterval(interval);
}

int TfrmMain::FadeFrameInterval() const {
  const QScreen* shown = screen();
  qreal hz = shown ? shown->refreshRate() : 0;
  // Some platforms report nothing sensible (0, or a mode's odd rate).
  if (!(hz >= 20 && hz <= 360)) hz = 60;
  return std::max(1, int(1000 / hz));
}

void TfrmMain::DrawErrorText(TGuiCanvas& canvas) {
  const int H = bmpDisplay.Height();
  const int W = DevicePixelSize(imgMain).Width;
  auto at = [&](int offset) { return H / 2 + ScaledPixels(canvas, offset); };
  DrawCenteredText(canvas, Tr("orv::TfrmMain", "【スクリーンセーバーエラー】"), at(-56), 24, kYellow, W);
  DrawCenteredText(canvas, Tr("orv::TfrmMain", "指定されたフォルダに有効な画像ファイルが見つかりません。"), at(-20), 16,
                   kCyan, W);
  DrawCenteredText(canvas, FillArg(Tr("orv::TfrmMain", "(指定フォルダ：%1)"), illustFolder), at(4), 12, kCyan, W);
}

void TfrmMain::KeepInCharge() {
  if (isPreview || isHosted || !ScreenSaverRunning() || !isVisible()) return;
  // No window manager may keep a stay-on-top window on top: raise it
  // ourselves, at every tick, so that nothing covers the slideshow for long.
  RaiseWindow(this);
  // One grab per program: the first form's, which takes every monitor's input.
  if (!inputGrabbed_ && !extra_) inputGrabbed_ = GrabInput(this, imgMain);
}

}  // namespace orv
