// One frame of a GIF image: its extensions, image descriptor, local colour
// table and pixels, and the bitmap, mask and palette made from them.
#pragma once

#include <cstdint>
#include <memory>

#include "gif/gif_color_map.h"
#include "gif/gif_item.h"
#include "gif/gif_lists.h"
#include "gif/gif_palette.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"

namespace orv {

class TGIFGraphicControlExtension;

#pragma pack(push, 1)
struct TImageDescriptor {
  uint8_t Separator = 0x2C;
  uint16_t Left = 0;
  uint16_t Top = 0;
  uint16_t Width = 0;
  uint16_t Height = 0;
  uint8_t PackedFields = 0;  // 7: local table; 6: interlaced; 5: sorted; 2-0: size
};
#pragma pack(pop)

class TGIFSubImage : public TGIFItem {
 public:
  explicit TGIFSubImage(TGIFImage* image);
  ~TGIFSubImage() override;

  int Version() const override;
  void LoadFromStream(TGIFReader& in) override;
  // Drops extensions, colour table, pixels and bitmaps; size 0.
  void Clear();
  // No pixels, or a width or height of 0.
  bool Empty() const;

  const TImageDescriptor& Descriptor() const { return desc_; }
  int Left() const { return desc_.Left; }
  int Top() const { return desc_.Top; }
  int Width() const { return desc_.Width; }
  int Height() const { return desc_.Height; }
  bool Interlaced() const { return desc_.PackedFields & 0x40; }
  TRect BoundsRect() const { return Bounds(Left(), Top(), Width(), Height()); }

  TGIFExtensionList& Extensions() { return extensions_; }
  const TGIFExtensionList& Extensions() const { return extensions_; }
  TGIFLocalColorMap& ColorMap() { return color_map_; }
  // The local table when it has entries, else the global one when it has
  // entries, else the (empty) local one.
  const TGIFColorMap& ActiveColorMap() const;

  // One colour index per pixel, rows top to bottom.
  const uint8_t* Data() const { return pixels_.get(); }
  uint8_t* MutableData() { return pixels_.get(); }
  size_t DataSize() const { return data_size_; }

  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  int TransparentColorIndex() const;
  TGIFGraphicControlExtension* GraphicControlExtension() const { return gce_; }
  void SetGraphicControlExtension(TGIFGraphicControlExtension* gce) { gce_ = gce; }

  // The frame as an 8-bit bitmap (or dithered to the 216 colours), built on
  // first request.
  const TBitmap& Bitmap();
  // Moves the bitmap out (built first if need be); the next Bitmap() builds
  // it again.
  TBitmap ReleaseBitmap();
  bool HasBitmap() const { return bitmap_ != nullptr; }
  // Set where the pixel has the transparent index; nullptr when none.
  const TBitmap* Mask();
  TGIFPaletteRef Palette();
  void FreeBitmap();
  // Draws the frame at its place in r (scaled from the logical screen),
  // through its mask when asked, or tiled at the logical size.
  void PaintFrame(TCanvas& canvas, const TRect& r, bool transparent, bool tile);

 private:
  void DecodeImageData(TGIFReader& in);
  void BuildBitmap();
  void BuildMask(TBitmap& mask, int transparent_index, bool& any);
  void DitherInto(TBitmap& bmp, int transparent_index, bool mask_pixels);
  void DrawOnce(TCanvas& canvas, const TRect& dest, bool transparent);

  TImageDescriptor desc_;
  TGIFExtensionList extensions_;
  TGIFLocalColorMap color_map_;
  std::unique_ptr<uint8_t[]> pixels_;
  size_t data_size_ = 0;
  bool offscreen_ = false;  // wholly outside the logical screen: pixels not stored
  bool transparent_ = false;
  TGIFGraphicControlExtension* gce_ = nullptr;

  std::unique_ptr<TBitmap> bitmap_;
  std::unique_ptr<TBitmap> mask_;
  bool need_mask_ = true;
  TGIFPaletteRef palette_;
};

}  // namespace orv
