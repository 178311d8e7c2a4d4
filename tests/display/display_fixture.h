// What the display form's tests share: an application under Qt's offscreen
// platform, an injected clock, random generator and screen, a settings file
// beside a fake program path, and a tiny picture format of their own.
#pragma once

#include <gtest/gtest.h>

#include <QPoint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "display/main_form.h"
#include "platform/clock.h"
#include "platform/gui/screen.h"
#include "support/test_support.h"

namespace orv::test {

class ManualClock : public IClock {
 public:
  uint32_t now = 100000;
  uint32_t Now() override { return now; }
};

// Draws from a script; past its end, r = i for the i-th draw of a pass, which
// leaves the list as it is.
class ScriptedRandom : public IRandom {
 public:
  std::deque<int> script;
  std::vector<int> ranges;
  int Next(int n) override {
    ranges.push_back(n);
    if (!script.empty()) {
      int v = script.front();
      script.pop_front();
      return v;
    }
    return n > 0 ? int((ranges.size() - 1) % size_t(n)) : 0;
  }
};

class FakeScreen : public IScreen {
 public:
  TSize size{1920, 1080};
  TColor colour = 0x336699;
  int snapshots = 0;
  TSize Size() override { return size; }
  void Snapshot(TBitmap& bmp) override;
};

// The "tst" picture format: one line of text,
//   TST w h colour [rect=x,y,w,h,colour] [bits=24] [transparent] [fail-assign] [throw-int]
// colours in hex as 0x00BBGGRR. "transparent" marks colour as the bitmap's
// transparent colour; "fail-assign" fails at the conversion, as lazy
// decoders do; "throw-int" throws something that is no exception class.
struct TstSpec {
  int width = 0, height = 0;
  TColor colour = 0;
  bool has_rect = false;
  int rx = 0, ry = 0, rw = 0, rh = 0;
  TColor rect_colour = 0;
};
std::string TstText(const TstSpec& spec, const std::string& flags = "");
void RegisterTstFormat();
int TstLoadCount();

class DisplayTest : public ::testing::Test {
 public:
  void SetUp() override;
  void TearDown() override;

  // The settings file's content below the folder line.
  void WriteSettings(const std::string& extra);
  std::string Picture(const std::string& name, const std::string& content);
  std::unique_ptr<TfrmMain> Create();
  // What the framework does when the form first shows at the screen's size,
  // without the offscreen platform's own screen size getting in the way.
  void StartFullScreen(TfrmMain& form);
  void StartPreview(TfrmMain& form, int width, int height);
  // n ticks, the clock advancing 100 ms before each.
  void Run(TfrmMain& form, int ticks);

  TempDir dir;
  std::string pics;
  ManualClock clock;
  ScriptedRandom random;
  FakeScreen screen;
  QPoint cursor{500, 400};
  // The tick's logic is tested with each picture prepared inside its tick;
  // tests of the worker thread turn this off.
  bool prepareOnTick = true;
};

// Pixel helpers.
bool SameBitmap(const TBitmap& a, const TBitmap& b);  // size, format and every row's pixels
bool Near(TColor a, TColor b, int tolerance = 2);
int CountColour(const TBitmap& bmp, TColor colour, const TRect& area, int tolerance = 0);

}  // namespace orv::test
