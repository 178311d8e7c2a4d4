// Animation: the painter's frame order, disposal methods, delays and loops,
// synchronous and threaded, and its clean-up.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "gif/gif_test_util.h"
#include "support/test_support.h"

namespace orv::test {
namespace {

constexpr uint32_t kA = 0xFF0000, kB = 0x00FF00, kC = 0x0000FF, kBg = 0x808080, kD = 0xFFFF00;
const std::vector<uint32_t> kTable = {kBg, kA, kB, kC, kD, 0x000000, 0xFFFFFF, 0x123456};

int32_t C(uint32_t rgb) { return RGB(int(rgb >> 16), int((rgb >> 8) & 0xFF), int(rgb & 0xFF)); }

FramePlan Frame(int x, int w, uint8_t index, int disposal, int delay = 0) {
  FramePlan f;
  f.left = x;
  f.width = w;
  f.height = 1;
  f.pixels.assign(size_t(w), index);
  f.gce = true;
  f.disposal = disposal;
  f.delay = delay;
  f.lzw.min_code_size = 3;
  return f;
}

// A 4 x 1 logical screen; background index 0 (grey).
GifPlan Strip(std::vector<FramePlan> frames, int loop_count = -1) {
  GifPlan s;
  s.width = 4;
  s.height = 1;
  s.global = kTable;
  s.loop_count = loop_count;
  s.frames = std::move(frames);
  return s;
}

// Plays an animation and records what the canvas shows after each frame.
struct Player {
  std::unique_ptr<TGIFImage> image;
  std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>();
  TBitmap target{4, 1, pf32bit};
  TCanvas canvas{target};
  std::vector<int> order;
  std::vector<std::vector<int32_t>> shown;
  int starts = 0, loops = 0, ends = 0;
  int stop_after = -1;  // stop the painter after this many frames

