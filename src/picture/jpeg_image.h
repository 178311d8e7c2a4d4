// TJPEGImage: the graphic class for JPEG files, over libjpeg. Loading keeps
// the file's bytes and reads its header; the picture is decoded the first
// time its pixels are needed and that bitmap is kept.
#pragma once

#include <memory>

#include "picture/graphic.h"
#include "picture/jpeg_decoder.h"

namespace orv {

enum TJPEGPerformance { jpBestQuality, jpBestSpeed };
enum TJPEGPixelFormat { jf24Bit, jf8Bit };
enum TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };

// Copied into every new TJPEGImage; the program never changes it.
struct TJPEGDefaults {
  int CompressionQuality = 90;  // encoding only
  bool Grayscale = false;
  TJPEGPerformance Performance = jpBestQuality;
  TJPEGPixelFormat PixelFormat = jf24Bit;
  bool ProgressiveDisplay = false;
  bool ProgressiveEncoding = false;
  TJPEGScale Scale = jsFullSize;
  bool Smoothing = true;
};

// The process's defaults. The pixel format follows the screen when the
// record is first used: 8 bits per pixel or fewer give jf8Bit.
TJPEGDefaults& JPEGDefaults();
// Decides the defaults afresh from the current screen depth.
void ResetJPEGDefaults();

// The compressed file, shared by copies of one picture.
struct TJPEGData {
  TMemoryStream Data;
  int Width = 0;
  int Height = 0;
  bool Grayscale = false;
  int Orientation = 1;
};

extern const TGraphicClass kJPEGImageClass;

class TJPEGImage : public TGraphic {
 public:
  TJPEGImage();

  const TGraphicClass* ClassType() const override { return &kJPEGImageClass; }
  // Keeps the bytes from the stream's position to its end and reads the
  // header; raises EJPEG on a bad header. Zero bytes load as 0 x 0.
  void LoadFromStream(TStream& stream) override;
  int Width() const override;
  int Height() const override;
  bool Empty() const override;
  void Draw(TCanvas& canvas, const TRect& r) override;
  void AssignTo(TBitmap& dest) override;
  // Takes another JPEG picture (sharing its compressed data); other classes
  // are refused.
  void Assign(const TGraphic& source) override;
  int Orientation() const override { return data_->Orientation; }

  // Decodes now unless already done. A decode that failed raises its error
  // again without decoding again.
  void DIBNeeded();

  bool Smoothing() const { return smoothing_; }
  bool Grayscale() const { return grayscale_; }
  TJPEGPixelFormat PixelFormat() const { return pixel_format_; }
  TJPEGPerformance Performance() const { return performance_; }
  TJPEGScale Scale() const { return scale_; }
  int CompressionQuality() const { return quality_; }
  bool ProgressiveDisplay() const { return progressive_display_; }
  bool ProgressiveEncoding() const { return progressive_encoding_; }
  // Changing a decoding setting drops the decoded bitmap.
  void SetSmoothing(bool value);
  void SetGrayscale(bool value);
  void SetPixelFormat(TJPEGPixelFormat value);
  void SetPerformance(TJPEGPerformance value);
  void SetScale(TJPEGScale value);
  // Decodes unless already done and hands over the decoded bitmap itself
  // instead of a copy (the next need of the pixels decodes again).
  void TakeBitmap(TBitmap& dest);
  // A flag that stops a decode in progress when it turns true (DIBNeeded
  // then raises EJPEG); null for none.
  void SetCancelFlag(const std::atomic<bool>* cancel) { cancel_ = cancel; }

 private:
  void SettingChanged();
  JpegDecodeSettings DecodeSettings() const;
  void CalcScaledSize() const;

  std::shared_ptr<TJPEGData> data_;
  std::unique_ptr<TBitmap> bitmap_;
  int decode_error_ = 0;  // libjpeg's code when the decode failed
  mutable int scaled_width_ = 0;
  mutable int scaled_height_ = 0;
  bool smoothing_;
  bool grayscale_;
  TJPEGPixelFormat pixel_format_;
  int quality_;
  bool progressive_display_;
  bool progressive_encoding_;
  TJPEGPerformance performance_;
  TJPEGScale scale_;
  mutable bool need_recalc_ = true;
  const std::atomic<bool>* cancel_ = nullptr;
};

// Registers "jpeg" and "jpg" with the file-type registry.
void RegisterJPEGFormat();

}  // namespace orv
