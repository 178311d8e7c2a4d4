#include "png/png_read_stream.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace orv {

namespace {

constexpr uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

constexpr uint32_t kIHDR = ChunkType("IHDR"), kPLTE = ChunkType("PLTE"), kIDAT = ChunkType("IDAT"),
                   kIEND = ChunkType("IEND"), ktRNS = ChunkType("tRNS"), kbKGD = ChunkType("bKGD"),
                   kgAMA = ChunkType("gAMA"), ksBIT = ChunkType("sBIT"), kpHYs = ChunkType("pHYs"),
                   ktIME = ChunkType("tIME"), kcHRM = ChunkType("cHRM"), kgIFg = ChunkType("gIFg"),
                   ktEXt = ChunkType("tEXt"), ktpNG = ChunkType("tpNG"), kORV3 = ChunkType("ORV3"),
                   keXIf = ChunkType("eXIf");

}  // namespace

TPNGReadStream::TPNGReadStream() { PaletteAlpha.fill(255); }

TPNGReadStream::~TPNGReadStream() = default;

uint8_t TPNGReadStream::TakeByte() {
  ChunkRemaining -= 1;
  return ReadByte();
}

uint16_t TPNGReadStream::TakeWord() {
  ChunkRemaining -= 2;
  return ReadWordBE();
}

uint32_t TPNGReadStream::TakeLong() {
  ChunkRemaining -= 4;
  return ReadLongBE();
}

int64_t TPNGReadStream::TakeBytes(uint8_t* out, int64_t count) {
  ChunkRemaining -= count;
  return ReadBytes(out, count);
}

void TPNGReadStream::ReleaseDecoding() {
  inflate_.ResetInflate();
  inflate_.ReleaseInflate();
  row_block_.reset();
}

void TPNGReadStream::ReadGraphic() {
  ProgressStart();
  ProgressPhase(0, 0, 30);
  mask_ = nullptr;
  HasAlpha = IsGrey = UsePaletteMask = false;
  InterlaceMethod = 0;
  BaseColorType = -1;
  TransparentColorValue = BackgroundColorValue = -1;
  SignificantBits = 0;
  Gamma = 0;
  PaletteAlpha.fill(255);
  if (TimeStorage) *TimeStorage = TPNGTime{};
  if (GIFControlStorage) GIFControlStorage->fill(0);
  if (ChromaticityStorage) ChromaticityStorage->fill(0);
  if (ExifStorage) ExifStorage->clear();
  bit_depth_ = ihdr_depth_ = 0;
  width_ = height_ = 0;
  ChunkFlags = 0;
  ChunkRemaining = 0;

  if (CheckSignature) {
    uint8_t sig[8] = {};
    ReadBytes(sig, 8);
    if (std::memcmp(sig, kSignature, 8) != 0) throw EPNGError("PNG LoadStream: Not PNG Format");
  }
  {
    ReleaseOnExit release{this};
    ChunkLoop();
  }

  if (bitmap_ && !EndFlag && !StopFlag && !HasAlpha && TransparentColorValue != -1) {
    bitmap_->SetTransparent(true);
    bitmap_->SetTransparentColor(TransparentColorValue);
  }
  if (UsePaletteMask && mask_) BuildPaletteMask();
  ProgressEnd();
}

