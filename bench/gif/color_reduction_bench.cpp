// ReducePictureColors on a 12-megapixel photo-like picture (4000 x 3000,
// 24 bits, made at start): every method with Floyd-Steinberg, and every
// dither mode on the 216-colour cube. Megapixels per second in the MP/s
// column and, from the fastest repetition, in the summary.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>

#include "gif/reduction/color_reduction.h"

namespace {

using namespace orv;

constexpr int kWidth = 4000, kHeight = 3000;
constexpr double kMegapixels = double(kWidth) * kHeight / 1e6;

// Smooth shapes with grain, as a photograph has them.
const TBitmap& Picture() {
  static const TBitmap picture = [] {
    TBitmap b(kWidth, kHeight, pf24bit);
    std::mt19937 rng(7);
    std::normal_distribution<float> grain(0.0f, 6.0f);
    for (int y = 0; y < kHeight; ++y) {
      uint8_t* p = b.ScanLine(y);
      const double v = double(y) / kHeight;
      for (int x = 0; x < kWidth; ++x, p += 3) {
        const double u = double(x) / kWidth;
        const double rgb[3] = {128 + 100 * std::sin(6.0 * u) * std::cos(4.0 * v),
                               128 + 90 * std::sin(3.0 * (u + v)), 110 + 120 * v * std::cos(5.0 * u)};
        for (int k = 0; k < 3; ++k) p[2 - k] = uint8_t(std::clamp(rgb[k] + grain(rng), 0.0, 255.0));
      }
    }
    return b;
  }();
  return picture;
}

const TGIFPalette& CustomPalette() {
  static const TGIFPalette palette = [] {
    TGIFPalette p(256);
    std::mt19937 rng(11);
    for (auto& e : p) e = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0};
    return p;
  }();
  return palette;
}

void Run(benchmark::State& state, TColorReduction method, TDitherMode mode) {
  const TBitmap& picture = Picture();
  for (auto _ : state) {
    TBitmap result = ReducePictureColors(picture, method, mode, &CustomPalette(), 8);
    benchmark::DoNotOptimize(result.Bits());
  }
  state.counters["MP/s"] = benchmark::Counter(kMegapixels, benchmark::Counter::kIsIterationInvariantRate);
}

const char* const kMethodNames[] = {"None",    "System20", "Halftone", "Grey4",           "Mono",
                                    "Grey256", "Cube216",  "Quantize", "QuantizeStatics", "Custom"};
const char* const kModeNames[] = {"Nearest",           "FloydSteinberg", "Stucki", "Sierra",
                                  "JarvisJudiceNinke", "StevensonArce",  "Burkes"};

class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (!r.error_occurred && r.run_type == Run::RT_Iteration) {
        const std::string name = r.run_name.function_name;
        const double ms = r.GetAdjustedCPUTime();
        auto it = best_.find(name);
        if (it == best_.end() || ms < it->second) best_[name] = ms;
      }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintSummary() const {
    std::printf("\nMegapixels per second (fastest repetition, CPU time):\n");
    for (const auto& [name, ms] : best_)
      std::printf("  %-44s %7.1f MP/s\n", name.c_str(), kMegapixels / ms * 1e3);
  }

 private:
  std::map<std::string, double> best_;
};

}  // namespace

int main(int argc, char** argv) {
  for (int m = 0; m <= 9; ++m)
    benchmark::RegisterBenchmark((std::string("Reduce/") + kMethodNames[m] + "/FloydSteinberg").c_str(), Run,
                                 TColorReduction(m), DitherFloydSteinberg)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(5);
  for (int d = 0; d <= 6; ++d)
    benchmark::RegisterBenchmark((std::string("Dither/Cube216/") + kModeNames[d]).c_str(), Run, ReduceCube216,
                                 TDitherMode(d))
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(5);
  Picture();
  benchmark::Initialize(&argc, argv);
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintSummary();
  benchmark::Shutdown();
  return 0;
}
