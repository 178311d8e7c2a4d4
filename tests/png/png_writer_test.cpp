// The writer: every bitmap format in colour and grey mode, plain and Adam7,
// every filter mode, with and without alpha, read back by our reader and by
// libpng; chunk order and contents; parameter checks.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <functional>

#include "png/png_write_stream.h"
#include "png_test_util.h"

namespace orv::pngtest {
namespace {

struct ParsedChunk {
  std::string type;
  Bytes data;
};

std::vector<ParsedChunk> Parse(const Bytes& f) {
  std::vector<ParsedChunk> out;
  for (size_t p = 8; p + 12 <= f.size();) {
    const uint32_t len = (uint32_t(f[p]) << 24) | (f[p + 1] << 16) | (f[p + 2] << 8) | f[p + 3];
    out.push_back({std::string(f.begin() + long(p) + 4, f.begin() + long(p) + 8),
                   Bytes(f.begin() + long(p) + 8, f.begin() + long(p + 8 + len))});
    p += 12 + len;
  }
  return out;
}

const ParsedChunk* Find(const std::vector<ParsedChunk>& cs, const std::string& type) {
  for (const auto& c : cs)
    if (c.type == type) return &c;
  return nullptr;
}

int Lum(int r, int g, int b) { return (r * 77 + g * 150 + b * 29) / 256; }

TBitmap MakeBitmap(TPixelFormat pf, int w, int h, uint32_t seed) {
  TBitmap bmp;
  bmp.Allocate(w, h, pf, true);
  uint32_t s = seed;
  auto next = [&] { return uint8_t((s = s * 1664525u + 1013904223u) >> 24); };
  if (IsPaletteFormat(pf)) {
    const int count = 1 << StorageBits(pf);
    TRGBQuad pal[256];
    for (int i = 0; i < count; ++i) pal[i] = TRGBQuad{next(), next(), next(), 0};
    bmp.SetPalette(pal, count);
  }
  for (int y = 0; y < h; ++y)
    for (size_t i = 0; i < bmp.Stride(); ++i) bmp.ScanLine(y)[i] = next();
  return bmp;
}

// The colour the written file must give back for pixel (x, y).
TColor Expected(const TBitmap& bmp, int x, int y, bool grey) {
  int r, g, b;
  const TPixelFormat pf = bmp.PixelFormat();
  if (pf == pf15bit || pf == pf16bit) {
    const uint8_t* px = bmp.ScanLine(y) + 2 * x;
    const int w = px[0] | (px[1] << 8), b5 = w & 31;
    b = b5 * 8 + b5 / 4;
    if (pf == pf15bit) {
      const int r5 = (w >> 10) & 31, g5 = (w >> 5) & 31;
      r = r5 * 8 + r5 / 4, g = g5 * 8 + g5 / 8;
    } else {
      const int r5 = w >> 11, g6 = (w >> 5) & 63;
      r = r5 * 8 + r5 / 4, g = g6 * 4 + g6 / 16;
    }
  } else {
    const TColor c = bmp.GetPixel(x, y);
    r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  }
  if (!grey) return RGB(r, g, b);
  int level;
  if (pf == pf1bit) {
    const TRGBQuad* p = bmp.Palette();
    const bool invert = Lum(p[1].rgbRed, p[1].rgbGreen, p[1].rgbBlue) < Lum(p[0].rgbRed, p[0].rgbGreen, p[0].rgbBlue);
    const int bit = (bmp.ScanLine(y)[x / 8] >> (7 - x % 8)) & 1;
    level = (bit ^ int(invert)) * 255;
  } else if (pf == pf4bit) {
    level = Lum(r, g, b) / 16 * 17;
  } else {
    level = Lum(r, g, b);
  }
  return RGB(level, level, level);
}

Bytes Write(const TBitmap& bmp, const std::function<void(TPNGWriteStream&)>& setup = {}) {
  TPNGWriteStream w;
  w.WriteCurrentTime = false;
  if (setup) setup(w);
  TMemoryStream ms;
  w.WriteImage(bmp, ms);
  return ms.Bytes();
}

TEST(PngWriter, EveryModeReadsBackByUsAndLibpng) {
  const TPixelFormat formats[] = {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit};
  uint32_t seed = 1;
  for (TPixelFormat pf : formats)
    for (int grey = 0; grey < 2; ++grey)
      for (int interlaced = 0; interlaced < 2; ++interlaced)
        for (int filter = 0; filter <= 6; ++filter)
          for (int alpha = 0; alpha < 2; ++alpha) {
            const int w = 1 + int(seed % 23), h = 1 + int(seed * 7 % 19);
            const TBitmap bmp = MakeBitmap(pf, w, h, seed++);
            const TBitmap mask = MakeBitmap(pf8bit, w, h, seed++);
            const Bytes file = Write(bmp, [&](TPNGWriteStream& s) {
              s.Grey = grey;
              s.Interlaced = interlaced;
              s.FilterMode = uint8_t(filter);
              if (alpha) s.AlphaSource = &mask;
            });
            const std::string label = "pf" + std::to_string(pf) + " grey " + std::to_string(grey) + " adam7 " +
                                      std::to_string(interlaced) + " filter " + std::to_string(filter) + " alpha " +
                                      std::to_string(alpha);
            const Decoded ref = DecodeWithLibpng(file);
            const Decoded ours = DecodeWithOurs(file);
            ASSERT_TRUE(ref.ok) << label << ": " << ref.error;
            ASSERT_TRUE(ours.ok) << label << ": " << ours.error;
            EXPECT_TRUE(ours.rgb == ref.rgb) << label;
            EXPECT_TRUE(ours.mask == ref.mask) << label;
            const bool alpha_written = alpha && (pf >= pf15bit || (grey && pf == pf8bit));
            EXPECT_EQ(ref.mask.empty(), !alpha_written) << label;
            for (int y = 0; y < h; ++y)
              for (int x = 0; x < w; ++x) {
                const uint8_t* o = &ours.rgb[(size_t(y) * w + x) * 3];
                ASSERT_EQ(RGB(o[0], o[1], o[2]), Expected(bmp, x, y, grey)) << label << " at " << x << "," << y;
                if (alpha_written) {
                  ASSERT_EQ(ours.mask[size_t(y) * w + x], mask.ScanLine(y)[x]) << label;
                }
              }
          }
}

TEST(PngWriter, HeaderModes) {
  const TBitmap rgb = MakeBitmap(pf24bit, 4, 3, 1);
  const TBitmap mask = MakeBitmap(pf8bit, 4, 3, 2);
  auto ihdr = [](const Bytes& f) { return Find(Parse(f), "IHDR")->data; };
  EXPECT_EQ(ihdr(Write(rgb))[8], 8);
  EXPECT_EQ(ihdr(Write(rgb))[9], 2);
  EXPECT_EQ(ihdr(Write(rgb, [&](TPNGWriteStream& s) { s.AlphaSource = &mask; }))[9], 6);
  // Unusable alpha sources: the bitmap itself, another size, another format, empty.
  const TBitmap small = MakeBitmap(pf8bit, 3, 3, 3), wide = MakeBitmap(pf24bit, 4, 3, 4), none;
  for (const TBitmap* a : {&rgb, &small, &wide, &none})
    EXPECT_EQ(ihdr(Write(rgb, [&](TPNGWriteStream& s) { s.AlphaSource = a; }))[9], 2);
  // An 8-bit palette bitmap in grey mode: grey samples of each entry's luminance.
  const TBitmap pal = MakeBitmap(pf8bit, 4, 3, 5);
  const Bytes g = Write(pal, [](TPNGWriteStream& s) { s.Grey = true; });
  EXPECT_EQ(ihdr(g)[9], 0);
  EXPECT_EQ(Find(Parse(g), "PLTE"), nullptr);
  const Decoded d = DecodeWithLibpng(g);
  const TRGBQuad& e = pal.Palette()[pal.ScanLine(0)[0]];
  EXPECT_EQ(d.rgb[0], Lum(e.rgbRed, e.rgbGreen, e.rgbBlue));
  // A 15-bit white pixel.
  TBitmap p15;
  p15.Allocate(1, 1, pf15bit, true);
  p15.ScanLine(0)[0] = 0xFF, p15.ScanLine(0)[1] = 0x7F;
  const Decoded w15 = DecodeWithLibpng(Write(p15));
  EXPECT_EQ(w15.rgb, (Bytes{255, 251, 255}));
}

TEST(PngWriter, ChunkOrderAndContents) {
  TBitmap bmp = MakeBitmap(pf8bit, 5, 5, 6);
  const TPNGTime t{2024, 2, 29, 23, 59, 60};
  TPNGChromaticity ch{31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000};
  TPNGGIFControl gc{1, 0, 0, 0};
  const Bytes f = Write(bmp, [&](TPNGWriteStream& s) {
    s.TimeStorage = &t;
    s.ChromaticityStorage = &ch;
    s.GIFControlStorage = &gc;
    s.Comment = "hello";
    s.Gamma = 0.45455;
    s.SignificantBits = 0x080808;
    s.BackgroundColor = PaletteIndexColor(3);
    s.TransparentColor = PaletteIndexColor(2);
    s.PhysicalUnit = 2;
    s.PixelsPerUnitX = 72;
    s.PixelsPerUnitY = 300;
  });
  std::vector<std::string> order;
  for (const auto& c : Parse(f)) order.push_back(c.type);
  EXPECT_EQ(order, (std::vector<std::string>{"IHDR", "tIME", "tEXt", "tEXt", "tpNG", "gIFg", "gAMA", "cHRM", "sBIT",
                                             "PLTE", "bKGD", "tRNS", "pHYs", "IDAT", "IEND"}));
  const auto cs = Parse(f);
  EXPECT_EQ(cs[1].data, (Bytes{0x07, 0xE8, 2, 29, 23, 59, 60}));
  EXPECT_EQ(std::string(cs[2].data.begin(), cs[2].data.end()), std::string("Comment\0hello", 13));
  EXPECT_EQ(std::string(cs[3].data.begin(), cs[3].data.end()), std::string("Software\0OrvannePNG ver 3.4", 27));
  EXPECT_EQ(cs[4].data, (Bytes{'O', 'R', 'V', '3', 0, 0, 0, 0}));
  EXPECT_EQ(cs[6].data, BE32(45455));
  EXPECT_EQ(cs[8].data, (Bytes{8, 8, 8}));
  EXPECT_EQ(cs[9].data.size(), 768u);
  EXPECT_EQ(cs[10].data, Bytes{3});
  EXPECT_EQ(cs[11].data, (Bytes{255, 255, 0}));
  Bytes phys = BE32(2835);
  Bytes py = BE32(11811);
  phys.insert(phys.end(), py.begin(), py.end());
  phys.push_back(1);
  EXPECT_EQ(cs[12].data, phys);
  // CRCs are right: libpng checks them.
  EXPECT_TRUE(DecodeWithLibpng(f).ok);
}

TEST(PngWriter, OptionalChunksNeedValidValues) {
  const TBitmap bmp = MakeBitmap(pf24bit, 2, 2, 7);
  const TPNGTime bad{2024, 1, 1, 0, 0, 61};
  const TPNGChromaticity no_white{0, 5, 1, 1, 1, 1, 1, 1};
  const TPNGGIFControl zero{0, 0, 0, 0};
  const Bytes f = Write(bmp, [&](TPNGWriteStream& s) {
    s.TimeStorage = &bad;
    s.ChromaticityStorage = &no_white;
    s.GIFControlStorage = &zero;
    s.Comment = "";
    s.PixelsPerUnitX = 1;
    s.PixelsPerUnitY = 0;
    s.Gamma = 0.000001;
  });
  for (const char* t : {"tIME", "cHRM", "gIFg", "pHYs", "gAMA", "sBIT", "bKGD", "tRNS", "PLTE"})
    EXPECT_EQ(Find(Parse(f), t), nullptr) << t;
  EXPECT_EQ(Parse(f)[1].type, "tEXt");  // only Software
  EXPECT_NE(Find(Parse(Write(bmp, [](TPNGWriteStream& s) { s.WriteCurrentTime = true; })), "tIME"), nullptr);

  // Colour forms of bKGD and tRNS; pHYs unit 3 becomes 0.
  const Bytes c = Write(bmp, [](TPNGWriteStream& s) {
    s.BackgroundColor = RGB(1, 2, 3);
    s.TransparentColor = RGB(200, 100, 50);
    s.PhysicalUnit = 3;
    s.PixelsPerUnitX = s.PixelsPerUnitY = 10;
  });
  EXPECT_EQ(Find(Parse(c), "bKGD")->data, (Bytes{0, 1, 0, 2, 0, 3}));
  EXPECT_EQ(Find(Parse(c), "tRNS")->data, (Bytes{0, 200, 0, 100, 0, 50}));
  EXPECT_EQ(Find(Parse(c), "pHYs")->data[8], 0);
  const Bytes g = Write(bmp, [](TPNGWriteStream& s) {
    s.Grey = true;
    s.BackgroundColor = RGB(255, 255, 255);
  });
  EXPECT_EQ(Find(Parse(g), "bKGD")->data, BE16(Lum(255, 255, 255)));
  // No tRNS when alpha is written.
  const TBitmap mask = MakeBitmap(pf8bit, 2, 2, 8);
  EXPECT_EQ(Find(Parse(Write(bmp, [&](TPNGWriteStream& s) {
              s.AlphaSource = &mask;
              s.TransparentColor = 0;
            })),
                 "tRNS"),
            nullptr);
  // Palette form by nearest entry.
  TBitmap pal = MakeBitmap(pf1bit, 8, 1, 9);
  const TRGBQuad two[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  pal.SetPalette(two, 2);
  EXPECT_EQ(Find(Parse(Write(pal, [](TPNGWriteStream& s) { s.TransparentColor = RGB(250, 240, 255); })), "tRNS")->data,
            (Bytes{255, 0}));
}

TEST(PngWriter, AdaptiveFilterKeepsUniformRowsUnfiltered) {
  TBitmap bmp;
  bmp.Allocate(64, 4, pf24bit, true);
  for (int y = 0; y < 4; ++y) std::memset(bmp.ScanLine(y), 0x5A, 64 * 3);
  const Bytes f = Write(bmp, [](TPNGWriteStream& s) { s.FilterMode = 0; });
  Bytes z;
  for (const auto& c : Parse(f))
    if (c.type == "IDAT") z.insert(z.end(), c.data.begin(), c.data.end());
  uLongf size = 4 * 193;
  Bytes raw(size);
  ASSERT_EQ(uncompress(raw.data(), &size, z.data(), uLong(z.size())), Z_OK);
  for (int y = 0; y < 4; ++y) EXPECT_EQ(raw[size_t(y) * 193], 0);
  // A noisy picture gets real filters from the adaptive choice.
  const TBitmap noisy = MakeBitmap(pf24bit, 64, 16, 3);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 64 * 3; ++x) const_cast<TBitmap&>(noisy).ScanLine(y)[x] = uint8_t(x * 3 + y);
  const Bytes n = Write(noisy, [](TPNGWriteStream& s) { s.FilterMode = 0; });
  z.clear();
  for (const auto& c : Parse(n))
    if (c.type == "IDAT") z.insert(z.end(), c.data.begin(), c.data.end());
  size = 16 * 193;
  raw.assign(size, 0);
  ASSERT_EQ(uncompress(raw.data(), &size, z.data(), uLong(z.size())), Z_OK);
  int filtered = 0;
  for (int y = 0; y < 16; ++y) filtered += raw[size_t(y) * 193] != 0;
  EXPECT_GT(filtered, 0);
}

TEST(PngWriter, IdatSize) {
  TPNGWriteStream w;
  for (int bad : {0, 255, 100001}) {
    try {
      w.SetIDATSize(bad);
      ADD_FAILURE() << bad;
    } catch (const EPNGError& e) {
      EXPECT_STREQ(e.what(), "Write PNG Param: Err IDAT Size(min:256  max:100000)");
    }
  }
  const TBitmap bmp = MakeBitmap(pf24bit, 200, 100, 10);
  for (int size : {256, 1000, 100000}) {
    const Bytes f = Write(bmp, [&](TPNGWriteStream& s) {
      s.SetIDATSize(size);
      s.CompressionLevel = 0;
    });
    int count = 0;
    for (const auto& c : Parse(f))
      if (c.type == "IDAT") {
        EXPECT_LE(c.data.size(), size_t(size));
        ++count;
      }
    EXPECT_GE(count, 60000 / size);
    EXPECT_TRUE(DecodeWithLibpng(f).ok);
  }
}

}  // namespace
}  // namespace orv::pngtest
