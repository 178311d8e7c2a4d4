// Our GIF decoder against giflib and stb_image, in one run: a 1920 x 1080
// photo-like picture of 256 colours and a 100-frame animation, both written
// by giflib. Buffers and streams are reused between iterations.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
#include "stb_image.h"

#include "gif/gif_image.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Writer {
  Bytes data;
};
int WriteMem(GifFileType* gif, const GifByteType* buf, int n) {
  auto* w = static_cast<Writer*>(gif->UserData);
  w->data.insert(w->data.end(), buf, buf + n);
  return n;
}

// A 6 x 7 x 6 colour cube (252 entries) plus greys.
ColorMapObject* CubeMap() {
  ColorMapObject* map = GifMakeMapObject(256, nullptr);
  int n = 0;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 7; ++g)
      for (int b = 0; b < 6; ++b) map->Colors[n++] = {uint8_t(r * 51), uint8_t(g * 42), uint8_t(b * 51)};
  for (; n < 256; ++n) map->Colors[n] = {uint8_t(n * 16), uint8_t(n * 16), uint8_t(n * 16)};
  return map;
}

// Smooth shapes with grain, error-diffused onto the cube: the texture of a
// photograph saved as GIF.
void PhotoLike(int w, int h, double phase, std::mt19937& rng, std::vector<GifPixelType>& out) {
  out.resize(size_t(w) * h);
  std::vector<double> err(size_t(w + 2) * 3, 0.0), next(size_t(w + 2) * 3, 0.0);
  std::normal_distribution<double> grain(0.0, 6.0);
  for (int y = 0; y < h; ++y) {
    std::fill(next.begin(), next.end(), 0.0);
    for (int x = 0; x < w; ++x) {
      const double u = double(x) / w, v = double(y) / h;
      double rgb[3] = {128 + 100 * std::sin(6.0 * u + phase) * std::cos(4.0 * v),
                       128 + 90 * std::sin(3.0 * (u + v) + 2 * phase), 110 + 120 * v * std::cos(5.0 * u - phase)};
      int level[3];
      const int steps[3] = {51, 42, 51}, max[3] = {5, 6, 5};
      for (int k = 0; k < 3; ++k) {
        const double c = std::clamp(rgb[k] + grain(rng) + err[size_t(x + 1) * 3 + size_t(k)], 0.0, 255.0);
        level[k] = std::clamp(int(std::lround(c / steps[k])), 0, max[k]);
        const double e = c - level[k] * steps[k];
        err[size_t(x + 2) * 3 + size_t(k)] += e * 7 / 16;
        next[size_t(x) * 3 + size_t(k)] += e * 3 / 16;
        next[size_t(x + 1) * 3 + size_t(k)] += e * 5 / 16;
        next[size_t(x + 2) * 3 + size_t(k)] += e / 16;
      }
      out[size_t(y) * w + size_t(x)] = GifPixelType(level[0] * 42 + level[1] * 6 + level[2]);
    }
    std::swap(err, next);
  }
}

Bytes Encode(int w, int h, int frames) {
  Writer out;
  int err = 0;
  GifFileType* gif = EGifOpen(&out, WriteMem, &err);
  EGifSetGifVersion(gif, true);
  ColorMapObject* map = CubeMap();
  EGifPutScreenDesc(gif, w, h, 8, 0, map);
  std::mt19937 rng(1);
  std::vector<GifPixelType> px;
  for (int f = 0; f < frames; ++f) {
    const uint8_t gce[4] = {0x04, 4, 0, 0};
    if (frames > 1) EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, gce);
    PhotoLike(w, h, f * 0.1, rng, px);
    EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr);
    for (int y = 0; y < h; ++y) EGifPutLine(gif, px.data() + size_t(y) * w, w);
  }
  EGifCloseFile(gif, &err);
  GifFreeMapObject(map);
  return out.data;
}

const Bytes& Still() {
  static const Bytes data = Encode(1920, 1080, 1);
  return data;
}
const Bytes& Animation() {
  static const Bytes data = Encode(320, 240, 100);
  return data;
}

