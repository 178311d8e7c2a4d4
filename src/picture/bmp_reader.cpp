#include "picture/bmp_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "picture/bmp_pixels.h"
#include "platform/exceptions.h"
#include "platform/le_reader.h"

namespace orv {

namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

constexpr uint32_t kMasks555[3] = {0x7C00, 0x03E0, 0x001F};
constexpr uint32_t kMasks565[3] = {0xF800, 0x07E0, 0x001F};
constexpr uint32_t kMasks888[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};

[[noreturn]] void Invalid() { throw EInvalidGraphic(ORV_TRANSLATE_NOOP("Exception", "ビットマップイメージが不正です")); }

// The headers are read whole from the stream first (a short file fails
// there, with the stream's read error); fields are then taken from them.
using Fields = TLEReader<Invalid>;

struct DibHeader {
  uint32_t size = 0;
  int64_t width = 0;
  int64_t height = 0;  // absolute value
  bool top_down = false;
  int planes = 0;
  int bits = 0;
  uint32_t compression = kRgb;
  uint32_t size_image = 0;
  uint32_t colors_used = 0;
  uint32_t masks[3] = {0, 0, 0};
};

// The information header after its size field. Core headers become an
// information header with only the size and format filled in. Sizes other
// than the core, Windows 3 and the later Windows headers (52 and 56 bytes
// carry the masks inside, like the 108- and 124-byte ones) are refused.
DibHeader ReadDibHeader(TStream& stream) {
  uint8_t buf[124];
  stream.ReadBuffer(buf, 4);
  DibHeader h;
  h.size = Fields(buf, 4).LE32();
  if (h.size == 12) {
    stream.ReadBuffer(buf, 8);
    Fields f(buf, 8);
    h.width = f.LE16();
    h.height = f.LE16();
    h.planes = f.LE16();
    h.bits = f.LE16();
    return h;
  }
  if (h.size != 40 && h.size != 52 && h.size != 56 && h.size != 108 && h.size != 124) Invalid();
  stream.ReadBuffer(buf, h.size - 4);
  Fields f(buf, h.size - 4);
  h.width = int32_t(f.LE32());
  const int32_t height = int32_t(f.LE32());
  h.top_down = height < 0;
  h.height = height < 0 ? -int64_t(height) : height;
  h.planes = f.LE16();
  h.bits = f.LE16();
  h.compression = f.LE32();
  h.size_image = f.LE32();
  f.Skip(8);  // resolution
  h.colors_used = f.LE32();
  f.Skip(4);  // important colours
  if (h.size > 40 && h.compression == kBitFields)
    for (uint32_t& mask : h.masks) mask = f.LE32();
  return h;
}

bool SameMasks(const uint32_t a[3], const uint32_t b[3]) {
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

// What the bitmap will hold, and whether file rows copy straight into it.
struct Layout {
  TPixelFormat format = pf24bit;
  bool direct = true;  // false: rows go through the mask converter
  bool rle = false;
};

Layout ChooseLayout(const DibHeader& h) {
  Layout l;
  switch (h.compression) {
    case kRgb:
      switch (h.bits) {
        case 1: l.format = pf1bit; break;
        case 4: l.format = pf4bit; break;
        case 8: l.format = pf8bit; break;
        case 16: l.format = pf15bit; break;
        case 24: l.format = pf24bit; break;
        case 32: l.format = pf32bit; break;
        default: Invalid();
      }
      return l;
    case kRle8:
    case kRle4:
      if (h.bits != (h.compression == kRle8 ? 8 : 4)) Invalid();
      l.format = h.bits == 8 ? pf8bit : pf4bit;
      l.rle = true;
      return l;
    case kBitFields:
      if (h.bits == 16 && SameMasks(h.masks, kMasks555)) {
        l.format = pf15bit;
      } else if (h.bits == 16 && SameMasks(h.masks, kMasks565)) {
        l.format = pf16bit;
      } else if (h.bits == 32 && SameMasks(h.masks, kMasks888)) {
        l.format = pf32bit;
      } else if (h.bits == 16 || h.bits == 32) {
        l.format = h.bits == 16 ? pf24bit : pf32bit;
        l.direct = false;
      } else {
        Invalid();
      }
      return l;
    default: Invalid();
  }
}

// The platform's refusal of an allocation surfaces as its system error.
void AllocateOrFail(TBitmap& bmp, int width, int height, TPixelFormat format, bool zero) {
  try {
    bmp.Allocate(width, height, format, zero);
  } catch (const EOutOfMemory&) {
    throw EOSError::FromErrno(ENOMEM);
  }
}

// Rows stored as the bitmap keeps them (or through the mask converter),
// read one by one; a short file leaves the rest zero.
void ReadRows(TStream& stream, const DibHeader& h, const Layout& l, int64_t budget, TBitmap& out) {
  const int width = int(h.width), height = int(h.height);
  const size_t file_stride = DibStride(width, h.bits);
  const bool complete = budget >= int64_t(file_stride) * height;
  AllocateOrFail(out, width, height, l.format, !complete);
  std::vector<uint8_t> tmp;
  std::optional<bmp::MaskConverter> convert;
  if (!l.direct) {
    tmp.resize(file_stride);
    convert.emplace(h.masks, h.bits);
  }
  auto row_of = [&](int i) { return out.ScanLine(h.top_down ? i : height - 1 - i); };
  int i = 0;
  for (; i < height && budget > 0; ++i) {
    uint8_t* row = row_of(i);
    uint8_t* target = l.direct ? row : tmp.data();
    const int64_t want = std::min<int64_t>(int64_t(file_stride), budget);
    const int64_t got = std::max<int64_t>(0, stream.Read(target, want));
    budget = got < want ? 0 : budget - got;
    if (got < int64_t(file_stride)) std::memset(target + got, 0, file_stride - size_t(got));
    if (convert) convert->ConvertRow(tmp.data(), width, row, l.format == pf32bit ? 4 : 3);
  }
  // Rows the file does not hold: zero (a block of a complete file is not
  // cleared first) and outside the bitmap's data rows.
  if (h.top_down)
    out.ZeroRows(i, height);
  else
    out.ZeroRows(0, height - i);
}

}  // namespace

void ReadBitmapFile(TStream& stream, TBitmap& bitmap) {
  const int64_t start = stream.Position();
  if (stream.Size() - start <= 0) {
    bitmap.Clear();
    bitmap.Changed();
    return;
  }
  uint8_t file_header[14];
  stream.ReadBuffer(file_header, sizeof file_header);
  Fields file_fields(file_header, sizeof file_header);
  if (file_fields.LE16() != 0x4D42) Invalid();  // "BM"
  file_fields.Skip(8);  // file size, reserved
  const int64_t pixel_offset = file_fields.LE32();

  DibHeader h = ReadDibHeader(stream);
  if (h.planes != 1) Invalid();
  if (h.size == 40 && (h.bits == 16 || h.bits == 32) && h.compression == kBitFields) {
    uint8_t masks[12];
    stream.ReadBuffer(masks, sizeof masks);
    Fields f(masks, sizeof masks);
    for (uint32_t& mask : h.masks) mask = f.LE32();
  }

  // The table the header travels with has room for 256 entries; more would
  // be a corrupt count, not a bigger palette.
  uint32_t entries = h.colors_used;
  if (entries == 0) entries = h.bits == 1 ? 2 : h.bits == 4 ? 16 : h.bits == 8 ? 256 : 0;
  if (entries > 256) Invalid();
  TRGBQuad table[256] = {};
  const size_t entry_size = h.size == 12 ? 3 : 4;
  // The pixel data's offset is followed when it lies past the headers and
  // the table and inside the file: writers may leave bytes before the
  // pixels. A table whose length only follows from the depth (always so in
  // OS/2 1.x files) may be shorter: it ends at the offset.
  const int64_t headers_end = stream.Position();
  const int64_t pixels_at = start + pixel_offset;
  const bool implied_length = h.size == 12 || h.colors_used == 0;
  bool follow_offset = pixels_at < stream.Size() &&
                       pixels_at >= headers_end + int64_t(entries * entry_size);
  if (!follow_offset && implied_length && pixels_at >= headers_end && pixels_at < stream.Size()) {
    entries = uint32_t((pixels_at - headers_end) / int64_t(entry_size));
    follow_offset = true;
  }
  if (entries > 0) {
    uint8_t raw[256 * 4];
    stream.ReadBuffer(raw, int64_t(entries * entry_size));
    Fields f(raw, entries * entry_size);
    for (uint32_t i = 0; i < entries; ++i) {
      const uint8_t* e = f.Bytes(entry_size);
      table[i] = TRGBQuad{e[0], e[1], e[2], 0};
    }
  }

  const Layout layout = ChooseLayout(h);
  if (h.width <= 0 || h.height <= 0 || !PictureSizeAllowed(h.width, h.height)) Invalid();

  // An offset inside the headers or past the file's end is a writer's
  // mistake: the pixels are then taken to follow the table.
  if (follow_offset) stream.SetPosition(pixels_at);
  const int64_t stored =
      h.size_image ? int64_t(h.size_image) : int64_t(DibStride(h.width, h.bits)) * h.height;
  const int64_t budget = std::min(stored, std::max<int64_t>(0, stream.Size() - stream.Position()));

  TBitmap out;
  if (layout.rle) {
    AllocateOrFail(out, int(h.width), int(h.height), layout.format, true);
    // No rows until the codes write some: a bitmap that ends early keeps
    // the rest as zero pages.
    out.ZeroRows(0, out.Height());
    auto data = std::make_unique<bmp::PixelData>(stream, budget);
    bmp::DecodeRle(*data, h.compression == kRle4, h.top_down, out);
  } else {
    ReadRows(stream, h, layout, budget, out);
  }
  if (entries > 0) out.SetPalette(table, int(entries));

  const bool transparent = bitmap.Transparent();
  const TTransparentMode mode = bitmap.TransparentMode();
  const TColor color = bitmap.TransparentColor();
  bitmap = std::move(out);
  bitmap.SetTransparent(transparent);
  if (mode == tmFixed) bitmap.SetTransparentColor(color);
  bitmap.Changed();
}

}  // namespace orv
