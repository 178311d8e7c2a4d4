// Reader behaviour on hand-made files: header checks, chunk handlers,
// transparency decisions, comments, row layouts and damaged data.
#include <gtest/gtest.h>

#include <cstring>

#include "png/png_graphic.h"
#include "png/png_read_stream.h"
#include "png_test_util.h"

namespace orv::pngtest {
namespace {

struct ReadResult {
  std::string error;  // empty when no exception
  TBitmap bitmap;
  TBitmap mask;
  std::unique_ptr<TPNGReadStream> reader = std::make_unique<TPNGReadStream>();
};

ReadResult Read(const Bytes& file, bool use16 = false) {
  ReadResult r;
  r.reader->MaskBitmap = &r.mask;
  r.reader->Use16BitPixels = use16;
  TMemoryStream ms(file);
  try {
    r.reader->ReadImage(&r.bitmap, ms, 0);
  } catch (const EPNGError& e) {
    r.error = e.what();
  }
  return r;
}

Chunk Hdr(uint32_t w, uint32_t h, int depth, int ct, int interlace = 0, int comp = 0, int filter = 0) {
  return {"IHDR", IHDR(w, h, depth, ct, interlace, comp, filter)};
}

Chunk Idat(const Image& img, int filter = 0) { return {"IDAT", Deflate(RawImageData(img, filter))}; }

Bytes Text(const std::string& keyword, const std::string& text) {
  Bytes b(keyword.begin(), keyword.end());
  b.push_back(0);
  b.insert(b.end(), text.begin(), text.end());
  return b;
}

TEST(PngReader, HeaderErrorsCarryTheirTexts) {
  const Image img = RandomImage(2, 2, 8, 0, 0, 1);
  struct Case {
    std::vector<Chunk> chunks;
    const char* error;
  };
  const std::vector<Case> cases = {
      {{Hdr(2, 2, 8, 0), Hdr(2, 2, 8, 0)}, "Read Header(PNG): appear two IHDR"},
      {{Hdr(2, 2, 8, 1)}, "Read Header(PNG): Error ColorType"},
      {{Hdr(2, 2, 8, 5)}, "Read Header(PNG): Error ColorType"},
      {{Hdr(2, 2, 8, 7)}, "Read Header(PNG): Error ColorType"},
      {{Hdr(2, 2, 8, 0, 0, 2)}, "Read Header(PNG): not support Compression"},
      {{Hdr(2, 2, 8, 0, 0, 0, 2)}, "Read Header(PNG): not supprt Filter"},
      {{Hdr(2, 2, 8, 0, 2)}, "Read Header(PNG): not interlace type"},
      {{Hdr(2, 2, 3, 0), Idat(img)}, "Read Header(PNG): Error Bitdepth"},
      {{Hdr(2, 2, 32, 4), Idat(img)}, "Read Header(PNG): Error Bitdepth"},
      {{Hdr(2, 2, 4, 4), Idat(img)}, "Read Header(PNG): not Use AlphaChannel"},
      {{Hdr(2, 2, 16, 3), Idat(img)}, "Read Header(PNG): Error BitDepth"},
      {{Hdr(2, 2, 4, 2), Idat(img)}, "Read Header(PNG): Error BitDepth"},
      {{Hdr(2, 2, 1, 6), Idat(img)}, "Read Header(PNG): Error BitDepth"},
  };
  for (const Case& c : cases) {
    ReadResult r = Read(Assemble(c.chunks));
    EXPECT_EQ(r.error, c.error);
    EXPECT_TRUE(r.bitmap.Empty()) << c.error;  // refused before the bitmap is touched
  }
  EXPECT_EQ(Read(Bytes{1, 2, 3}).error, "PNG LoadStream: Not PNG Format");
  EXPECT_EQ(Read(Bytes{}).error, "PNG LoadStream: Not PNG Format");
}

TEST(PngReader, MethodsOfOneAndColourTypeEightAreAccepted) {
  const Image img = RandomImage(3, 2, 8, 0, 0, 4);
  for (auto hdr : {Hdr(3, 2, 8, 0, 0, 1), Hdr(3, 2, 8, 0, 0, 0, 1), Hdr(3, 2, 8, 8)}) {
    ReadResult r = Read(Assemble({hdr, Idat(img), {"IEND", {}}}));
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.bitmap.Width(), 3);
    EXPECT_TRUE(r.reader->IsGrey);
  }
}

TEST(PngReader, MacBinaryHeaderIsSkipped) {
  const Image img = RandomImage(4, 4, 8, 2, 0, 5);
  Bytes file = BuildPng(img);
  Bytes mac(128, 0x41);
  mac[0] = 0;
  mac[74] = 0;
  mac.insert(mac.end(), file.begin(), file.end());
  ReadResult r = Read(mac);
  EXPECT_EQ(r.error, "");
  EXPECT_TRUE(r.reader->MacBinaryFound());
  EXPECT_TRUE(DecodeWithOurs(mac).rgb == DecodeWithLibpng(file).rgb);
  mac[74] = 1;  // not a MacBinary header after all
  EXPECT_EQ(Read(mac).error, "PNG LoadStream: Not PNG Format");
}

TEST(PngReader, PaletteTransparencyResolution) {
  const Image img = RandomImage(8, 3, 8, 3, 0, 6, 8);
  auto file = [&](Bytes trns) {
    return Assemble({Hdr(8, 3, 8, 3), {"PLTE", TestPalette(8)}, {"tRNS", trns}, Idat(img), {"IEND", {}}});
  };
  ReadResult one = Read(file({255, 255, 255, 255, 255, 0}));
  EXPECT_EQ(one.reader->TransparentColorValue, 0x01000005);
  EXPECT_TRUE(one.bitmap.Transparent());
  EXPECT_EQ(one.bitmap.TransparentColor(), 0x01000005);
  EXPECT_FALSE(one.reader->HasAlpha);
  EXPECT_TRUE(one.mask.Empty());

  ReadResult partial = Read(file({255, 128}));
  EXPECT_EQ(partial.reader->TransparentColorValue, -1);
  EXPECT_TRUE(partial.reader->UsePaletteMask);
  EXPECT_TRUE(partial.reader->HasAlpha);
  EXPECT_FALSE(partial.bitmap.Transparent());
  for (int x = 0; x < 8; ++x) {
    const int index = img.samples[size_t(x)];
    EXPECT_EQ(partial.mask.ScanLine(0)[x], index == 1 ? 127 : 0);
  }
}

TEST(PngReader, PaletteTransparencyWithNothingToReadStopsQuietly) {
  const Image img = RandomImage(4, 4, 8, 3, 0, 7, 4);
  for (auto chunks : {std::vector<Chunk>{Hdr(4, 4, 8, 3), {"PLTE", TestPalette(4)}, {"tRNS", {}}, Idat(img)},
                      std::vector<Chunk>{Hdr(4, 4, 8, 3), {"tRNS", {0, 255}}, {"PLTE", TestPalette(4)}, Idat(img)}}) {
    ReadResult r = Read(Assemble(chunks));
    EXPECT_EQ(r.error, "");
    EXPECT_TRUE(r.reader->StopFlag);
    EXPECT_TRUE(r.bitmap.Empty());
  }
}

TEST(PngReader, TransparentColourNeedsTheWholeFile) {
  const Image img = RandomImage(5, 5, 8, 2, 0, 8);
  BuildOptions opt;
  opt.before_idat = {{"tRNS", {0, 1, 0, 2, 0, 3}}};
  EXPECT_TRUE(Read(BuildPng(img, opt)).bitmap.Transparent());
  opt.iend = false;  // the loop ends at the end of the data: no transparency
  ReadResult r = Read(BuildPng(img, opt));
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.reader->TransparentColorValue, RGB(1, 2, 3));
  EXPECT_FALSE(r.bitmap.Transparent());
  EXPECT_EQ(r.bitmap.Width(), 5);
}