void TPNGReadStream::ChunkLoop() {
  const uint8_t done_mask = cfDataDone;
  while (!StopFlag && !EndFlag && !(ChunkFlags & cfIEND)) {
    ChunkRemaining = ReadLongBE();
    chunk_type_ = ReadLongBE();
    const bool ihdr = ChunkFlags & cfIHDR, done = ChunkFlags & done_mask, plte = ChunkFlags & cfPLTE;
    bool stored = true;
    switch (chunk_type_) {
      case kIHDR: ReadIHDR(); break;
      case kPLTE:
        if (ihdr && !plte && !done && BaseColorType != 0) ReadPLTE(); else stored = false;
        break;
      case ktRNS:
        if (ihdr && !done && !HasAlpha) ReadtRNS(); else stored = false;
        break;
      case kbKGD:
        if (ihdr || !done) ReadbKGD(); else stored = false;
        break;
      case kgAMA:
        if (ihdr && !done && !plte) Gamma = TakeLong() / 100000.0; else stored = false;
        break;
      case ksBIT:
        if (ihdr && !done && !plte && (BaseColorType == 2 || BaseColorType == 3)) {
          uint32_t v = 0;
          const int n = HasAlpha ? 4 : 3;
          for (int i = 0; i < n; ++i) v |= uint32_t(TakeByte()) << (8 * i);
          SignificantBits = v;
        } else {
          stored = false;
        }
        break;
      case kpHYs:
        if (ihdr && !done) {
          ppu_x_ = TakeLong();
          ppu_y_ = TakeLong();
          phys_unit_ = TakeByte();
        } else {
          stored = false;
        }
        break;
      case ktIME:
        if (ChunkRemaining == 7 && TimeStorage) {
          TimeStorage->year = TakeWord();
          TimeStorage->month = TakeByte();
          TimeStorage->day = TakeByte();
          TimeStorage->hour = TakeByte();
          TimeStorage->minute = TakeByte();
          TimeStorage->second = TakeByte();
        } else {
          stored = false;
        }
        break;
      case kcHRM:
        if (ihdr && !done && !plte && ChunkRemaining == 32 && ChromaticityStorage) {
          for (auto& v : *ChromaticityStorage) v = TakeLong();
        } else {
          stored = false;
        }
        break;
      case kgIFg:
        if (ihdr && !done && !plte && ChunkRemaining == 4 && GIFControlStorage) {
          for (auto& v : *GIFControlStorage) v = TakeByte();
        } else {
          stored = false;
        }
        break;
      case ktEXt: ReadtEXt(); break;
      case keXIf:
        if (ExifStorage && ExifStorage->empty()) ReadeXIf(); else stored = false;
        break;
      case ktpNG:
        if (ihdr && !(ChunkFlags & cftpNG) && !done) ReadtpNG(); else stored = false;
        break;
      case kIDAT: ReadImageData(); break;
      case kIEND: ChunkFlags |= cfIEND; break;
      default: stored = false; break;
    }
    if (stored) ProgressUpdate(0);
    if (ChunkRemaining > 0) SkipBytes(ChunkRemaining);
    ChunkRemaining = 0;
    ReadLongBE();  // the CRC, not checked
  }
}

void TPNGReadStream::ReadIHDR() {
  if (ChunkFlags & cfIHDR) throw EPNGError("Read Header(PNG): appear two IHDR");
  width_ = TakeLong();
  height_ = TakeLong();
  ihdr_depth_ = bit_depth_ = TakeByte();
  const int color_type = TakeByte() & 7;
  if (color_type == 1 || color_type == 5 || color_type == 7) throw EPNGError("Read Header(PNG): Error ColorType");
  HasAlpha = (color_type & 4) != 0;
  BaseColorType = color_type & 3;
  IsGrey = BaseColorType == 0;
  const int compression = TakeByte(), filter = TakeByte(), interlace = TakeByte();
  if (compression >= 2) throw EPNGError("Read Header(PNG): not support Compression");
  if (filter >= 2) throw EPNGError("Read Header(PNG): not supprt Filter");
  if (interlace >= 2) throw EPNGError("Read Header(PNG): not interlace type");
  InterlaceMethod = interlace;
  ChunkFlags |= cfIHDR;
}

void TPNGReadStream::ReadPLTE() {
  const int count = int(std::min<int64_t>(ChunkRemaining / 3, 256));
  TRGBQuad* pal = NeedPalette();
  if (count > 0) {
    uint8_t rgb[768];
    TakeBytes(rgb, count * 3);
    for (int i = 0; i < count; ++i) pal[i] = TRGBQuad{rgb[i * 3 + 2], rgb[i * 3 + 1], rgb[i * 3], 0};
  }
  palette_count_ = count;
  ChunkFlags |= cfPLTE;
}

int32_t TPNGReadStream::GreyColor(uint16_t sample) const {
  int g;
  switch (ihdr_depth_) {
    case 16: g = sample >> 8; break;
    case 4: g = (sample & 15) * 17; break;
    case 2: g = (sample & 3) * 85; break;
    case 1: g = (sample & 1) * 255; break;
    default: g = sample & 0xFF; break;  // 8 bits; out-of-range samples keep a valid colour
  }
  return g * 0x010101;
}

int32_t TPNGReadStream::SampleColor(int bits, uint16_t red, uint16_t green, uint16_t blue) const {
  if (bits == 16) return RGB(red >> 8, green >> 8, blue >> 8);
  return RGB(red & 0xFF, green & 0xFF, blue & 0xFF);
}

