#include "gif/gif_header.h"

#include <cctype>

#include "gif/gif_read.h"

namespace orv {

namespace {
bool IsSignature(const uint8_t* b) {
  return std::toupper(b[0]) == 'G' && std::toupper(b[1]) == 'I' && std::toupper(b[2]) == 'F';
}
}  // namespace

int TGIFHeader::Version() const {
  return (color_map_.Sorted() || lsd_.AspectRatio != 0) ? 2 : 1;
}

void TGIFHeader::Clear() {
  lsd_ = TLogicalScreenDescriptor{};
  color_map_.Clear();
}

void TGIFHeader::Prepare() {
  uint8_t packed = lsd_.PackedFields & 0x70;  // keep the colour resolution
  int n = color_map_.Count();
  if (n > 0) {
    packed |= 0x80;
    if (color_map_.Sorted()) packed |= 0x08;
    int code = 0;
    while ((2 << code) < n && code < 7) ++code;
    packed |= uint8_t(code);
  }
  lsd_.PackedFields = packed;
}

void TGIFHeader::LoadFromStream(TGIFReader& in) {
  const size_t start = in.Position();
  if (!IsSignature(in.Bytes(6))) {
    // Some files carry four bytes of other data ahead of the signature.
    in.Seek(start + 4);
    if (!IsSignature(in.Bytes(6))) throw GIFException("Invalid GIF signature");
  }
  TGIFReader raw = in.Slice(7);
  lsd_.ScreenWidth = raw.LE16();
  lsd_.ScreenHeight = raw.LE16();
  lsd_.PackedFields = raw.U8();
  lsd_.BackgroundColorIndex = raw.U8();
  lsd_.AspectRatio = raw.U8();
  if (lsd_.PackedFields & 0x80) {
    color_map_.LoadFromStream(in, ColorTableEntries(lsd_.PackedFields));
    color_map_.SetSorted((lsd_.PackedFields & 0x08) != 0);
  } else {
    color_map_.Clear();
  }
}

void TGIFTrailer::LoadFromStream(TGIFReader& in) {
  uint8_t b;
  if (in.TryU8(b) && b != 0x3B) ReportWarning(1, "Invalid Image trailer");
}

}  // namespace orv
