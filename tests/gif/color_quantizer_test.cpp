// The octree quantizer and BuildOptimizedPalette.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <random>
#include <set>

#include "gif/reduction/color_reduction.h"
#include "gif/color_test_util.h"
#include "platform/exceptions.h"

namespace orv::test {
namespace {

using Rgb = std::array<int, 3>;

std::vector<Rgb> Colors(const TColorQuantizer& q) {
  std::vector<Rgb> out;
  for (const TLookupColor& c : q.Colors()) out.push_back({c.Red, c.Green, c.Blue});
  return out;
}

// The place of a colour among the tree's leaves at full depth: one bit of
// red, green and blue per level, the most significant first.
uint32_t TreeOrder(const Rgb& c) {
  uint32_t key = 0;
  for (int bit = 7; bit >= 0; --bit)
    key = key << 3 | ((c[0] >> bit) & 1) << 2 | ((c[1] >> bit) & 1) << 1 | ((c[2] >> bit) & 1);
  return key;
}

// The tree as a map from (depth, path) to sums, and the reducible lists as
// queues, newest first.
class OctreeModel {
 public:
  OctreeModel(int max, int bits) : max_(max), bits_(bits), lists_(size_t(bits)) {}

  void Add(const Rgb& c) {
    uint64_t path = 0;
    for (int d = 0;; ++d) {
      auto [it, created] = nodes_.try_emplace({d, path});
      Node& n = it->second;
      if (created) {
        n.leaf = d == bits_;
        if (n.leaf)
          ++leaves_;
        else
          lists_[size_t(d)].push_front(path);
      }
      if (n.leaf) {
        ++n.count;
        for (int k = 0; k < 3; ++k) n.sum[k] += uint64_t(c[size_t(k)]);
        break;
      }
      const int bit = 7 - d;
      path = path * 8 + uint64_t(((c[0] >> bit) & 1) * 4 + ((c[1] >> bit) & 1) * 2 + ((c[2] >> bit) & 1));
    }
    while (leaves_ > max_) Merge();
  }

  std::vector<Rgb> Palette() const {
    std::vector<std::pair<uint64_t, Rgb>> leaves;
    for (const auto& [key, n] : nodes_) {
      if (!n.leaf) continue;
      const uint64_t padded = key.second << (3 * (bits_ - key.first));
      leaves.push_back({padded, {int(n.sum[0] / n.count), int(n.sum[1] / n.count), int(n.sum[2] / n.count)}});
    }
    std::sort(leaves.begin(), leaves.end(), [](auto& a, auto& b) { return a.first < b.first; });
    std::vector<Rgb> out;
    for (auto& l : leaves) out.push_back(l.second);
    return out;
  }
  int Leaves() const { return leaves_; }

 private:
  struct Node {
    bool leaf = false;
    uint64_t count = 0;
    uint64_t sum[3] = {};
  };
  void Merge() {
    int d = bits_ - 1;
    while (d > 0 && lists_[size_t(d)].empty()) --d;
    ASSERT_FALSE(lists_[size_t(d)].empty());
    const uint64_t path = lists_[size_t(d)].front();
    lists_[size_t(d)].pop_front();
    Node& n = nodes_[{d, path}];
    int children = 0;
    for (uint64_t i = 0; i < 8; ++i) {
      auto it = nodes_.find({d + 1, path * 8 + i});
      if (it == nodes_.end()) continue;
      n.count += it->second.count;
      for (int k = 0; k < 3; ++k) n.sum[k] += it->second.sum[k];
      nodes_.erase(it);
      ++children;
    }
    n.leaf = true;
    leaves_ -= children - 1;
  }

