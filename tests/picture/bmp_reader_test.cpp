// The bitmap file reader on files built field by field: every header, depth,
// compression and row order, the colour-table rules, sequential reading, and
// every refusal.
#include "picture/bmp_reader.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "picture/picture_test_util.h"
#include "platform/exceptions.h"

namespace orv {
namespace {

using test::BmpFields;
using test::BuildBmp;
using test::PackRows;
using Rows = std::vector<std::vector<uint32_t>>;

// 0x00RRGGBB per pixel, top row first.
std::vector<uint32_t> Pixels(const TBitmap& bmp) {
  std::vector<uint32_t> out;
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x) {
      const TColor c = bmp.GetPixel(x, y);
      out.push_back(uint32_t(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c)));
    }
  return out;
}

TBitmap Read(const std::vector<uint8_t>& bytes) {
  TMemoryStream s(bytes);
  TBitmap bmp;
  ReadBitmapFile(s, bmp);
  return bmp;
}

constexpr uint32_t A = 0xFF0000, B = 0x00FF00, C = 0x0000FF, D = 0x123456, E = 0xFEDCBA, F = 0x808080;
const Rows kRgbRows = {{A, B, C}, {D, E, F}};
const std::vector<uint32_t> kRgbPixels = {A, B, C, D, E, F};
const std::vector<uint32_t> kTable = {0x404040, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF,
                                      0xFF00FF, 0x101010, 0x202020, 0x303030, 0x505050, 0x606060,
                                      0x707070, 0x909090, 0xA0A0A0, 0xB0B0B0};

BmpFields Fields(uint32_t header, int32_t w, int32_t h, uint16_t bits, std::vector<uint8_t> pixels,
                 std::vector<uint32_t> table = {}, uint32_t compression = 0,
                 std::vector<uint32_t> masks = {}) {
  BmpFields s;
  s.header_size = header;
  s.width = w;
  s.height = h;
  s.bits = bits;
  s.pixels = std::move(pixels);
  s.table = std::move(table);
  s.colors_used = header == 12 ? 0 : uint32_t(s.table.size());
  s.compression = compression;
  s.masks = std::move(masks);
  return s;
}

uint32_t Entry(size_t i) { return i < kTable.size() ? kTable[i] : uint32_t(i * 0x010203) & 0xFFFFFF; }

std::vector<uint32_t> Table(size_t n) {
  std::vector<uint32_t> t;
  for (size_t i = 0; i < n; ++i) t.push_back(Entry(i));
  return t;
}

struct DecodeCase {
  const char* name;
  BmpFields opts;
  TPixelFormat format;
  std::vector<uint32_t> expected;
};

