// The slideshow against a face of its own, with no toolkit: whole shows run
// on an injected clock, the face's timer driven as a real one would be.
#include "display/slideshow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

#include "platform/canvas.h"

namespace orv::test {
namespace {

constexpr TColor kBackground = 0x112233, kRed = 0x0000FF, kGreen = 0x00FF00;

class LogCanvas : public ITextCanvas {
 public:
  explicit LogCanvas(std::vector<std::string>& log) : log_(log) {}
  void SetTextFont(int, bool) override {}
  void SetTextColor(TColor) override {}
  void SetClearBrush(bool) override {}
  void TextOut(int, int, const std::string& text) override { log_.push_back(text); }
  int TextWidth(const std::string& text) const override { return int(text.size()) * 7; }
  double Scale() const override { return scale_; }
  void SetScale(double scale) override { scale_ = scale; }

 private:
  std::vector<std::string>& log_;
  double scale_ = 1.0;
};

class FakeFace : public ISlideshowFace {
 public:
  TBitmap shown;
  std::vector<std::string> texts;
  int interval = TSlideshow::kTimerIntervalMs;
  int ends = 0;
  TBitmap& Shown() override { return shown; }
  std::unique_ptr<ITextCanvas> TextCanvas(TBitmap&) override { return std::make_unique<LogCanvas>(texts); }
  void Repaint(bool) override {}
  void SetTimerInterval(int ms) override { interval = ms; }
  double RefreshRate() override { return 50; }
  void End() override { ++ends; }
  std::string Translate(const char* source) override { return source; }
};

class Clock : public IClock {
 public:
  uint32_t now = 5000;
  uint32_t Now() override { return now; }
};

// The i-th draw of a pass gives i: shuffles leave the list as it is.
class InOrder : public IRandom {
 public:
  int Next(int n) override { return draws_++ % n; }

 private:
  int draws_ = 0;
};

// Pictures by name: a solid frame of a colour, or a failure, once the
// source has been asked for it `delay` more times.
class FakeSource : public IPictureSource {
 public:
  struct Entry {
    bool ok;
    TColor colour;
    int delay;
  };
  std::map<std::string, Entry> entries;
  void Request(const TPrepareRequest&) override {}
  std::optional<TPreparedPicture> Take(const TPrepareRequest& request) override {
    Entry& e = entries.at(request.name);
    if (e.delay > 0 && e.delay--) return std::nullopt;
    TPreparedPicture p;
    p.request = request;
    p.ok = e.ok;
    if (e.ok) {
      p.frame.Allocate(request.frameWidth, request.frameHeight, pf32bit, false);
      TCanvas canvas(p.frame);
      canvas.BrushColor = e.colour;
      canvas.FillRect(Rect(0, 0, request.frameWidth, request.frameHeight));
    }
    return p;
  }
};

class SlideshowTest : public ::testing::Test {
 public:
  // A 64 x 48 full-screen show of the listed pictures, started.
  void Start(const std::string& ini, std::vector<std::string> list, bool preview = false) {
    TSettings s;
    s.folder = "/pics";
    s.bgColorEnable = true;
    s.bgColor = kBackground;
    std::istringstream in(ini);
    for (std::string key, value; std::getline(in, key, '=') && std::getline(in, value);) {
      if (key == "ChangeSec") s.changeSec = std::stoi(value);
      if (key == "FadeTime") s.fadeTime = std::stoi(value);
      if (key == "PutFilename") s.putFilename = value == "1";
    }
    show.SetServices(&clock, &random, &source);
    show.isPreview = preview;
    show.ApplySettings(s);
    show.TakeBackground(64, 48, [](TBitmap&) { FAIL() << "a colour background takes no snapshot"; });
    show.SetPictures(std::move(list));
    show.Resize(64, 48, 64, 48, 1.0, false);
    show.ShowBackground();
    show.Start({10, 10});
  }
  // Ticks at the face's rhythm for ms milliseconds; what each shows at its centre.
  std::vector<std::pair<uint32_t, TColor>> RunFor(uint32_t ms) {
    std::vector<std::pair<uint32_t, TColor>> frames;
    for (const uint32_t end = clock.now + ms; clock.now < end;) {
      clock.now += uint32_t(face.interval);
      show.Tick();
      frames.emplace_back(clock.now, face.shown.GetPixel(32, 24));
    }
    return frames;
  }
  bool Drew(const std::string& text) const {
    return std::find(face.texts.begin(), face.texts.end(), text) != face.texts.end();
  }

