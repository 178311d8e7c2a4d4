// TPNGGraphic: a PNG picture held as a TBitmap (plus an 8-bit alpha mask),
// loaded by TPNGReadStream and saved by TPNGWriteStream.
#pragma once

#include <string>
#include <vector>

#include "picture/graphic.h"
#include "png/png_read_stream.h"

namespace orv {

extern const TGraphicClass kPNGGraphicClass;

class TPNGGraphic : public TGraphic {
 public:
  TPNGGraphic();
  ~TPNGGraphic() override = default;

  const TGraphicClass* ClassType() const override { return &kPNGGraphicClass; }
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  int Width() const override { return bitmap_.Width(); }
  int Height() const override { return bitmap_.Height(); }
  bool Empty() const override { return bitmap_.Empty(); }
  void SetWidth(int value) override;
  void SetHeight(int value) override;
  void Draw(TCanvas& canvas, const TRect& r) override { canvas.StretchDraw(r, bitmap_); }
  void AssignTo(TBitmap& dest) override { dest.Assign(bitmap_); }
  void ReleaseTo(TBitmap& dest) override { dest = std::move(bitmap_); }
  void Assign(const TGraphic& source) override;
  void SetTransparent(bool value) override;
  int Orientation() const override;

  // The picture's stored form in form files: a plain PNG stream.
  void ReadData(TStream& stream);
  void WriteData(TStream& stream);

  const TRGBQuad* Palette() const { return bitmap_.Palette(); }
  int PaletteCount() const { return bitmap_.PaletteCount(); }
  void SetPalette(const TRGBQuad* entries, int count);

  TBitmap& Bitmap() { return bitmap_; }
  const TBitmap& Bitmap() const { return bitmap_; }
  TBitmap& MaskBitmap() { return mask_; }
  const TBitmap& MaskBitmap() const { return mask_; }
  bool HasMask() const { return has_mask_; }
  int BitDepth() const { return bit_depth_; }
  int32_t BackgroundColor() const { return background_color_; }
  int32_t TransparentColorValue() const { return transparent_color_; }
  const std::string& Comment() const { return comment_; }
  double Gamma() const { return gamma_; }
  int32_t SignificantBits() const { return significant_bits_; }
  uint8_t PhysicalUnit() const { return physical_unit_; }
  int32_t PixelsPerUnitX() const { return ppu_x_; }
  int32_t PixelsPerUnitY() const { return ppu_y_; }
  bool Interlaced() const { return interlaced_; }
  bool Grey() const { return grey_; }
  const TPNGTime& Time() const { return time_; }
  const TPNGChromaticity& Chromaticity() const { return chromaticity_; }
  const TPNGGIFControl& GIFControl() const { return gif_control_; }
  const std::vector<uint8_t>& Exif() const { return exif_; }

  // Settings used when saving.
  int IDATSize() const { return idat_size_; }
  void SetIDATSize(int size) { idat_size_ = size; }
  int CompressionLevel() const { return compression_level_; }
  void SetCompressionLevel(int level) { compression_level_ = level; }
  uint8_t FilterMode() const { return filter_mode_; }
  void SetFilterMode(uint8_t mode) { filter_mode_ = mode; }
  bool WriteTime() const { return write_time_; }
  void SetWriteTime(bool value) { write_time_ = value; }
  void SetInterlaced(bool value) { interlaced_ = value; }
  void SetGrey(bool value) { grey_ = value; }
  void SetComment(const std::string& text) { comment_ = text; }
  void SetBackgroundColor(int32_t color) { background_color_ = color; }
  void SetTransparentColorValue(int32_t color) { transparent_color_ = color; }
  void SetGamma(double value) { gamma_ = value; }
  void SetSignificantBits(int32_t value) { significant_bits_ = value; }
  void SetPhysical(uint8_t unit, int32_t x, int32_t y) { physical_unit_ = unit, ppu_x_ = x, ppu_y_ = y; }
  void SetTime(const TPNGTime& t) { time_ = t; }
  void SetChromaticity(const TPNGChromaticity& c) { chromaticity_ = c; }
  void SetGIFControl(const TPNGGIFControl& g) { gif_control_ = g; }
  void SetHasMask(bool value) { has_mask_ = value; }

  bool SkipMacBinary = true;
  bool Use16BitPixels = false;

 private:
  void ReadPNG(TStream& stream, bool with_options);
  void WritePNG(TStream& stream, bool with_settings);
  void Synchronize();

  TBitmap bitmap_;
  TBitmap mask_;
  bool has_mask_ = false;
  int bit_depth_ = 0;
  int32_t background_color_ = -1;
  int32_t transparent_color_ = -1;
  std::string comment_;
  double gamma_ = 0.45455;
  int32_t significant_bits_ = 0;
  uint8_t physical_unit_ = 0;
  int32_t ppu_x_ = 0, ppu_y_ = 0;
  bool interlaced_ = false;
  bool grey_ = false;
  int idat_size_ = 32768;
  int compression_level_ = -1;
  uint8_t filter_mode_ = 1;
  bool write_time_ = true;
  TPNGTime time_;
  TPNGChromaticity chromaticity_{};
  TPNGGIFControl gif_control_{};
  std::vector<uint8_t> exif_;
  bool synchronizing_ = false;
};

// Registers "PNG" ("PNG Format") with the file-type registry; calls are
// counted, and only the matching last unregistration removes the class.
void RegisterPNGFormat();
void UnregisterPNGFormat();

}  // namespace orv