std::vector<DecodeCase> DecodeCases() {
  std::vector<DecodeCase> v;
  const std::vector<uint8_t> rgb24 = PackRows(kRgbRows, 24, true);
  v.push_back({"24 bits, bottom-up", Fields(40, 3, 2, 24, rgb24), pf24bit, kRgbPixels});
  v.push_back(
      {"24 bits, top-down", Fields(40, 3, -2, 24, PackRows(kRgbRows, 24, false)), pf24bit, kRgbPixels});
  v.push_back({"24 bits, core header", Fields(12, 3, 2, 24, rgb24), pf24bit, kRgbPixels});
  v.push_back({"24 bits, 124-byte header", Fields(124, 3, 2, 24, rgb24), pf24bit, kRgbPixels});
  v.push_back({"32 bits", Fields(40, 3, 2, 32, PackRows(kRgbRows, 32, true)), pf32bit, kRgbPixels});
  v.push_back({"32 bits, 8-8-8 masks",
               Fields(40, 3, 2, 32, PackRows(kRgbRows, 32, true), {}, 3, {0xFF0000, 0xFF00, 0xFF}), pf32bit,
               kRgbPixels});
  v.push_back({"32 bits, 10-10-10 masks keep the top bits",
               Fields(40, 2, 1, 32, PackRows({{0x3FF80001, 0x000FFC00}}, 32, true), {}, 3,
                      {0x3FF00000, 0x000FFC00, 0x000003FF}),
               pf32bit,
               {0xFF8000, 0x00FF00}});
  v.push_back({"32 bits, zero and overlapping masks",
               Fields(40, 1, 1, 32, PackRows({{0x12345678}}, 32, true), {}, 3, {0xFF, 0xFF, 0}),
               pf32bit,
               {0x787800}});
  v.push_back({"16 bits uncompressed are 5-5-5",
               Fields(40, 2, 1, 16, PackRows({{0x7C00, 0x0421}}, 16, true)),
               pf15bit,
               {0xFF0000, 0x080808}});
  v.push_back(
      {"16 bits, 5-6-5 masks",
       Fields(40, 3, 1, 16, PackRows({{0xF800, 0x07E0, 0x0841}}, 16, true), {}, 3, {0xF800, 0x07E0, 0x001F}),
       pf16bit,
       {0xFF0000, 0x00FF00, 0x080808}});
  v.push_back({"16 bits, 5-5-5 masks",
               Fields(40, 2, 1, 16, PackRows({{0x03E0, 0x001F}}, 16, true), {}, 3, {0x7C00, 0x03E0, 0x001F}),
               pf15bit,
               {0x00FF00, 0x0000FF}});
  v.push_back({"16 bits, 4-4-4 masks widen to 8 bits",
               Fields(40, 2, 1, 16, PackRows({{0x0F00, 0x0123}}, 16, true), {}, 3, {0x0F00, 0x00F0, 0x000F}),
               pf24bit,
               {0xFF0000, 0x112233}});
  v.push_back({"16 bits, blue-green-red 5-6-5 masks",
               Fields(40, 2, 1, 16, PackRows({{0x001F, 0xF800}}, 16, true), {}, 3, {0x001F, 0x07E0, 0xF800}),
               pf24bit,
               {0xFF0000, 0x0000FF}});
  v.push_back(
      {"1 bit, ten pixels a row",
       Fields(40, 10, 2, 1,
              PackRows({{1, 0, 1, 1, 0, 0, 0, 0, 1, 1}, {0, 0, 0, 0, 0, 0, 0, 1, 0, 1}}, 1, true), Table(2)),
       pf1bit,
       {A,        0x404040, A,        A,        0x404040, 0x404040, 0x404040, 0x404040, A,        A,
        0x404040, 0x404040, 0x404040, 0x404040, 0x404040, 0x404040, 0x404040, A,        0x404040, A}});
  v.push_back({"4 bits, odd width",
               Fields(40, 3, 2, 4, PackRows({{15, 1, 2}, {3, 4, 0}}, 4, true), Table(16)),
               pf4bit,
               {0xB0B0B0, A, B, C, 0xFFFF00, 0x404040}});
  {
    BmpFields s = Fields(40, 3, 1, 8, PackRows({{255, 0, 128}}, 8, true), Table(256));
    s.colors_used = 0;  // the full 256-entry table follows the header
    v.push_back({"8 bits, colours used 0 reads 256 entries", s, pf8bit, {Entry(255), 0x404040, Entry(128)}});
  }
  v.push_back({"8 bits, an index past the table is black",
               Fields(40, 3, 1, 8, PackRows({{0, 1, 5}}, 8, true), Table(2)),
               pf8bit,
               {0x404040, A, 0}});
  v.push_back({"core header, 4 bits, 16 three-byte entries",
               Fields(12, 3, 1, 4, PackRows({{15, 0, 3}}, 4, true), Table(16)),
               pf4bit,
               {0xB0B0B0, 0x404040, C}});
  v.push_back({"core header, 8 bits",
               Fields(12, 2, 1, 8, PackRows({{255, 1}}, 8, true), Table(256)),
               pf8bit,
               {Entry(255), A}});
  v.push_back({"108-byte header, 8 bits",
               Fields(108, 2, 1, 8, PackRows({{2, 3}}, 8, true), Table(4)),
               pf8bit,
               {B, C}});
  v.push_back({"24 bits with a colour table", Fields(40, 3, 2, 24, rgb24, Table(2)), pf24bit, kRgbPixels});
  {
    BmpFields s = Fields(40, 2, 1, 24, PackRows({{D, E}}, 24, true));
    s.gap = {0x11, 0x22, 0x33};  // the pixel-data offset points past these
    v.push_back({"a gap before the pixel data is skipped", s, pf24bit, {D, E}});
    s.offset = 14 + 40 + 1;  // inside the gap
    v.push_back({"an offset inside a gap is followed", s, pf24bit, {0x563322, 0xBA1234}});
    s.offset = 14 + 40 - 1;  // inside the header: the pixels follow the table
    v.push_back({"an offset inside the header is not followed", s, pf24bit, {0x332211, D}});
    s.offset = 14 + 40 + 3 + 8;  // the file's end
    v.push_back({"an offset at the file's end is not followed", s, pf24bit, {0x332211, D}});
    s.offset = 0xFFFFFFFF;
    v.push_back({"an offset far past the file's end is not followed", s, pf24bit, {0x332211, D}});
  }
  {
    // Five three-byte entries where the depth allows 256, then a gap.
    BmpFields s = Fields(12, 3, 1, 8, PackRows({{4, 0, 7}}, 8, true), Table(5));
    v.push_back({"core header, a short table ending at the offset", s, pf8bit, {0xFFFF00, 0x404040, 0}});
    s.gap = {9, 9, 9, 9};
    v.push_back({"core header, a short table and a gap", s, pf8bit, {0xFFFF00, 0x404040, 0}});
    s.header_size = 40;  // colours used 0: the same rule
    v.push_back({"a short table whose length only the depth gave", s, pf8bit, {0xFFFF00, 0x404040, 0}});
  }
  {
    // A table of a stated length reaches past the offset: the offset is
    // the mistake, the table is read whole.
    BmpFields s = Fields(40, 2, 1, 8, PackRows({{1, 3}}, 8, true), Table(4));
    s.offset = 14 + 40 + 8;
    v.push_back({"an offset inside a table of stated length is not followed", s, pf8bit, {A, C}});
  }
  {
    BmpFields s = Fields(40, 3, 2, 24, rgb24);
    s.size_image = 12;  // one row: the top row (stored second) stays zero
    v.push_back({"image size of one row", s, pf24bit, {0, 0, 0, D, E, F}});
  }
  {
    BmpFields s = Fields(40, 3, 2, 24, rgb24);
    s.pixels.resize(12 + 4);  // the file ends in the second stored row
    v.push_back({"file ends inside the pixel data", s, pf24bit, {A, 0, 0, D, E, F}});
  }
  return v;
}

