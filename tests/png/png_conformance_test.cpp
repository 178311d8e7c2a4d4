// Our reader against libpng over generated files: every colour type and bit
// depth, plain and Adam7, many odd sizes, every filter type, split IDAT
// chunks and transparency variants, from our test encoder and libpng's.
#include <gtest/gtest.h>

#include <tuple>

#include "png_test_util.h"

namespace orv::pngtest {
namespace {

struct Combo {
  int color_type, depth;
};
const Combo kCombos[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                         {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
const int kSizes[] = {1, 2, 3, 4, 5, 7, 8, 9, 16, 17, 33};

std::vector<Chunk> PaletteChunks(const Image& img) {
  if (img.color_type != 3) return {};
  return {{"PLTE", TestPalette(1 << img.depth)}};
}

void ExpectSame(const Bytes& file, const std::string& label, bool ignore_crc = false) {
  const Decoded ref = DecodeWithLibpng(file, ignore_crc);
  ASSERT_TRUE(ref.ok) << label << ": libpng refused: " << ref.error;
  const Decoded ours = DecodeWithOurs(file);
  ASSERT_TRUE(ours.ok) << label << ": " << ours.error;
  ASSERT_EQ(ours.w, ref.w) << label;
  ASSERT_EQ(ours.h, ref.h) << label;
  EXPECT_TRUE(ours.rgb == ref.rgb) << label << ": colours differ";
  EXPECT_TRUE(ours.mask == ref.mask) << label << ": mask differs (ours " << ours.mask.size() << " bytes, libpng "
                                     << ref.mask.size() << ")";
  EXPECT_EQ(ours.transparent, ref.transparent) << label;
  EXPECT_EQ(ours.transparent_color, ref.transparent_color) << label;
}

std::string Label(const Image& img, const std::string& extra = "") {
  return "ct" + std::to_string(img.color_type) + " d" + std::to_string(img.depth) + " i" +
         std::to_string(img.interlace) + " " + std::to_string(img.w) + "x" + std::to_string(img.h) + extra;
}

TEST(PngConformance, EveryColourTypeDepthInterlaceAndSize) {
  uint32_t seed = 1;
  for (const Combo& c : kCombos)
    for (int interlace = 0; interlace < 2; ++interlace)
      for (int w : kSizes)
        for (int h : kSizes) {
          const Image img = RandomImage(w, h, c.depth, c.color_type, interlace, seed++);
          BuildOptions opt;
          opt.before_idat = PaletteChunks(img);
          ExpectSame(BuildPng(img, opt), Label(img));
          if (HasFailure()) return;
        }
}

TEST(PngConformance, LargePicturesPlainAndInterlaced) {
  for (const Combo& c : {Combo{2, 8}, Combo{6, 16}, Combo{3, 4}, Combo{0, 2}})
    for (int interlace = 0; interlace < 2; ++interlace) {
      const Image img = RandomImage(1031, 517, c.depth, c.color_type, interlace, 99);
      BuildOptions opt;
      opt.before_idat = PaletteChunks(img);
      ExpectSame(BuildPng(img, opt), Label(img));
    }
}

TEST(PngConformance, EveryFilterTypeOnEveryLayout) {
  for (const Combo& c : kCombos)
    for (int filter = 0; filter <= 4; ++filter)
      for (int interlace = 0; interlace < 2; ++interlace) {
        const Image img = RandomImage(29, 11, c.depth, c.color_type, interlace, uint32_t(filter * 7 + 3));
        BuildOptions opt;
        opt.filter = filter;
        opt.before_idat = PaletteChunks(img);
        ExpectSame(BuildPng(img, opt), Label(img, " filter " + std::to_string(filter)));
      }
}

TEST(PngConformance, IdatSplitIntoOneByteChunks) {
  for (const Combo& c : kCombos) {
    const Image img = RandomImage(19, 13, c.depth, c.color_type, 1, 5);
    BuildOptions opt;
    opt.idat_chunk = 1;
    opt.before_idat = PaletteChunks(img);
    const Bytes split = BuildPng(img, opt);
    ExpectSame(split, Label(img, " 1-byte IDAT"));
    opt.idat_chunk = 0;
    EXPECT_TRUE(DecodeWithOurs(split).rgb == DecodeWithOurs(BuildPng(img, opt)).rgb);
  }
}

TEST(PngConformance, LargeIdatChunksAreFedInPieces) {
  // One IDAT chunk far above the 32,768-byte input buffer, and chunks that
  // straddle it.
  const Image img = RandomImage(300, 200, 8, 6, 0, 11);
  for (size_t chunk : {size_t(0), size_t(32768), size_t(32769), size_t(40000)}) {
    BuildOptions opt;
    opt.idat_chunk = chunk;
    opt.level = 0;
    ExpectSame(BuildPng(img, opt), "chunk " + std::to_string(chunk));
  }
}

TEST(PngConformance, TransparencyVariants) {
  struct Case {
    const char* name;
    int ct, depth;
    Bytes trns;
  };
  const std::vector<Case> cases = {
      {"palette one zero", 3, 8, {255, 255, 255, 255, 255, 0}},
      {"palette first zero", 3, 4, {0}},
      {"palette partial alpha", 3, 8, {255, 128, 0}},
      {"palette two zeros", 3, 2, {0, 0}},
      {"palette all opaque", 3, 1, {255, 255}},
      {"grey 1", 0, 1, BE16(1)},
      {"grey 2", 0, 2, BE16(2)},
      {"grey 4", 0, 4, BE16(9)},
      {"grey 8", 0, 8, BE16(200)},
      {"grey 16", 0, 16, BE16(0xABCD)},
      {"rgb 8", 2, 8, {0, 10, 0, 20, 0, 30}},
      {"rgb 16", 2, 16, {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}},
  };
  for (const Case& c : cases)
    for (int interlace = 0; interlace < 2; ++interlace) {
      const Image img = RandomImage(21, 9, c.depth, c.ct, interlace, 3);
      BuildOptions opt;
      opt.before_idat = PaletteChunks(img);
      opt.before_idat.push_back({"tRNS", c.trns});
      opt.after_idat.push_back({"bKGD", c.ct == 3 ? Bytes{1} : c.ct == 0 ? BE16(1) : Bytes(6, 1)});
      opt.before_idat.push_back({"tEXt", {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'h', 'i'}});
      ExpectSame(BuildPng(img, opt), std::string(c.name) + (interlace ? " adam7" : ""));
    }
}

TEST(PngConformance, FilesWrittenByLibpng) {
  uint32_t seed = 77;
  for (const Combo& c : kCombos)
    for (int interlace = 0; interlace < 2; ++interlace)
      for (int w : {1, 6, 33}) {
        const Image img = RandomImage(w, 19, c.depth, c.color_type, interlace, seed++);
        LibpngExtras extra;
        if (c.color_type == 3) {
          extra.palette_rgb = TestPalette(1 << c.depth);
          extra.palette_alpha = {255, 0};
        } else if (c.color_type == 0 || c.color_type == 2) {
          extra.trans_color = true;
          extra.trans_grey = 1, extra.trans_r = 1, extra.trans_g = 2, extra.trans_b = 3;
        }
        extra.texts = {{"Comment", "written by libpng"}};
        extra.filters = 0xF8;  // all filters, libpng's heuristic picks per row
        ExpectSame(EncodeWithLibpng(img, extra), Label(img, " libpng"));
      }
}

}  // namespace
}  // namespace orv::pngtest