  FakeFace face;
  Clock clock;
  InOrder random;
  FakeSource source;
  TSlideshow show{face};
};

TEST_F(SlideshowTest, AWholeShow) {
  source.entries = {{"/pics/a.jpg", {true, kRed, 1}}, {"/pics/b.png", {false, 0, 9}}, {"/pics/c.gif", {true, kGreen, 0}}};
  Start("ChangeSec=1\nFadeTime=3\nPutFilename=1\n", {"/pics/a.jpg", "/pics/b.png", "/pics/c.gif"});
  const uint32_t t0 = clock.now;

  // a is not ready at the first tick; it shows at the second, fading in at the
  // display's rate (20 ms at 50 Hz) for 300 ms, then the resting rhythm again.
  auto frames = RunFor(100);
  EXPECT_EQ(frames.back().second, kBackground);
  EXPECT_TRUE(face.texts.empty());
  frames = RunFor(100);
  EXPECT_EQ(show.lastFileName, "/pics/a.jpg");
  EXPECT_EQ(std::count(face.texts.begin(), face.texts.end(), "a.jpg"), 5);  // outline and text
  EXPECT_EQ(face.interval, 20);
  frames = RunFor(300);
  std::set<TColor> seen;
  for (auto& f : frames) seen.insert(f.second);
  EXPECT_GT(seen.size(), 3u);  // blends between the two
  EXPECT_EQ(frames.back().second, kRed);
  EXPECT_EQ(face.interval, TSlideshow::kTimerIntervalMs);

  // b's turn comes a second step later; it is prepared for nine ticks and then
  // fails just as a second ends. c follows at the very next tick.
  frames = RunFor(2500);
  uint32_t green = 0;
  for (auto& f : frames)
    if (f.second == kGreen && !green) green = f.first;
  ASSERT_NE(green, 0u);
  EXPECT_EQ(show.lastFileName, "/pics/c.gif");
  EXPECT_LE(green - t0, 2800u);
  EXPECT_FALSE(show.AllFailed());
  EXPECT_FALSE(Drew("【スクリーンセーバーエラー】"));

  // Input: a key ends it; the move reported where the cursor rests does not.
  show.MouseMove({10, 10});
  EXPECT_EQ(face.ends, 0);
  show.KeyDown();
  EXPECT_EQ(face.ends, 1);
}

// Every entry failing during a show: after one whole pass of failures the
// frame carries the error lines, as an empty folder's does.
TEST_F(SlideshowTest, AListThatAllFailsShowsTheErrorLines) {
  for (bool preview : {false, true}) {
    SCOPED_TRACE(preview ? "preview" : "full screen");
    face.texts.clear();
    source.entries = {{"/pics/x.png", {false, 0, 0}}, {"/pics/y.png", {false, 0, 0}}};
    Start("ChangeSec=5\n", {"/pics/x.png", "/pics/y.png"}, preview);
    RunFor(100);
    EXPECT_FALSE(Drew("【スクリーンセーバーエラー】"));
    RunFor(100);
    EXPECT_TRUE(show.AllFailed());
    EXPECT_EQ(Drew("【スクリーンセーバーエラー】"), !preview);
    EXPECT_EQ(Drew("(指定フォルダ：/pics)"), !preview);
  }
}

TEST_F(SlideshowTest, OnlyTheFullScreenShowEndsOnInput) {
  struct Case {
    bool preview, hosted;
    int ends;
  };
  for (const Case c : {Case{false, false, 4}, Case{true, false, 0}, Case{false, true, 0}}) {
    face.ends = 0;
    show.SetServices(&clock, &random, nullptr);
    show.isPreview = c.preview;
    show.isHosted = c.hosted;
    show.Start({100, 200});
    show.MouseMove({100, 200});
    show.MouseMove({101, 200});
    show.MouseMove({100, 199});
    show.KeyDown();
    show.MouseButton();
    EXPECT_EQ(face.ends, c.ends) << c.preview << c.hosted;
  }
}

// The window rules by mode: a full-screen show takes its monitor over and,
// unless it follows another monitor's, holds the input; pictures are fitted
// to the window, a preview's to the screen whose frame it shrinks.
// The first show's start: the adjusted settings decide, and the background
// is taken before the search, whose splash would otherwise be in it.
TEST_F(SlideshowTest, GatherTakesTheBackgroundBeforeTheSearch) {
  for (const bool fill : {false, true}) {
    FakeFace own;
    TSlideshow s(own);
    s.SetServices(&clock, &random, nullptr);
    std::vector<std::string> steps;
    s.Gather(
        [&](TSettings& st) {
          st.folder = "/pics";
          st.subFolders = true;
          st.bgColorEnable = fill;
        },
        32, 24,
        [&](TBitmap& bmp) {
          bmp = TBitmap(32, 24, pf32bit);
          steps.push_back("snapshot");
        },
        [&](const std::string& folder, bool sub) {
          steps.push_back("search " + folder + (sub ? " +" : " -"));
          return std::vector<std::string>{"/pics/a.jpg"};
        });
    const std::vector<std::string> want =
        fill ? std::vector<std::string>{"search /pics +"} : std::vector<std::string>{"snapshot", "search /pics +"};
    EXPECT_EQ(steps, want) << fill;
    EXPECT_EQ(s.pictures, std::vector<std::string>{"/pics/a.jpg"});
  }
}

TEST_F(SlideshowTest, WindowRulesByMode) {
  struct Case {
    bool preview, hosted, following;
    bool takesOver, holdsInput;
    int frameWidth;  // in a 32 x 24 window on a 64 x 48 screen
  };
  show.SetServices(&clock, &random, nullptr);
  for (const Case c : {Case{false, false, false, true, true, 32}, Case{false, false, true, true, false, 32},
                       Case{true, false, false, false, false, 64}, Case{false, true, false, false, false, 32}}) {
    SCOPED_TRACE(std::to_string(c.preview) + std::to_string(c.hosted) + std::to_string(c.following));
    FakeFace own;
    TSlideshow s(own);
    if (c.following) s.FollowFirst(show);
    s.isPreview = c.preview;
    s.isHosted = c.hosted;
    EXPECT_EQ(s.TakesOverMonitor(), c.takesOver);
    EXPECT_EQ(s.HoldsInput(), c.holdsInput);
    s.WindowResized(32, 24, 64, 48, 1.0, false);
    EXPECT_EQ(own.shown.Width(), 32);
    EXPECT_EQ(s.RequestFor("/pics/a.jpg").frameWidth, c.frameWidth);
  }
}

}  // namespace
}  // namespace orv::test
