// HEIF (HEIC, AVIF), WebP and JPEG XL on a 12-megapixel photo:
//   Adapter/<fmt>  our adapter, load and decode into its bitmap, in process;
//   Bare/<fmt>     the same library called directly into a buffer, in process;
//   Ours/<fmt>     picdump decoding the file and writing it as PAM (a process);
//   Tool/<fmt>     the library's own decoder tool writing PPM (a process;
//                  heif-convert writes Y4M, its fastest output).
// Times are processor time of all threads (the libraries and tools use
// threads, and the machines are shared, so wall time measures neighbours
// too): for the processes, the child's user and system time. The fastest of
// the repetitions counts; ratios follow the table. The repetitions of all
// benchmarks are interleaved at random, so that the adapter and its bare
// library (and picdump and the tool) meet the same load from neighbours:
// one after the other, the load shifts between them by more than the
// difference measured.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../picture/bench_files.h"
#include "formats/formats.h"
#include "picture/picture.h"
#ifdef ORV_HAVE_HEIF
#include <libheif/heif.h>
#endif
#ifdef ORV_HAVE_WEBP
#include <webp/decode.h>
#endif
#ifdef ORV_HAVE_JXL
#include <jxl/decode.h>
#include <jxl/resizable_parallel_runner.h>
#endif

extern char** environ;

