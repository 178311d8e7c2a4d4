// TCodedImage: the common half of the adapters over outside decoding
// libraries (HEIF, WebP, JPEG XL). Loading keeps the file's bytes and reads
// only the header (size, orientation); the pixels are decoded the first time
// they are needed, at the reduction asked for by then, into a 24-bit bitmap.
// An alpha channel is left out as PNG's is: the colours are shown as stored.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "picture/graphic.h"

namespace orv {

class TCodedImage : public TGraphic {
 public:
  // Keeps the bytes from the stream's position to its end and reads the
  // header; raises the format's error on a header it refuses or a picture
  // over the pixel limit. Zero bytes load as 0 x 0.
  void LoadFromStream(TStream& stream) override;
  // The size as shown: stored size reduced by the scale asked for.
  int Width() const override;
  int Height() const override;
  bool Empty() const override;
  void Draw(TCanvas& canvas, const TRect& r) override;
  void AssignTo(TBitmap& dest) override;
  void ReleaseTo(TBitmap& dest) override;
  int Orientation() const override { return orientation_; }

  // The largest reduction the format decodes directly (each side divided by
  // 2^shift, rounded up, as libjpeg does); 0 where it decodes full size only.
  virtual int MaxScaleShift() const { return 0; }
  // Asks for a reduced decode; dropped when the format cannot do it.
  void SetScaleShift(int shift);
  int ScaleShift() const { return shift_; }

  // A flag that stops a decode in progress when it turns true (the decode
  // then fails); null for none. HEIF decodes cannot be stopped.
  void SetCancelFlag(const std::atomic<bool>* cancel) { cancel_ = cancel; }

  // Decodes now unless already done; a decode that failed raises its error
  // again without decoding again.
  void DIBNeeded();

 protected:
  // The format's name in its errors ("HEIF", "WebP", "JPEG XL").
  virtual const char* FormatName() const = 0;
  // Reads the stored size (upright, as the decoder gives it) and orientation
  // from the header; raises with Fail on data it refuses.
  virtual void ReadHeader(const uint8_t* data, size_t size, int& width, int& height, int& orientation) = 0;
  // Decodes the picture into out (24-bit, width x height reduced by shift).
  virtual void Decode(const uint8_t* data, size_t size, int shift, TBitmap& out) = 0;

  [[noreturn]] void Fail(const std::string& reason) const;
  // Fails with "stopped" once the cancel flag is set.
  void CheckCancel() const;
  const std::atomic<bool>* CancelFlag() const { return cancel_; }
  // How much more input a decoder that can be stopped is given at a time.
  static constexpr size_t kInputStep = 256 * 1024;
  // Refuses a declared size over the pixel limit or a side past 65,535,
  // before anything is allocated for it.
  void CheckSize(int64_t width, int64_t height) const;
  // Allocates a w x h 24-bit bitmap after the size check.
  void AllocateBitmap(TBitmap& out, int width, int height) const;

 private:
  std::vector<uint8_t> bytes_;
  std::unique_ptr<TBitmap> bitmap_;
  std::string decode_error_;
  int width_ = 0, height_ = 0, orientation_ = 1, shift_ = 0;
  const std::atomic<bool>* cancel_ = nullptr;
};

// The size a side takes when decoded at 1 / 2^shift (rounded up).
inline int ReducedSide(int side, int shift) { return int((int64_t(side) + (int64_t(1) << shift) - 1) >> shift); }

}  // namespace orv