TEST(PngReader, GreyTransparentSamplesBecomeGreyLevels) {
  struct Case {
    int depth;
    uint16_t sample;
    int32_t colour;
  };
  for (const Case& c : {Case{1, 1, 0xFFFFFF}, Case{2, 2, 0xAAAAAA}, Case{4, 3, 0x333333}, Case{8, 0x42, 0x424242},
                        Case{16, 0x1280, 0x121212}}) {
    const Image img = RandomImage(3, 3, c.depth, 0, 0, 9);
    BuildOptions opt;
    opt.before_idat = {{"tRNS", BE16(c.sample)}};
    ReadResult r = Read(BuildPng(img, opt));
    EXPECT_EQ(r.reader->TransparentColorValue, c.colour) << c.depth;
    EXPECT_EQ(r.bitmap.TransparentColor(), c.colour) << c.depth;
  }
}

TEST(PngReader, CommentsAndBackground) {
  const Image img = RandomImage(3, 3, 8, 2, 0, 10);
  BuildOptions opt;
  opt.before_idat = {{"tEXt", Text("Comment", "a")}, {"tEXt", Text("Title", "x")}, {"tEXt", Text("comment", "y")}};
  opt.after_idat = {{"tEXt", Text("Comment", "b")}, {"tEXt", Text("Comment", "")}, {"bKGD", {0, 1, 0x12, 0x34, 0, 3}}};
  ReadResult r = Read(BuildPng(img, opt));
  EXPECT_EQ(r.reader->Comment(), "a\r\n\r\nb\r\n");
  EXPECT_EQ(r.reader->BackgroundColorValue, RGB(1, 0x34, 3));  // a bKGD behind the data still counts

  const Image pal = RandomImage(3, 3, 4, 3, 0, 10, 16);
  BuildOptions p;
  p.before_idat = {{"PLTE", TestPalette(16)}, {"bKGD", {7}}};
  EXPECT_EQ(Read(BuildPng(pal, p)).reader->BackgroundColorValue, 0x01000007);
  const Image g16 = RandomImage(3, 3, 16, 0, 0, 10);
  BuildOptions g;
  g.before_idat = {{"bKGD", BE16(0xFE01)}};
  EXPECT_EQ(Read(BuildPng(g16, g)).reader->BackgroundColorValue, 0xFEFEFE);
}