  int max_, bits_;
  int leaves_ = 0;
  std::map<std::pair<int, uint64_t>, Node> nodes_;
  std::vector<std::deque<uint64_t>> lists_;
};

// `spread` below 256 keeps the colours close, so that many share their top
// bits and the leaves lie deep.
std::vector<Rgb> RandomColors(std::mt19937& rng, size_t n, int distinct, int spread = 256) {
  std::vector<Rgb> set(static_cast<size_t>(distinct));
  const int base = int(rng() % uint32_t(257 - spread));
  for (Rgb& c : set)
    c = {base + int(rng() % uint32_t(spread)), base + int(rng() % uint32_t(spread)),
         base + int(rng() % uint32_t(spread))};
  std::vector<Rgb> out(n);
  for (Rgb& c : out) c = set[rng() % set.size()];
  return out;
}

TEST(ColorQuantizer, FewColoursComeBackExactlyInTreeOrder) {
  std::mt19937 rng(5);
  for (int round = 0; round < 50; ++round) {
    const int distinct = 1 + int(rng() % 40);
    const std::vector<Rgb> pixels = RandomColors(rng, 300, distinct);
    TColorQuantizer q(64, 8);
    for (const Rgb& c : pixels) q.AddColor(c[0], c[1], c[2]);
    std::vector<Rgb> expected(pixels);
    std::sort(expected.begin(), expected.end(), [](auto& a, auto& b) { return TreeOrder(a) < TreeOrder(b); });
    expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
    EXPECT_EQ(Colors(q), expected);
    EXPECT_EQ(q.LeafCount(), int(expected.size()));
  }
}

TEST(ColorQuantizer, OneColourIsTheAverageOfAll) {
  std::mt19937 rng(6);
  const std::vector<Rgb> pixels = RandomColors(rng, 500, 500);
  TColorQuantizer q(1, 8);
  uint64_t sum[3] = {};
  for (const Rgb& c : pixels) {
    q.AddColor(c[0], c[1], c[2]);
    for (int k = 0; k < 3; ++k) sum[k] += uint64_t(c[size_t(k)]);
  }
  EXPECT_EQ(Colors(q), (std::vector<Rgb>{{int(sum[0] / 500), int(sum[1] / 500), int(sum[2] / 500)}}));
}

// With room for two colours, (0,0,0), (255,255,255), (0,0,8): the third
// colour makes three leaves. Merging the single-child nodes below depth 4
// changes nothing; at depth 4 the list holds white's node first (newer) and
// then the node shared by black and (0,0,8), whose merge leaves two.
TEST(ColorQuantizer, MergeHandWorked) {
  TColorQuantizer q(2, 8);
  q.AddColor(0, 0, 0);
  q.AddColor(255, 255, 255);
  q.AddColor(0, 0, 8);
  EXPECT_EQ(q.LeafCount(), 2);
  EXPECT_EQ(Colors(q), (std::vector<Rgb>{{0, 0, 4}, {255, 255, 255}}));
}

TEST(ColorQuantizer, AgreesWithTheMapModelOnRandomPictures) {
  std::mt19937 rng(9);
  for (int round = 0; round < 300; ++round) {
    const int max = 1 + int(rng() % 20), bits = 1 + int(rng() % 8);
    const int spread = round % 3 == 0 ? 256 : round % 3 == 1 ? 32 : 8;
    const std::vector<Rgb> pixels = RandomColors(rng, 1 + rng() % 400, 1 + int(rng() % 120), spread);
    TColorQuantizer q(max, bits);
    OctreeModel model(max, bits);
    for (const Rgb& c : pixels) {
      q.AddColor(c[0], c[1], c[2]);
      model.Add(c);
      ASSERT_LE(q.LeafCount(), max);
    }
    ASSERT_EQ(q.LeafCount(), model.Leaves());
    ASSERT_EQ(Colors(q), model.Palette()) << "round " << round << " max " << max << " bits " << bits;
  }
}

VectorPictureReader ThreeColours() {
  // Red, green, blue (stored blue, green, red) over 3 x 2.
  return VectorPictureReader(3, 2, {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255});
}

TEST(BuildOptimizedPalette, LeavesThenBlack) {
  VectorPictureReader picture = ThreeColours();
  const TGIFPaletteRef p = BuildOptimizedPalette(picture, 16, 8, false);
  ASSERT_EQ(p->size(), 16u);
  // Tree order: blue (child 1), green (2), red (4).
  EXPECT_EQ((*p)[0], (TGIFPaletteEntry{0, 0, 255, 0}));
  EXPECT_EQ((*p)[1], (TGIFPaletteEntry{0, 255, 0, 0}));
  EXPECT_EQ((*p)[2], (TGIFPaletteEntry{255, 0, 0, 0}));
  for (size_t i = 3; i < 16; ++i) EXPECT_EQ((*p)[i], TGIFPaletteEntry{}) << i;
}

TEST(BuildOptimizedPalette, WithStaticsAroundTheComputedColours) {
  std::mt19937 rng(10);
  std::vector<uint8_t> bgr(64 * 64 * 3);
  for (uint8_t& v : bgr) v = uint8_t(rng());
  VectorPictureReader picture(64, 64, bgr);
  const TGIFPaletteRef p = BuildOptimizedPalette(picture, 16, 8, true);
  ASSERT_EQ(p->size(), 256u);
  const TGIFPalette& statics = *SystemPalette20();
  for (size_t i = 0; i < 10; ++i) {
    EXPECT_EQ((*p)[i], statics[i]);
    EXPECT_EQ((*p)[246 + i], statics[10 + i]);
  }
  // 4096 random colours fill all 236 places.
  TColorQuantizer q(236, 8);
  VectorPictureReader again(64, 64, bgr);
  q.ProcessImage(again);
  const std::vector<TLookupColor> leaves = q.Colors();
  ASSERT_EQ(leaves.size(), 236u);
  for (size_t i = 0; i < 236; ++i)
    EXPECT_EQ((*p)[10 + i], (TGIFPaletteEntry{leaves[i].Red, leaves[i].Green, leaves[i].Blue, 0}));

  VectorPictureReader few = ThreeColours();
  const TGIFPaletteRef q3 = BuildOptimizedPalette(few, 256, 8, true);
  EXPECT_EQ((*q3)[10], (TGIFPaletteEntry{0, 0, 255, 0}));
  for (size_t i = 13; i < 246; ++i) EXPECT_EQ((*q3)[i], TGIFPaletteEntry{}) << i;
}

TEST(BuildOptimizedPalette, RefusesPicturesBeyondTheCapBeforeReading) {
  for (auto [w, h] : {std::pair{70000, 1}, std::pair{40000, 40000}, std::pair{-1, 5}}) {
    SizeOnlyReader huge(w, h);
    EXPECT_THROW(BuildOptimizedPalette(huge, 256, 8, false), EOutOfMemory) << w << "x" << h;
  }
}

}  // namespace
}  // namespace orv::test
