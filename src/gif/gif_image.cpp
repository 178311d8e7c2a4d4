#include "gif/gif_image.h"

#include "gif/gif_read.h"
#include "picture/picture.h"
#include "platform/screen_info.h"

namespace orv {

const TGraphicClass kGIFImageClass{"TGIFImage", nullptr, [] { return std::unique_ptr<TGraphic>(new TGIFImage); }};

void RegisterGIFFormat() {
  ExtensionRegistry();
  AppExtensionRegistry();
  TFileFormatsList::Instance().Add("GIF", "GIF Image", &kGIFImageClass);
}

bool PaletteDisplay() { return IsPaletteDisplay(); }

namespace {
// All frames of one image together may hold this many pixels; each frame is
// also held to the single-picture limit.
constexpr uint64_t kMaxImagePixels = uint64_t(kMaxPicturePixels) * 4;
}  // namespace

TGIFImage::TGIFImage() : header_(this), images_(this), pixel_limit_(kMaxImagePixels) {}

TGIFImage::~TGIFImage() {
  StopAllPainters();
  std::lock_guard<std::recursive_mutex> lock(painters_mu_);
  for (auto& p : painters_) p->DetachImage();
  painters_.clear();
  active_ = nullptr;
}

void TGIFImage::SetWidth(int w) {
  if (w == Width()) return;
  header_.SetWidth(w);
  Changed();
}

void TGIFImage::SetHeight(int h) {
  if (h == Height()) return;
  header_.SetHeight(h);
  Changed();
}

void TGIFImage::ReportWarning(void* sender, int severity, const std::string& message) {
  if (WarningHandler) WarningHandler(sender, severity, message);
}

void TGIFImage::ClearContents() {
  StopAllPainters();
  frame_bitmap_.reset();
  frame_canvas_.reset();
  images_.Clear();
  frame_pixels_ = 0;
  header_.Clear();
  header_.Prepare();
  palette_.reset();
}

void TGIFImage::Clear() {
  ClearContents();
  Changed();
}

void TGIFImage::LoadProgress(size_t position) {
  // The share of the whole stream, as the file is seen from outside.
  const int64_t size = load_stream_size_, at = load_start_ + int64_t(position);
  const int percent = size > 0 ? int(std::min<int64_t>(100, at * 100 / size)) : 0;
  Progress(psRunning, percent, RenderOnLoad, TRect{}, "");
}

void TGIFImage::RenderProgress(TProgressStage stage, int percent) {
  Progress(stage, percent, false, TRect{}, stage == psStarting ? "Rendering..." : "");
}

void TGIFImage::ReserveFramePixels(uint64_t pixels) {
  if (frame_pixels_ > pixel_limit_ || pixels > pixel_limit_ - frame_pixels_) throw GIFException("Image exceeds maximum size");
  frame_pixels_ += pixels;
}

void TGIFImage::LoadFromStream(TStream& stream) {
  Progress(psStarting, 0, false, TRect{}, "Loading...");
  bool ok = false;
  try {
    ClearContents();
    TStreamBytes bytes(stream);
    TGIFReader in(bytes.Data(), bytes.Size());
    load_start_ = bytes.Start();
    load_stream_size_ = bytes.StreamSize();
    try {
      header_.LoadFromStream(in);
      images_.LoadFromStream(in, this);
      TGIFTrailer trailer(this);
      trailer.LoadFromStream(in);
    } catch (...) {
      bytes.SetConsumed(0);
      throw;
    }
    bytes.SetConsumed(in.Position());
    ok = true;
  } catch (...) {
    Progress(psEnding, 0, false, TRect{}, "");
    throw;
  }
  Progress(psEnding, ok ? 100 : 0, false, TRect{}, "");
  Changed();
}

}  // namespace orv