TEST(BmpReader, DecodesEveryVariant) {
  for (const DecodeCase& c : DecodeCases()) {
    SCOPED_TRACE(c.name);
    TBitmap bmp = Read(BuildBmp(c.opts));
    EXPECT_EQ(bmp.PixelFormat(), c.format);
    EXPECT_EQ(bmp.Width(), c.opts.width);
    EXPECT_EQ(bmp.Height(), std::abs(c.opts.height));
    EXPECT_EQ(Pixels(bmp), c.expected);
  }
}

TEST(BmpReader, MasksInsideLongerHeaders) {
  for (uint32_t header : {52u, 56u, 108u, 124u}) {
    SCOPED_TRACE(header);
    TBitmap bmp = Read(BuildBmp(
        Fields(header, 2, 1, 16, PackRows({{0xF800, 0x001F}}, 16, true), {}, 3, {0xF800, 0x07E0, 0x001F})));
    EXPECT_EQ(bmp.PixelFormat(), pf16bit);
    EXPECT_EQ(Pixels(bmp), (std::vector<uint32_t>{0xFF0000, 0x0000FF}));
  }
}

// Run-length data: index 0 is grey, so skipped pixels show as grey.
struct RleCase {
  const char* name;
  int width, height, bits;
  std::vector<uint8_t> data;
  std::vector<uint32_t> expected_indexes;  // top row first
};

std::vector<RleCase> RleCases() {
  return {
      {"runs, an odd absolute run, end of line, delta, end of bitmap",
       6,
       3,
       8,
       {3, 1, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 2, 1, 2, 2, 0, 1},
       {0, 0, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 2, 3, 1}},
      {"a run past the row's end is cut there",
       4,
       2,
       8,
       {6, 1, 2, 2, 0, 0, 1, 3, 0, 1},
       {3, 0, 0, 0, 1, 1, 1, 1}},
      {"data ending without end of bitmap", 3, 2, 8, {2, 5}, {0, 0, 0, 5, 5, 0}},
      {"a delta beyond the last row ends the picture", 2, 2, 8, {1, 4, 0, 2, 0, 9, 1, 4}, {0, 0, 4, 0}},
      {"4 bits: alternating nibbles, absolute runs, delta",
       5,
       2,
       4,
       {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 2, 1, 0, 1, 0x60, 0, 1},
       {3, 4, 5, 0, 6, 1, 2, 1, 2, 1}},
      {"4 bits: absolute run of five padded to a word",
       6,
       1,
       4,
       {0, 5, 0x12, 0x34, 0x50, 0xEE, 1, 0x70, 0, 1},
       {1, 2, 3, 4, 5, 7}},
  };
}

