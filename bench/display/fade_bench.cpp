// The cost of the cross-fade on Qt's offscreen platform.
//
// Blend: one fade frame from two screen-size frames, our blend against
// QPainter's constant-opacity draw (the peer), at 1920 x 1080 and
// 3840 x 2160; the ratio is printed as peer_over_ours.
// FadeSecond: one second of fading through the shown display form (60
// frames, each blended into the control and painted into the backing
// store), the GUI thread's processor time over that second as a share of
// one core (goal: under 25 % at 1080p), against one second between fades
// (ten 100 ms ticks). Medians over the iterations.
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "formats/formats.h"
#include "display/cross_fade.h"
#include "display/image_control.h"
#include "display/main_form.h"
#include "platform/gui/application.h"
#include "platform/gui/qt_bitmap.h"
#include "platform/gui/qt_window.h"
#include "platform/gui/screen.h"
#include "platform/paths.h"

namespace orv::bench {
namespace {

namespace fs = std::filesystem;

class SizedScreen : public IScreen {
 public:
  TSize size{1920, 1080};
  TSize Size() override { return size; }
  void Snapshot(TBitmap& bmp) override { bmp.Allocate(size.Width, size.Height, pf32bit, true); }
};

SizedScreen g_screen;
fs::path g_root;

double ThreadCpuMs() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

TBitmap Gradient(int w, int h, int seed) {
  TBitmap b(w, h, pf32bit);
  for (int y = 0; y < h; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(b.ScanLine(y));
    for (int x = 0; x < w; ++x) row[x] = 0xFF000000u | uint32_t((x + seed) & 0xFF) << 16 | uint32_t(y & 0xFF) << 8 | uint32_t(seed);
  }
  return b;
}

// A 24-bit bitmap file of a gradient, for the registry's bitmap reader.
void WriteBmp(const fs::path& path, int w, int h, int seed) {
  const uint32_t stride = uint32_t(w * 3 + 3) & ~3u, image = stride * uint32_t(h);
  std::vector<uint8_t> f(54 + image);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + size_t(i)] = uint8_t(v >> (8 * i));
  };
  f[0] = 'B', f[1] = 'M';
  put32(2, uint32_t(f.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(w));
  put32(22, uint32_t(h));
  f[26] = 1, f[28] = 24;
  put32(34, image);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &f[54 + size_t(y) * stride + size_t(x) * 3];
      p[0] = uint8_t(x * 255 / w), p[1] = uint8_t(y * 255 / h), p[2] = uint8_t(seed);
    }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(f.data()), std::streamsize(f.size()));
}

void Blend(benchmark::State& state, bool ours) {
  const int w = int(state.range(0)), h = int(state.range(1));
  TBitmap from = Gradient(w, h, 1), to = Gradient(w, h, 90);
  TBitmap out(w, h, pf32bit);
  const QImage qfrom = QImageView(from), qto = QImageView(to);
  unsigned weight = 0;
  std::vector<double> ms;
  for (auto _ : state) {
    weight = (weight + 37) % 257;
    const double t0 = ThreadCpuMs();
    if (ours) {
      BlendFrames(from, to, weight, out);
    } else {
      QImage qout = QImageView(out);
      QPainter painter(&qout);
      painter.setCompositionMode(QPainter::CompositionMode_Source);
      painter.drawImage(0, 0, qfrom);
      painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
      painter.setOpacity(weight / 256.0);
      painter.drawImage(0, 0, qto);
    }
    ms.push_back(ThreadCpuMs() - t0);
    benchmark::DoNotOptimize(out.Bits());
  }
  state.counters["cpu_median_ms"] = Median(ms);
  state.counters["fade_second_core_pct"] = Median(ms) * 60 / 10;  // 60 frames in 1000 ms
}

void BlendOurs(benchmark::State& state) { Blend(state, true); }
void BlendQPainterOpacity(benchmark::State& state) { Blend(state, false); }

// One second of ticks at the form's rhythm with the injected clock; the GUI
// thread's processor time, paints included.
struct SteppedClock : IClock {
  uint32_t now = 1000000;
  uint32_t Now() override { return now; }
};

