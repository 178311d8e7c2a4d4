// The blend of two frames and the fade's course on a clock.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "display/cross_fade.h"

namespace orv {
namespace {

// Every byte differs from its neighbours, so a lane mixed up or a tail
// byte left out shows.
TBitmap Pattern(int w, int h, int seed) {
  TBitmap b(w, h, pf32bit);
  for (int y = 0; y < h; ++y)
    for (size_t i = 0; i < b.Stride(); ++i) b.ScanLine(y)[i] = uint8_t(i * 37 + size_t(y) * 11 + size_t(seed) * 101);
  return b;
}

TEST(BlendFrames, MatchesTheWeightedMeanOfEveryByte) {
  // 7 pixels a row: 28 bytes, one vector's worth and a tail.
  for (int w : {1, 4, 7, 33}) {
    const TBitmap from = Pattern(w, 3, 1), to = Pattern(w, 3, 2);
    for (unsigned weight : {0u, 1u, 100u, 128u, 255u, 256u, 999u}) {
      TBitmap out;
      BlendFrames(from, to, weight, out);
      ASSERT_EQ(out.Width(), w);
      ASSERT_EQ(out.Height(), 3);
      const unsigned wt = weight > 256 ? 256 : weight;
      for (int y = 0; y < 3; ++y)
        for (size_t i = 0; i < out.Stride(); ++i) {
          const unsigned a = from.ScanLine(y)[i], b = to.ScanLine(y)[i];
          ASSERT_EQ(out.ScanLine(y)[i], (a * (256 - wt) + b * wt) / 256) << w << " " << weight << " " << i;
        }
    }
  }
}

struct CourseCase {
  uint32_t start;  // the clock at the start; near the wrap in one case
  uint32_t duration;
  uint32_t step;
};

class FadeCourse : public ::testing::TestWithParam<CourseCase> {};

TEST_P(FadeCourse, BlendsInOrderAndEndsAtTheNewFrameItself) {
  const CourseCase c = GetParam();
  const TBitmap from = Pattern(5, 4, 1), to = Pattern(5, 4, 2);
  TCrossFade fade;
  ASSERT_TRUE(fade.Start(TBitmap(from), TBitmap(to), c.start, c.duration));
  TBitmap out;
  std::vector<unsigned> weights;
  uint32_t now = c.start;
  while (fade.Step(now, out)) {
    weights.push_back(fade.LastWeight());
    TBitmap want;
    BlendFrames(from, to, fade.LastWeight(), want);
    ASSERT_EQ(0, memcmp(out.Bits(), want.Bits(), out.Stride() * 4));
    ASSERT_LT(weights.size(), 10000u);
    // The same reading twice gives the same frame, never one behind.
    if (weights.size() == 2) {
      ASSERT_TRUE(fade.Step(now, out));
      EXPECT_EQ(fade.LastWeight(), weights.back());
    }
    now += c.step;
  }
  EXPECT_FALSE(fade.Active());
  EXPECT_EQ(fade.LastWeight(), 256u);
  // Over at the first reading past its time, one frame per step until then.
  EXPECT_GE(now - c.start, c.duration);
  EXPECT_LT(now - c.start - c.step, c.duration);
  ASSERT_EQ(weights.size(), size_t((c.duration + c.step - 1) / c.step));
  EXPECT_EQ(weights.front(), 0u);
  for (size_t i = 1; i < weights.size(); ++i) EXPECT_LE(weights[i - 1], weights[i]);
  EXPECT_LT(weights.back(), 256u);
  EXPECT_EQ(0, memcmp(out.Bits(), to.Bits(), to.Stride() * 4));
  // Over: nothing more is written.
  TBitmap after = out;
  EXPECT_FALSE(fade.Step(now + 1, out));
  EXPECT_EQ(0, memcmp(out.Bits(), after.Bits(), to.Stride() * 4));
}

INSTANTIATE_TEST_SUITE_P(Clocks, FadeCourse,
                         ::testing::Values(CourseCase{1000, 500, 16}, CourseCase{0xFFFFFFFFu - 200, 3000, 17},
                                           CourseCase{5, 100, 100}, CourseCase{7, 1000, 1}));

TEST(CrossFade, RefusesAndLeavesAloneWhatCannotBeBlended) {
  TCrossFade fade;
  EXPECT_FALSE(fade.Start(Pattern(4, 4, 1), Pattern(4, 4, 2), 0, 0));
  EXPECT_FALSE(fade.Start(Pattern(4, 4, 1), Pattern(5, 4, 2), 0, 100));
  EXPECT_FALSE(fade.Start(TBitmap(), TBitmap(), 0, 100));
  EXPECT_FALSE(fade.Start(Pattern(4, 4, 1), TBitmap(4, 4, pf24bit), 0, 100));
  EXPECT_FALSE(fade.Active());
  TBitmap out = Pattern(4, 4, 3);
  const std::vector<uint8_t> before(out.Bits(), out.Bits() + out.Stride() * 4);
  EXPECT_FALSE(fade.Step(50, out));
  BlendFrames(Pattern(4, 4, 1), Pattern(5, 4, 2), 128, out);
  BlendFrames(Pattern(4, 4, 1), TBitmap(4, 4, pf24bit), 128, out);
  EXPECT_EQ(std::vector<uint8_t>(out.Bits(), out.Bits() + out.Stride() * 4), before);
}

}  // namespace
}  // namespace orv