TEST(BmpReader, DecodesRunLengthData) {
  for (const RleCase& c : RleCases()) {
    for (bool top_down : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (top_down ? ", top-down" : ""));
      BmpFields s = Fields(40, c.width, top_down ? -c.height : c.height, uint16_t(c.bits), c.data, Table(16),
                           c.bits == 8 ? 1 : 2);
      s.size_image = uint32_t(c.data.size());
      TBitmap bmp = Read(BuildBmp(s));
      ASSERT_EQ(bmp.PixelFormat(), c.bits == 8 ? pf8bit : pf4bit);
      std::vector<uint32_t> expected;
      for (int y = 0; y < c.height; ++y) {
        // Stored rows run bottom-up unless the height is negative.
        const int src = top_down ? c.height - 1 - y : y;
        for (int x = 0; x < c.width; ++x)
          expected.push_back(kTable[c.expected_indexes[size_t(src * c.width + x)]]);
      }
      EXPECT_EQ(Pixels(bmp), expected);
    }
  }
}

// Without an image size, no more than the uncompressed size is read.
TEST(BmpReader, RunLengthDataWithoutImageSizeIsCutAtTheUncompressedSize) {
  // 2 x 2 at 8 bits: 8 bytes; the last run is not read.
  BmpFields s = Fields(40, 2, 2, 8, {1, 1, 1, 2, 0, 0, 1, 3, 1, 3, 0, 1}, Table(4), 1);
  EXPECT_EQ(Pixels(Read(BuildBmp(s))), (std::vector<uint32_t>{C, 0x404040, A, B}));
  s.size_image = 12;
  EXPECT_EQ(Pixels(Read(BuildBmp(s))), (std::vector<uint32_t>{C, C, A, B}));
}

TEST(BmpReader, ZeroBytesGiveAnEmptyBitmap) {
  TMemoryStream s;
  TBitmap bmp(4, 4, pf24bit);
  ReadBitmapFile(s, bmp);
  EXPECT_TRUE(bmp.Empty());
}

TEST(BmpReader, ReadsFromTheStreamPosition) {
  std::vector<uint8_t> bytes = {'j', 'u', 'n', 'k'};
  const std::vector<uint8_t> file = BuildBmp(Fields(40, 3, 2, 24, PackRows(kRgbRows, 24, true)));
  bytes.insert(bytes.end(), file.begin(), file.end());
  TMemoryStream s(bytes);
  s.SetPosition(4);
  TBitmap bmp;
  ReadBitmapFile(s, bmp);
  EXPECT_EQ(Pixels(bmp), kRgbPixels);
  s.SetPosition(int64_t(bytes.size()));  // nothing remains: empty, no error
  ReadBitmapFile(s, bmp);
  EXPECT_TRUE(bmp.Empty());
}

enum class Fails { kInvalid, kRead };

struct FailCase {
  const char* name;
  std::vector<uint8_t> bytes;
  Fails kind;
};

std::vector<uint8_t> Cut(std::vector<uint8_t> v, size_t n) {
  v.resize(n);
  return v;
}

