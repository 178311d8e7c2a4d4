// The slideshow's picture change and start-up, measured through the display
// form itself on Qt's offscreen platform with a 1920 x 1080 screen.
//
// PictureChange: changes between two 12-megapixel files (after a warm-up
// change), each made ready by the form's worker thread and then shown by the
// tick. Reports the tick's time on the GUI thread, the processor time per
// change of every thread together, and the worker's phases (load, convert,
// scale). Goal: the tick under 10 ms.
// CameraJpegChange: the same for camera-size JPEGs (12, 24 and 50 megapixel
// baseline, 18 megapixel progressive), with the process's peak and final
// resident memory over the case. Goals: the tick at most 10 ms; processor
// time per change at most 40 ms at 24 megapixels, 80 ms at 50, 300 ms for
// the progressive file; at most 250 MB resident at 50 megapixels. The tick's
// goal is judged on its processor time: on a shared machine its wall time
// also counts the neighbours.
// FormatChange: the same for the 12-megapixel photo as WebP, HEIC, AVIF and
// JPEG XL (made from the JPEG by each library's encoder), where built in.
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
#include <fstream>
#include <map>
#include <vector>

#include "../picture/bench_files.h"
#include "formats/formats.h"
#include "display/main_form.h"
#include "picture/picture.h"
#include "platform/area_stretch.h"
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

// Every thread of the process: the GUI thread and the picture worker.
double ProcessCpuMs() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
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

// A field of /proc/self/status in megabytes ("VmHWM", "VmRSS").
double StatusMb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(in, line))
    if (line.compare(0, key.size(), key) == 0) return std::atof(line.c_str() + key.size()) / 1024;
  return -1;
}

// Starts the peak (VmHWM) afresh from the present resident size, so that
// each case reports its own peak. False where the kernel does not allow it.
bool ResetPeakMemory() {
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
  out.flush();
  return bool(out);
}

// The i-th draw of each pass is i: the shuffle leaves the list as it is, so
// that two files alternate.
class InOrder : public IRandom {
 public:
  int Next(int n) override { return n > 0 ? int(draws_++ % unsigned(n)) : 0; }

 private:
  unsigned draws_ = 0;
};

struct ChangeStats {
  std::vector<double> tick, tick_cpu, cpu, worker_cpu, faults, load, convert, scale, caption;
  int scale_shift = 0;
  std::string error;
};

// Shows `changes` pictures alternating between the two files, after one
// warm-up change. Each change waits (without using the processor) until the
// worker has the picture ready, then the tick shows it.
ChangeStats MeasureChanges(const std::string& a, const std::string& b, int changes) {
  ChangeStats st;
  WriteSettings((g_ws->root / "pics").string());
  InOrder order;
  TDisplayServices services;
  services.random = &order;
  TfrmMain form(nullptr, services);
  form.pictures = {a, b};
  Start(form);
  const std::string files[2] = {a, b};
  double cpu_before = ProcessCpuMs();
  for (int k = 0; k <= changes; ++k) {
    const std::string& name = files[k % 2];
    if (k == 0) form.tmrMainTimer();  // the first tick asks for the first picture
    if (!form.Preparer().WaitReady(form.RequestFor(name), std::chrono::seconds(120))) {
      st.error = "the picture was not made ready";
      return st;
    }
    const long faults0 = MinorFaults();
    const double gui0 = ThreadCpuMs();
    const auto t0 = Clock::now();
    form.secondCounter = 0;
    form.tmrMainTimer();
    const double tick = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    const double gui = ThreadCpuMs() - gui0;
    const double cpu_after = ProcessCpuMs();
    if (!form.lastChange.changed || form.lastFileName != name) {
      st.error = "the picture did not show";
      return st;
    }
    if (k > 0) {  // the first change is the warm-up
      st.tick.push_back(tick);
      st.tick_cpu.push_back(gui);
      st.cpu.push_back(cpu_after - cpu_before);
      st.worker_cpu.push_back(double(form.lastChange.preparedCpu) / 1e6);
      st.faults.push_back(double(MinorFaults() - faults0));
      st.load.push_back(double(form.lastChange.load) / 1e6);
      st.convert.push_back(double(form.lastChange.convert) / 1e6);
      st.scale.push_back(double(form.lastChange.scale) / 1e6);
      st.caption.push_back(double(form.lastChange.caption) / 1e6);
    }
    st.scale_shift = form.lastChange.scaleShift;
    cpu_before = cpu_after;
  }
  return st;
}

