// The header (signature, logical screen descriptor, global colour table) and
// the trailer of a GIF stream.
#pragma once

#include <array>
#include <cstdint>

#include "gif/gif_color_map.h"
#include "gif/gif_item.h"

namespace orv {

#pragma pack(push, 1)
struct TLogicalScreenDescriptor {
  uint16_t ScreenWidth = 0;
  uint16_t ScreenHeight = 0;
  uint8_t PackedFields = 0;  // 7: global table; 6-4: colour resolution - 1; 3: sorted; 2-0: size
  uint8_t BackgroundColorIndex = 0;
  uint8_t AspectRatio = 0;
};
#pragma pack(pop)

class TGIFHeader : public TGIFItem {
 public:
  explicit TGIFHeader(TGIFImage* image) : TGIFItem(image), color_map_(image) {}

  int Version() const override;
  void LoadFromStream(TGIFReader& in) override;
  // Empty header: no screen, no global table.
  void Clear();
  // Recomputes the packed byte from the global table.
  void Prepare();

  const TLogicalScreenDescriptor& Descriptor() const { return lsd_; }
  int Width() const { return lsd_.ScreenWidth; }
  int Height() const { return lsd_.ScreenHeight; }
  void SetWidth(int w) { lsd_.ScreenWidth = uint16_t(w); }
  void SetHeight(int h) { lsd_.ScreenHeight = uint16_t(h); }
  uint8_t BackgroundColorIndex() const { return lsd_.BackgroundColorIndex; }
  TGIFGlobalColorMap& ColorMap() { return color_map_; }
  const TGIFGlobalColorMap& ColorMap() const { return color_map_; }

 private:
  TLogicalScreenDescriptor lsd_;
  TGIFGlobalColorMap color_map_;
};

class TGIFTrailer : public TGIFItem {
 public:
  using TGIFItem::TGIFItem;
  void LoadFromStream(TGIFReader& in) override;
};

}  // namespace orv
