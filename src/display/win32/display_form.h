// TfrmMain on Windows: the window of the full-screen and preview modes, a
// plain Win32 face of the slideshow. Creating it reads the settings, takes
// the background and builds the picture list; showing it starts the timer
// whose ticks run the slideshow; its input goes to the slideshow, which
// decides what ends it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "display/picture_preparer.h"
#include "display/slideshow.h"

struct HWND__;

namespace orv::win32 {

class TfrmMain : public TSlideshow, private ISlideshowFace {
 public:
  // The form of the monitor at rect (desktop coordinates); creating it runs FormCreate.
  explicit TfrmMain(const TRect& monitor, bool splash = true);
  // A form for another monitor of the full-screen show: first's settings and
  // pictures in an order of its own, a background of its own monitor. It
  // leaves the running mark to first.
  TfrmMain(const TfrmMain& first, const TRect& monitor);
  ~TfrmMain() override;
  TfrmMain(const TfrmMain&) = delete;
  TfrmMain& operator=(const TfrmMain&) = delete;

  // A top-most popup without a taskbar button over the form's monitor.
  bool ShowFullScreen();
  // A child window filling host's client area; the form ends when host goes.
  bool ShowInHost(HWND__* host);
  HWND__* Handle() const { return handle_; }

  // Called once when the form ends the show (input, or its host went); by
  // default the message loop ends.
  std::function<void()> OnEnd;

  // The handlers.
  void FormCreate(bool splash);
  void FormShow();
  void FormResize();
  void tmrMainTimer();
  void FormDestroy();

  // The window procedure's way in.
  intptr_t Message(HWND__* window, unsigned message, uintptr_t wparam, intptr_t lparam);

 private:
  // The face.
  TBitmap& Shown() override { return shown_; }
  std::unique_ptr<ITextCanvas> TextCanvas(TBitmap& bitmap) override;
  void Repaint(bool immediate) override;
  void SetTimerInterval(int ms) override;
  double RefreshRate() override;
  void End() override;
  std::string Translate(const char* source) override;

  bool Create(uint32_t exStyle, uint32_t style, const TRect& bounds, HWND__* parent);
  void Paint();
  void FollowHost();

  TRect monitor_;
  bool extra_ = false;  // a form for a monitor other than the first form's
  HWND__* handle_ = nullptr;
  HWND__* host_ = nullptr;
  TBitmap shown_;  // the frame the window shows, at its client size
  bool ended_ = false;
  bool destroyed_ = false;
  bool timerOn_ = false;
  bool markSet_ = false;  // this form set the screen-saver-running mark
  // Destroyed first: it joins its worker.
  std::unique_ptr<TPicturePreparer> preparer_;
};

}  // namespace orv::win32
