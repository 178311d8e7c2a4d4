#include "display_fixture.h"

#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "picture/picture.h"
#include "platform/gui/application.h"
#include "platform/paths.h"

namespace orv::test {

namespace {

// One application for the whole test program, on the offscreen platform.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "display_tests";
    static char* argv[] = {name, nullptr};
    TApplication::Instance().Initialize(argc, argv);
  }
};
[[maybe_unused]] auto* const g_env = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

int g_loads = 0;

class TstGraphic : public TGraphic {
 public:
  const TGraphicClass* ClassType() const override;
  void LoadFromStream(TStream& stream) override {
    ++g_loads;
    std::string text(512, '\0');
    text.resize(size_t(stream.Read(text.data(), int64_t(text.size()))));
    std::istringstream in(text);
    std::string magic, word;
    in >> magic >> spec_.width >> spec_.height >> std::hex >> spec_.colour >> std::dec;
    if (magic != "TST" || !in || spec_.width < 0 || spec_.height < 0 || spec_.width > 20000 ||
        spec_.height > 20000)
      throw EInvalidGraphic("not a tst picture");
    while (in >> word) {
      if (word.rfind("rect=", 0) == 0) {
        spec_.has_rect = true;
        std::sscanf(word.c_str() + 5, "%d,%d,%d,%d,%x", &spec_.rx, &spec_.ry, &spec_.rw, &spec_.rh,
                    reinterpret_cast<unsigned*>(&spec_.rect_colour));
      } else if (word == "bits=24") {
        format_ = pf24bit;
      } else if (word == "transparent") {
        transparent_ = true;
      } else if (word == "fail-assign") {
        fail_ = true;
      } else if (word == "throw-int") {
        throw_int_ = true;
      }
    }
  }
  int Width() const override { return spec_.width; }
  int Height() const override { return spec_.height; }
  bool Empty() const override { return spec_.width == 0 || spec_.height == 0; }
  void Draw(TCanvas&, const TRect&) override {}
  void AssignTo(TBitmap& dest) override {
    if (fail_) throw EInvalidGraphic("damaged data");
    if (throw_int_) throw 42;
    dest.Allocate(spec_.width, spec_.height, format_, false);
    TCanvas canvas(dest);
    canvas.BrushColor = spec_.colour;
    canvas.FillRect(Rect(0, 0, spec_.width, spec_.height));
    if (spec_.has_rect) {
      canvas.BrushColor = spec_.rect_colour;
      canvas.FillRect(Bounds(spec_.rx, spec_.ry, spec_.rw, spec_.rh));
    }
    dest.SetTransparent(transparent_);
    if (transparent_) dest.SetTransparentColor(spec_.colour);
  }

 private:
  TstSpec spec_;
  TPixelFormat format_ = pf32bit;
  bool transparent_ = false, fail_ = false, throw_int_ = false;
};

const TGraphicClass kTstClass{"TTstGraphic", nullptr, [] { return std::unique_ptr<TGraphic>(new TstGraphic); }};
const TGraphicClass* TstGraphic::ClassType() const { return &kTstClass; }

}  // namespace

void FakeScreen::Snapshot(TBitmap& bmp) {
  ++snapshots;
  bmp.Allocate(size.Width, size.Height, pf32bit, false);
  TCanvas canvas(bmp);
  canvas.BrushColor = colour;
  canvas.FillRect(Rect(0, 0, size.Width, size.Height));
}

std::string TstText(const TstSpec& s, const std::string& flags) {
  std::ostringstream out;
  out << "TST " << s.width << " " << s.height << " " << std::hex << s.colour << std::dec;
  if (s.has_rect)
    out << " rect=" << s.rx << "," << s.ry << "," << s.rw << "," << s.rh << "," << std::hex << s.rect_colour
        << std::dec;
  if (!flags.empty()) out << " " << flags;
  return out.str();
}

void RegisterTstFormat() {
  static const bool done = [] {
    TFileFormatsList::Instance().Add("tst", "test pictures", &kTstClass);
    return true;
  }();
  (void)done;
}

int TstLoadCount() { return g_loads; }

void DisplayTest::SetUp() {
  RegisterTstFormat();
  pics = dir / "pics";
  std::filesystem::create_directory(pics);
  SetProgramPathForTesting(dir / "orvanne");
  SetScreenForTesting(&screen);
  WriteSettings("");
}

void DisplayTest::TearDown() {
  SetScreenForTesting(nullptr);
  SetProgramPathForTesting("");
  SetScreenSaverRunningListener(nullptr);
  SetScreenSaverRunning(false);
}

void DisplayTest::WriteSettings(const std::string& extra) {
  WriteFile(dir / "orvanne.ini", "[BGIllust]\nFolder=" + pics + "\n" + extra);
}

std::string DisplayTest::Picture(const std::string& name, const std::string& content) {
  std::string path = pics + "/" + name;
  WriteFile(path, content);
  return path;
}

std::unique_ptr<TfrmMain> DisplayTest::Create() {
  TDisplayServices services;
  services.clock = &clock;
  services.random = &random;
  services.cursorPos = [this] { return cursor; };
  services.prepareOnTick = prepareOnTick;
  return std::make_unique<TfrmMain>(nullptr, services);
}

void DisplayTest::StartFullScreen(TfrmMain& form) {
  form.isPreview = false;
  form.FormShow();
  form.FormResize();
}

void DisplayTest::StartPreview(TfrmMain& form, int width, int height) {
  form.isPreview = true;
  form.resize(width, height);
  form.FormShow();
  form.FormResize();
}

void DisplayTest::Run(TfrmMain& form, int ticks) {
  for (int i = 0; i < ticks; ++i) {
    clock.now += 100;
    form.tmrMainTimer();
  }
}

bool SameBitmap(const TBitmap& a, const TBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.PixelFormat() != b.PixelFormat()) return false;
  const size_t row = size_t(a.Width()) * size_t(a.BitsPerPixel()) / 8;
  for (int y = 0; y < a.Height(); ++y) {
    if (a.BitsPerPixel() == 32) {
      // The fourth byte of a 32-bit pixel is no colour.
      const uint32_t* pa = reinterpret_cast<const uint32_t*>(a.ScanLine(y));
      const uint32_t* pb = reinterpret_cast<const uint32_t*>(b.ScanLine(y));
      for (int x = 0; x < a.Width(); ++x)
        if ((pa[x] ^ pb[x]) & 0xFFFFFF) return false;
    } else if (std::memcmp(a.ScanLine(y), b.ScanLine(y), row) != 0) {
      return false;
    }
  }
  return true;
}

bool Near(TColor a, TColor b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

int CountColour(const TBitmap& bmp, TColor colour, const TRect& area, int tolerance) {
  int n = 0;
  for (int y = std::max(area.Top, 0); y < std::min(area.Bottom, bmp.Height()); ++y)
    for (int x = std::max(area.Left, 0); x < std::min(area.Right, bmp.Width()); ++x)
      if (Near(bmp.GetPixel(x, y), colour, tolerance)) ++n;
  return n;
}

}  // namespace orv::test