void FadeSecond(benchmark::State& state) {
  g_screen.size = {int(state.range(0)), int(state.range(1))};
  std::FILE* ini = std::fopen((g_root / "orvanne.ini").c_str(), "w");
  std::fprintf(ini, "[BGIllust]\nFolder=%s\nChangeSec=3\n[Filename]\nPutFilename=1\n[Settings]\nDrawMode=%d\nFadeTime=10\n",
               (g_root / "pics").c_str(), int(state.range(2)));
  std::fclose(ini);
  SteppedClock clock;
  TDisplayServices services;
  services.clock = &clock;
  services.splash = false;
  TfrmMain form(nullptr, services);
  form.pictures = {(g_root / "pics/a.bmp").string(), (g_root / "pics/b.bmp").string()};
  form.ShowFullScreen();
  QCoreApplication::processEvents();
  // The offscreen platform's full screen is its own small one: the screen's
  // size by hand, in a plain window state.
  form.setWindowState(Qt::WindowNoState);
  form.setGeometry(0, 0, g_screen.size.Width, g_screen.size.Height);
  QCoreApplication::processEvents();
  if (DevicePixelSize(Win(form.imgMain)).Width != g_screen.size.Width) {
    state.SkipWithError("the form does not cover the screen");
    return;
  }
  auto tick = [&](uint32_t ms) {
    clock.now += ms;
    form.tmrMainTimer();
    QCoreApplication::processEvents();  // the paint that update() asked for
  };
  std::vector<double> fade_ms, rest_ms, frames;
  for (auto _ : state) {
    // Up to a change (the picture is prepared on the worker meanwhile).
    for (int i = 0; i < 400 && !form.Fading(); ++i) {
      tick(form.tmrMain->interval());
      if (!form.Fading()) usleep(2000);
    }
    if (!form.Fading()) {
      state.SkipWithError("no fade began");
      return;
    }
    const double t0 = ThreadCpuMs();
    int n = 0;
    while (form.Fading()) tick(uint32_t(form.FadeFrameInterval())), ++n;
    fade_ms.push_back(ThreadCpuMs() - t0);
    frames.push_back(n);
    const double t1 = ThreadCpuMs();
    for (int i = 0; i < 10 && !form.Fading(); ++i) tick(form.tmrMain->interval());
    rest_ms.push_back(ThreadCpuMs() - t1);
  }
  const double fade = Median(fade_ms), rest = Median(rest_ms);
  state.counters["frames"] = Median(frames);
  state.counters["fade_cpu_ms_per_s"] = fade;
  state.counters["fade_core_pct"] = fade / 10;
  state.counters["rest_cpu_ms_per_s"] = rest;
  state.counters["fade_over_rest"] = rest > 0 ? fade / rest : 0;
  form.close();
}

BENCHMARK(BlendOurs)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
BENCHMARK(BlendQPainterOpacity)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
// Unbuffered (0) and buffered (1) presentation.
BENCHMARK(FadeSecond)
    ->Args({1920, 1080, 0})
    ->Args({1920, 1080, 1})
    ->Args({3840, 2160, 0})
    ->Iterations(7)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orv::bench

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  orv::RegisterPictureFormats();
  orv::TApplication::Instance().Initialize(argc, argv);
  benchmark::Initialize(&argc, argv);
  orv::bench::g_root = std::filesystem::temp_directory_path() / ("orv_fade_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(orv::bench::g_root / "pics");
  orv::bench::WriteBmp(orv::bench::g_root / "pics/a.bmp", 1600, 1200, 40);
  orv::bench::WriteBmp(orv::bench::g_root / "pics/b.bmp", 1600, 1200, 200);
  orv::SetProgramPathForTesting((orv::bench::g_root / "orvanne").string());
  orv::SetScreenForTesting(&orv::bench::g_screen);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  orv::SetScreenForTesting(nullptr);
  std::filesystem::remove_all(orv::bench::g_root);
  return 0;
}
