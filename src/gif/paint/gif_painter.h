// TGIFPainter: plays a GIF image frame by frame onto a canvas, honouring
// disposal methods, frame delays and the looping extension. It runs either
// inside the caller (synchronous) or as a thread whose paint steps and events
// run on the GUI thread through MainThread.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "gif/paint/gif_painter_clock.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/main_thread.h"

namespace orv {

class TGIFImage;
class TGIFPainter;
class TGIFSubImage;

using TGIFPainterEvent = std::function<void(TGIFPainter* sender)>;

struct TGIFPainterEvents {
  TGIFPainterEvent OnStartPaint;
  TGIFPainterEvent OnPaint;
  TGIFPainterEvent OnAfterPaint;
  TGIFPainterEvent OnLoop;
  TGIFPainterEvent OnEndPaint;
};

class TGIFPainter : public std::enable_shared_from_this<TGIFPainter> {
 public:
  // Set up on the GUI thread: takes what it needs from the image now (the
  // frames' timing, the buffers), so that its timing loop reads nothing of
  // the image later.
  TGIFPainter(TGIFImage* image, TCanvas* canvas, const TRect& rect, uint16_t options, int speed,
              MainThread* main, std::shared_ptr<IGIFPainterClock> clock);
  ~TGIFPainter();
  TGIFPainter(const TGIFPainter&) = delete;
  TGIFPainter& operator=(const TGIFPainter&) = delete;

  // Threaded painters: starts the thread.
  void Start();
  // Asks the painter to stop; any thread.
  void Stop();
  // Makes the painter start over at frame 0.
  void Restart();
  // The run: the whole animation for a synchronous painter.
  void Execute();

  bool Threaded() const { return threaded_; }
  bool Started() const { return started_.load(); }
  bool Stopped() const { return terminated_.load(); }
  bool Finished() const { return finished_.load(); }
  int ActiveImage() const { return active_.load(); }
  void SetActiveImage(int index) { active_.store(index); }
  TCanvas* Canvas() const { return canvas_; }
  const TRect& Rect() const { return rect_; }
  uint16_t DrawOptions() const { return options_; }
  TGIFImage* Image() const { return image_; }
  std::exception_ptr Error() const { return error_; }
  TColor BackgroundColor() const { return background_; }

  TGIFPainterEvents Events;

  // GUI thread, by the image: the image is going; the painter touches it no more.
  void DetachImage() { image_ = nullptr; }
  // Waits for the ended thread to finish (it no longer blocks on anything).
  void JoinThread();
  // Leaves a thread that did not end in time to end on its own.
  void AbandonThread();
  // Painter threads running now, for tests.
  static int LiveThreads();

 private:
  struct FrameInfo {
    bool empty = true;
    int disposal = 1;       // of the frame's last control extension
    int delay = 0;          // of the frame's own control extension
    bool has_loop = false;  // a looping extension
    int loop_count = 0;
  };

  void Run();
  void OnMain(const std::function<void()>& step);
  void Dispatch(const TGIFPainterEvent& handler);
  void WaitBeforeFrame(int delay, uint32_t& last, int64_t& previous_wait);
  void PaintStep(int index, int disposal);
  void PaintBuffered(TGIFSubImage& frame, int disposal);
  void RestoreBackground(TGIFSubImage& frame);
  bool CanvasValid() const;
  void Ended();

  TGIFImage* image_;  // GUI thread only
  TCanvas* canvas_;
  TRect rect_;
  uint16_t options_;
  int speed_;
  bool threaded_;
  MainThread* main_;
  std::shared_ptr<IGIFPainterClock> clock_;
  std::unique_ptr<TPainterEvent> wake_;
  std::vector<FrameInfo> frames_;
  int logical_width_ = 0, logical_height_ = 0;

  TColor background_ = clWhite;
  std::unique_ptr<TBitmap> saved_background_;
  std::unique_ptr<TBitmap> composite_;
  std::unique_ptr<TBitmap> scratch_;
  int previous_disposal_ = 1;

  std::atomic<int> active_{-1};
  std::atomic<bool> terminated_{false};
  std::atomic<bool> restart_{false};
  std::atomic<bool> started_{false};
  std::atomic<bool> finished_{false};
  std::exception_ptr error_;
  std::thread thread_;
};

}  // namespace orv
