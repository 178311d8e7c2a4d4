#include "picture/bitmap_graphic.h"

#include "picture/bmp_reader.h"

namespace orv {

const TGraphicClass kBitmapGraphicClass{"TBitmap", nullptr,
                                        [] { return std::unique_ptr<TGraphic>(new TBitmapGraphic); }};

void TBitmapGraphic::LoadFromStream(TStream& stream) {
  ReadBitmapFile(stream, bitmap_);
  if (bitmap_.PaletteCount() > 0) SetPaletteModified(true);
  Changed();
}

void TBitmapGraphic::Assign(const TGraphic& source) {
  const_cast<TGraphic&>(source).AssignTo(bitmap_);
  Changed();
}

}  // namespace orv