  explicit Player(const GifPlan& plan, TGIFDrawOptions options) {
    Loaded r = LoadGif(BuildGif(plan));
    EXPECT_EQ(r.error, "");
    image = std::move(r.image);
    image->DrawOptions = options;
    image->SetPainterClock(clock);
    image->Events.OnStartPaint = [this](TGIFPainter*) { ++starts; };
    image->Events.OnLoop = [this](TGIFPainter*) { ++loops; };
    image->Events.OnEndPaint = [this](TGIFPainter*) { ++ends; };
    image->Events.OnAfterPaint = [this](TGIFPainter* p) {
      order.push_back(p->ActiveImage());
      shown.push_back(test::Colors(p->Canvas()->Bitmap()));
      if (stop_after >= 0 && int(order.size()) >= stop_after) p->Stop();
    };
    canvas.BrushColor = C(kD);
    canvas.FillRect(Rect(0, 0, 4, 1));
  }
  void Paint() { image->PaintOnCanvas(canvas, Rect(0, 0, 4, 1)); }
};

constexpr TGIFDrawOptions kSync = (DefaultDrawOptions & ~DrawThreaded) | DrawDirect;

std::vector<int32_t> Row(std::initializer_list<uint32_t> rgb) {
  std::vector<int32_t> v;
  for (uint32_t c : rgb) v.push_back(C(c));
  return v;
}

TEST(GIFPainter, PlaysFramesInOrderOnceWithoutALoopingExtension) {
  Player p(Strip({Frame(0, 4, 1, 1), Frame(1, 1, 2, 1), Frame(2, 1, 3, 1)}), kSync);
  p.Paint();
  EXPECT_EQ(p.order, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(p.starts, 1);
  EXPECT_EQ(p.ends, 1);
  // No frame restores anything: frames pile up, the last one stays.
  EXPECT_EQ(p.target.GetPixel(0, 0), C(kA));
  EXPECT_EQ(p.shown.back(), Row({kA, kB, kC, kA}));
  EXPECT_EQ(p.image->PainterCount(), 0);
}

struct LoopCase {
  const char* name;
  int loop_count;
  int loop_frame;  // frame that carries the looping extension
  TGIFDrawOptions options;
  std::vector<int> order;
};
void PrintTo(const LoopCase& c, std::ostream* os) { *os << c.name; }

class GIFPainterLoops : public ::testing::TestWithParam<LoopCase> {};

TEST_P(GIFPainterLoops, RepeatAsTheExtensionSays) {
  const LoopCase& c = GetParam();
  GifPlan s = Strip({Frame(0, 4, 1, 1), Frame(1, 1, 2, 1), Frame(2, 1, 3, 1)});
  s.frames[size_t(c.loop_frame)].extensions_before = {
      AppBlock("NETSCAPE2.0", {{1, uint8_t(c.loop_count), uint8_t(c.loop_count >> 8)}})};
  Player p(s, c.options);
  p.stop_after = 12;
  p.Paint();
  EXPECT_EQ(p.order, c.order);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GIFPainterLoops,
    ::testing::Values(LoopCase{"count_2", 2, 0, kSync, {0, 1, 2, 0, 1, 2}},
                      LoopCase{"count_2_from_frame_1", 2, 1, kSync, {0, 1, 2, 1, 2}},
                      LoopCase{"count_0_synchronous_plays_once", 0, 0, kSync, {0, 1, 2}},
                      LoopCase{"without_draw_loop", 3, 0, kSync & ~DrawLoop, {0, 1, 2}},
                      LoopCase{"without_draw_animate_no_painter", 3, 0, kSync & ~DrawAnimate, {}},
                      LoopCase{"loop_forever", 1, 0, kSync | DrawLoopForever,
                               {0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GIFPainter, LoopEventComesAtEachNewPass) {
  Player p(Strip({Frame(0, 4, 1, 1), Frame(1, 1, 2, 1)}, 3), kSync);
  p.Paint();
  EXPECT_EQ(p.order.size(), 6u);
  EXPECT_EQ(p.loops, 2);
}

struct DisposalCase {
  const char* name;
  std::vector<FramePlan> frames;
  TGIFDrawOptions options;
  std::vector<std::vector<int32_t>> shown;
};
void PrintTo(const DisposalCase& c, std::ostream* os) { *os << c.name; }

class GIFPainterDisposal : public ::testing::TestWithParam<DisposalCase> {};

TEST_P(GIFPainterDisposal, ShowsWhatEachMethodLeaves) {
  const DisposalCase& c = GetParam();
  Player p(Strip(c.frames), c.options);
  p.Paint();
  EXPECT_EQ(p.shown, c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GIFPainterDisposal,
    ::testing::Values(
        // Method 2 restores the frame's area to the background colour after showing it.
        DisposalCase{"restore_background",
                     {Frame(0, 4, 1, 1), Frame(1, 1, 2, 2), Frame(2, 1, 3, 1)},
                     kSync & ~DrawTransparent,
                     {Row({kA, kA, kA, kA}), Row({kA, kB, kA, kA}), Row({kA, kBg, kC, kA})}},
        // Method 3 after 0/1 draws on the target only; the next frame shows the buffer.
        DisposalCase{"restore_previous",
                     {Frame(0, 4, 1, 1), Frame(1, 1, 2, 3), Frame(2, 1, 3, 1)},
                     kSync,
                     {Row({kA, kA, kA, kA}), Row({kA, kB, kA, kA}), Row({kA, kA, kC, kA})}},
        // Method 3 after 2 draws on a copy of the composite.
        DisposalCase{"previous_after_background",
                     {Frame(0, 4, 1, 2), Frame(1, 1, 2, 3), Frame(2, 1, 3, 1)},
                     kSync & ~DrawTransparent,
                     {Row({kA, kA, kA, kA}), Row({kBg, kB, kBg, kBg}), Row({kBg, kBg, kC, kBg})}},
        // Methods 4 to 7 draw nothing.
        DisposalCase{"unknown_method",
                     {Frame(0, 4, 1, 1), Frame(1, 1, 2, 5), Frame(2, 1, 3, 3)},
                     kSync,
                     {Row({kA, kA, kA, kA}), Row({kA, kA, kA, kA}), Row({kA, kA, kA, kA})}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GIFPainter, TilingRepeatsFramesAndRestoresEveryTile) {
  Player p(Strip({Frame(0, 4, 1, 1), Frame(1, 1, 2, 2), Frame(2, 1, 3, 1)}), (kSync & ~DrawTransparent) | DrawTiling);
  TBitmap wide(8, 1, pf32bit);
  TCanvas canvas(wide);
  p.image->PaintOnCanvas(canvas, Rect(0, 0, 8, 1));
  ASSERT_EQ(p.shown.size(), 3u);
  EXPECT_EQ(p.shown[1], Row({kA, kB, kA, kA, kA, kB, kA, kA}));
  EXPECT_EQ(p.shown[2], Row({kA, kBg, kC, kA, kA, kBg, kC, kA}));
}

TEST(GIFPainter, TransparentRestoreBringsBackWhatWasUnderTheImage) {
  // Frame 0 leaves its first pixel transparent and is restored by method 2.
  FramePlan f0 = Frame(0, 4, 1, 2);
  f0.pixels = {7, 1, 1, 1};
  f0.transparent = 7;
  Player p(Strip({f0, Frame(3, 1, 3, 1)}), kSync);
  p.Paint();
  EXPECT_EQ(p.shown, (std::vector<std::vector<int32_t>>{Row({kD, kA, kA, kA}), Row({kD, kD, kD, kC})}));
}

TEST(GIFPainter, ClearOnLoopRestoresTheFirstFramesAreaAtEachPass) {
  FramePlan f0 = Frame(0, 2, 1, 1);
  Player p(Strip({f0, Frame(2, 2, 2, 1)}, 2), (kSync & ~DrawTransparent) | DrawClearOnLoop);
  p.image->BackgroundColorOverride = C(0x000000);
  p.Paint();
  ASSERT_EQ(p.shown.size(), 4u);
  EXPECT_EQ(p.shown[0], Row({kA, kA, kD, kD}));
  EXPECT_EQ(p.shown[1], Row({kA, kA, kB, kB}));
  EXPECT_EQ(p.shown[2], Row({kA, kA, kB, kB}));
}

TEST(GIFPainter, BackgroundColourComesFromOverrideOrGlobalTable) {
  GifPlan s = Strip({Frame(0, 4, 1, 1), Frame(0, 4, 2, 1)});
  s.background = 3;
  Player p(s, kSync);
  p.Paint();
  EXPECT_EQ(p.image->ActivePainter(), nullptr);
  TBitmap bmp(4, 1, pf32bit);
  TCanvas canvas(bmp);
  TGIFPainter a(p.image.get(), &canvas, Rect(0, 0, 4, 1), kSync, 100, &DefaultMainThread(), p.clock);
  EXPECT_EQ(a.BackgroundColor(), C(kC));
  p.image->BackgroundColorOverride = RGB(1, 2, 3);
  TGIFPainter b(p.image.get(), &canvas, Rect(0, 0, 4, 1), kSync, 100, &DefaultMainThread(), p.clock);
  EXPECT_EQ(b.BackgroundColor(), RGB(1, 2, 3));
  p.image->BackgroundColorOverride = clNone;
  p.image->GlobalColorMap().Clear();
  TGIFPainter d(p.image.get(), &canvas, Rect(0, 0, 4, 1), kSync, 100, &DefaultMainThread(), p.clock);
  EXPECT_EQ(d.BackgroundColor(), clWhite);
}

struct DelayCase {
  const char* name;
  int speed;
  std::vector<int> delays;
  std::vector<uint32_t> sleeps;
};
void PrintTo(const DelayCase& c, std::ostream* os) { *os << c.name; }

// A synchronous wait sleeps in steps of at most 100 ms.
std::vector<uint32_t> Steps(std::initializer_list<uint32_t> waits) {
  std::vector<uint32_t> out;
  for (uint32_t w : waits) {
    for (; w > 100; w -= 100) out.push_back(100);
    out.push_back(w);
  }
  return out;
}

class GIFPainterDelays : public ::testing::TestWithParam<DelayCase> {};

TEST_P(GIFPainterDelays, WaitInUnitsOfTwelveMilliseconds) {
  const DelayCase& c = GetParam();
  std::vector<FramePlan> frames;
  for (size_t i = 0; i < c.delays.size(); ++i) frames.push_back(Frame(0, 4, uint8_t(i + 1), 1, c.delays[i]));
  Player p(Strip(frames), kSync);
  p.image->SpeedPercent = c.speed;
  p.Paint();
  EXPECT_EQ(p.clock->Sleeps(), c.sleeps);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GIFPainterDelays,
    ::testing::Values(
        // First frame after 1 unit; delay 1 is raised to 3 (36 ms); delay 0 means 10.
        DelayCase{"speed_100", 100, {1, 0, 2000}, {12, 36, 100, 20}},
        DelayCase{"speed_200", 200, {1, 0, 5}, {6, 18, 60}},
        DelayCase{"speed_50", 50, {4, 1}, {24, 96}},
        // Synchronous waits are cut to MaximumFrameDelay; the last frame's delay is not waited.
        DelayCase{"long_delay", 100, {3000, 1}, Steps({12, 12000})},
        // Speed 0: frames are not advanced by time; synchronously the longest wait.
        DelayCase{"speed_0", 0, {1, 1}, Steps({12000, 12000})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GIFPainter, TimeSpentPreparingIsHalvedOffTheWait) {
  Player p(Strip({Frame(0, 4, 1, 1, 5), Frame(0, 4, 2, 1, 5)}), kSync);
  // Each frame's preparation takes 10 ms on this clock.
  p.image->Events.OnPaint = [&](TGIFPainter*) {};
  p.image->OnProgress = [&](void*, TProgressStage st, int, bool, const TRect&, const std::string&) {
    if (st == psStarting) p.clock->Advance(10);
  };
  p.Paint();
  EXPECT_EQ(p.clock->Sleeps(), (std::vector<uint32_t>{7, 55}));  // 12 - 10/2, 60 - 10/2
}

TEST(GIFPainter, SingleFrameImageIsDrawnAtOnceWithoutAPainter) {
  Player p(Strip({Frame(1, 2, 3, 1)}), DefaultDrawOptions);
  p.Paint();
  EXPECT_EQ(p.starts, 0);
  EXPECT_EQ(Colors(p.target), Row({kD, kC, kC, kD}));
  EXPECT_EQ(TGIFPainter::LiveThreads(), 0);
}

TEST(GIFPainter, FailureInASynchronousRunReachesTheCaller) {
  GifPlan s = Strip({Frame(0, 4, 1, 1), Frame(0, 4, 2, 1)});
  s.global.clear();
  Player p(s, kSync);
  try {
    p.Paint();
    ADD_FAILURE() << "no error";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "No global or local color table defined");
  }
  EXPECT_EQ(p.image->PainterCount(), 0);
}

TEST(GIFPainter, LostCanvasStopsAValidatingPainter) {
  Player p(Strip({Frame(0, 4, 1, 1), Frame(1, 1, 2, 3), Frame(2, 1, 3, 1)}), kSync | DrawValidateCanvas);
  p.image->Events.OnPaint = [&](TGIFPainter* painter) {
    if (painter->ActiveImage() == 1) p.target.Clear();
  };
  p.Paint();
  EXPECT_EQ(p.order, (std::vector<int>{0}));
  EXPECT_EQ(p.ends, 0);  // stopped painters send no more events
}

TEST(GIFPainter, UndirectedSynchronousRunPaintsIntoTheImageBitmap) {
  Player p(Strip({Frame(0, 4, 1, 1), Frame(1, 1, 2, 1)}), DefaultDrawOptions & ~DrawThreaded);
  p.Paint();
  EXPECT_EQ(p.order, (std::vector<int>{0, 1}));
  ASSERT_TRUE(p.image->HasBitmap());
  // The animation went into the image's bitmap; the next paint shows it.
  EXPECT_EQ(Colors(p.target), Row({kD, kD, kD, kD}));
  p.Paint();
  EXPECT_EQ(Colors(p.target), Row({kA, kB, kA, kA}));
  EXPECT_EQ(p.order.size(), 2u);
}

// --- threaded ---

// Runs queued steps until the condition holds (bounded by real time).
template <class F>
bool Pump(QueuedMainThread& main, F done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    main.ProcessPending();
    std::this_thread::yield();
  }
  return true;
}

TEST(GIFPainterThreaded, PlaysOnItsThreadWithStepsOnTheGuiThread) {
  QueuedMainThread main;
  std::thread::id step_thread;
  {
    Player p(Strip({Frame(0, 4, 1, 1, 1), Frame(1, 1, 2, 1, 0), Frame(2, 1, 3, 1, 2)}, 2), DefaultDrawOptions);
    p.image->SetMainThread(&main);
    p.image->Events.OnPaint = [&](TGIFPainter*) { step_thread = std::this_thread::get_id(); };
    // Returns once a frame is in the image's bitmap (the waiting also runs
    // the steps of frames after it: this clock never holds the thread back).
    p.Paint();
    ASSERT_TRUE(p.image->HasBitmap());
    EXPECT_NE(Colors(*p.image->Bitmap()), Row({kD, kD, kD, kD}));
    ASSERT_TRUE(Pump(main, [&] { return p.ends == 1; }));
    EXPECT_EQ(step_thread, std::this_thread::get_id());
    EXPECT_EQ(p.order, (std::vector<int>{0, 1, 2, 0, 1, 2}));
    EXPECT_EQ(p.shown.back(), Row({kA, kB, kC, kA}));
    // The first frame is painted at once; then 3 units (delay 1), 10 (delay 0), 3 (delay 2).
    EXPECT_EQ(p.clock->Waits(), (std::vector<uint32_t>{36, 120, 36, 36, 120}));
  }
  EXPECT_EQ(TGIFPainter::LiveThreads(), 0);
}

TEST(GIFPainterThreaded, LoopCountZeroPlaysUntilStopped) {
  QueuedMainThread main;
  {
    Player p(Strip({Frame(0, 4, 1, 1), Frame(1, 1, 2, 1)}, 0), DefaultDrawOptions | DrawDirect);
    p.image->SetMainThread(&main);
    p.Paint();
    ASSERT_TRUE(Pump(main, [&] { return p.order.size() >= 7; }));
    EXPECT_GE(p.loops, 3);
    p.image->StopDraw();
    EXPECT_EQ(p.image->PainterCount(), 0);
    EXPECT_EQ(TGIFPainter::LiveThreads(), 0);
    for (size_t i = 0; i < p.order.size(); ++i) EXPECT_EQ(p.order[i], int(i % 2));
  }
}

TEST(GIFPainterThreaded, SecondPaintOfTheSameCanvasNeitherRestartsNorDraws) {
  QueuedMainThread main;
  Player p(Strip({Frame(0, 4, 1, 1), Frame(1, 1, 2, 1)}, 0), DefaultDrawOptions | DrawDirect);
  p.image->SetMainThread(&main);
  p.Paint();
  ASSERT_TRUE(Pump(main, [&] { return p.order.size() >= 3; }));
  TGIFPainter* first = p.image->ActivePainter();
  ASSERT_NE(first, nullptr);
  const std::vector<int32_t> before = Colors(p.target);
  p.Paint();
  EXPECT_EQ(p.image->ActivePainter(), first);
  EXPECT_EQ(p.starts, 1);
  EXPECT_EQ(Colors(p.target), before);
  // Another rectangle: the old painter stops and a new one starts.
  p.image->PaintOnCanvas(p.canvas, Rect(0, 0, 2, 1));
  EXPECT_NE(p.image->ActivePainter(), nullptr);
  ASSERT_TRUE(Pump(main, [&] { return p.starts == 2; }));
  p.image.reset();
  EXPECT_EQ(TGIFPainter::LiveThreads(), 0);
}

TEST(GIFPainterThreaded, FreeingTheImageEndsItsPainters) {
  QueuedMainThread main;
  auto p = std::make_unique<Player>(Strip({Frame(0, 4, 1, 1, 50), Frame(1, 1, 2, 1, 50)}, 0),
                                    DefaultDrawOptions | DrawDirect | DrawLoopForever);
  p->image->SetMainThread(&main);
  p->image->SetPainterClock(SystemPainterClock());  // real waits, woken by the stop
  p->Paint();
  ASSERT_TRUE(Pump(main, [&] { return !p->order.empty(); }));
  p->image.reset();
  EXPECT_EQ(TGIFPainter::LiveThreads(), 0);
}

TEST(GIFPainterThreaded, FailureInTheThreadIsRaisedByTheNextPaint) {
  QueuedMainThread main;
  Player p(Strip({Frame(0, 4, 1, 1), Frame(1, 1, 2, 1)}), DefaultDrawOptions | DrawDirect);
  p.image->SetMainThread(&main);
  p.image->Events.OnPaint = [](TGIFPainter* painter) {
    if (painter->ActiveImage() == 1) throw GIFException("handler failed");
  };
  p.Paint();
  ASSERT_TRUE(Pump(main, [&] { return p.image->PainterCount() == 0; }));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (TGIFPainter::LiveThreads() > 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  try {
    p.Paint();
    ADD_FAILURE() << "no error";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "handler failed");
  }
  EXPECT_EQ(p.order, (std::vector<int>{0}));
}

// A GUI thread that cannot run painter steps while the image waits.
class StuckMainThread : public QueuedMainThread {
 public:
  void ProcessPending() override {}
  void Drain() { QueuedMainThread::ProcessPending(); }
};

TEST(GIFPainterThreaded, PainterThatCannotEndInTimeIsLeftToEndSafely) {
  StuckMainThread main;
  auto p = std::make_unique<Player>(Strip({Frame(0, 4, 1, 1), Frame(1, 1, 2, 1)}, 0),
                                    DefaultDrawOptions | DrawDirect);
  p->image->SetMainThread(&main);
  p->image->SetPainterStopTimeout(50);
  p->Paint();  // the thread now waits for its start-paint step
  EXPECT_EQ(TGIFPainter::LiveThreads(), 1);
  p.reset();  // image, canvas and handlers are gone; the wait is bounded
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (TGIFPainter::LiveThreads() > 0 && std::chrono::steady_clock::now() < deadline) {
    main.Drain();  // its steps now run and find it stopped
    std::this_thread::yield();
  }
  EXPECT_EQ(TGIFPainter::LiveThreads(), 0);
}

TEST(GIFPainterThreaded, WithoutAQueueThePainterRunsInTheCaller) {
  Player p(Strip({Frame(0, 4, 1, 1), Frame(1, 1, 2, 1)}), DefaultDrawOptions | DrawDirect);
  p.image->SetMainThread(nullptr);  // the default, synchronous stand-in
  p.Paint();
  EXPECT_EQ(p.order, (std::vector<int>{0, 1}));
  EXPECT_EQ(TGIFPainter::LiveThreads(), 0);
}

}  // namespace
}  // namespace orv::test