TEST(PngReader, AncillaryChunksFillTheCallersStorage) {
  const Image img = RandomImage(3, 3, 8, 2, 0, 12);
  BuildOptions opt;
  Bytes chrm;
  for (uint32_t v = 1; v <= 8; ++v) {
    Bytes b = BE32(v * 1000);
    chrm.insert(chrm.end(), b.begin(), b.end());
  }
  Bytes phys = BE32(2835);
  Bytes py = BE32(100);
  phys.insert(phys.end(), py.begin(), py.end());
  phys.push_back(1);
  opt.before_idat = {{"tIME", {0x07, 0xE6, 12, 31, 23, 59, 60}}, {"gAMA", BE32(45455)}, {"cHRM", chrm},
                     {"sBIT", {5, 6, 5}}, {"pHYs", phys}, {"gIFg", {2, 1, 0, 50}},
                     {"tpNG", {'O', 'R', 'V', '3', 1, 1, 0, 0}}};
  TPNGTime t;
  TPNGChromaticity ch{};
  TPNGGIFControl gc{};
  TBitmap bmp;
  TPNGReadStream reader;
  reader.TimeStorage = &t;
  reader.ChromaticityStorage = &ch;
  reader.GIFControlStorage = &gc;
  TMemoryStream ms(BuildPng(img, opt));
  reader.ReadImage(&bmp, ms, 0);
  EXPECT_EQ(t, (TPNGTime{2022, 12, 31, 23, 59, 60}));
  EXPECT_EQ(ch[0], 1000u);
  EXPECT_EQ(ch[7], 8000u);
  EXPECT_EQ(gc, (TPNGGIFControl{2, 1, 0, 50}));
  EXPECT_DOUBLE_EQ(reader.Gamma, 0.45455);
  EXPECT_EQ(reader.SignificantBits, 0x050605u);
  EXPECT_EQ(reader.PixelsPerUnitX(), 2835u);
  EXPECT_EQ(reader.PixelsPerUnitY(), 100u);
  EXPECT_EQ(reader.PhysicalUnit(), 1);
  EXPECT_TRUE(reader.ChunkFlags & cftpNG);
  EXPECT_EQ(bmp.Width(), 3);

  // Chunks whose conditions fail are skipped whole.
  BuildOptions late;
  late.before_idat = {{"PLTE", TestPalette(4)}, {"gAMA", BE32(100000)}, {"tIME", {1, 2, 3}}};
  TPNGReadStream r2;
  r2.TimeStorage = &t;
  TMemoryStream ms2(BuildPng(img, late));
  r2.ReadImage(&bmp, ms2, 0);
  EXPECT_EQ(r2.Gamma, 0);
  EXPECT_EQ(t, TPNGTime{});
}

