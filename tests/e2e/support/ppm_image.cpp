#include "e2e/support/ppm_image.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace orv::e2e {

namespace {

// Reads the header's fields one at a time: whitespace and comments between them.
class HeaderReader {
 public:
  explicit HeaderReader(const std::string& bytes) : bytes_(bytes) {}

  long Number() {
    SkipBlanks();
    long value = 0;
    size_t digits = 0;
    while (pos_ < bytes_.size() && bytes_[pos_] >= '0' && bytes_[pos_] <= '9') {
      value = value * 10 + (bytes_[pos_++] - '0');
      if (++digits > 9) throw std::runtime_error("PPM: number too long");
    }
    if (digits == 0) throw std::runtime_error("PPM: number expected");
    return value;
  }
  // The single whitespace byte that ends the header.
  size_t DataStart() {
    if (pos_ >= bytes_.size() || !IsBlank(bytes_[pos_])) throw std::runtime_error("PPM: bad header end");
    return pos_ + 1;
  }

 private:
  static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
  void SkipBlanks() {
    while (pos_ < bytes_.size()) {
      if (IsBlank(bytes_[pos_])) {
        ++pos_;
      } else if (bytes_[pos_] == '#') {
        while (pos_ < bytes_.size() && bytes_[pos_] != '\n') ++pos_;
      } else {
        break;
      }
    }
  }
  const std::string& bytes_;
  size_t pos_ = 2;  // after "P6"
};

}  // namespace

PpmImage::PpmImage(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(size_t(width) * size_t(height), fill) {}

PpmImage PpmImage::Parse(const std::string& bytes) {
  if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6') throw std::runtime_error("PPM: not a P6 file");
  HeaderReader header(bytes);
  const long width = header.Number();
  const long height = header.Number();
  const long maxval = header.Number();
  if (width < 1 || height < 1 || width > 65535 || height > 65535) throw std::runtime_error("PPM: bad size");
  if (maxval < 1 || maxval > 65535) throw std::runtime_error("PPM: bad maximum value");
  const size_t start = header.DataStart();
  const size_t sample = maxval > 255 ? 2 : 1;
  const size_t count = size_t(width) * size_t(height);
  if ((bytes.size() - start) / (3 * sample) < count) throw std::runtime_error("PPM: data cut short");
  PpmImage image(static_cast<int>(width), static_cast<int>(height));
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data()) + start;
  auto next = [&]() {
    unsigned v = *p++;
    if (sample == 2) v = (v << 8) | *p++;
    return uint8_t((std::min<unsigned>(v, unsigned(maxval)) * 255 + unsigned(maxval) / 2) / unsigned(maxval));
  };
  for (Rgb& px : image.pixels_) {
    px.r = next();
    px.g = next();
    px.b = next();
  }
  return image;
}

PpmImage PpmImage::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream ss;
  ss << in.rdbuf();
  return Parse(ss.str());
}

void PpmImage::Save(const std::string& path) const {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << width_ << " " << height_ << "\n255\n";
  for (const Rgb& px : pixels_) out.write(reinterpret_cast<const char*>(&px), 3);
  if (!out) throw std::runtime_error("cannot write " + path);
}

Rgb PpmImage::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) throw std::out_of_range("pixel outside the image");
  return pixels_[size_t(y) * size_t(width_) + size_t(x)];
}

void PpmImage::Set(int x, int y, Rgb color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) throw std::out_of_range("pixel outside the image");
  pixels_[size_t(y) * size_t(width_) + size_t(x)] = color;
}

PpmImage PpmImage::Crop(const Rect& r) const {
  const int x0 = std::clamp(r.x, 0, width_), y0 = std::clamp(r.y, 0, height_);
  const int x1 = std::clamp(r.x + r.width, x0, width_), y1 = std::clamp(r.y + r.height, y0, height_);
  PpmImage out(x1 - x0, y1 - y0);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) out.Set(x - x0, y - y0, At(x, y));
  return out;
}

}  // namespace orv::e2e