void Ours(benchmark::State& state, const Bytes& data) {
  orv::TMemoryStream stream(data);
  orv::TGIFImage image;
  int64_t pixels = 0;
  for (auto _ : state) {
    stream.SetPosition(0);
    image.LoadFromStream(stream);
    for (int i = 0; i < image.Images().Count(); ++i) pixels += int64_t(image.Images()[i]->DataSize());
    benchmark::DoNotOptimize(image.Images()[0]->Data()[0]);
  }
  state.counters["MP/s"] = benchmark::Counter(double(pixels) / 1e6, benchmark::Counter::kIsRate);
}

struct Reader {
  const Bytes* data;
  size_t pos;
};
int ReadMem(GifFileType* gif, GifByteType* buf, int n) {
  auto* r = static_cast<Reader*>(gif->UserData);
  const size_t k = std::min(size_t(n), r->data->size() - r->pos);
  std::memcpy(buf, r->data->data() + r->pos, k);
  r->pos += k;
  return int(k);
}

// giflib's line interface into one reused raster.
void Giflib(benchmark::State& state, const Bytes& data) {
  std::vector<GifPixelType> raster;
  int64_t pixels = 0;
  for (auto _ : state) {
    Reader reader{&data, 0};
    int err = 0;
    GifFileType* gif = DGifOpen(&reader, ReadMem, &err);
    GifRecordType type;
    do {
      if (DGifGetRecordType(gif, &type) == GIF_ERROR) break;
      if (type == IMAGE_DESC_RECORD_TYPE) {
        DGifGetImageDesc(gif);
        const int w = gif->Image.Width, h = gif->Image.Height;
        raster.resize(size_t(w) * h);
        for (int y = 0; y < h; ++y) DGifGetLine(gif, raster.data() + size_t(y) * w, w);
        pixels += int64_t(w) * h;
      } else if (type == EXTENSION_RECORD_TYPE) {
        int code;
        GifByteType* ext;
        DGifGetExtension(gif, &code, &ext);
        while (ext) DGifGetExtensionNext(gif, &ext);
      }
    } while (type != TERMINATE_RECORD_TYPE);
    DGifCloseFile(gif, &err);
    benchmark::DoNotOptimize(raster.data());
  }
  state.counters["MP/s"] = benchmark::Counter(double(pixels) / 1e6, benchmark::Counter::kIsRate);
}

// stb_image decodes to RGBA (and composes animation frames).
void Stb(benchmark::State& state, const Bytes& data, bool animated) {
  int64_t pixels = 0;
  for (auto _ : state) {
    int w = 0, h = 0, frames = 1, comp = 0;
    int* delays = nullptr;
    stbi_uc* px = animated ? stbi_load_gif_from_memory(data.data(), int(data.size()), &delays, &w, &h, &frames,
                                                        &comp, 4)
                           : stbi_load_from_memory(data.data(), int(data.size()), &w, &h, &comp, 4);
    benchmark::DoNotOptimize(px);
    pixels += int64_t(w) * h * frames;
    stbi_image_free(px);
    stbi_image_free(delays);
  }
  state.counters["MP/s"] = benchmark::Counter(double(pixels) / 1e6, benchmark::Counter::kIsRate);
}

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) times_[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() {
    for (const char* set : {"still_1920x1080", "animation_100x320x240"}) {
      const std::string s(set);
      const double ours = times_["ours/" + s], gif = times_["giflib/" + s], stb = times_["stb/" + s];
      if (ours > 0) std::printf("%-24s ours is %.2fx giflib, %.2fx stb_image\n", set, gif / ours, stb / ours);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("ours/still_1920x1080", [](benchmark::State& s) { Ours(s, Still()); });
  benchmark::RegisterBenchmark("giflib/still_1920x1080", [](benchmark::State& s) { Giflib(s, Still()); });
  benchmark::RegisterBenchmark("stb/still_1920x1080", [](benchmark::State& s) { Stb(s, Still(), false); });
  benchmark::RegisterBenchmark("ours/animation_100x320x240", [](benchmark::State& s) { Ours(s, Animation()); });
  benchmark::RegisterBenchmark("giflib/animation_100x320x240", [](benchmark::State& s) { Giflib(s, Animation()); });
  benchmark::RegisterBenchmark("stb/animation_100x320x240", [](benchmark::State& s) { Stb(s, Animation(), true); });
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
