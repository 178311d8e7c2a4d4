#include "png/png_graphic.h"

#include "picture/exif_orientation.h"
#include "picture/picture.h"
#include "platform/native.h"
#include "png/png_write_stream.h"

namespace orv {

namespace {

// Puts a graphic's progress handler on its bitmap for the duration of a read
// or write, and the bitmap's own back afterwards, whatever happens.
class ProgressSwap {
 public:
  ProgressSwap(TBitmap& bmp, const TProgressEvent& handler) : bmp_(bmp), active_(bool(handler)) {
    if (!active_) return;
    saved_ = std::move(static_cast<TProgressEvent&>(bmp_.OnProgress));
    bmp_.OnProgress = handler;
  }
  ~ProgressSwap() {
    if (active_) bmp_.OnProgress = std::move(saved_);
  }
  ProgressSwap(const ProgressSwap&) = delete;
  ProgressSwap& operator=(const ProgressSwap&) = delete;

 private:
  TBitmap& bmp_;
  TProgressEvent saved_;
  bool active_;
};

}  // namespace


const TGraphicClass kPNGGraphicClass{"TPNGGraphic", nullptr,
                                     [] { return std::unique_ptr<TGraphic>(new TPNGGraphic); }};

TPNGGraphic::TPNGGraphic() {
  const native::UtcTime u = native::UtcNow();
  time_ = TPNGTime{uint16_t(u.year), uint8_t(u.month), uint8_t(u.day),
                   uint8_t(u.hour), uint8_t(u.minute), uint8_t(u.second)};
}

void TPNGGraphic::ReadPNG(TStream& stream, bool with_options) {
  TPNGReadStream reader;
  if (with_options) {
    reader.SkipMacBinary = SkipMacBinary;
    reader.Use16BitPixels = Use16BitPixels;
  }
  reader.TimeStorage = &time_;
  reader.ChromaticityStorage = &chromaticity_;
  reader.GIFControlStorage = &gif_control_;
  reader.ExifStorage = &exif_;
  mask_.Assign(TBitmap());
  reader.MaskBitmap = BitmapOnly() ? nullptr : &mask_;
  // Our progress handler stands in for the bitmap's during the read.
  ProgressSwap swap(bitmap_, with_options ? OnProgress : TProgressEvent());
  reader.ReadImage(&bitmap_, stream, 0);
  has_mask_ = reader.HasAlpha;
  comment_ = reader.Comment();
  background_color_ = reader.BackgroundColorValue;
  transparent_color_ = reader.TransparentColorValue;
  interlaced_ = reader.InterlaceMethod == 1;
  gamma_ = reader.Gamma;
  physical_unit_ = reader.PhysicalUnit();
  ppu_x_ = int32_t(reader.PixelsPerUnitX());
  ppu_y_ = int32_t(reader.PixelsPerUnitY());
  significant_bits_ = int32_t(reader.SignificantBits);
  bit_depth_ = reader.BitDepth();
  grey_ = reader.IsGrey;
}

int TPNGGraphic::Orientation() const { return ExifOrientation(exif_.data(), exif_.size()); }

void TPNGGraphic::LoadFromStream(TStream& stream) {
  ReadPNG(stream, true);
  Synchronize();
}

void TPNGGraphic::ReadData(TStream& stream) {
  mask_.Assign(TBitmap());
  ReadPNG(stream, false);
  Synchronize();
  Changed();
}

void TPNGGraphic::WritePNG(TStream& stream, bool with_settings) {
  TPNGWriteStream writer;
  if (with_settings) {
    writer.CompressionLevel = compression_level_;
    writer.FilterMode = filter_mode_;
    writer.SetIDATSize(idat_size_);
    writer.Interlaced = interlaced_;
    writer.WriteCurrentTime = write_time_;
  }
  writer.Grey = grey_;
  writer.Comment = comment_;
  writer.BackgroundColor = background_color_;
  writer.TransparentColor = transparent_color_;
  writer.Gamma = gamma_;
  writer.SignificantBits = significant_bits_;
  writer.PhysicalUnit = physical_unit_;
  writer.PixelsPerUnitX = ppu_x_;
  writer.PixelsPerUnitY = ppu_y_;
  writer.TimeStorage = &time_;
  writer.ChromaticityStorage = &chromaticity_;
  writer.GIFControlStorage = &gif_control_;
  if (has_mask_) writer.AlphaSource = &mask_;
  ProgressSwap swap(bitmap_, with_settings ? OnProgress : TProgressEvent());
  writer.WriteImage(bitmap_, stream);
}

void TPNGGraphic::SaveToStream(TStream& stream) { WritePNG(stream, true); }

void TPNGGraphic::WriteData(TStream& stream) {
  if (bitmap_.Empty()) return;
  WritePNG(stream, false);
}

void TPNGGraphic::SetWidth(int value) {
  if (!bitmap_.Empty()) bitmap_.SetWidth(value);
  if (!mask_.Empty()) mask_.SetWidth(value);
  Changed();
}

void TPNGGraphic::SetHeight(int value) {
  if (!bitmap_.Empty()) bitmap_.SetHeight(value);
  if (!mask_.Empty()) mask_.SetHeight(value);
  Changed();
}

void TPNGGraphic::SetPalette(const TRGBQuad* entries, int count) {
  bitmap_.SetPalette(entries, count);
  Changed();
}

void TPNGGraphic::SetTransparent(bool value) {
  if (!synchronizing_ && bitmap_.Transparent() != value) bitmap_.SetTransparent(value);
  TGraphic::SetTransparent(value);
}

void TPNGGraphic::Synchronize() {
  SetPaletteModified(true);
  if (Transparent() == bitmap_.Transparent()) {
    Changed();
    return;
  }
  synchronizing_ = true;
  try {
    TGraphic::SetTransparent(bitmap_.Transparent());
  } catch (...) {
    synchronizing_ = false;
    throw;
  }
  synchronizing_ = false;
}

void TPNGGraphic::Assign(const TGraphic& source) {
  if (const auto* png = dynamic_cast<const TPNGGraphic*>(&source)) {
    if (png != this) {
      bitmap_.Assign(png->bitmap_);
      mask_.Assign(png->mask_);
      // The mask only serves as alpha when saving if it is marked as present.
      has_mask_ = png->has_mask_;
      compression_level_ = png->compression_level_;
      filter_mode_ = png->filter_mode_;
      idat_size_ = png->idat_size_;
      interlaced_ = png->interlaced_;
      grey_ = png->grey_;
      comment_ = png->comment_;
      background_color_ = png->background_color_;
      transparent_color_ = png->transparent_color_;
      gamma_ = png->gamma_;
      significant_bits_ = png->significant_bits_;
      physical_unit_ = png->physical_unit_;
      ppu_x_ = png->ppu_x_;
      ppu_y_ = png->ppu_y_;
      write_time_ = png->write_time_;
      time_ = png->time_;
      chromaticity_ = png->chromaticity_;
      exif_ = png->exif_;
    }
  } else {
    const_cast<TGraphic&>(source).AssignTo(bitmap_);
  }
  Synchronize();
}

namespace {
int g_registrations = 0;
}

void RegisterPNGFormat() {
  if (g_registrations++ == 0) TFileFormatsList::Instance().Add("PNG", "PNG Format", &kPNGGraphicClass);
}

void UnregisterPNGFormat() {
  if (g_registrations > 0 && --g_registrations == 0) TFileFormatsList::Instance().Remove(&kPNGGraphicClass);
}

}  // namespace orv
