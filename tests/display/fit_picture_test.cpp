#include "display/fit_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace orv {
namespace {

struct FitCase {
  const char* name;
  int Wp, Hp, Wd, Hd;
  bool extend;
  TFitResult want;
};

class FitPictureCases : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitPictureCases, GivesSizeAndMode) {
  const FitCase& c = GetParam();
  TFitResult got = FitPicture(c.Wp, c.Hp, c.Wd, c.Hd, c.extend);
  EXPECT_EQ(got.dw, c.want.dw);
  EXPECT_EQ(got.dh, c.want.dh);
  EXPECT_EQ(got.scaled, c.want.scaled);
}

INSTANTIATE_TEST_SUITE_P(
    Screen1920x1080, FitPictureCases,
    ::testing::Values(
        FitCase{"WideShrinksToWidth", 4000, 1000, 1920, 1080, false, {1920, 480, true}},
        FitCase{"WideTruncates", 3000, 1001, 1920, 1080, true, {1920, 640, true}},
        FitCase{"TallShrinksToHeight", 1000, 3000, 1920, 1080, true, {360, 1080, true}},
        FitCase{"WiderAndTallerRefitsToHeight", 2000, 1900, 1920, 1080, false, {1136, 1080, true}},
        FitCase{"SmallEnlargedWithExtend", 800, 600, 1920, 1080, true, {1440, 1080, true}},
        FitCase{"SmallKeptWithoutExtend", 800, 600, 1920, 1080, false, {800, 600, false}},
        FitCase{"SquareEnlargedToHeight", 100, 100, 1920, 1080, true, {1080, 1080, true}},
        FitCase{"FullWidthKeptAtOwnSize", 1920, 500, 1920, 1080, true, {1920, 500, true}},
        FitCase{"ScreenSizeWithExtend", 1920, 1080, 1920, 1080, true, {1920, 1080, true}},
        FitCase{"ScreenSizeWithoutExtend", 1920, 1080, 1920, 1080, false, {1920, 1080, false}},
        FitCase{"OnePixelFillsHeight", 1, 1, 1920, 1080, true, {1080, 1080, true}},
        // Products beyond 2^31: 65535 * 40000 overflows 32 bits.
        FitCase{"ProductsNeed64Bits", 65535, 65535, 40000, 30000, false, {30000, 30000, true}},
        FitCase{"ProductsNeed64BitsExtend", 40000, 39000, 65535, 65535, true, {65535, 63896, true}},
        FitCase{"EmptyAreaGivesNothing", 100, 100, 0, 0, true, {0, 0, true}},
        FitCase{"EmptyPictureRefused", 0, 100, 1920, 1080, true, {0, 0, false}}),
    [](const ::testing::TestParamInfo<FitCase>& info) { return std::string(info.param.name); });

// Over a grid of shapes: the result stays inside the area, keeps the
// proportions up to truncation, touches the area when scaled, and never
// enlarges without extend.
TEST(FitPicture, KeepsProportionsInsideTheArea) {
  const int sides[] = {1, 7, 99, 480, 1079, 1080, 1081, 1919, 1920, 1921, 4000, 65535};
  const std::pair<int, int> areas[] = {{1920, 1080}, {1080, 1920}, {320, 240}, {1, 1}};
  for (auto [Wd, Hd] : areas)
    for (int Wp : sides)
      for (int Hp : sides)
        for (bool extend : {false, true}) {
          SCOPED_TRACE(::testing::Message() << Wp << "x" << Hp << " in " << Wd << "x" << Hd << " extend " << extend);
          TFitResult r = FitPicture(Wp, Hp, Wd, Hd, extend);
          ASSERT_GE(r.dw, 0);
          ASSERT_GE(r.dh, 0);
          EXPECT_LE(r.dw, Wd);
          EXPECT_LE(r.dh, Hd);
          if (!r.scaled) {
            EXPECT_EQ(r.dw, Wp);
            EXPECT_EQ(r.dh, Hp);
            continue;
          }
          EXPECT_TRUE(r.dw == Wd || r.dh == Hd);
          // |dw/dh - Wp/Hp| within one pixel of truncation on either side.
          const int64_t skew = std::llabs(int64_t(r.dw) * Hp - int64_t(r.dh) * Wp);
          EXPECT_LE(skew, int64_t(std::max(Wp, Hp)));
          if (!extend) {
            EXPECT_LE(r.dw, Wp);
            EXPECT_LE(r.dh, Hp);
          }
        }
}

}  // namespace
}  // namespace orv