void Report(benchmark::State& state, const ChangeStats& st) {
  // The changes were made before the loop; it only hands their ticks over.
  size_t i = 0;
  for (auto _ : state) state.SetIterationTime(i < st.tick.size() ? st.tick[i++] / 1000 : 0);
  state.counters["tick_ms"] = Median(st.tick);
  state.counters["tick_max_ms"] = *std::max_element(st.tick.begin(), st.tick.end());
  state.counters["tick_cpu_ms"] = Median(st.tick_cpu);
  state.counters["tick_cpu_max_ms"] = *std::max_element(st.tick_cpu.begin(), st.tick_cpu.end());
  state.counters["cpu_per_change_ms"] = Median(st.cpu);
  state.counters["worker_cpu_ms"] = Median(st.worker_cpu);
  state.counters["tick_page_faults"] = Median(st.faults);
  state.counters["load_ms"] = Median(st.load);
  state.counters["convert_ms"] = Median(st.convert);
  state.counters["scale_ms"] = Median(st.scale);
  state.counters["caption_ms"] = Median(st.caption);
  state.counters["jpeg_scale_1_over"] = double(1 << st.scale_shift);
}

void PictureChange(benchmark::State& state, bool jpeg) {
  const size_t fresh_before = GetPixelPoolStats().fresh;
  const ChangeStats st = jpeg ? MeasureChanges(g_ws->jpg_a, g_ws->jpg_b, int(state.max_iterations))
                              : MeasureChanges(g_ws->bmp_a, g_ws->bmp_b, int(state.max_iterations));
  if (!st.error.empty()) {
    state.SkipWithError(st.error.c_str());
    return;
  }
  Report(state, st);
  state.counters["fresh_big_blocks"] = double(GetPixelPoolStats().fresh - fresh_before);
}

void FormatChange(benchmark::State& state, const char* ext) {
  if (!TFileFormatsList::Instance().FindExt(ext)) {
    state.SkipWithError("format not built in");
    return;
  }
  const std::string e = ext;
  const std::string a = (g_ws->root / "pics" / ("photo_a." + e)).string();
  const std::string b = (g_ws->root / "pics" / ("photo_b." + e)).string();
  const std::string jpg = "'" + g_ws->jpg_a + "' ";
  if (e == "webp") Run("/usr/bin/cwebp -quiet -q 85 " + jpg + "-o '" + a + "'");
  if (e == "heic") Run("/usr/bin/heif-enc -q 85 " + jpg + "-o '" + a + "' >/dev/null");
  if (e == "avif") Run("/usr/bin/avifenc -s 8 -j 2 " + jpg + "'" + a + "' >/dev/null");
  if (e == "jxl") Run("/usr/bin/cjxl --quiet --lossless_jpeg=0 " + jpg + "'" + a + "'");
  fs::remove(b);
  fs::create_hard_link(a, b);
  const ChangeStats st = MeasureChanges(a, b, int(state.max_iterations));
  fs::remove(a);
  fs::remove(b);
  if (!st.error.empty()) {
    state.SkipWithError(st.error.c_str());
    return;
  }
  Report(state, st);
}

struct CameraCase {
  const char* name;
  int width, height;
  bool progressive;
  double cpu_goal_ms;  // 0: no goal of its own
};

