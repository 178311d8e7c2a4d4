// The slideshow's picture change and start-up, measured through the display
// form itself on Qt's offscreen platform with a 1920 x 1080 screen.
//
// PictureChange: from the tick that changes the picture to the frame handed
// to the control, over 20 changes between two 12-megapixel files (after two
// warm-up changes), split into load, convert, scale and caption. Goal: median
// under one timer tick (100 ms).
// StartupToFirstPicture: creating the form (settings, background, splash and
// the scan of a folder of 10,000 pictures, shuffle), showing it and the first
// tick that draws the first picture. Goal: under 500 ms.
//
// The real decoders are probed first; where the registry cannot decode a
// file yet, a stand-in (libjpeg-turbo, a plain bitmap reader) takes the
// extension and the results say so.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/formats.h"
#include "display/main_form.h"
#include "picture/picture.h"
#include "platform/gui/application.h"
#include "platform/gui/gui_canvas.h"
#include "platform/gui/screen.h"
#include "platform/paths.h"
#include "platform/pixel_pool.h"

namespace orv::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class BlackScreen : public IScreen {
 public:
  TSize Size() override { return {1920, 1080}; }
  void Snapshot(TBitmap& bmp) override { bmp.Allocate(1920, 1080, pf32bit, true); }
};

struct Workspace {
  fs::path root;
  std::string jpg_a, jpg_b, bmp_a, bmp_b, many;
};

Workspace* g_ws = nullptr;

