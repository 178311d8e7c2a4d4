// GIF colour tables: the global one (owned by the header) and the local one
// of a frame.
#pragma once

#include <cstdint>
#include <vector>

#include "gif/gif_item.h"
#include "platform/color.h"
#include "platform/stream.h"

namespace orv {

struct TGIFColor {
  uint8_t Red = 0;
  uint8_t Green = 0;
  uint8_t Blue = 0;
};

class TGIFColorMap {
 public:
  explicit TGIFColorMap(TGIFImage* image) : image_(image) {}
  virtual ~TGIFColorMap() = default;

  int Count() const { return count_; }
  int Capacity() const { return capacity_; }
  bool Sorted() const { return sorted_; }
  void SetSorted(bool value) { sorted_ = value; }
  const TGIFColor* Data() const { return colors_.data(); }
  const TGIFColor& Entry(int i) const { return colors_[size_t(i)]; }

  // Capacity for n entries: 16 up to 16, else n rounded up to 32, at most 256;
  // never shrinks.
  void Grow(int n);
  // Appends a colour (ignored once 256 entries are held).
  void Add(const TGIFColor& color);
  void Clear();
  // Entry i as 0x00BBGGRR. An index outside the table warns "Invalid color
  // index" and gives entry 0; an empty table raises "Color table is empty".
  TColor Colors(int index) const;
  // Reads count entries of 3 bytes (red, green, blue).
  void LoadFromStream(TGIFReader& in, int count);
  virtual void ReportWarning(int severity, const std::string& message) const;

 protected:
  TGIFImage* image_;
  std::vector<TGIFColor> colors_;
  int count_ = 0;
  int capacity_ = 0;
  bool sorted_ = false;
};

class TGIFGlobalColorMap : public TGIFColorMap {
 public:
  using TGIFColorMap::TGIFColorMap;
};

class TGIFLocalColorMap : public TGIFColorMap {
 public:
  using TGIFColorMap::TGIFColorMap;
};

// Number of entries a table-size code (bits 2-0 of a packed byte) stands for.
inline int ColorTableEntries(uint8_t packed) { return 2 << (packed & 7); }

}  // namespace orv