TEST(PngReader, RowLayouts) {
  // 16-bit RGB: 24-bit pixels from the high bytes.
  Image rgb16;
  rgb16.w = 1, rgb16.h = 1, rgb16.depth = 16, rgb16.color_type = 2;
  rgb16.samples = {0x1122, 0x3344, 0x5566};
  ReadResult a = Read(BuildPng(rgb16));
  ASSERT_EQ(a.bitmap.PixelFormat(), pf24bit);
  EXPECT_EQ(a.bitmap.ScanLine(0)[0], 0x55);
  EXPECT_EQ(a.bitmap.ScanLine(0)[2], 0x11);
  EXPECT_EQ(a.reader->BitDepth(), 48);

  // RGBA: alpha 0 gives mask 255, alpha 255 gives 0, colours unchanged.
  Image rgba;
  rgba.w = 2, rgba.h = 1, rgba.depth = 8, rgba.color_type = 6;
  rgba.samples = {10, 20, 30, 0, 40, 50, 60, 255};
  ReadResult b = Read(BuildPng(rgba));
  EXPECT_EQ(b.mask.ScanLine(0)[0], 255);
  EXPECT_EQ(b.mask.ScanLine(0)[1], 0);
  EXPECT_EQ(b.bitmap.GetPixel(0, 0), RGB(10, 20, 30));
  EXPECT_EQ(b.bitmap.GetPixel(1, 0), RGB(40, 50, 60));
  EXPECT_EQ(b.mask.Palette()[200].rgbGreen, 200);

  // Grey of 2 bits: a 4-bit bitmap with the four-level ramp.
  ReadResult c = Read(BuildPng(RandomImage(5, 2, 2, 0, 0, 13)));
  ASSERT_EQ(c.bitmap.PixelFormat(), pf4bit);
  ASSERT_EQ(c.bitmap.PaletteCount(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(c.bitmap.Palette()[i].rgbRed, i * 85);
}

TEST(PngReader, SixteenBitPixelsOnRequest) {
  Image img;
  img.w = 2, img.h = 1, img.depth = 8, img.color_type = 6;
  img.samples = {0xFF, 0x80, 0x08, 0x40, 0x00, 0xFF, 0x00, 0xFF};
  for (auto [sbit, depth] : {std::pair<Bytes, int>{{5, 5, 5, 8}, 15}, {{5, 6, 5, 8}, 16}}) {
    BuildOptions opt;
    opt.before_idat = {{"sBIT", sbit}};
    ReadResult r = Read(BuildPng(img, opt), true);
    ASSERT_EQ(r.bitmap.PixelFormat(), pf16bit);
    EXPECT_EQ(r.reader->BitDepth(), depth);
    const uint16_t w0 = uint16_t(r.bitmap.ScanLine(0)[0] | (r.bitmap.ScanLine(0)[1] << 8));
    EXPECT_EQ(w0, (0x08 >> 3) | ((0x80 >> 2) << 5) | ((0xFF >> 3) << 11));
    EXPECT_EQ(r.mask.ScanLine(0)[0], 255 - 0x40);
    // Without the option the picture stays 24-bit.
    EXPECT_EQ(Read(BuildPng(img, opt)).bitmap.PixelFormat(), pf24bit);
  }
  // 16-bit samples keep 24-bit pixels even with the option.
  BuildOptions opt;
  opt.before_idat = {{"sBIT", {5, 5, 5}}};
  EXPECT_EQ(Read(BuildPng(RandomImage(3, 3, 16, 2, 0, 1), opt), true).bitmap.PixelFormat(), pf24bit);
}

TEST(PngReader, Adam7SkipsEmptyPasses) {
  // The image data holds only the passes that have pixels: reading a filter
  // byte for an empty pass would run past the end of the compressed data.
  for (int size : {1, 2, 3, 4, 5}) {
    const Image img = RandomImage(size, size, 8, 2, 1, 14);
    ReadResult r = Read(BuildPng(img));
    EXPECT_EQ(r.error, "") << size;
    EXPECT_TRUE(DecodeWithOurs(BuildPng(img)).rgb == DecodeWithLibpng(BuildPng(img)).rgb) << size;
  }
}

TEST(PngReader, DamagedImageData) {
  const Image img = RandomImage(16, 16, 8, 2, 0, 15);
  const Bytes z = Deflate(RawImageData(img, 1));
  const Chunk hdr = Hdr(16, 16, 8, 2);
  const std::string kReadError = "Read Image (PNG): Read Error";
  // Filter type 5.
  Bytes raw = RawImageData(img, 0);
  raw[49 * 3] = 5;
  EXPECT_EQ(Read(Assemble({hdr, {"IDAT", Deflate(raw)}, {"IEND", {}}})).error, kReadError);
  // Compressed data cut short, then IEND.
  EXPECT_EQ(Read(Assemble({hdr, {"IDAT", Bytes(z.begin(), z.begin() + long(z.size() / 2))}, {"IEND", {}}})).error,
            kReadError);
  // Cut short at the end of the file.
  Bytes whole = Assemble({hdr, {"IDAT", z}});
  EXPECT_EQ(Read(Bytes(whole.begin(), whole.end() - 40)).error, kReadError);
  // Damaged deflate data.
  Bytes bad = z;
  bad[2] ^= 0xFF;
  bad[3] ^= 0x55;
  EXPECT_EQ(Read(Assemble({hdr, {"IDAT", bad}, {"IEND", {}}})).error, kReadError);
  // A zero-length IDAT chunk where more data is needed.
  EXPECT_EQ(Read(Assemble({hdr, {"IDAT", Bytes(z.begin(), z.begin() + 20)}, {"IDAT", {}},
                           {"IDAT", Bytes(z.begin() + 20, z.end())}, {"IEND", {}}}))
                .error,
            kReadError);
  // Another chunk between the IDAT chunks.
  EXPECT_EQ(Read(Assemble({hdr, {"IDAT", Bytes(z.begin(), z.begin() + 20)}, {"tEXt", Text("a", "b")},
                           {"IDAT", Bytes(z.begin() + 20, z.end())}, {"IEND", {}}}))
                .error,
            kReadError);
  // A zlib stream that asks for a preset dictionary.
  Bytes dict = {0x78, 0x20, 0, 0, 0, 1};
  dict.insert(dict.end(), z.begin() + 2, z.end());
  EXPECT_EQ(Read(Assemble({hdr, {"IDAT", dict}, {"IEND", {}}})).error, kReadError);
  // No columns: the rows hold only filter bytes; a failure clears nothing.
  for (int interlace = 0; interlace < 2; ++interlace) {
    ReadResult none = Read(Assemble({Hdr(0, 5, 8, 6, interlace), {"IDAT", Bytes(z.begin(), z.begin() + 3)}}));
    EXPECT_EQ(none.error, kReadError);
    EXPECT_TRUE(none.bitmap.Empty());
  }
  // Rows stored before the failure stay; the others are cleared.
  ReadResult partial = Read(Assemble({hdr, {"IDAT", Bytes(z.begin(), z.begin() + long(z.size() / 2))}}));
  EXPECT_EQ(partial.error, kReadError);
  EXPECT_EQ(partial.bitmap.Height(), 16);
  EXPECT_EQ(partial.bitmap.GetPixel(0, 0), RGB(img.samples[0], img.samples[1], img.samples[2]));
  EXPECT_EQ(partial.bitmap.GetPixel(15, 15), 0);
}

// The end of the data, a zero-length IDAT and the trailer's checksum count
// where the row that needs them is read, however far inflation ran ahead.
TEST(PngReader, EndsMetByLaterRows) {
  const std::string kReadError = "Read Image (PNG): Read Error";
  const Image big = RandomImage(300, 300, 8, 2, 1, 21);
  BuildOptions opt;
  opt.filter = 0;
  const Bytes file = BuildPng(big, opt);
  for (int percent : {30, 60, 95}) {
    const Bytes cut(file.begin(), file.begin() + long(file.size() * percent / 100));
    EXPECT_EQ(Read(cut).error, kReadError) << percent;
  }
  const Image img = RandomImage(16, 16, 8, 2, 1, 22);
  const Bytes z = Deflate(RawImageData(img, 0));
  const Chunk hdr = Hdr(16, 16, 8, 2, 1);
  const long half = long(z.size() / 2);
  // The second IDAT missing, or empty where data is still needed (past whole rows).
  EXPECT_EQ(Read(Assemble({hdr, {"IDAT", Bytes(z.begin(), z.begin() + half)}, {"IEND", {}}})).error, kReadError);
  EXPECT_EQ(Read(Assemble({hdr, {"IDAT", Bytes(z.begin(), z.begin() + half)}, {"IDAT", {}},
                           {"IDAT", Bytes(z.begin() + half, z.end())}, {"IEND", {}}}))
                .error,
            kReadError);
  // The same for stored (level 0) and compressed data, with the empty IDAT
  // right after whole rows: one rule wherever it is met.
  const Image plain = RandomImage(16, 16, 8, 2, 0, 23);
  const Bytes raw = RawImageData(plain, 0);
  const long row = 16 * 3 + 1;
  for (int level : {0, 9}) {
    const Bytes data = Deflate(raw, level);
    // Stored: the zlib header and one block header come before the rows.
    for (long split : {2 + 5 + 4 * row, 2 + 5 + 15 * row, 2 + 5 + 8 * row + 7, long(data.size()) / 2}) {
      SCOPED_TRACE("level " + std::to_string(level) + ", split at " + std::to_string(split));
      EXPECT_EQ(Read(Assemble({Hdr(16, 16, 8, 2), {"IDAT", Bytes(data.begin(), data.begin() + split)}, {"IDAT", {}},
                               {"IDAT", Bytes(data.begin() + split, data.end())}, {"IEND", {}}}))
                    .error,
                kReadError);
    }
  }
  // A damaged Adler-32 reached with the last row counts, whole in the last
  // chunk; a trailer still in the next chunk is never reached.
  Bytes bad = z;
  bad.back() ^= 0x5A;
  for (long split : {8, 2}) {
    const Bytes head(bad.begin(), bad.end() - split), tail(bad.end() - split, bad.end());
    EXPECT_EQ(Read(Assemble({hdr, {"IDAT", head}, {"IDAT", tail}, {"IEND", {}}})).error, split == 8 ? kReadError : "");
  }
  EXPECT_EQ(Read(Assemble({hdr, {"IDAT", bad}, {"IEND", {}}})).error, kReadError);
  // A trailer beyond the data: never reached, so never checked.
  Bytes more = RawImageData(img, 0);
  more.resize(more.size() + 100, 3);
  Bytes extra = Deflate(more);
  extra.back() ^= 0x5A;
  EXPECT_EQ(Read(Assemble({hdr, {"IDAT", extra}, {"IEND", {}}})).error, "");
}

TEST(PngReader, ToleratedOddities) {
  const Image img = RandomImage(16, 16, 8, 2, 0, 16);
  const Bytes raw = RawImageData(img, 0);
  Bytes z = Deflate(raw);
  const Decoded ref = DecodeWithLibpng(BuildPng(img));
  // Compressed data that goes on past the last row.
  Bytes more = raw;
  more.resize(raw.size() + 5000, 7);
  EXPECT_TRUE(DecodeWithOurs(Assemble({Hdr(16, 16, 8, 2), {"IDAT", Deflate(more)}, {"IEND", {}}})).rgb == ref.rgb);
  // A damaged CRC is no error.
  EXPECT_TRUE(DecodeWithOurs(Assemble({Hdr(16, 16, 8, 2), {"IDAT", z, true}, {"IEND", {}, true}})).rgb == ref.rgb);
  // An IDAT chunk before IHDR: no rows, no error; later IDAT chunks are ignored.
  ReadResult r = Read(Assemble({{"IDAT", z}, Hdr(16, 16, 8, 2), {"IDAT", z}, {"IEND", {}}}));
  EXPECT_EQ(r.error, "");
  EXPECT_TRUE(r.bitmap.Empty());
}

TEST(PngReader, LyingLengthsAndHugeSizes) {
  const Image img = RandomImage(4, 4, 8, 2, 0, 17);
  for (const char* type : {"tEXt", "zzZz", "PLTE", "tRNS"}) {
    Bytes file = Assemble({Hdr(4, 4, 8, 2)});
    Bytes chunk = BE32(0xFFFFFFFF);
    chunk.insert(chunk.end(), type, type + 4);
    chunk.resize(chunk.size() + 20, 0);
    file.insert(file.end(), chunk.begin(), chunk.end());
    ReadResult r = Read(file);
    EXPECT_EQ(r.error, "") << type;
    EXPECT_TRUE(r.reader->EndFlag || r.reader->StopFlag) << type;
  }
  // The cap counts pixels: a long thin picture is legal.
  const Image thin = RandomImage(70000, 1, 8, 2, 0, 17);
  EXPECT_TRUE(DecodeWithOurs(BuildPng(thin)).rgb == DecodeWithLibpng(BuildPng(thin)).rgb);
  for (auto [w, h] : {std::pair<uint32_t, uint32_t>{0xFFFFFFFF, 1}, {1, 0x80000000}, {40000, 40000}}) {
    ReadResult r = Read(Assemble({Hdr(w, h, 8, 2), Idat(img), {"IEND", {}}}));
    EXPECT_EQ(r.error, "Read Header(PNG): Image too large") << w << "x" << h;
    EXPECT_TRUE(r.bitmap.Empty());
  }
}

TEST(PngReader, HeaderOnlyReadAndStreamPosition) {
  const Image img = RandomImage(7, 5, 4, 3, 1, 18, 16);
  BuildOptions opt;
  opt.before_idat = {{"PLTE", TestPalette(16)}};
  Bytes file = BuildPng(img, opt);
  const size_t size = file.size();
  file.insert(file.end(), {1, 2, 3, 4, 5});
  TPNGReadStream reader;
  TMemoryStream ms(file);
  reader.ReadImage(nullptr, ms, 0);
  EXPECT_EQ(reader.ImageWidth(), 7);
  EXPECT_EQ(reader.ImageHeight(), 5);
  EXPECT_EQ(reader.InterlaceMethod, 1);
  EXPECT_EQ(reader.PaletteCount(), 16);
  EXPECT_EQ(ms.Position(), int64_t(size));  // right behind what the reader used

  // The count limits what is read.
  TMemoryStream limited(file);
  TBitmap bmp;
  TPNGReadStream r2;
  r2.ReadImage(&bmp, limited, 30);
  EXPECT_TRUE(r2.EndFlag);
  EXPECT_TRUE(bmp.Empty());
}

TEST(PngReader, ProgressAndChangeEvent) {
  const Image img = RandomImage(9, 40, 8, 2, 1, 19);
  TBitmap bmp;
  std::vector<std::pair<TProgressStage, int>> events;
  bmp.OnProgress = [&](void* sender, TProgressStage stage, int percent, bool, const TRect&, const std::string&) {
    EXPECT_EQ(sender, &bmp);
    events.push_back({stage, percent});
  };
  int changes = 0;
  bmp.OnChange = [&] { ++changes; };
  TPNGReadStream reader;
  TMemoryStream ms(BuildPng(img));
  reader.ReadImage(&bmp, ms, 0);
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events.front(), std::make_pair(psStarting, 0));
  EXPECT_EQ(events.back(), std::make_pair(psEnding, 100));
  for (size_t i = 1; i + 1 < events.size(); ++i) {
    EXPECT_EQ(events[i].first, psRunning);
    EXPECT_GT(events[i].second, events[i - 1].second);
    EXPECT_LT(events[i].second, 100);
  }
  EXPECT_TRUE(bool(bmp.OnChange));  // restored after the read
  EXPECT_EQ(changes, 0);
}

}  // namespace
}  // namespace orv::pngtest
