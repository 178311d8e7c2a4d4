// EXIF orientation: the tag read from TIFF blocks (broken ones ignored), the
// picture turned upright for each of the eight values, and the JPEG scale
// chosen for a fitted size.
#include <gtest/gtest.h>

#include "display/upright.h"
#include "picture/exif_orientation.h"

namespace orv::test {
namespace {

void Put(std::vector<uint8_t>& v, uint32_t x, int bytes, bool big) {
  for (int i = 0; i < bytes; ++i) v.push_back(uint8_t(x >> (8 * (big ? bytes - 1 - i : i))));
}

struct Entry {
  uint16_t tag, type;
  uint32_t count;
  uint16_t value;
};

std::vector<uint8_t> Tiff(bool big, const std::vector<Entry>& entries, int claimed = -1) {
  std::vector<uint8_t> v = {uint8_t(big ? 'M' : 'I'), uint8_t(big ? 'M' : 'I')};
  Put(v, 42, 2, big);
  Put(v, 8, 4, big);
  Put(v, claimed < 0 ? uint32_t(entries.size()) : uint32_t(claimed), 2, big);
  for (const Entry& e : entries) {
    Put(v, e.tag, 2, big);
    Put(v, e.type, 2, big);
    Put(v, e.count, 4, big);
    Put(v, e.value, 2, big);
    Put(v, 0, 2, big);
  }
  Put(v, 0, 4, big);
  return v;
}

TEST(ExifOrientation, ReadsTheTagAndIgnoresBrokenBlocks) {
  const Entry other{0x010F, 2, 4, 0};
  std::vector<uint8_t> prefixed = {'E', 'x', 'i', 'f', 0, 0};
  const auto le3 = Tiff(false, {{0x0112, 3, 1, 3}});
  prefixed.insert(prefixed.end(), le3.begin(), le3.end());
  auto truncated = Tiff(false, {other, {0x0112, 3, 1, 6}});
  truncated.resize(truncated.size() - 8);
  auto bad_magic = Tiff(false, {{0x0112, 3, 1, 6}});
  bad_magic[2] = 43;
  const struct {
    const char* what;
    std::vector<uint8_t> block;
    int expected;
  } cases[] = {
      {"little-endian, after another tag", Tiff(false, {other, {0x0112, 3, 1, 6}}), 6},
      {"big-endian", Tiff(true, {{0x0112, 3, 1, 8}}), 8},
      {"with JPEG's Exif prefix", prefixed, 3},
      {"no orientation tag", Tiff(false, {other}), 1},
      {"value 0", Tiff(false, {{0x0112, 3, 1, 0}}), 1},
      {"value 9", Tiff(false, {{0x0112, 3, 1, 9}}), 1},
      {"type LONG", Tiff(false, {{0x0112, 4, 1, 6}}), 1},
      {"count 2", Tiff(false, {{0x0112, 3, 2, 6}}), 1},
      {"two tags that disagree", Tiff(false, {{0x0112, 3, 1, 6}, {0x0112, 3, 1, 8}}), 1},
      {"a directory claiming more entries than there are", Tiff(false, {{0x0112, 3, 1, 6}}, 1000), 1},
      {"cut inside the directory", truncated, 1},
      {"bad magic number", bad_magic, 1},
      {"empty", {}, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(ExifOrientation(c.block.data(), c.block.size()), c.expected) << c.what;
  // A directory offset far past the end.
  auto far = Tiff(false, {{0x0112, 3, 1, 6}});
  far[4] = far[5] = far[6] = far[7] = 0xFF;
  EXPECT_EQ(ExifOrientation(far.data(), far.size()), 1);
}

// A 3 x 2 picture with six different colours: where its top-left and
// top-right pixels land says the whole turn.
TEST(Upright, TurnsAndMirrorsForEachOrientation) {
  TBitmap stored(3, 2, pf24bit);
  const TColor colours[2][3] = {{0x0000FF, 0x00FF00, 0xFF0000}, {0xFFFF00, 0xFF00FF, 0x00FFFF}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) stored.SetPixel(x, y, colours[y][x]);
  const struct {
    int orientation;
    int w, h;
    int tl_x, tl_y;  // where stored (0, 0) lands
    int tr_x, tr_y;  // where stored (2, 0) lands
  } cases[] = {
      {1, 3, 2, 0, 0, 2, 0}, {2, 3, 2, 2, 0, 0, 0}, {3, 3, 2, 2, 1, 0, 1}, {4, 3, 2, 0, 1, 2, 1},
      {5, 2, 3, 0, 0, 0, 2}, {6, 2, 3, 1, 0, 1, 2}, {7, 2, 3, 1, 2, 1, 0}, {8, 2, 3, 0, 2, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.orientation);
    const TBitmap up = Upright(stored, c.orientation);
    ASSERT_EQ(up.Width(), c.w);
    ASSERT_EQ(up.Height(), c.h);
    EXPECT_EQ(up.GetPixel(c.tl_x, c.tl_y), colours[0][0]);
    EXPECT_EQ(up.GetPixel(c.tr_x, c.tr_y), colours[0][2]);
    // Every colour is still there once.
    int found = 0;
    for (int y = 0; y < up.Height(); ++y)
      for (int x = 0; x < up.Width(); ++x)
        for (const auto& row : colours)
          for (TColor c2 : row) found += up.GetPixel(x, y) == c2;
    EXPECT_EQ(found, 6);
  }
}

TEST(Upright, TransparentPicturesKeepTheirColour) {
  TBitmap stored(2, 2, pf24bit);
  stored.SetPixel(0, 1, 0x00FF00);  // the automatic transparent colour
  stored.SetTransparent(true);
  const TBitmap up = Upright(stored, 6);
  EXPECT_TRUE(up.Transparent());
  EXPECT_EQ(up.ResolvedTransparentColor(), TColor(0x00FF00));
}

TEST(ReducedScale, SmallestDecodeStillAtLeastTheFittedSize) {
  const struct {
    int w, h, need_w, need_h, shift;
  } cases[] = {
      {8000, 6000, 1440, 1080, 2},  // 2000 x 1500; 1/8 would be 1000 x 750
      {8000, 6000, 1000, 750, 3},   // exactly 1/8
      {8000, 6000, 1001, 750, 2},
      {8001, 6001, 1001, 751, 3},   // libjpeg rounds up: 1001 x 751
      {4000, 3000, 4000, 3000, 0},
      {100000, 60000, 10, 10, 3},   // never below 1/8
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReducedScaleShift(c.w, c.h, c.need_w, c.need_h), c.shift) << c.w << "x" << c.h;
}

}  // namespace
}  // namespace orv::test
