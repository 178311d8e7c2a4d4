// Bitmap files written by an independent encoder (ImageMagick) decode exactly
// as ImageMagick decodes them; so do run-length and top-down files we build
// from its output.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

#include "picture/bmp_reader.h"
#include "picture/picture_test_util.h"
#include "support/test_support.h"

namespace orv {
namespace {

using test::RgbImage;

const char kConvert[] = "/usr/bin/convert";

// A picture of exactly `colors` distinct colours (0: full colour).
RgbImage Source(int colors) {
  RgbImage img = test::MakeTestImage(37, 23, 7);
  if (colors == 0) return img;
  for (size_t i = 0; i < img.rgb.size() / 3; ++i) {
    const uint32_t k = uint32_t((i * 7 + i / 37 * 3) % size_t(colors));
    img.rgb[i * 3] = uint8_t(k * 37);
    img.rgb[i * 3 + 1] = uint8_t(255 - k * 11);
    img.rgb[i * 3 + 2] = uint8_t((k * 101) & 0xFF);
  }
  return img;
}

void WritePpm(const std::string& path, const RgbImage& img) {
  std::string data = "P6\n" + std::to_string(img.width) + " " + std::to_string(img.height) + "\n255\n";
  data.append(img.rgb.begin(), img.rgb.end());
  test::WriteFile(path, data);
}

uint32_t U32(const std::vector<uint8_t>& v, size_t at) {
  return uint32_t(v[at]) | uint32_t(v[at + 1]) << 8 | uint32_t(v[at + 2]) << 16 | uint32_t(v[at + 3]) << 24;
}

RgbImage ImageMagickDecode(const test::TempDir& dir, const std::string& file, int w, int h) {
  const std::string raw = dir / "referee.rgb";
  const test::ToolResult r = test::RunTool({kConvert, file, "-depth", "8", "rgb:" + raw});
  EXPECT_EQ(r.status, 0) << r.err;
  return test::ReadRaw(raw, w, h);
}

RgbImage OurDecode(const std::vector<uint8_t>& bytes) {
  TMemoryStream s(bytes);
  TBitmap bmp;
  ReadBitmapFile(s, bmp);
  return test::BitmapRgb(bmp);
}

struct Variant {
  const char* format;  // ImageMagick's output format
  int colors;
  std::vector<std::string> options;
  uint32_t header, bits, compression;
};

// ImageMagick's own 4-4-4 expansion (v * 16) differs from ours (v * 17); its
// 16-bit BMP3 files lack the masks their header announces. Both are covered
// by the reader's own tests.
const Variant kVariants[] = {
    {"BMP2", 0, {}, 12, 24, 0},
    {"BMP2", 200, {}, 12, 8, 0},
    {"BMP2", 12, {}, 12, 4, 0},
    {"BMP2", 2, {}, 12, 1, 0},
    {"BMP3", 0, {}, 40, 24, 0},
    {"BMP3", 200, {}, 40, 8, 0},
    {"BMP3", 12, {}, 40, 4, 0},
    {"BMP3", 2, {}, 40, 1, 0},
    {"BMP3", 200, {"-compress", "RLE"}, 40, 8, 1},
    {"BMP", 0, {}, 124, 24, 0},
    {"BMP", 200, {}, 124, 8, 0},
    {"BMP", 200, {"-compress", "RLE"}, 124, 8, 1},
    {"BMP", 0, {"-alpha", "on"}, 124, 32, 3},
    {"BMP", 0, {"-define", "bmp:subtype=RGB565"}, 124, 16, 3},
    {"BMP", 0, {"-define", "bmp:subtype=RGB555"}, 124, 16, 3},
    {"BMP", 0, {"-alpha", "on", "-define", "bmp:subtype=ARGB1555"}, 124, 16, 3},
};

void PrintTo(const Variant& v, std::ostream* os) {
  *os << v.format << ", " << v.bits << " bits, compression " << v.compression;
}

class BmpImageMagick : public ::testing::TestWithParam<Variant> {};

TEST_P(BmpImageMagick, DecodesAsImageMagickDecodes) {
  const Variant& v = GetParam();
  test::TempDir dir;
  std::string name = std::string(v.format) + " " + std::to_string(v.colors) + " colours";
  for (const auto& o : v.options) name += " " + o;
  SCOPED_TRACE(name);
  const RgbImage src = Source(v.colors);
  WritePpm(dir / "src.ppm", src);
  std::vector<std::string> cmd = {kConvert, dir / "src.ppm"};
  if (v.colors > 0) cmd.insert(cmd.end(), {"-type", "Palette"});
  if (v.compression == 0) cmd.insert(cmd.end(), {"-compress", "None"});
  cmd.insert(cmd.end(), v.options.begin(), v.options.end());
  cmd.push_back(std::string(v.format) + ":" + (dir / "out.bmp"));
  const test::ToolResult r = test::RunTool(cmd);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<uint8_t> bytes = test::ReadBytes(dir / "out.bmp");
  ASSERT_GT(bytes.size(), 30u);
  // The encoder wrote the variant this case is about, with the pixel data
  // right after the header and table.
  const uint32_t header = U32(bytes, 14);
  ASSERT_EQ(header, v.header);
  ASSERT_EQ(header == 12 ? uint32_t(bytes[24] | bytes[25] << 8) : uint32_t(bytes[28] | bytes[29] << 8),
            v.bits);
  ASSERT_EQ(header == 12 ? 0u : U32(bytes, 30), v.compression);
  const uint32_t colors = header == 12 ? 0 : U32(bytes, 46);
  const uint32_t entries = colors ? colors : v.bits <= 8 ? 1u << v.bits : 0;
  const uint32_t masks = header == 40 && v.compression == 3 ? 12 : 0;
  ASSERT_EQ(U32(bytes, 10), 14 + header + masks + entries * (header == 12 ? 3 : 4));

  const RgbImage ours = OurDecode(bytes);
  EXPECT_EQ(ours, ImageMagickDecode(dir, dir / "out.bmp", src.width, src.height));
  if (v.colors == 0 && v.bits >= 24) {
    EXPECT_EQ(ours, src);
  }
}

INSTANTIATE_TEST_SUITE_P(Variants, BmpImageMagick, ::testing::ValuesIn(kVariants),
                         [](const ::testing::TestParamInfo<Variant>& info) {
                           return std::string(info.param.format) + "_" + std::to_string(info.param.bits) +
                                  "bit_" + std::to_string(info.index);
                         });

// Reverses the stored rows of an uncompressed file and negates its height.
std::vector<uint8_t> MakeTopDown(std::vector<uint8_t> bytes) {
  const uint32_t offset = U32(bytes, 10);
  const int32_t width = int32_t(U32(bytes, 18)), height = int32_t(U32(bytes, 22));
  const size_t stride = (size_t(width) * (bytes[28] | bytes[29] << 8) + 31) / 32 * 4;
  std::vector<uint8_t> flipped(bytes.begin(), bytes.begin() + offset);
  for (int32_t y = height - 1; y >= 0; --y) {
    const auto row = bytes.begin() + std::ptrdiff_t(offset + size_t(y) * stride);
    flipped.insert(flipped.end(), row, row + std::ptrdiff_t(stride));
  }
  const uint32_t negative = uint32_t(-height);
  std::memcpy(&flipped[22], &negative, 4);
  return flipped;
}

// Run-length encodes indexes (top row first) the simple way encoders do,
// and skips every 13th row's middle with a delta so skipped pixels show.
std::vector<uint8_t> EncodeRle(const std::vector<uint8_t>& idx, int w, int h, bool rle4) {
  std::vector<uint8_t> out;
  for (int line = 0; line < h; ++line) {
    const uint8_t* row = &idx[size_t(h - 1 - line) * size_t(w)];
    int x = 0;
    while (x < w) {
      if (line % 13 == 5 && x == w / 3) {  // jump over a third of the row
        out.insert(out.end(), {0, 2, uint8_t(w / 3), 0});
        x += w / 3;
        continue;
      }
      int run = 1;
      while (x + run < w && run < 255 && row[x + run] == row[x]) ++run;
      if (run >= 3 || w - x < 3) {
        out.push_back(uint8_t(run));
        out.push_back(rle4 ? uint8_t(row[x] << 4 | row[x]) : row[x]);
        x += run;
        continue;
      }
      int lit = std::min({w - x, 255, 9 + line % 7});  // odd and even absolute runs
      out.push_back(0);
      out.push_back(uint8_t(lit));
      const size_t start = out.size();
      for (int i = 0; i < lit; ++i) {
        if (!rle4) {
          out.push_back(row[x + i]);
        } else if (i % 2 == 0) {
          out.push_back(uint8_t(row[x + i] << 4));
        } else {
          out.back() |= row[x + i];
        }
      }
      if ((out.size() - start) % 2) out.push_back(0);
      x += lit;
    }
    out.insert(out.end(), {0, 0});
  }
  out.insert(out.end(), {0, 1});
  return out;
}

TEST(BmpReferee, TopDownAndRunLengthFilesDecodeAsImageMagickDecodesThem) {
  test::TempDir dir;
  for (int colors : {0, 200}) {
    SCOPED_TRACE(colors);
    const RgbImage src = Source(colors);
    WritePpm(dir / "src.ppm", src);
    std::vector<std::string> cmd = {kConvert, dir / "src.ppm"};
    if (colors > 0) cmd.insert(cmd.end(), {"-type", "Palette", "-compress", "None"});
    cmd.push_back("BMP3:" + (dir / "up.bmp"));
    ASSERT_EQ(test::RunTool(cmd).status, 0);
    ASSERT_EQ(test::ReadBytes(dir / "up.bmp")[28], colors ? 8 : 24);
    const std::vector<uint8_t> down = MakeTopDown(test::ReadBytes(dir / "up.bmp"));
    test::WriteFile(dir / "down.bmp", down);
    const RgbImage ours = OurDecode(down);
    EXPECT_EQ(ours, ImageMagickDecode(dir, dir / "up.bmp", src.width, src.height));
    EXPECT_EQ(ours, ImageMagickDecode(dir, dir / "down.bmp", src.width, src.height));
  }
  for (bool rle4 : {false, true}) {
    SCOPED_TRACE(rle4 ? "RLE4" : "RLE8");
    const int w = 37, h = 23, n = rle4 ? 16 : 200;
    std::vector<uint8_t> idx(size_t(w * h));
    for (size_t i = 0; i < idx.size(); ++i) idx[i] = uint8_t((i / 5 + (i % 37 > 20 ? i : 0)) % size_t(n));
    test::BmpFields s;
    s.width = w;
    s.height = h;
    s.bits = rle4 ? 4 : 8;
    s.compression = rle4 ? 2 : 1;
    for (int i = 0; i < n; ++i) s.table.push_back(uint32_t(i * 0x0B1D29 + 0x203040) & 0xFFFFFF);
    s.colors_used = uint32_t(n);
    s.pixels = EncodeRle(idx, w, h, rle4);
    s.size_image = uint32_t(s.pixels.size());
    const std::vector<uint8_t> bytes = test::BuildBmp(s);
    test::WriteFile(dir / "rle.bmp", bytes);
    EXPECT_EQ(OurDecode(bytes), ImageMagickDecode(dir, dir / "rle.bmp", w, h));
  }
}

// Pixel data that does not follow the colour table: a gap written before
// it, and short tables in files whose depth alone gives the table's length.
// ImageMagick reads a whole table even where it runs into the pixels (and
// refuses files too short for it), so the pictures are large enough for
// that and use only the entries present.
TEST(BmpReferee, PixelDataAtItsOffsetDecodesAsImageMagickDecodesIt) {
  test::TempDir dir;
  const int w = 41, h = 29;
  struct Case {
    const char* name;
    uint32_t header, bits, compression, entries;
    bool stated;  // the header gives the table's length
    size_t gap;
  };
  const Case cases[] = {
      {"24 bits, a gap", 40, 24, 0, 0, false, 6},
      {"8 bits, 200 entries and a gap", 40, 8, 0, 200, true, 10},
      {"RLE8, a gap", 40, 8, 1, 200, true, 8},
      {"OS/2 1.x, 8 bits, 12 entries", 12, 8, 0, 12, false, 0},
      {"OS/2 1.x, 4 bits, 5 entries and a gap", 12, 4, 0, 5, false, 4},
      {"8 bits, colours used 0, 30 entries", 40, 8, 0, 30, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::BmpFields s;
    s.header_size = c.header;
    s.width = w;
    s.height = h;
    s.bits = uint16_t(c.bits);
    s.compression = c.compression;
    for (uint32_t i = 0; i < c.entries; ++i) s.table.push_back((i * 0x0B1D29 + 0x203040) & 0xFFFFFF);
    s.colors_used = c.stated ? c.entries : 0;
    for (size_t i = 0; i < c.gap; ++i) s.gap.push_back(uint8_t(0xA5 + i));
    std::vector<std::vector<uint32_t>> rows(h, std::vector<uint32_t>(w));
    std::vector<uint8_t> idx;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint32_t k = uint32_t(x * 3 + y * 5) % std::max(c.entries, 1u);
        rows[size_t(y)][size_t(x)] = c.bits == 24 ? uint32_t(x * 13 << 16 | y * 37 << 8 | (x ^ y) * 9) : k;
        idx.push_back(uint8_t(k));
      }
    if (c.compression == 1) {
      s.pixels = EncodeRle(idx, w, h, false);
      s.size_image = uint32_t(s.pixels.size());
    } else {
      s.pixels = test::PackRows(rows, int(c.bits), true);
    }
    const std::vector<uint8_t> bytes = test::BuildBmp(s);
    test::WriteFile(dir / "offset.bmp", bytes);
    EXPECT_EQ(OurDecode(bytes), ImageMagickDecode(dir, dir / "offset.bmp", w, h));
  }
}

}  // namespace
}  // namespace orv
