// TCanvas: the drawing operations on a TBitmap that the codecs and the
// display need, in plain C++. Text and the halftone stretch live in the GUI
// half of the platform (gui_canvas.h).
#pragma once

#include <cstdint>

#include "platform/bitmap.h"

namespace orv {

// Raster operations of a copy (the GDI codes).
enum TCopyMode : uint32_t {
  cmSrcCopy = 0x00CC0020,
  cmSrcAnd = 0x008800C6,
  cmSrcPaint = 0x00EE0086,
  cmSrcInvert = 0x00660046,
  cmNotSrcCopy = 0x00330008,
  cmMergePaint = 0x00BB0226,  // destination OR NOT source
  cmSrcErase = 0x00440328,    // source AND NOT destination
  cmBlackness = 0x00000042,
  cmWhiteness = 0x00FF0062,
  cmDstInvert = 0x00550009,
};

enum TBrushStyle { bsSolid, bsClear };

class TCanvas {
 public:
  explicit TCanvas(TBitmap& bitmap) : bitmap_(&bitmap) {}
  TBitmap& Bitmap() const { return *bitmap_; }

  TColor BrushColor = clWhite;
  TBrushStyle BrushStyle = bsSolid;
  TCopyMode CopyMode = cmSrcCopy;
  // Colours a 1-bit source takes when copied onto a colour surface (bit 0
  // gives TextColor, bit 1 BkColor), and the colour that becomes 1 when a
  // colour source is copied onto a 1-bit surface.
  TColor TextColor = clBlack;
  TColor BkColor = clWhite;

  // Fills the rectangle (clipped) with the brush colour; nothing with a clear brush.
  void FillRect(const TRect& r);
  // Draws src at 1:1 with its top-left corner at (x, y). A source whose
  // Transparent flag is set leaves its transparent colour out.
  void Draw(int x, int y, const TBitmap& src);
  // Stretches src into r by nearest pixel; transparency as Draw.
  void StretchDraw(const TRect& r, const TBitmap& src);
  // Copies srcRect of src into dst with CopyMode, stretching by nearest pixel
  // when the sizes differ. Transparency is not looked at.
  void CopyRect(const TRect& dst, const TBitmap& src, const TRect& srcRect);
  // Copies srcRect of src into dst (stretched by nearest pixel), leaving the
  // destination where the 1-bit mask (same size as src) has a set bit.
  void MaskedCopy(const TRect& dst, const TBitmap& src, const TRect& srcRect, const TBitmap& mask);

 private:
  enum class Mode { kCopy, kTransparent, kRop };
  void Blit(const TRect& dst, const TBitmap& src, const TRect& srcRect, Mode mode,
            const TBitmap* mask);

  TBitmap* bitmap_;
};

// Applies a raster operation to 32-bit destination and source words.
uint32_t ApplyRop(TCopyMode rop, uint32_t dst, uint32_t src);

}  // namespace orv
