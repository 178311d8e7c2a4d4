// Runs the picture benchmarks and prints, after the usual table, megapixels
// per second and how our code compares with its peer in each pairing. Both
// use the fastest repetition's CPU time: the build machines are shared, and
// wall time there measures the neighbours too.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench_files.h"

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (!r.error_occurred && r.run_type == Run::RT_Aggregate && r.aggregate_name == "min")
        times_[r.run_name.str()] = r.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }

  // "ours" takes `ratio` of the peer's time, printed as the peer's time over ours.
  void PrintRatio(const char* label, const std::string& ours, const std::string& peer) const {
    auto a = times_.find(ours), b = times_.find(peer);
    if (a == times_.end() || b == times_.end()) return;
    // Times are in milliseconds; megapixels per second = pixels / ms / 1000.
    const double pixels = double(orv::bench::kWidth) * orv::bench::kHeight;
    std::printf("%-52s %7.1f vs %7.1f MP/s  %6.2fx  (%+.1f%% time)\n", label, pixels / a->second / 1e3,
                pixels / b->second / 1e3, b->second / a->second, 100.0 * (a->second / b->second - 1.0));
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  // Keep freed blocks in the heap, so that "warm" runs of every peer reuse
  // touched pages; the "fresh" runs give them back before each iteration.
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  // Repetitions of all benchmarks run in random order, so that a busy spell
  // on the machine does not fall on one side of a comparison only.
  std::vector<char*> args(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave);
  int count = int(args.size());
  benchmark::Initialize(&count, args.data());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nSpeed of ours relative to the peer (peer time / our time):\n");
  for (const char* bits : {"24", "8"})
    for (const char* fresh : {"0", "1"}) {
      const std::string args = std::string("/bits:") + bits + "/fresh:" + fresh + "/iterations:5/repeats:15";
      const std::string label = std::string("BMP ") + bits + "-bit, " + (fresh[0] == '1' ? "fresh" : "warm") +
                                " memory: ours vs stb_image";
      reporter.PrintRatio(label.c_str(), "BM_BmpOurs" + args, "BM_BmpStb" + args);
    }
  for (const char* sampling : {"444", "420"})
    for (const char* fresh : {"0", "1"}) {
      const std::string args =
          std::string("/sampling:") + sampling + "/fresh:" + fresh + "/iterations:1/repeats:40";
      const std::string label = std::string("JPEG ") + sampling + ", " +
                                (fresh[0] == '1' ? "fresh" : "warm") + " memory: adapter vs bare libjpeg";
      reporter.PrintRatio(label.c_str(), "BM_JpegAdapter" + args, "BM_JpegBare" + args);
    }
  benchmark::Shutdown();
  return 0;
}
