#include "gif/gif_color_map.h"

#include <algorithm>

#include "gif/gif_image.h"
#include "gif/gif_read.h"

namespace orv {

void TGIFColorMap::Grow(int n) {
  if (n <= capacity_) return;
  int cap = n <= 16 ? 16 : std::min(256, (n + 31) / 32 * 32);
  if (cap <= capacity_) return;
  capacity_ = cap;
  colors_.resize(size_t(cap));
}

void TGIFColorMap::Add(const TGIFColor& color) {
  if (count_ >= 256) return;
  Grow(count_ + 1);
  colors_[size_t(count_++)] = color;
}

void TGIFColorMap::Clear() {
  colors_.clear();
  count_ = capacity_ = 0;
  sorted_ = false;
}

TColor TGIFColorMap::Colors(int index) const {
  if (count_ == 0) throw GIFException("Color table is empty");
  if (index < 0 || index >= count_) {
    ReportWarning(1, "Invalid color index");
    index = 0;
  }
  const TGIFColor& c = colors_[size_t(index)];
  return RGB(c.Red, c.Green, c.Blue);
}

void TGIFColorMap::LoadFromStream(TGIFReader& in, int count) {
  Clear();
  count = std::clamp(count, 0, 256);
  const uint8_t* raw = in.Bytes(size_t(count) * 3);
  Grow(count);
  for (int i = 0; i < count; ++i) colors_[size_t(i)] = {raw[i * 3], raw[i * 3 + 1], raw[i * 3 + 2]};
  count_ = count;
}

void TGIFColorMap::ReportWarning(int severity, const std::string& message) const {
  if (image_) image_->ReportWarning(const_cast<TGIFColorMap*>(this), severity, message);
}

}  // namespace orv
