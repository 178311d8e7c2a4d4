#include "picture/exif_orientation.h"

#include <cstring>

namespace orv {

namespace {

constexpr uint8_t kExifPrefix[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;
constexpr size_t kEntrySize = 12;

// Every read of the block goes through this: a read past the end fails
// instead of reading. Offsets are absolute within the TIFF structure.
class TiffReader {
 public:
  TiffReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  void SetBigEndian(bool big) { big_ = big; }
  bool Has(size_t at, size_t n) const { return at <= size_ && n <= size_ - at; }
  bool U16(size_t at, uint16_t* v) const {
    if (!Has(at, 2)) return false;
    const uint8_t* p = data_ + at;
    *v = big_ ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]);
    return true;
  }
  bool U32(size_t at, uint32_t* v) const {
    uint16_t a, b;
    if (!U16(at, &a) || !U16(at + 2, &b)) return false;
    *v = big_ ? uint32_t(a) << 16 | b : uint32_t(b) << 16 | a;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  bool big_ = false;
};

}  // namespace

bool IsExifSegment(const uint8_t* data, size_t size) {
  return data && size >= sizeof kExifPrefix && std::memcmp(data, kExifPrefix, sizeof kExifPrefix) == 0;
}

int ExifOrientation(const uint8_t* data, size_t size) {
  if (!data) return 1;
  if (IsExifSegment(data, size)) {
    data += sizeof kExifPrefix;
    size -= sizeof kExifPrefix;
  }
  if (size < 8) return 1;
  TiffReader in(data, size);
  if (data[0] == 'I' && data[1] == 'I') {
    in.SetBigEndian(false);
  } else if (data[0] == 'M' && data[1] == 'M') {
    in.SetBigEndian(true);
  } else {
    return 1;
  }
  uint16_t magic;
  uint32_t ifd;
  if (!in.U16(2, &magic) || magic != 42 || !in.U32(4, &ifd) || ifd < 8) return 1;
  uint16_t count;
  if (!in.U16(ifd, &count)) return 1;
  // The whole entry table must be there: a directory that claims more
  // entries than the block holds is lying, and nothing in it is believed.
  const size_t entries = size_t(ifd) + 2;
  if (!in.Has(entries, size_t(count) * kEntrySize)) return 1;
  int orientation = 0;
  for (size_t i = 0; i < count; ++i) {
    const size_t at = entries + i * kEntrySize;
    uint16_t tag, type, value;
    uint32_t n;
    if (!in.U16(at, &tag) || !in.U16(at + 2, &type) || !in.U32(at + 4, &n) || !in.U16(at + 8, &value)) return 1;
    if (tag != kOrientationTag) continue;
    if (type != kTypeShort || n != 1 || value < 1 || value > 8) return 1;
    // Two orientation tags that disagree: neither is believed.
    if (orientation != 0 && orientation != value) return 1;
    orientation = value;
  }
  return orientation == 0 ? 1 : orientation;
}

}  // namespace orv
