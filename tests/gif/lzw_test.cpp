// The LZW decoder on its own: image data in, pixels, warnings and the stream
// position out.
#include <gtest/gtest.h>

#include <random>

#include "gif/gif_builder.h"
#include "gif/gif_item.h"
#include "gif/gif_lzw.h"

namespace orv::test {
namespace {

struct Decoded {
  Bytes pixels;
  std::vector<std::string> warnings;
  std::string error;
  int64_t position = 0;
};

Decoded Decode(const Bytes& data, int width, int height, bool interlaced = false, uint8_t fill = 0) {
  Decoded d;
  TMemoryStream stream(data);
  std::vector<uint8_t> buf(size_t(width) * size_t(height) + kLZWOutputSlack);
  try {
    DecodeGIFImageData(stream, buf.data(), width, height, interlaced, fill,
                       [&](const std::string& m) { d.warnings.push_back(m); });
  } catch (const GIFException& e) {
    d.error = e.what();
  }
  d.pixels.assign(buf.begin(), buf.begin() + long(width) * height);
  d.position = stream.Position();
  return d;
}

Bytes RandomPixels(size_t n, int colors, unsigned seed, int run = 1) {
  std::mt19937 rng(seed);
  Bytes p(n);
  for (size_t i = 0; i < n; ++i) p[i] = (i % size_t(run) == 0) ? uint8_t(rng() % unsigned(colors)) : p[i - 1];
  return p;
}

Bytes Append(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct RoundTrip {
  const char* name;
  int code_size, width, height, run;
  LZWOptions lzw;
};
void PrintTo(const RoundTrip& c, std::ostream* os) { *os << c.name; }

class LZWRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(LZWRoundTrip, DecodesWhatWasEncodedAndStopsAfterTheTerminator) {
  const RoundTrip& c = GetParam();
  LZWOptions o = c.lzw;
  o.min_code_size = c.code_size;
  const Bytes pixels = RandomPixels(size_t(c.width) * c.height, 1 << c.code_size, 7u + unsigned(c.code_size), c.run);
  const Bytes data = EncodeLZW(pixels, o);
  const Decoded d = Decode(Append(data, {0x3B, 0x99}), c.width, c.height);
  EXPECT_EQ(d.error, "");
  EXPECT_TRUE(d.warnings.empty()) << d.warnings.front();
  EXPECT_EQ(d.pixels, pixels);
  EXPECT_EQ(d.position, int64_t(data.size()));
}

LZWOptions With(int block, bool clear_when_full, int clear_every = 0, bool double_clear = false) {
  LZWOptions o;
  o.block_size = block;
  o.clear_when_full = clear_when_full;
  o.clear_every = clear_every;
  o.double_clear = double_clear;
  return o;
}

INSTANTIATE_TEST_SUITE_P(
    Streams, LZWRoundTrip,
    ::testing::Values(RoundTrip{"size2", 2, 37, 11, 1, {}}, RoundTrip{"size3", 3, 64, 64, 2, {}},
                      RoundTrip{"size4", 4, 101, 7, 3, {}}, RoundTrip{"size5", 5, 13, 200, 1, {}},
                      RoundTrip{"size6", 6, 128, 128, 1, {}}, RoundTrip{"size7", 7, 99, 101, 4, {}},
                      RoundTrip{"size8", 8, 320, 240, 1, {}}, RoundTrip{"size8_runs", 8, 300, 300, 9, {}},
                      RoundTrip{"full_table_deferred_clear", 8, 300, 200, 1, With(255, false)},
                      RoundTrip{"full_table_size2_deferred", 2, 400, 100, 1, With(255, false)},
                      RoundTrip{"one_byte_blocks", 8, 50, 40, 1, With(1, true)},
                      RoundTrip{"two_byte_blocks", 8, 50, 40, 1, With(2, true)},
                      RoundTrip{"odd_blocks", 5, 77, 33, 2, With(7, true)},
                      RoundTrip{"frequent_clears", 8, 100, 50, 1, With(255, true, 30)},
                      RoundTrip{"double_clear", 4, 20, 20, 1, With(255, true, 0, true)},
                      RoundTrip{"single_pixel", 2, 1, 1, 1, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LZWDecoder, ExactFrameThenEndCodeSetsEveryPixelAndSkipsToTheTerminator) {
  const Bytes pixels = RandomPixels(100, 4, 3);
  LZWOptions o;
  o.min_code_size = 2;
  o.block_size = 10;  // the end code sits in a later sub-block than the last pixel
  const Bytes data = EncodeLZW(pixels, o);
  const Decoded d = Decode(Append(data, {0x2C}), 10, 10);
  EXPECT_EQ(d.pixels, pixels);
  EXPECT_EQ(d.position, int64_t(data.size()));
}

TEST(LZWDecoder, EarlyEndCodeKeepsTheFillAndReadsNothingAfterTheTerminator) {
  const Bytes half = RandomPixels(50, 4, 5);
  LZWOptions o;
  o.min_code_size = 2;
  const Bytes data = EncodeLZW(half, o);
  for (uint8_t fill : {uint8_t(0), uint8_t(3)}) {
    // What follows the terminator is the next block and must stay unread.
    const Decoded d = Decode(Append(data, {0x21, 0xFE, 1, 'x', 0, 0x3B}), 10, 10, false, fill);
    EXPECT_TRUE(std::equal(half.begin(), half.end(), d.pixels.begin()));
    EXPECT_TRUE(std::all_of(d.pixels.begin() + 50, d.pixels.end(), [&](uint8_t p) { return p == fill; }));
    EXPECT_EQ(d.position, int64_t(data.size()));
    EXPECT_TRUE(d.warnings.empty());
  }
}

TEST(LZWDecoder, InterlacedRowsFollowTheFourPasses) {
  for (int h : {1, 2, 5, 8, 9, 17, 40}) {
    std::vector<int> rows(static_cast<size_t>(h));
    InterlacedRowOrder(h, rows.data());
    EXPECT_EQ(rows, InterlaceRows(h)) << "height " << h;
  }
  std::vector<int> five(5);
  InterlacedRowOrder(5, five.data());
  EXPECT_EQ(five, (std::vector<int>{0, 4, 2, 1, 3}));

  // Row i of the data (all pixels i) lands in row order[i].
  const int w = 3, h = 5;
  Bytes stream_order;
  for (int i = 0; i < h; ++i) stream_order.insert(stream_order.end(), w, uint8_t(i));
  LZWOptions o;
  o.min_code_size = 3;
  const Decoded d = Decode(EncodeLZW(stream_order, o), w, h, true);
  for (int i = 0; i < h; ++i)
    for (int x = 0; x < w; ++x) EXPECT_EQ(d.pixels[size_t(five[size_t(i)] * w + x)], i);
}

TEST(LZWDecoder, InterlacedFrameCutShortKeepsTheFillInRowsNotReached) {
  const int w = 4, h = 9;
  Bytes rows_in_stream_order;
  for (int i = 0; i < 3; ++i) rows_in_stream_order.insert(rows_in_stream_order.end(), w, uint8_t(i + 1));
  rows_in_stream_order.push_back(9);  // one pixel of the fourth data row
  LZWOptions o;
  o.min_code_size = 4;
  const Decoded d = Decode(EncodeLZW(rows_in_stream_order, o), w, h, true, 0);
  const std::vector<int> order = InterlaceRows(h);  // 0, 8, 4, 2, ...
  for (int i = 0; i < 3; ++i) EXPECT_EQ(d.pixels[size_t(order[size_t(i)] * w)], i + 1);
  EXPECT_EQ(d.pixels[size_t(order[3] * w)], 9);
  EXPECT_EQ(d.pixels[size_t(order[3] * w + 1)], 0);
  EXPECT_EQ(d.pixels[size_t(1 * w)], 0);
}

TEST(LZWDecoder, CodeEqualToNextCodeRepeatsTheFirstPixel) {
  // clear, 1, 6 (the entry being made: "1" + "1"), end
  const Bytes data = PackCodes(2, {{4, 3}, {1, 3}, {6, 3}, {5, 3}});
  EXPECT_EQ(Decode(data, 3, 1).pixels, (Bytes{1, 1, 1}));
  // A longer string: 0, 1, 6 ("01"), then 8 = "01" + "0"
  const Bytes data2 = PackCodes(2, {{4, 3}, {0, 3}, {1, 3}, {6, 3}, {8, 4}, {5, 4}});
  EXPECT_EQ(Decode(data2, 7, 1).pixels, (Bytes{0, 1, 0, 1, 0, 1, 0}));
}

TEST(LZWDecoder, EndCodeRightAfterAClearIsTakenAsAPixel) {
  // The decoder hands back whatever code follows a clear; its later entries
  // lean on the end code's (empty) table entry.
  const Bytes data = PackCodes(2, {{4, 3}, {5, 3}, {1, 3}, {6, 3}, {5, 4}});
  EXPECT_EQ(Decode(data, 5, 1).pixels, (Bytes{5, 1, 0, 0, 1}));
}

TEST(LZWDecoder, SubBlockLongerThanTheFileWarnsAndDecodesWhatIsThere) {
  const Bytes pixels = RandomPixels(4000, 256, 11);
  LZWOptions o;
  const Bytes full = EncodeLZW(pixels, o);  // first sub-block of 255 bytes
  Bytes cut{full[0], 200};
  cut.insert(cut.end(), full.begin() + 2, full.begin() + 2 + 50);
  const Decoded d = Decode(cut, 100, 40);
  ASSERT_FALSE(d.warnings.empty());
  EXPECT_EQ(d.warnings.front(), "Premature end of data");
  size_t same = 0;
  while (same < pixels.size() && d.pixels[same] == pixels[same]) ++same;
  EXPECT_GT(same, 40u);    // 50 bytes hold some 45 codes
  EXPECT_LT(same, 4000u);
  EXPECT_EQ(d.error, "");
}

TEST(LZWDecoder, DataEndingWithoutEndCodeWarnsOfUnderRun) {
  // Three whole bytes of codes, no end code. The code asked for after the
  // terminator comes from what the buffer still holds; the one after that
  // finds no bits left.
  const Bytes data = PackCodes(2, {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {1, 4}, {2, 4}, {3, 4}});
  ASSERT_EQ(data.size(), 6u);
  const Decoded d = Decode(data, 10, 5, false, 2);
  EXPECT_EQ(Bytes(d.pixels.begin(), d.pixels.begin() + 6), (Bytes{1, 2, 3, 1, 2, 3}));
  EXPECT_TRUE(std::all_of(d.pixels.begin() + 10, d.pixels.end(), [](uint8_t p) { return p == 2; }));
  EXPECT_NE(std::find(d.warnings.begin(), d.warnings.end(), "Decoder bit buffer under-run"), d.warnings.end());
}

TEST(LZWDecoder, StreamEndingWhereASubBlockSizeIsDueIsQuiet) {
  LZWOptions o;
  o.min_code_size = 3;
  o.end_code = false;
  o.terminator = false;
  const Bytes pixels = RandomPixels(20, 8, 4);
  const Decoded d = Decode(EncodeLZW(pixels, o), 10, 4);
  EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), d.pixels.begin()));
  EXPECT_TRUE(d.warnings.empty());
}

TEST(LZWDecoder, TableEntriesThatLoopAreRefused) {
  // Entry 7 is made with itself as prefix (the previous code, 7, was beyond
  // the table), then used.
  const Bytes self = PackCodes(2, {{4, 3}, {1, 3}, {7, 3}, {0, 3}, {7, 4}, {5, 4}});
  EXPECT_EQ(Decode(self, 10, 1).error, "Circular decoder table entry");
  // Entries 6 and 7 name each other as prefix: a loop of two links.
  const Bytes pair = PackCodes(2, {{4, 3}, {7, 3}, {6, 3}, {0, 3}, {6, 4}, {5, 4}});
  EXPECT_EQ(Decode(pair, 10, 1).error, "Circular decoder table entry");
}

TEST(LZWDecoder, CodeSizeAboveElevenIsRefusedAndTheDataSkipped) {
  Bytes data = PackCodes(8, {{256, 9}, {1, 9}, {257, 9}});
  data[0] = 12;
  const Decoded d = Decode(Append(data, {0x3B}), 4, 4, false, 6);
  EXPECT_EQ(d.warnings, (std::vector<std::string>{"Invalid LZW code size"}));
  EXPECT_TRUE(std::all_of(d.pixels.begin(), d.pixels.end(), [](uint8_t p) { return p == 6; }));
  EXPECT_EQ(d.position, int64_t(data.size()));
}

TEST(LZWDecoder, ElevenBitCodesStoreTheLowByte) {
  // Code size 11: clear 2048, codes 12 bits wide; 300 and 1000 are roots.
  const Bytes data = PackCodes(11, {{2048, 12}, {300, 12}, {1000, 12}, {2049, 12}});
  EXPECT_EQ(Decode(data, 2, 1).pixels, (Bytes{uint8_t(300 & 0xFF), uint8_t(1000 & 0xFF)}));
}

TEST(LZWDecoder, ReadCodeStartsWithTheClearCodeNobodyRead) {
  const Bytes data = PackCodes(3, {{1, 4}, {2, 4}});
  TGIFReader in(data.data() + 1, data.size() - 1);
  TGIFLZWDecoder decoder(in, 3, nullptr);
  EXPECT_EQ(decoder.ReadCode(4), 8);
  EXPECT_EQ(decoder.ReadCode(4), 1);
  EXPECT_EQ(decoder.ReadCode(4), 2);
  EXPECT_EQ(decoder.ReadCode(4), -1);
}

TEST(LZWDecoder, FrameWithoutPixelsStillReadsOneCode) {
  // The one pixel asked for after the frame comes from the code after the
  // clear; its sub-block is read, the terminator (a zero byte) is left.
  const Bytes data = PackCodes(2, {{4, 3}, {1, 3}, {5, 3}});
  const Decoded d = Decode(Append(data, {0x3B}), 0, 0);
  EXPECT_EQ(d.position, int64_t(data.size()) - 1);
}

}  // namespace
}  // namespace orv::test