void CameraJpegChange(benchmark::State& state, CameraCase c) {
  // Two names for one file: the tick never shows the same name twice in a row.
  const std::string a = (g_ws->root / "pics" / (std::string(c.name) + "_a.jpg")).string();
  const std::string b = (g_ws->root / "pics" / (std::string(c.name) + "_b.jpg")).string();
  double file_mb = 0;
  {
    const std::vector<uint8_t> bytes = PhotoJpeg(c.width, c.height, c.progressive);
    file_mb = double(bytes.size()) / (1 << 20);
    std::ofstream(a, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  fs::remove(b);
  fs::create_hard_link(a, b);
  DropFreedMemory();
  const double rss_before = StatusMb("VmRSS");
  const bool peak_reset = ResetPeakMemory();
  const ChangeStats st = MeasureChanges(a, b, int(state.max_iterations));
  const double peak = StatusMb("VmHWM"), rss_after = StatusMb("VmRSS");
  fs::remove(a);
  fs::remove(b);
  if (!st.error.empty()) {
    state.SkipWithError(st.error.c_str());
    return;
  }
  Report(state, st);
  state.counters["file_mb"] = file_mb;
  state.counters["rss_before_mb"] = rss_before;
  state.counters["peak_rss_mb"] = peak_reset ? peak : -1;
  state.counters["rss_after_mb"] = rss_after;
  const double cpu = Median(st.cpu), tick = *std::max_element(st.tick.begin(), st.tick.end());
  const double tick_cpu = *std::max_element(st.tick_cpu.begin(), st.tick_cpu.end());
  std::fprintf(stderr,
               "%-16s %5.1f Mpix %5.1f MB  tick max %5.1f ms, on the processor %4.1f ms (goal 10: %s)  cpu/change %6.1f ms (goal %s: %s)"
               "  peak %5.0f MB  rss %5.0f -> %5.0f MB  decoded at 1/%d\n",
               c.name, c.width * double(c.height) / 1e6, file_mb, tick, tick_cpu, tick_cpu <= 10 ? "met" : "MISSED", cpu,
               c.cpu_goal_ms > 0 ? std::to_string(int(c.cpu_goal_ms)).c_str() : "-",
               c.cpu_goal_ms <= 0 ? "-" : cpu <= c.cpu_goal_ms ? "met" : "MISSED", peak_reset ? peak : -1,
               rss_before, rss_after, 1 << st.scale_shift);
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
// composition, Qt's smooth scaling (a 24-bit picture, as the JPEG adapter
// and most bitmap files give, goes through a 32-bit copy first) against
// our own area-averaging stretch, which the preparer uses. Also growing a
// 1000 x 750 picture to the same size.
// kOursSse2: without the AVX2 path, as on processors that lack it.
enum class Scaler { kQt, kOurs, kOursSse2 };
void HalftoneScale(benchmark::State& state, TPixelFormat format, Scaler scaler, int width) {
  TBitmap picture(width, width * 3 / 4, format);
  for (int y = 0; y < picture.Height(); ++y)
    for (size_t i = 0; i < picture.Stride(); ++i) picture.ScanLine(y)[i] = uint8_t(i * 7 + size_t(y));
  TBitmap compose(1920, 1080, pf32bit);
  for (auto _ : state) {
    if (scaler == Scaler::kQt)
      HalftoneStretch(compose, Bounds(240, 0, 1440, 1080), picture);
    else
      AreaStretch(compose, Bounds(240, 0, 1440, 1080), picture,
                  scaler == Scaler::kOurs ? TStretchPath::kBest : TStretchPath::kSse2);
  }
}
BENCHMARK_CAPTURE(HalftoneScale, qt_from_24bit, pf24bit, Scaler::kQt, 4000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HalftoneScale, ours_from_24bit, pf24bit, Scaler::kOurs, 4000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HalftoneScale, qt_from_32bit, pf32bit, Scaler::kQt, 4000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HalftoneScale, ours_from_32bit, pf32bit, Scaler::kOurs, 4000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HalftoneScale, qt_grow_24bit, pf24bit, Scaler::kQt, 1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HalftoneScale, ours_grow_24bit, pf24bit, Scaler::kOurs, 1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HalftoneScale, ours_sse2_from_24bit, pf24bit, Scaler::kOursSse2, 4000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HalftoneScale, ours_sse2_from_32bit, pf32bit, Scaler::kOursSse2, 4000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HalftoneScale, ours_sse2_grow_24bit, pf24bit, Scaler::kOursSse2, 1000)->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(PictureChange, jpeg_12mp, true)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CameraJpegChange, baseline_12mp, CameraCase{"baseline_12mp", 4000, 3000, false, 0})
    ->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CameraJpegChange, baseline_24mp, CameraCase{"baseline_24mp", 6000, 4000, false, 40})
    ->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CameraJpegChange, baseline_50mp, CameraCase{"baseline_50mp", 8688, 5792, false, 80})
    ->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CameraJpegChange, progressive_18mp, CameraCase{"progressive_18mp", 5184, 3456, true, 300})
    ->Iterations(6)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PictureChange, bmp_12mp, false)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FormatChange, webp_12mp, "webp")->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FormatChange, heic_12mp, "heic")->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FormatChange, avif_12mp, "avif")->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FormatChange, jxl_12mp, "jxl")->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
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
