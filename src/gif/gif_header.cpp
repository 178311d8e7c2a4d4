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

void TGIFHeader::LoadFromStream(TStream& stream) {
  const int64_t start = stream.Position();
  uint8_t sig[6];
  ReadExact(stream, sig, 6);
  if (!IsSignature(sig)) {
    // Some files carry four bytes of other data ahead of the signature.
    stream.Seek(start + 4, soBeginning);
    ReadExact(stream, sig, 6);
    if (!IsSignature(sig)) throw GIFException("Invalid GIF signature");
  }
  TGIFRecord<7> raw(stream);
  lsd_.ScreenWidth = raw.LE16();
  lsd_.ScreenHeight = raw.LE16();
  lsd_.PackedFields = raw.U8();
  lsd_.BackgroundColorIndex = raw.U8();
  lsd_.AspectRatio = raw.U8();
  if (lsd_.PackedFields & 0x80) {
    color_map_.LoadFromStream(stream, ColorTableEntries(lsd_.PackedFields));
    color_map_.SetSorted((lsd_.PackedFields & 0x08) != 0);
  } else {
    color_map_.Clear();
  }
}

void TGIFTrailer::LoadFromStream(TStream& stream) {
  uint8_t b;
  if (ReadByte(stream, b) && b != 0x3B) ReportWarning(1, "Invalid Image trailer");
}

}  // namespace orv