void Run(const std::string& cmd) {
  if (std::system(cmd.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", cmd.c_str());
    std::exit(1);
  }
}

bool RegistryDecodes(const std::string& path) {
  try {
    TPicture picture;
    picture.LoadFromFile(path);
    TBitmap bitmap;
    picture.Graphic()->AssignTo(bitmap);
    return !bitmap.Empty();
  } catch (...) {
    return false;
  }
}

void Prepare(Workspace& ws) {
  ws.root = fs::temp_directory_path() / ("orv_display_bench_" + std::to_string(::getpid()));
  fs::create_directories(ws.root / "pics");
  const std::string p = (ws.root / "pics").string();
  ws.jpg_a = p + "/a.jpg";
  ws.jpg_b = p + "/b.jpg";
  ws.bmp_a = p + "/a.bmp";
  ws.bmp_b = p + "/b.bmp";
  // A photo-like 12-megapixel picture: fractal plasma with some grain.
  Run("/usr/bin/convert -size 4000x3000 -seed 7 plasma:fractal -blur 0x1 -attenuate 0.4 +noise Gaussian "
      "-quality 90 -sampling-factor 2x2 '" + ws.jpg_a + "'");
  fs::copy_file(ws.jpg_a, ws.jpg_b);
  Run("/usr/bin/convert '" + ws.jpg_a + "' -type TrueColor 'BMP3:" + ws.bmp_a + "'");
  fs::copy_file(ws.bmp_a, ws.bmp_b);
  // 10,000 small pictures (links to one file) for the start-up.
  fs::create_directories(ws.root / "many");
  ws.many = (ws.root / "many").string();
  const std::string small = ws.many + "/p00000.jpg";
  Run("/usr/bin/convert -size 1280x960 -seed 3 plasma:fractal -quality 85 '" + small + "'");
  for (int i = 1; i < 10000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/p%05d.jpg", i);
    fs::create_hard_link(small, ws.many + name);
  }
  for (const std::string& path : {ws.jpg_a, ws.bmp_a}) {
    if (!RegistryDecodes(path)) {
      std::fprintf(stderr, "the registry cannot decode %s\n", path.c_str());
      std::exit(1);
    }
  }
  SetProgramPathForTesting((ws.root / "orvanne").string());
}

void WriteSettings(const std::string& folder) {
  std::FILE* f = std::fopen((g_ws->root / "orvanne.ini").c_str(), "w");
  std::fprintf(f, "[BGIllust]\nFolder=%s\nChangeSec=10\nExtend=1\n[Filename]\nPutFilename=1\n", folder.c_str());
  std::fclose(f);
}

void Start(TfrmMain& form) {
  form.isPreview = false;
  form.FormShow();
  form.FormResize();
}

double ThreadCpuMs() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

long MinorFaults() {
  rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_minflt;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

void PictureChange(benchmark::State& state, bool jpeg) {
  WriteSettings((g_ws->root / "pics").string());
  TfrmMain form;
  form.pictures = jpeg ? std::vector<std::string>{g_ws->jpg_a, g_ws->jpg_b}
                       : std::vector<std::string>{g_ws->bmp_a, g_ws->bmp_b};
  Start(form);
  auto change = [&form] {
    form.secondCounter = 0;
    const auto t0 = Clock::now();
    form.tmrMainTimer();
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  };
  const double first = change();
  if (!form.lastChange.changed) {
    state.SkipWithError("the picture did not load");
    return;
  }
  change();
  const size_t fresh_before = GetPixelPoolStats().fresh;
  std::vector<double> total, cpu, faults, load, convert, scale, caption;
  for (auto _ : state) {
    const double cpu0 = ThreadCpuMs();
    const long faults0 = MinorFaults();
    const double ms = change();
    cpu.push_back(ThreadCpuMs() - cpu0);
    faults.push_back(double(MinorFaults() - faults0));
    state.SetIterationTime(ms / 1000);
    total.push_back(ms);
    load.push_back(double(form.lastChange.load) / 1e6);
    convert.push_back(double(form.lastChange.convert) / 1e6);
    scale.push_back(double(form.lastChange.scale) / 1e6);
    caption.push_back(double(form.lastChange.caption) / 1e6);
  }
  state.counters["median_ms"] = Median(total);
  state.counters["max_ms"] = *std::max_element(total.begin(), total.end());
  state.counters["cpu_median_ms"] = Median(cpu);
  state.counters["page_faults"] = Median(faults);
  state.counters["load_ms"] = Median(load);
  state.counters["convert_ms"] = Median(convert);
  state.counters["scale_ms"] = Median(scale);
  state.counters["caption_ms"] = Median(caption);
  state.counters["first_change_ms"] = first;
  state.counters["fresh_big_blocks"] = double(GetPixelPoolStats().fresh - fresh_before);
}

void StartupToFirstPicture(benchmark::State& state) {
  WriteSettings(g_ws->many);
  std::vector<double> times, cpu;
  for (auto _ : state) {
    const double cpu0 = ThreadCpuMs();
    const auto t0 = Clock::now();
    auto form = std::make_unique<TfrmMain>();
    Start(*form);
    form->tmrMainTimer();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    if (!form->lastChange.changed || form->pictures.size() != 10000) {
      state.SkipWithError("the first picture did not show");
      return;
    }
    state.SetIterationTime(ms / 1000);
    times.push_back(ms);
    cpu.push_back(ThreadCpuMs() - cpu0);
    form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  state.counters["median_ms"] = Median(times);
  state.counters["cpu_median_ms"] = Median(cpu);
}

// The scale step alone, 4000 x 3000 into 1440 x 1080 on a screen-size
// composition: a 24-bit picture (as the JPEG adapter and most bitmap files
// give) goes through a 32-bit copy first.
void HalftoneScale(benchmark::State& state, TPixelFormat format) {
  TBitmap picture(4000, 3000, format);
  for (int y = 0; y < picture.Height(); ++y)
    for (size_t i = 0; i < picture.Stride(); ++i) picture.ScanLine(y)[i] = uint8_t(i * 7 + size_t(y));
  TBitmap compose(1920, 1080, pf32bit);
  for (auto _ : state) HalftoneStretch(compose, Bounds(240, 0, 1440, 1080), picture);
}
BENCHMARK_CAPTURE(HalftoneScale, from_24bit, pf24bit)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HalftoneScale, from_32bit, pf32bit)->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(PictureChange, jpeg_12mp, true)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PictureChange, bmp_12mp, false)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(StartupToFirstPicture)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orv::bench

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  orv::RegisterPictureFormats();
  orv::TApplication::Instance().Initialize(argc, argv);
  benchmark::Initialize(&argc, argv);
  orv::bench::Workspace ws;
  orv::bench::g_ws = &ws;
  orv::bench::BlackScreen screen;
  orv::SetScreenForTesting(&screen);
  std::fprintf(stderr, "preparing pictures...\n");
  orv::bench::Prepare(ws);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  orv::SetScreenForTesting(nullptr);
  std::filesystem::remove_all(ws.root);
  return 0;
}
