#include "picture/jpeg_image.h"

#include <algorithm>

// libjpeg's headers need <cstdio> before them and jpeglib.h before jerror.h.
#include <cstdio>

#include <jpeglib.h>

#include <jerror.h>

#include "picture/picture.h"
#include "platform/screen_info.h"

namespace orv {

namespace {

TJPEGDefaults FromScreen() {
  TJPEGDefaults d;
  d.PixelFormat = ScreenBitsPerPixel() <= 8 ? jf8Bit : jf24Bit;
  return d;
}

TJPEGDefaults& DefaultsRecord() {
  static TJPEGDefaults defaults = FromScreen();
  return defaults;
}

// The whole file is held in memory; anything larger than four bytes per
// pixel of the largest picture we accept is not a picture we can show.
constexpr int64_t kMaxFileBytes = kMaxPicturePixels * 4;

}  // namespace

TJPEGDefaults& JPEGDefaults() { return DefaultsRecord(); }
void ResetJPEGDefaults() { DefaultsRecord() = FromScreen(); }

const TGraphicClass kJPEGImageClass{"TJPEGImage", nullptr,
                                    [] { return std::unique_ptr<TGraphic>(new TJPEGImage); }};

TJPEGImage::TJPEGImage() : data_(std::make_shared<TJPEGData>()) {
  const TJPEGDefaults& d = JPEGDefaults();
  smoothing_ = d.Smoothing;
  grayscale_ = d.Grayscale;
  pixel_format_ = d.PixelFormat;
  quality_ = d.CompressionQuality;
  progressive_display_ = d.ProgressiveDisplay;
  progressive_encoding_ = d.ProgressiveEncoding;
  performance_ = d.Performance;
  scale_ = d.Scale;
}

void TJPEGImage::LoadFromStream(TStream& stream) {
  data_ = std::make_shared<TJPEGData>();
  bitmap_.reset();
  decode_error_ = 0;
  need_recalc_ = true;
  const int64_t available = std::max<int64_t>(0, stream.Size() - stream.Position());
  if (available > kMaxFileBytes) throw EJPEG(JERR_IMAGE_TOO_BIG);
  TMemoryStream& bytes = data_->Data;
  bytes.SetSize(available);
  bytes.SetSize(std::max<int64_t>(0, stream.Read(bytes.Memory(), available)));
  if (bytes.Size() > 0) {
    const JpegHeader h = ReadJpegHeader(bytes.Memory(), size_t(bytes.Size()));
    data_->Width = h.width;
    data_->Height = h.height;
    data_->Grayscale = h.grayscale;
    data_->Orientation = h.orientation;
    progressive_encoding_ = h.progressive;
  }
  SetPaletteModified(true);
  Changed();
}

JpegDecodeSettings TJPEGImage::DecodeSettings() const {
  JpegDecodeSettings s;
  s.scale_shift = int(scale_);
  s.smoothing = smoothing_;
  s.grayscale = grayscale_;
  s.eight_bit = pixel_format_ == jf8Bit;
  s.best_speed = performance_ == jpBestSpeed;
  s.cancel = cancel_;
  return s;
}

void TJPEGImage::CalcScaledSize() const {
  if (!need_recalc_) return;
  scaled_width_ = scaled_height_ = 0;
  if (data_->Data.Size() > 0) {
    try {
      JpegOutputSize(data_->Data.Memory(), size_t(data_->Data.Size()), DecodeSettings(), &scaled_width_,
                     &scaled_height_);
    } catch (const EJPEG&) {
      scaled_width_ = scaled_height_ = 0;
    }
  }
  need_recalc_ = false;
}

int TJPEGImage::Width() const {
  if (bitmap_ && !bitmap_->Empty()) return bitmap_->Width();
  if (scale_ == jsFullSize) return data_->Width;
  CalcScaledSize();
  return scaled_width_;
}

int TJPEGImage::Height() const {
  if (bitmap_ && !bitmap_->Empty()) return bitmap_->Height();
  if (scale_ == jsFullSize) return data_->Height;
  CalcScaledSize();
  return scaled_height_;
}

bool TJPEGImage::Empty() const { return data_->Data.Size() == 0 && (!bitmap_ || bitmap_->Empty()); }

void TJPEGImage::DIBNeeded() {
  if (bitmap_) {
    if (decode_error_ != 0) throw EJPEG(decode_error_);
    return;
  }
  bitmap_ = std::make_unique<TBitmap>();
  Progress(psStarting, 0, false, TRect{}, "");
  try {
    DecodeJpeg(data_->Data.Memory(), size_t(data_->Data.Size()), DecodeSettings(), *bitmap_);
  } catch (const EJPEG& e) {
    decode_error_ = e.Code();
    throw;
  }
  Progress(psEnding, 100, false, TRect{}, "");
  if (bitmap_->PaletteCount() > 0) {
    SetPaletteModified(true);
    Changed();
  }
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& r) {
  DIBNeeded();
  canvas.StretchDraw(r, *bitmap_);
}

void TJPEGImage::AssignTo(TBitmap& dest) {
  DIBNeeded();
  dest.Assign(*bitmap_);
}

void TJPEGImage::Assign(const TGraphic& source) {
  if (!source.ClassType()->InheritsFrom(&kJPEGImageClass)) {
    TGraphic::Assign(source);
    return;
  }
  const auto& other = static_cast<const TJPEGImage&>(source);
  if (&other == this) return;
  data_ = other.data_;
  bitmap_ = other.bitmap_ ? std::make_unique<TBitmap>(*other.bitmap_) : nullptr;
  decode_error_ = other.decode_error_;
  progressive_encoding_ = other.progressive_encoding_;
  need_recalc_ = true;
  SetPaletteModified(true);
  Changed();
}

void TJPEGImage::SettingChanged() {
  bitmap_.reset();
  decode_error_ = 0;
  need_recalc_ = true;
  Changed();
}

void TJPEGImage::SetSmoothing(bool value) {
  if (value == smoothing_) return;
  smoothing_ = value;
  SettingChanged();
}

void TJPEGImage::SetGrayscale(bool value) {
  if (value == grayscale_) return;
  grayscale_ = value;
  SettingChanged();
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat value) {
  if (value == pixel_format_) return;
  pixel_format_ = value;
  SettingChanged();
}

void TJPEGImage::SetPerformance(TJPEGPerformance value) {
  if (value == performance_) return;
  performance_ = value;
  SettingChanged();
}

void TJPEGImage::SetScale(TJPEGScale value) {
  if (value == scale_) return;
  scale_ = value;
  SettingChanged();
}

void TJPEGImage::TakeBitmap(TBitmap& dest) {
  DIBNeeded();
  dest = std::move(*bitmap_);
  bitmap_.reset();
}

void RegisterJPEGFormat() {
  TFileFormatsList& list = TFileFormatsList::Instance();
  list.Add("jpeg", "JPEG イメージファイル", &kJPEGImageClass);
  list.Add("jpg", "JPEG イメージファイル", &kJPEGImageClass);
}

}  // namespace orv