std::vector<FailCase> FailCases() {
  const BmpFields base = Fields(40, 2, 2, 8, PackRows({{1, 2}, {3, 0}}, 8, true), Table(4));
  const std::vector<uint8_t> good = BuildBmp(base);
  auto with = [&](auto change) {
    BmpFields s = base;
    change(s);
    return BuildBmp(s);
  };
  const BmpFields bitfields = Fields(40, 1, 1, 16, {0, 0, 0, 0}, {}, 3, {0xF800, 0x07E0, 0x001F});
  std::vector<FailCase> v = {
      {"type is not BM", with([](BmpFields& s) { s.type = "MB"; }), Fails::kInvalid},
      {"one byte", {'B'}, Fails::kRead},
      {"ends inside the file header", Cut(good, 10), Fails::kRead},
      {"ends inside the header size", Cut(good, 16), Fails::kRead},
      {"ends inside the information header", Cut(good, 30), Fails::kRead},
      {"ends inside a core header", Cut(BuildBmp(Fields(12, 1, 1, 24, {0, 0, 0, 0})), 20), Fails::kRead},
      {"ends inside the masks", Cut(BuildBmp(bitfields), 14 + 40 + 6), Fails::kRead},
      {"ends inside the colour table", Cut(good, 14 + 40 + 9), Fails::kRead},
      {"planes 0", with([](BmpFields& s) { s.planes = 0; }), Fails::kInvalid},
      {"planes 2", with([](BmpFields& s) { s.planes = 2; }), Fails::kInvalid},
      {"more than 256 colours used", with([](BmpFields& s) { s.colors_used = 257; }), Fails::kInvalid},
      {"colours used 2^32 - 1", with([](BmpFields& s) { s.colors_used = 0xFFFFFFFF; }), Fails::kInvalid},
      {"width 0", with([](BmpFields& s) { s.width = 0; }), Fails::kInvalid},
      {"negative width", with([](BmpFields& s) { s.width = -2; }), Fails::kInvalid},
      {"height 0", with([](BmpFields& s) { s.height = 0; }), Fails::kInvalid},
      {"height -2^31", with([](BmpFields& s) { s.height = INT32_MIN; }), Fails::kInvalid},
      {"a side above 65535", with([](BmpFields& s) { s.width = 65536; }), Fails::kInvalid},
      {"more pixels than the cap", with([](BmpFields& s) { s.width = s.height = 20000; }), Fails::kInvalid},
      {"row bytes times height overflow 32 bits", with([](BmpFields& s) {
         s.width = s.height = 65535, s.bits = 32, s.table.clear(), s.colors_used = 0;
       }),
       Fails::kInvalid},
      {"core header, width 0", BuildBmp(Fields(12, 0, 1, 24, {})), Fails::kInvalid},
      {"bitfields with 24 bits",
       BuildBmp(Fields(40, 1, 1, 24, {0, 0, 0, 0}, {}, 3, {0xFF0000, 0xFF00, 0xFF})), Fails::kInvalid},
      {"run-length 8 with 4 bits", with([](BmpFields& s) { s.compression = 1, s.bits = 4; }),
       Fails::kInvalid},
      {"run-length 4 with 8 bits", with([](BmpFields& s) { s.compression = 2; }), Fails::kInvalid},
  };
  for (uint16_t bits : {0, 2, 7, 64})
    v.push_back({"unsupported bits per pixel", with([&](BmpFields& s) { s.bits = bits; }), Fails::kInvalid});
  for (uint32_t comp : {4u, 5u, 6u, 0xFFFFFFFFu})
    v.push_back(
        {"unsupported compression", with([&](BmpFields& s) { s.compression = comp; }), Fails::kInvalid});
  for (uint32_t size : {0u, 16u, 64u, 125u, 0xFFFFFFFFu})
    v.push_back({"unknown header size", with([&](BmpFields& s) { s.header_size = size; }), Fails::kInvalid});
  return v;
}

TEST(BmpReader, RefusesBadFilesLeavingTheBitmapAlone) {
  for (const FailCase& c : FailCases()) {
    SCOPED_TRACE(c.name);
    TMemoryStream s(c.bytes);
    TBitmap bmp(5, 3, pf24bit);
    const size_t fresh = GetPixelPoolStats().fresh;
    try {
      ReadBitmapFile(s, bmp);
      ADD_FAILURE() << "no error";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(c.kind, Fails::kInvalid);
      EXPECT_STREQ(e.what(), "ビットマップイメージが不正です");
    } catch (const EReadError& e) {
      EXPECT_EQ(c.kind, Fails::kRead);
      EXPECT_STREQ(e.what(), "ストリームからの読み込みエラー");
    }
    EXPECT_EQ(GetPixelPoolStats().fresh, fresh) << "allocated pixel memory before refusing";
    EXPECT_EQ(bmp.Width(), 5);
    EXPECT_EQ(bmp.Height(), 3);
  }
}

#if !defined(__SANITIZE_ADDRESS__)
// Loads a picture of 256 MB with the address space limited to what the
// process has mapped plus 64 MB; gives the exit status for the check below.
int LoadUnderMemoryLimit(const std::vector<uint8_t>& bytes) {
  unsigned long pages = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%lu", &pages) != 1) pages = 0;
    std::fclose(f);
  }
  const rlim_t limit = pages * 4096 + (rlim_t(64) << 20);
  const rlimit lim{limit, limit};
  if (pages == 0 || setrlimit(RLIMIT_AS, &lim) != 0) return 5;
  try {
    Read(bytes);
  } catch (const EOSError& e) {
    return e.Code() == ENOMEM ? 0 : 2;
  } catch (...) {
    return 3;
  }
  return 4;
}

// Pixel memory the system refuses is its error, with the system's code.
TEST(BmpReaderDeathTest, AllocationFailureIsTheSystemError) {
  const std::vector<uint8_t> bytes = BuildBmp(Fields(40, 16000, 16000, 8, {}, Table(2)));
  EXPECT_EXIT(std::_Exit(LoadUnderMemoryLimit(bytes)), ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
}  // namespace orv
