// TGIFImage: the GIF graphic class. Reads a GIF stream into header, frames
// and trailer, builds the bitmap of the first frame for whoever converts it,
// and draws itself, animated by a painter when asked to.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "gif/gif_header.h"
#include "gif/gif_item.h"
#include "gif/gif_lists.h"
#include "gif/paint/gif_painter.h"
#include "gif/gif_palette.h"
#include "gif/gif_subimage.h"
#include "picture/graphic.h"
#include "platform/main_thread.h"

namespace orv {

// Draw options.
using TGIFDrawOptions = uint16_t;
constexpr TGIFDrawOptions DrawThreaded = 1 << 0;
constexpr TGIFDrawOptions DrawTransparent = 1 << 1;
constexpr TGIFDrawOptions DrawAnimate = 1 << 2;
constexpr TGIFDrawOptions DrawLoop = 1 << 3;
constexpr TGIFDrawOptions DrawLoopForever = 1 << 4;
constexpr TGIFDrawOptions DrawValidateCanvas = 1 << 5;
constexpr TGIFDrawOptions DrawDirect = 1 << 6;
constexpr TGIFDrawOptions DrawClearOnLoop = 1 << 7;
constexpr TGIFDrawOptions DrawTiling = 1 << 8;
constexpr TGIFDrawOptions DrawDither = 1 << 9;
constexpr TGIFDrawOptions DrawAutoDither = 1 << 10;
constexpr TGIFDrawOptions DefaultDrawOptions = 0x060F;

// Frame timing, in delay units (hundredths of a second in the file).
constexpr int DefaultFrameDelay = 10;
constexpr int MinimumFrameDelay = 3;
constexpr int MaximumFrameDelay = 1000;
// Milliseconds per delay unit when the painter waits.
constexpr int DelayUnitMs = 12;
// Build frame bitmaps while loading (off).
inline std::atomic<bool> RenderOnLoad{false};
// Palette display: the screen has 8 bits per pixel or fewer.
bool PaletteDisplay();

extern const TGraphicClass kGIFImageClass;

class TGIFImage : public TGraphic {
 public:
  TGIFImage();
  ~TGIFImage() override;

  const TGraphicClass* ClassType() const override { return &kGIFImageClass; }
  void LoadFromStream(TStream& stream) override;
  int Width() const override { return header_.Width(); }
  int Height() const override { return header_.Height(); }
  void SetWidth(int w) override;
  void SetHeight(int h) override;
  bool Empty() const override { return images_.Count() == 0; }
  void Draw(TCanvas& canvas, const TRect& r) override { PaintOnCanvas(canvas, r); }
  void AssignTo(TBitmap& dest) override { CopyToBitmap(dest); }
  void ReleaseTo(TBitmap& dest) override;
  // Two images are equal only when they are the same object.
  bool Equals(const TGraphic& other) const { return this == &other; }

  // Stops the painters and drops frames, colour table, bitmap and palette.
  void Clear();

  TGIFHeader& Header() { return header_; }
  TGIFImageList& Images() { return images_; }
  const TGIFImageList& Images() const { return images_; }
  TGIFGlobalColorMap& GlobalColorMap() { return header_.ColorMap(); }

  // Warnings of the reader (severity 1) go to WarningHandler when set.
  TGIFWarning WarningHandler;
  virtual void ReportWarning(void* sender, int severity, const std::string& message);

  // --- rendering ---
  TGIFDrawOptions DrawOptions = DefaultDrawOptions;
  int SpeedPercent = 100;
  int PainterPriority = 3;  // kept for callers; threads run at the platform's normal priority
  TColor BackgroundColorOverride = clNone;
  TGIFPainterEvents Events;

  // Whether frame bitmaps are dithered to the 216-colour palette.
  bool DoDither() const;
  // The image palette (see the .cpp); raises "No global or local color table
  // defined" when there is no colour table at all.
  TGIFPaletteRef Palette();
  // The first frame on a bitmap of the logical screen; nullptr without frames.
  const TBitmap* Bitmap();
  bool HasBitmap() const { return frame_bitmap_ != nullptr; }
  void CopyToBitmap(TBitmap& dest);

  // Draws the image into r: the first frame, or an animation.
  void PaintOnCanvas(TCanvas& canvas, const TRect& r);
  void StopDraw() { StopAllPainters(); }
  void StopActivePainter();
  void StopAllPainters();
  TGIFPainter* ActivePainter() const { return active_; }
  int PainterCount();

  // Seams: where painter steps run (default: DefaultMainThread()), the
  // painter's clock, and how long stopping waits for a painter thread before
  // leaving it to end on its own.
  void SetMainThread(MainThread* main) { main_thread_ = main; }
  void SetPainterClock(std::shared_ptr<IGIFPainterClock> clock) { clock_ = std::move(clock); }
  void SetPainterStopTimeout(uint32_t ms) { stop_timeout_ms_ = ms; }
  // Pixels all frames together may hold (default: four pictures' worth).
  void SetPixelLimit(uint64_t pixels) { pixel_limit_ = pixels; }

  // --- used by the stream parts and painters ---
  // Progress of a load at this position of the data being read.
  void LoadProgress(size_t position);
  void RenderProgress(TProgressStage stage, int percent);
  // Counts a frame's pixel memory against the image's limit; raises when over.
  void ReserveFramePixels(uint64_t pixels);
  void PainterEnded(TGIFPainter* painter);

 private:
  void ClearContents();
  void BuildFrameBitmap();
  void DrawFrameBitmap(TCanvas& canvas, const TRect& r);
  // Joins the threads of ended painters; gives the first failure among them.
  std::exception_ptr ReapPainters(bool wait);
  MainThread& Main() const;
  std::shared_ptr<TGIFPainter> FindPainter(TGIFPainter* p);
  bool WaitForPainter(const std::shared_ptr<TGIFPainter>& painter);

  TGIFHeader header_;
  TGIFImageList images_;
  uint64_t frame_pixels_ = 0;
  // Where the data being loaded starts in its stream, and the stream's size.
  int64_t load_start_ = 0;
  int64_t load_stream_size_ = 0;
  uint64_t pixel_limit_;

  std::unique_ptr<TBitmap> frame_bitmap_;
  std::unique_ptr<TCanvas> frame_canvas_;
  TGIFPaletteRef palette_;
  bool palette_guard_ = false;
  bool drawing_ = false;

  std::recursive_mutex painters_mu_;
  std::vector<std::shared_ptr<TGIFPainter>> painters_;
  std::vector<std::shared_ptr<TGIFPainter>> ended_;  // threads to join
  TGIFPainter* active_ = nullptr;
  MainThread* main_thread_ = nullptr;
  std::shared_ptr<IGIFPainterClock> clock_;
  uint32_t stop_timeout_ms_ = 5000;
};

// Registers "GIF" ("GIF Image") with the file-type registry.
void RegisterGIFFormat();

}  // namespace orv