void TPNGReadStream::ReadtRNS() {
  switch (BaseColorType) {
    case 0:
      TransparentColorValue = GreyColor(TakeWord());
      break;
    case 2: {
      const uint16_t r = TakeWord(), g = TakeWord(), b = TakeWord();
      TransparentColorValue = SampleColor(ihdr_depth_, r, g, b);
      break;
    }
    case 3: {
      // A count of zero stops the read, as any empty read does.
      const int count = int(std::clamp<int64_t>(std::min<int64_t>(ChunkRemaining, palette_count_), 0, 256));
      TakeBytes(PaletteAlpha.data(), count);
      TransparentColorValue = kPendingPaletteTransparency;
      break;
    }
    default: break;
  }
}

void TPNGReadStream::ReadbKGD() {
  switch (BaseColorType) {
    case 0:
      BackgroundColorValue = GreyColor(TakeWord());
      break;
    case 2: {
      const uint16_t r = TakeWord(), g = TakeWord(), b = TakeWord();
      BackgroundColorValue = SampleColor(ihdr_depth_, r, g, b);
      break;
    }
    case 3:
      BackgroundColorValue = PaletteIndexColor(TakeByte());
      break;
    default: break;
  }
}

void TPNGReadStream::ReadtEXt() {
  // The chunk is read whole, so its length is checked against what remains
  // before anything is allocated.
  if (ChunkRemaining > DataSize() - Consumed()) {
    SkipBytes(ChunkRemaining);
    return;
  }
  std::vector<uint8_t> text(size_t(std::max<int64_t>(ChunkRemaining, 0)));
  TakeBytes(text.data(), int64_t(text.size()));
  if (StopFlag || EndFlag) return;
  const auto zero = std::find(text.begin(), text.end(), uint8_t(0));
  static const char kKeyword[] = "Comment";
  if (size_t(zero - text.begin()) != sizeof(kKeyword) - 1 || !std::equal(text.begin(), zero, kKeyword)) return;
  if (zero == text.end() || zero + 1 == text.end()) return;
  if (!comment_.empty()) comment_ += "\r\n";
  comment_.append(zero + 1, text.end());
  comment_ += "\r\n";
}

void TPNGReadStream::ReadeXIf() {
  // Kept whole for the caller, so bounded by what remains, as tEXt is.
  if (ChunkRemaining <= 0 || ChunkRemaining > DataSize() - Consumed()) return;
  ExifStorage->resize(size_t(ChunkRemaining));
  TakeBytes(ExifStorage->data(), ChunkRemaining);
  if (StopFlag || EndFlag) ExifStorage->clear();
}

void TPNGReadStream::ReadtpNG() {
  ChunkFlags |= cftpNG;
  const uint32_t tag = TakeLong();
  if (ChunkRemaining > 0 && tag == kORV3) {
    // Two feature flags that this program never sets.
    TakeByte();
    TakeByte();
  }
}

void TPNGReadStream::SetupBitmap() {
  if (IsGrey && target_bpp_ <= 8) {
    TRGBQuad* pal = NeedPalette();
    int count, step;
    switch (ihdr_depth_) {
      case 1: count = 2, step = 255; break;
      case 2: count = 4, step = 85; break;
      case 4: count = 16, step = 17; break;
      default: count = 256, step = 1; break;
    }
    for (int i = 0; i < count; ++i) {
      const uint8_t v = uint8_t(i * step);
      pal[i] = TRGBQuad{v, v, v, 0};
    }
    palette_count_ = count;
  }
  if (TransparentColorValue == kPendingPaletteTransparency) {
    int zeros = 0, opaque = 0, index = 0;
    for (int i = 0; i < 256; ++i) {
      if (PaletteAlpha[i] == 0) {
        ++zeros;
        index = i;
      } else if (PaletteAlpha[i] == 255) {
        ++opaque;
      }
    }
    if (zeros == 1 && opaque == 255) {
      TransparentColorValue = PaletteIndexColor(index);
    } else {
      TransparentColorValue = -1;
      UsePaletteMask = true;
    }
  }
  TCustomGraphicReadStream::SetupBitmap();
  if ((HasAlpha || UsePaletteMask) && MaskBitmap && !header_only_) {
    MaskBitmap->Assign(TBitmap());
    MaskBitmap->SetTransparent(false);
    MaskBitmap->Allocate(int(width_), int(height_), pf8bit, zero_fill_);
    TRGBQuad greys[256];
    for (int i = 0; i < 256; ++i) greys[i] = TRGBQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    MaskBitmap->SetPalette(greys, 256);
    mask_ = MaskBitmap;
  }
}

}  // namespace orv
