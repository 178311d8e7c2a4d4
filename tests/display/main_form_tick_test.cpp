// The tick's timing and its walk through the list.
#include <climits>

#include "display_fixture.h"

namespace orv::test {
namespace {

using TickTest = DisplayTest;

std::string Solid(int w, int h, TColor c, const std::string& flags = "") {
  TstSpec s;
  s.width = w;
  s.height = h;
  s.colour = c;
  return TstText(s, flags);
}

// The ticks (1-based) at which a picture was drawn, over n ticks.
std::vector<int> ChangeTicks(DisplayTest* t, TfrmMain& form, int n,
                             void (DisplayTest::*run)(TfrmMain&, int)) {
  std::vector<int> ticks;
  for (int i = 1; i <= n; ++i) {
    (t->*run)(form, 1);
    if (form.lastChange.changed) ticks.push_back(i);
  }
  return ticks;
}

class TickSchedule : public TickTest, public ::testing::WithParamInterface<std::pair<int32_t, int>> {
 public:
  std::vector<int> Changes(int n) { return ChangeTicks(this, *form_, n, &TickSchedule::Run); }
  std::unique_ptr<TfrmMain> form_;
};

// Two pictures alternate; each stays for changeSec second steps of 10 ticks.
TEST_P(TickSchedule, ChangesEveryChangeSecSeconds) {
  const auto [changeSec, period] = GetParam();
  const std::string a = Picture("a.tst", Solid(4, 4, 0x0000FF));
  const std::string b = Picture("b.tst", Solid(4, 4, 0x00FF00));
  WriteSettings("ChangeSec=" + std::to_string(changeSec) + "\n");
  form_ = Create();
  form_->pictures = {a, b};
  StartFullScreen(*form_);
  std::vector<int> changes = Changes(4 * period + 5);
  ASSERT_EQ(changes.size(), 5u) << "changeSec " << changeSec;
  EXPECT_EQ(changes[0], 1);  // the first tick after showing
  for (size_t i = 1; i < changes.size(); ++i) EXPECT_EQ(changes[i] - changes[i - 1], period);
  EXPECT_FALSE(form_->inTimer);
}

INSTANTIATE_TEST_SUITE_P(ChangeSec, TickSchedule,
                         ::testing::Values(std::pair{10, 100}, std::pair{3, 30}, std::pair{1, 10},
                                           std::pair{0, 10}, std::pair{-1, 10}, std::pair{-3, 10},
                                           std::pair{-5, 30}));

TEST_F(TickTest, LargestChangeSecKeepsCounting) {
  const std::string a = Picture("a.tst", Solid(4, 4, 0x0000FF));
  const std::string b = Picture("b.tst", Solid(4, 4, 0x00FF00));
  WriteSettings("ChangeSec=2147483647\n");
  auto form = Create();
  form->pictures = {a, b};
  StartFullScreen(*form);
  Run(*form, 1);
  Run(*form, 500);
  EXPECT_EQ(form->secondCounter, 51);
  EXPECT_EQ(form->nextIndex, 1);
}

TEST_F(TickTest, KeepsChangingAcrossTheClockWrap) {
  const std::string a = Picture("a.tst", Solid(4, 4, 0x0000FF));
  const std::string b = Picture("b.tst", Solid(4, 4, 0x00FF00));
  WriteSettings("ChangeSec=2\n");
  clock.now = 0xFFFFFFFFu - 1500;
  auto form = Create();
  form->pictures = {a, b};
  StartFullScreen(*form);
  std::vector<int> changes = ChangeTicks(this, *form, 100, &TickTest::Run);
  ASSERT_EQ(changes.size(), 5u);
  for (size_t i = 1; i < changes.size(); ++i) EXPECT_EQ(changes[i] - changes[i - 1], 20);
}

TEST_F(TickTest, ATickDuringATickDoesNothing) {
  const std::string a = Picture("a.tst", Solid(4, 4, 0x0000FF));
  auto form = Create();
  form->pictures = {a};
  StartFullScreen(*form);
  form->inTimer = true;
  Run(*form, 1);
  EXPECT_EQ(form->nextIndex, 0);
  EXPECT_TRUE(form->lastFileName.empty());
  form->inTimer = false;
  Run(*form, 1);
  EXPECT_EQ(form->lastFileName, pics + "/a.tst");
}

TEST_F(TickTest, FailingFilesAreSkippedOneATick) {
  const std::vector<std::string> bad = {
      Picture("garbage.tst", "this is no picture"),
      Picture("lazy.tst", Solid(10, 10, 0xFF0000, "fail-assign")),
      Picture("nothrow.tst", Solid(10, 10, 0xFF0000, "throw-int")),
      Picture("zero.tst", Solid(0, 10, 0xFF0000)),
      Picture("empty.jpg", ""),
      Picture("unknown.xyz", Solid(10, 10, 0xFF0000)),
      pics + "/missing.tst",
  };
  const std::string good = Picture("good.tst", Solid(10, 10, 0x00FF00));
  auto form = Create();
  form->pictures = bad;
  form->pictures.push_back(good);
  StartFullScreen(*form);
  for (size_t i = 0; i < bad.size(); ++i) {
    SCOPED_TRACE(bad[i]);
    Run(*form, 1);
    EXPECT_EQ(form->lastFileName, bad[i]);
    EXPECT_EQ(form->secondCounter, 0);  // the next tick tries the next entry
    EXPECT_EQ(form->nextIndex, int(i + 1));
    EXPECT_FALSE(form->inTimer);
    EXPECT_FALSE(form->lastChange.changed);
    EXPECT_TRUE(SameBitmap(form->bmpCompose, form->bmpBackground));
  }
  Run(*form, 1);
  EXPECT_TRUE(form->lastChange.changed);
  EXPECT_EQ(form->secondCounter, 1);
  EXPECT_EQ(form->bmpCompose.GetPixel(960, 540), 0x00FF00);
}

TEST_F(TickTest, ASingleFailingFileLeavesTheBackgroundForGood) {
  const std::string broken = Picture("broken.tst", "broken");
  auto form = Create();
  form->pictures = {broken};
  StartFullScreen(*form);
  const int loads = TstLoadCount();
  Run(*form, 300);
  // Tried once; afterwards it equals the last name and waits each period.
  EXPECT_EQ(TstLoadCount(), loads + 1);
  EXPECT_TRUE(SameBitmap(form->bmpCompose, form->bmpBackground));
}

TEST_F(TickTest, ASinglePictureIsLoadedOnceAndStays) {
  const std::string only = Picture("only.tst", Solid(10, 10, 0x00FF00));
  WriteSettings("ChangeSec=1\n");
  auto form = Create();
  form->pictures = {only};
  StartFullScreen(*form);
  const int loads = TstLoadCount();
  Run(*form, 200);
  EXPECT_EQ(TstLoadCount(), loads + 1);
  EXPECT_EQ(form->bmpCompose.GetPixel(960, 540), 0x00FF00);
}

TEST_F(TickTest, LastOfOnePassFirstOfTheNextStaysAnotherPeriod) {
  const std::string a = Picture("a.tst", Solid(4, 4, 0x0000FF));
  const std::string b = Picture("b.tst", Solid(4, 4, 0x00FF00));
  WriteSettings("ChangeSec=1\n");
  auto form = Create();
  form->pictures = {a, b};
  StartFullScreen(*form);
  random.script = {1, 1};  // the reshuffle after b: b, a
  std::vector<std::string> shown;
  for (int i = 0; i < 40; ++i) {
    Run(*form, 1);
    if (form->lastChange.changed) shown.push_back(form->lastFileName);
  }
  // a, b, then b again is skipped (b stays a second period), then a.
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ(shown[0], a);
  EXPECT_EQ(shown[1], b);
  EXPECT_EQ(shown[2], a);
}

TEST_F(TickTest, ReshufflesAtTheEndOfEachPass) {
  WriteSettings("ChangeSec=1\n");
  auto form = Create();
  for (const char* n : {"a.tst", "b.tst", "c.tst"}) form->pictures.push_back(Picture(n, Solid(4, 4, 0x0000FF)));
  StartFullScreen(*form);
  const size_t draws = random.ranges.size();
  Run(*form, 21);  // changes at ticks 1, 11, 21: one whole pass
  EXPECT_EQ(form->nextIndex, 0);
  EXPECT_EQ(random.ranges.size(), draws + 3);
}

}  // namespace
}  // namespace orv::test
