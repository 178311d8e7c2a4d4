// The cross-fade between pictures, run against a form with a hard cut on
// the same clock: between fades both show the same frame, during a fade the
// frame moves from the old picture to the new one, and the timer ticks at
// the display's rate only while a fade runs.
#include <QTimer>

#include "display/image_control.h"
#include "display_fixture.h"

namespace orv::test {
namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kGreen = 0x00FF00;

std::string Solid(int w, int h, TColor c) {
  TstSpec s;
  s.width = w;
  s.height = h;
  s.colour = c;
  return TstText(s);
}

enum class Mode { kUnbuffered, kBuffered, kPreview };

struct FadeCase {
  const char* name;
  Mode mode;
};

class FadeTest : public DisplayTest, public ::testing::WithParamInterface<FadeCase> {
 public:
  void SetUp() override {
    DisplayTest::SetUp();
    screen.size = {320, 240};
    a_ = Picture("a.tst", Solid(8, 6, kRed));
    b_ = Picture("b.tst", Solid(8, 6, kGreen));
  }
  std::unique_ptr<TfrmMain> Start(const std::string& fade, Mode mode) {
    WriteSettings("ChangeSec=1\n[Filename]\nPutFilename=1\n[Settings]\nDrawMode=" +
                  std::string(mode == Mode::kBuffered ? "1" : "0") + "\n" + fade);
    auto form = Create();
    form->pictures = {a_, b_};
    if (mode == Mode::kPreview) StartPreview(*form, 160, 120);
    else StartFullScreen(*form);
    return form;
  }
  void Tick(std::initializer_list<TfrmMain*> forms, uint32_t ms) {
    clock.now += ms;
    for (TfrmMain* f : forms) f->tmrMainTimer();
  }
  TColor Centre(TfrmMain& form) {
    const TBitmap& shown = form.imgMain->Picture();
    return shown.GetPixel(shown.Width() / 2, shown.Height() / 2);
  }
  std::string a_, b_;
};

TEST_P(FadeTest, BlendsInOrderAndEndsAtTheHardCutsFrame) {
  auto fading = Start("FadeTime=5\n", GetParam().mode);
  auto cut = Start("", GetParam().mode);
  ASSERT_EQ(fading->fadeTime, 5);
  ASSERT_EQ(cut->fadeTime, 0);
  const int frame_ms = fading->FadeFrameInterval();
  ASSERT_GE(frame_ms, 2);
  ASSERT_LE(frame_ms, 50);

  int fades = 0;
  std::vector<TColor> centres;
  // Three changes (background to a, a to b, b to a), each with a fade of
  // 500 ms in 1-second periods.
  for (int tick = 0; tick < 400 && fades < 3; ++tick) {
    const TBitmap before = fading->imgMain->Picture();
    const bool was_fading = fading->Fading();
    Tick({fading.get(), cut.get()}, fading->tmrMain->interval());
    EXPECT_EQ(cut->tmrMain->interval(), TfrmMain::kTimerIntervalMs);
    EXPECT_FALSE(cut->Fading());
    if (!was_fading && fading->Fading()) {
      // The change: the old frame stays on screen at this tick.
      EXPECT_TRUE(SameBitmap(fading->imgMain->Picture(), before)) << "fade " << fades;
      EXPECT_EQ(fading->tmrMain->interval(), frame_ms);
      centres = {Centre(*fading)};
      continue;
    }
    if (fading->Fading()) {
      EXPECT_EQ(fading->tmrMain->interval(), frame_ms);
      centres.push_back(Centre(*fading));
      continue;
    }
    // Between fades, and at the first tick after one, the frame is the hard cut's.
    ASSERT_TRUE(SameBitmap(fading->imgMain->Picture(), cut->imgMain->Picture())) << "tick " << tick;
    EXPECT_EQ(fading->tmrMain->interval(), TfrmMain::kTimerIntervalMs);
    if (!was_fading) continue;
    ++fades;
    // The frames went from the old colour to the new one, channel by channel,
    // never back, at the refresh rate.
    centres.push_back(Centre(*fading));
    EXPECT_GE(int(centres.size()), 500 / frame_ms);
    EXPECT_LE(int(centres.size()), 500 / frame_ms + 3);
    for (size_t i = 1; i < centres.size(); ++i) {
      for (int shift : {0, 8, 16}) {
        const int first = int(centres.front() >> shift & 0xFF), last = int(centres.back() >> shift & 0xFF);
        const int prev = int(centres[i - 1] >> shift & 0xFF), now = int(centres[i] >> shift & 0xFF);
        if (first <= last) EXPECT_LE(prev, now) << "fade " << fades << " frame " << i;
        else EXPECT_GE(prev, now) << "fade " << fades << " frame " << i;
      }
    }
    EXPECT_NE(centres.front(), centres.back());
    const TColor middle = centres[centres.size() / 2];
    EXPECT_NE(middle, centres.front());
    EXPECT_NE(middle, centres.back());
  }
  EXPECT_EQ(fades, 3);
  EXPECT_FALSE(fading->inTimer);
}

INSTANTIATE_TEST_SUITE_P(Modes, FadeTest,
                         ::testing::Values(FadeCase{"Unbuffered", Mode::kUnbuffered},
                                           FadeCase{"Buffered", Mode::kBuffered},
                                           FadeCase{"Preview", Mode::kPreview}),
                         [](const ::testing::TestParamInfo<FadeCase>& info) { return std::string(info.param.name); });

using FadeSettingTest = FadeTest;

TEST_F(FadeSettingTest, OutOfRangeTimesComeToTheNearestBound) {
  const std::pair<const char*, int32_t> cases[] = {
      {"", 0}, {"FadeTime=0", 0}, {"FadeTime=30", 30}, {"FadeTime=31", 30}, {"FadeTime=-4", 0},
      {"FadeTime=0x1E", 30}, {"FadeTime=abc", 0}, {"FadeTime=2147483647", 30}};
  for (const auto& [line, want] : cases) {
    WriteSettings(std::string("[Settings]\n") + line + "\n");
    EXPECT_EQ(Create()->fadeTime, want) << line;
  }
}

// A change that comes while a fade runs starts from the frame on screen,
// without a jump back to either picture.
TEST_F(FadeSettingTest, AChangeDuringAFadeGoesOnFromTheFrameShown) {
  auto form = Start("FadeTime=30\n", Mode::kBuffered);
  int changes = 0;
  for (int tick = 0; tick < 200 && changes < 2; ++tick) {
    const TBitmap before = form->imgMain->Picture();
    const bool was_fading = form->Fading();
    const unsigned weight = form->FadeWeight();
    Tick({form.get()}, form->tmrMain->interval());
    if (form->lastChange.changed) {
      ++changes;
      EXPECT_TRUE(SameBitmap(form->imgMain->Picture(), before));
      if (changes == 2) {
        EXPECT_TRUE(was_fading);
        EXPECT_GT(weight, 0u);
        EXPECT_LT(weight, 256u);
      }
    }
    EXPECT_TRUE(form->Fading());
  }
  EXPECT_EQ(changes, 2);
}

}  // namespace
}  // namespace orv::test
