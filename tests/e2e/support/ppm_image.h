// Screenshots as binary PPM (P6) files, read by our own bounds-checked
// parser; no image library is involved.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orv::e2e {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};

class PpmImage {
 public:
  PpmImage() = default;
  PpmImage(int width, int height, Rgb fill = {});

  // Parses P6 data with a maximum sample value of 1 to 65535 (16-bit
  // samples are scaled to 8 bits). Throws std::runtime_error when the data
  // is not such a file or is cut short.
  static PpmImage Parse(const std::string& bytes);
  static PpmImage Load(const std::string& path);
  void Save(const std::string& path) const;

  int width() const { return width_; }
  int height() const { return height_; }
  Rgb At(int x, int y) const;
  void Set(int x, int y, Rgb color);
  // The part of the image inside r (clipped to the image).
  PpmImage Crop(const Rect& r) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Rgb> pixels_;
};

}  // namespace orv::e2e