namespace orv::bench {
namespace {

namespace fs = std::filesystem;

fs::path g_dir;
constexpr int kRepetitions = 11;

// Runs the program; its exit status, and its processor time in *cpu.
int Spawn(const std::vector<std::string>& argv, double* cpu = nullptr) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  int status = -1;
  rusage usage{};
  if (posix_spawn(&pid, args[0], &fa, nullptr, args.data(), environ) == 0) wait4(pid, &status, 0, &usage);
  if (cpu)
    *cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  posix_spawn_file_actions_destroy(&fa);
  return status;
}

struct Format {
  const char* ext;
  std::vector<std::string> encode;  // {tool, options...}; source and output are added
  bool source_png;                  // the encoder reads PNG or JPEG, not PPM
  std::vector<std::string> tool;    // the decoder tool, "IN" and "OUT" placeholders
};

const std::vector<Format>& Formats() {
  static const std::vector<Format> f = {
      {"webp", {"/usr/bin/cwebp", "-quiet", "-q", "85"}, false, {"/usr/bin/dwebp", "-quiet", "IN", "-ppm", "-o", "OUT.ppm"}},
      {"heic", {"/usr/bin/heif-enc", "-q", "85"}, true, {"/usr/bin/heif-convert", "IN", "OUT.y4m"}},
      {"avif", {"/usr/bin/avifenc", "-s", "8", "-j", "2"}, true, {"/usr/bin/heif-convert", "IN", "OUT.y4m"}},
      {"jxl", {"/usr/bin/cjxl", "--quiet"}, false, {"/usr/bin/djxl", "IN", "OUT.ppm", "--quiet"}},
  };
  return f;
}

std::string FileOf(const std::string& ext) { return (g_dir / ("photo." + ext)).string(); }

std::vector<uint8_t> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The photo in each format, made once by the format's own encoder.
bool Prepare() {
  g_dir = fs::temp_directory_path() / ("orv_formats_bench_" + std::to_string(::getpid()));
  fs::create_directories(g_dir);
  const std::string ppm = (g_dir / "photo.ppm").string(), jpg = (g_dir / "photo.jpg").string();
  {
    std::ofstream out(ppm, std::ios::binary);
    out << "P6\n" << kWidth << " " << kHeight << "\n255\n";
    out.write(reinterpret_cast<const char*>(PhotoRgb().data()), std::streamsize(PhotoRgb().size()));
    const std::vector<uint8_t> j = JpegFile(2, 2);
    std::ofstream(jpg, std::ios::binary).write(reinterpret_cast<const char*>(j.data()), std::streamsize(j.size()));
  }
  for (const Format& f : Formats()) {
    if (!TFileFormatsList::Instance().FindExt(f.ext)) continue;
    std::vector<std::string> argv = f.encode;
    const std::string in = f.source_png ? jpg : ppm, out = FileOf(f.ext);
    if (argv[0] == "/usr/bin/cjxl" || argv[0] == "/usr/bin/avifenc") {
      argv.insert(argv.begin() + 1, {in, out});
    } else {
      argv.insert(argv.end(), {in, "-o", out});
    }
    std::fprintf(stderr, "encoding %s...\n", out.c_str());
    if (Spawn(argv) != 0) {
      std::fprintf(stderr, "failed to encode %s\n", out.c_str());
      return false;
    }
  }
  return true;
}

void Adapter(benchmark::State& state, const char* ext) {
  const std::vector<uint8_t> file = Bytes(FileOf(ext));
  const TGraphicClass* cls = TFileFormatsList::Instance().FindExt(ext);
  for (auto _ : state) {
    TMemoryStream stream(file.data(), file.size());
    std::unique_ptr<TGraphic> g = cls->create();
    g->SetBitmapOnly(true);
    g->LoadFromStream(stream);
    TBitmap bmp;
    g->ReleaseTo(bmp);
    benchmark::DoNotOptimize(bmp.Bits());
  }
}

void Bare(benchmark::State& state, const char* ext) {
  const std::vector<uint8_t> file = Bytes(FileOf(ext));
  const std::string e = ext;
  // One buffer for all runs, as our bitmaps come from a pool.
  const size_t stride = (size_t(kWidth) * 3 + 3) & ~size_t(3);
  std::vector<uint8_t> pixels(stride * kHeight);
  for (auto _ : state) {
#ifdef ORV_HAVE_WEBP
    if (e == "webp") benchmark::DoNotOptimize(WebPDecodeBGRInto(file.data(), file.size(), pixels.data(), pixels.size(), int(stride)));
#endif
#ifdef ORV_HAVE_HEIF
    if (e == "heic" || e == "avif") {
      heif_context* ctx = heif_context_alloc();
      heif_context_read_from_memory_without_copy(ctx, file.data(), file.size(), nullptr);
      heif_image_handle* handle = nullptr;
      heif_context_get_primary_image_handle(ctx, &handle);
      heif_image* img = nullptr;
      heif_decode_image(handle, &img, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr);
      int stride = 0;
      benchmark::DoNotOptimize(heif_image_get_plane_readonly(img, heif_channel_interleaved, &stride));
      heif_image_release(img);
      heif_image_handle_release(handle);
      heif_context_free(ctx);
    }
#endif
#ifdef ORV_HAVE_JXL
    if (e == "jxl") {
      JxlDecoder* dec = JxlDecoderCreate(nullptr);
      void* runner = JxlResizableParallelRunnerCreate(nullptr);
      JxlDecoderSetParallelRunner(dec, JxlResizableParallelRunner, runner);
      JxlDecoderSubscribeEvents(dec, JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE);
      JxlDecoderSetInput(dec, file.data(), file.size());
      JxlDecoderCloseInput(dec);
      const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 4};
      for (JxlDecoderStatus s = JxlDecoderProcessInput(dec); s != JXL_DEC_FULL_IMAGE && s != JXL_DEC_ERROR &&
                                                             s != JXL_DEC_SUCCESS;
           s = JxlDecoderProcessInput(dec)) {
        JxlBasicInfo info;
        if (s == JXL_DEC_BASIC_INFO && JxlDecoderGetBasicInfo(dec, &info) == JXL_DEC_SUCCESS)
          JxlResizableParallelRunnerSetThreads(runner, JxlResizableParallelRunnerSuggestThreads(info.xsize, info.ysize));
        if (s == JXL_DEC_NEED_IMAGE_OUT_BUFFER) {
          JxlDecoderSetImageOutBuffer(dec, &format, pixels.data(), pixels.size());
        }
      }
      benchmark::DoNotOptimize(pixels.data());
      JxlResizableParallelRunnerDestroy(runner);
      JxlDecoderDestroy(dec);
    }
#endif
  }
}

