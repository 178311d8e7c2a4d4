// Start-up with subfolders, measured through the display form itself on Qt's
// offscreen platform with a 1920 x 1080 screen.
//
// StartupToFirstPicture/tree: creating the form (settings, background, the
// splash and the walk over 100,000 pictures in 1,000 folders, two levels as
// dated photo folders are, shuffle), showing it and the first tick that
// draws the first picture (ticks back to back, so without the wait for the
// next 100 ms tick). Goal: median under 1 s.
// StartupToFirstPicture/flat: the same 100,000 pictures in one folder
// without subfolders, the baseline the ratio is taken against.
// Walk/tree: the search of the tree alone, without the form.
//
// Every picture is a hard link to a small bitmap file, so the tree costs
// no disk space; the operating system's caches are warm after the first run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "formats/formats.h"
#include "display/main_form.h"
#include "display/picture_list.h"
#include "platform/gui/application.h"
#include "platform/gui/screen.h"
#include "platform/paths.h"

namespace orv::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kYears = 10, kDaysPerYear = 100, kPicturesPerDay = 100;
constexpr size_t kPictures = size_t(kYears) * kDaysPerYear * kPicturesPerDay;

class BlackScreen : public IScreen {
 public:
  TSize Size() override { return {1920, 1080}; }
  void Snapshot(TBitmap& bmp) override { bmp.Allocate(1920, 1080, pf32bit, true); }
};

fs::path g_root;
std::map<std::string, double> g_medians;

void Put(std::ofstream& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.put(char((value >> (8 * i)) & 0xFF));
}

// A 640 x 480 24-bit bitmap with a gradient.
void WriteBitmap(const fs::path& path) {
  constexpr uint32_t w = 640, h = 480, stride = w * 3, size = stride * h;
  std::ofstream out(path, std::ios::binary);
  out << "BM";
  Put(out, 54 + size, 4), Put(out, 0, 4), Put(out, 54, 4);
  Put(out, 40, 4), Put(out, w, 4), Put(out, h, 4), Put(out, 1, 2), Put(out, 24, 2);
  Put(out, 0, 4), Put(out, size, 4), Put(out, 2835, 4), Put(out, 2835, 4), Put(out, 0, 4), Put(out, 0, 4);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) out.put(char(x / 3)), out.put(char(y / 2)), out.put(char((x + y) / 5));
}

void Prepare() {
  g_root = fs::temp_directory_path() / ("orv_subfolder_bench_" + std::to_string(::getpid()));
  fs::create_directories(g_root / "flat");
  char name[64];
  for (int year = 0; year < kYears; ++year) {
    // One file per year: a file system allows only so many links to one.
    const fs::path picture = g_root / ("picture" + std::to_string(year) + ".bmp");
    WriteBitmap(picture);
    for (int day = 0; day < kDaysPerYear; ++day) {
      std::snprintf(name, sizeof name, "%04d/%03d", 2010 + year, day);
      const fs::path folder = g_root / "tree" / name;
      fs::create_directories(folder);
      for (int i = 0; i < kPicturesPerDay; ++i) {
        std::snprintf(name, sizeof name, "IMG_%04d.bmp", i);
        fs::create_hard_link(picture, folder / name);
        std::snprintf(name, sizeof name, "%04d_%03d_%04d.bmp", 2010 + year, day, i);
        fs::create_hard_link(picture, g_root / "flat" / name);
      }
    }
  }
  SetProgramPathForTesting((g_root / "orvanne").string());
}

void WriteIni(const std::string& folder, bool subfolders) {
  std::ofstream(g_root / "orvanne.ini") << "[BGIllust]\nFolder=" << folder << "\nSubFolders=" << subfolders
                                        << "\n[Filename]\nPutFilename=1\n";
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

void StartupToFirstPicture(benchmark::State& state, bool tree) {
  WriteIni((g_root / (tree ? "tree" : "flat")).string(), tree);
  std::vector<double> times;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    auto form = std::make_unique<TfrmMain>();
    form->isPreview = false;
    form->FormShow();
    form->FormResize();
    // The first picture is decoded on the preparer's thread; the ticks ask
    // for it (here back to back rather than every 100 ms) until it shows.
    for (int tries = 0; tries < 20000 && !form->lastChange.changed; ++tries) {
      form->tmrMainTimer();
      if (!form->lastChange.changed) std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    if (!form->lastChange.changed || form->pictures.size() != kPictures) {
      state.SkipWithError("the first picture did not show, or pictures are missing");
      return;
    }
    state.SetIterationTime(ms / 1000);
    times.push_back(ms);
    form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  state.counters["median_ms"] = g_medians[tree ? "tree" : "flat"] = Median(times);
}

void Walk(benchmark::State& state) {
  TSilentProgress silent;
  std::vector<double> times;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    const size_t found = SearchPictures((g_root / "tree").string(), silent, true).size();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    if (found != kPictures) {
      state.SkipWithError("pictures are missing");
      return;
    }
    state.SetIterationTime(ms / 1000);
    times.push_back(ms);
  }
  state.counters["median_ms"] = g_medians["walk"] = Median(times);
}

BENCHMARK_CAPTURE(StartupToFirstPicture, tree, true)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(StartupToFirstPicture, flat, false)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Walk)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orv::bench

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  orv::RegisterPictureFormats();
  orv::TApplication::Instance().Initialize(argc, argv);
  benchmark::Initialize(&argc, argv);
  orv::bench::BlackScreen screen;
  orv::SetScreenForTesting(&screen);
  std::fprintf(stderr, "preparing %zu pictures...\n", orv::bench::kPictures);
  orv::bench::Prepare();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  auto& m = orv::bench::g_medians;
  if (m["tree"] > 0 && m["flat"] > 0)
    std::printf("start-up to first picture, median: tree %.0f ms (goal < 1000), flat %.0f ms, tree / flat %.2f\n",
                m["tree"], m["flat"], m["tree"] / m["flat"]);
  orv::SetScreenForTesting(nullptr);
  std::filesystem::remove_all(orv::bench::g_root);
  return 0;
}
