// The graphic class for bitmap files: a TBitmap read by our own bitmap file reader.
#pragma once

#include "picture/graphic.h"

namespace orv {

extern const TGraphicClass kBitmapGraphicClass;

class TBitmapGraphic : public TGraphic {
 public:
  const TGraphicClass* ClassType() const override { return &kBitmapGraphicClass; }
  void LoadFromStream(TStream& stream) override;
  int Width() const override { return bitmap_.Width(); }
  int Height() const override { return bitmap_.Height(); }
  bool Empty() const override { return bitmap_.Empty(); }
  void Draw(TCanvas& canvas, const TRect& r) override { canvas.StretchDraw(r, bitmap_); }
  void AssignTo(TBitmap& dest) override { dest.Assign(bitmap_); }
  void ReleaseTo(TBitmap& dest) override { dest = std::move(bitmap_); }
  void Assign(const TGraphic& source) override;

  TBitmap& Bitmap() { return bitmap_; }
  const TBitmap& Bitmap() const { return bitmap_; }

 private:
  TBitmap bitmap_;
};

}  // namespace orv