void TimeProcess(benchmark::State& state, const std::vector<std::string>& argv) {
  for (auto _ : state) {
    double cpu = 0;
    const auto t0 = std::chrono::steady_clock::now();
    const int status = Spawn(argv, &cpu);
    const auto t1 = std::chrono::steady_clock::now();
    if (status != 0) {
      state.SkipWithError(("failed: " + argv[0]).c_str());
      return;
    }
    state.SetIterationTime(cpu);
    state.counters["wall_ms"] = std::chrono::duration<double, std::milli>(t1 - t0).count();
  }
}

void Ours(benchmark::State& state, const char* ext) {
#ifdef ORV_PICDUMP
  TimeProcess(state, {ORV_PICDUMP, FileOf(ext), (g_dir / "ours.pam").string()});
#else
  state.SkipWithError("no picdump in this build");
#endif
}

void Tool(benchmark::State& state, const char* ext) {
  for (const Format& f : Formats()) {
    if (std::strcmp(f.ext, ext) != 0) continue;
    std::vector<std::string> argv = f.tool;
    for (std::string& a : argv) {
      if (a == "IN") a = FileOf(ext);
      if (a.rfind("OUT", 0) == 0) a = (g_dir / ("tool" + a.substr(3))).string();
    }
    TimeProcess(state, argv);
  }
}

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (!r.error_occurred && r.run_type == Run::RT_Aggregate && r.aggregate_name == "min")
        times_[r.run_name.str()] = r.run_name.str().find("manual_time") != std::string::npos ? r.GetAdjustedRealTime()
                                                                                              : r.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatio(const std::string& label, const std::string& ours, const std::string& peer) const {
    auto a = times_.find(ours), b = times_.find(peer);
    if (a == times_.end() || b == times_.end()) return;
    std::printf("%-40s %8.1f vs %8.1f ms  ours takes %.3fx the time (%+.1f%%)\n", label.c_str(), a->second, b->second,
                a->second / b->second, 100.0 * (a->second / b->second - 1.0));
  }

 private:
  std::map<std::string, double> times_;
};

void Register() {
  for (const Format& f : Formats()) {
    if (!TFileFormatsList::Instance().FindExt(f.ext)) continue;
    auto setup = [](benchmark::internal::Benchmark* b) {
      b->Iterations(1)->Repetitions(kRepetitions)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
      b->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
    };
    setup(benchmark::RegisterBenchmark((std::string("Adapter/") + f.ext).c_str(), Adapter, f.ext)->MeasureProcessCPUTime());
    setup(benchmark::RegisterBenchmark((std::string("Bare/") + f.ext).c_str(), Bare, f.ext)->MeasureProcessCPUTime());
    setup(benchmark::RegisterBenchmark((std::string("Ours/") + f.ext).c_str(), Ours, f.ext)->UseManualTime());
    setup(benchmark::RegisterBenchmark((std::string("Tool/") + f.ext).c_str(), Tool, f.ext)->UseManualTime());
  }
}

}  // namespace
}  // namespace orv::bench

int main(int argc, char** argv) {
  using namespace orv::bench;
  orv::RegisterPictureFormats();
  // Interleaved unless the command line says otherwise (a later flag wins).
  std::vector<char*> args(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave);
  int count = int(args.size());
  benchmark::Initialize(&count, args.data());
  if (!Prepare()) return 1;
  Register();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nOur processor time relative to the library's (12 Mpix, fastest of %d):\n", kRepetitions);
  const std::string runs = "/iterations:1/repeats:" + std::to_string(kRepetitions) + "/";
  for (const Format& f : Formats()) {
    const std::string e = f.ext;
    reporter.PrintRatio(e + ": adapter vs bare library", "Adapter/" + e + runs + "process_time",
                        "Bare/" + e + runs + "process_time");
    reporter.PrintRatio(e + ": picdump vs " + f.tool[0].substr(9), "Ours/" + e + runs + "manual_time",
                        "Tool/" + e + runs + "manual_time");
  }
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(g_dir, ec);
  return 0;
}
