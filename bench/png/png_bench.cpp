// Decoding speed of our PNG reader against libpng, libspng and stb_image on
// the same files, generated at start-up: a 12-megapixel photo-like RGB
// picture filtered with Average on every row, the same with Paeth, an RGBA
// one, an 8-bit palette one and an Adam7 one; plus zlib's inflate alone on
// the Average file's image data (the floor), and our writer against
// libpng's at the same zlib level. Prints megapixels per second and ratios.
#include <benchmark/benchmark.h>
#include <png.h>
#include <spng.h>
#include <zlib.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "png/adler32.h"
#include "png/png_filters.h"
#include "png/png_read_stream.h"
#include "png/png_write_stream.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr int kW = 4000, kH = 3000;
constexpr double kMegapixels = kW * double(kH) / 1e6;

struct File {
  std::string name;
  Bytes data;
};
std::vector<File> g_files;
orv::TBitmap g_photo, g_alpha, g_palette;

uint32_t g_seed = 12345;
int Noise() {
  g_seed = g_seed * 1664525u + 1013904223u;
  return int(g_seed >> 29) - 4;
}

// Smooth shapes plus a little sensor noise: compresses like a photograph.
void MakePictures() {
  g_photo.Allocate(kW, kH, orv::pf24bit, false);
  g_alpha.Allocate(kW, kH, orv::pf8bit, false);
  g_palette.Allocate(kW, kH, orv::pf8bit, false);
  orv::TRGBQuad pal[256];
  for (int i = 0; i < 256; ++i) pal[i] = orv::TRGBQuad{uint8_t(i), uint8_t(255 - i), uint8_t(i * 3), 0};
  g_palette.SetPalette(pal, 256);
  for (int y = 0; y < kH; ++y) {
    uint8_t* p = g_photo.ScanLine(y);
    uint8_t* a = g_alpha.ScanLine(y);
    uint8_t* q = g_palette.ScanLine(y);
    for (int x = 0; x < kW; ++x) {
      const double u = x / 400.0, v = y / 300.0;
      const double base = 128 + 60 * std::sin(u + 0.7 * v) + 40 * std::cos(1.3 * v - 0.4 * u * u / 10);
      const int r = std::clamp(int(base + 30 * std::sin(u * 2.1)) + Noise(), 0, 255);
      const int g = std::clamp(int(base * 0.8 + 20 * std::cos(v * 1.7)) + Noise(), 0, 255);
      const int b = std::clamp(int(255 - base * 0.9) + Noise(), 0, 255);
      p[3 * x] = uint8_t(b), p[3 * x + 1] = uint8_t(g), p[3 * x + 2] = uint8_t(r);
      a[x] = uint8_t(std::clamp(int(128 + 127 * std::sin(u * 0.5 + v)), 0, 255));
      q[x] = uint8_t((int(base) / 8 * 8 + (Noise() > 2 ? 1 : 0)) & 0xFF);
    }
  }
}

Bytes WritePng(const orv::TBitmap& bmp, int filter_mode, bool interlaced, const orv::TBitmap* alpha, int level = 6) {
  orv::TPNGWriteStream w;
  w.WriteCurrentTime = false;
  w.FilterMode = uint8_t(filter_mode);
  w.Interlaced = interlaced;
  w.AlphaSource = alpha;
  w.CompressionLevel = level;
  orv::TMemoryStream ms;
  w.WriteImage(bmp, ms);
  return ms.TakeBytes();
}

const Bytes& FileData(const std::string& name) {
  for (const File& f : g_files)
    if (f.name == name) return f.data;
  std::abort();
}

// --- decoders -------------------------------------------------------------

void BM_Ours(benchmark::State& state, std::string name) {
  const Bytes& data = FileData(name);
  orv::TBitmap bmp, mask;
  orv::TMemoryStream ms(data.data(), data.size());
  for (auto _ : state) {
    ms.SetPosition(0);
    orv::TPNGReadStream reader;
    reader.MaskBitmap = &mask;
    reader.ReadImage(&bmp, ms, 0);
    benchmark::DoNotOptimize(bmp.Bits());
  }
  state.counters["MP/s"] = benchmark::Counter(kMegapixels * double(state.iterations()), benchmark::Counter::kIsRate);
}

struct LibpngReader {
  const Bytes* data;
  size_t pos = 0;
};

void BM_Libpng(benchmark::State& state, std::string name) {
  const Bytes& data = FileData(name);
  std::vector<uint8_t> pixels;
  std::vector<png_bytep> rows;
  for (auto _ : state) {
    png_structp p = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(p);
    LibpngReader r{&data};
    png_set_read_fn(p, &r, [](png_structp pp, png_bytep out, png_size_t n) {
      auto* rr = static_cast<LibpngReader*>(png_get_io_ptr(pp));
      std::memcpy(out, rr->data->data() + rr->pos, n);
      rr->pos += n;
    });
    png_read_info(p, info);
    png_set_interlace_handling(p);
    png_read_update_info(p, info);
    const size_t rowbytes = png_get_rowbytes(p, info);
    const int h = int(png_get_image_height(p, info));
    pixels.resize(rowbytes * size_t(h));
    rows.resize(size_t(h));
    for (int y = 0; y < h; ++y) rows[size_t(y)] = pixels.data() + rowbytes * size_t(y);
    png_read_image(p, rows.data());
    png_destroy_read_struct(&p, &info, nullptr);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.counters["MP/s"] = benchmark::Counter(kMegapixels * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Spng(benchmark::State& state, std::string name) {
  const Bytes& data = FileData(name);
  std::vector<uint8_t> pixels;
  for (auto _ : state) {
    spng_ctx* ctx = spng_ctx_new(0);
    spng_set_png_buffer(ctx, data.data(), data.size());
    size_t size = 0;
    spng_decoded_image_size(ctx, SPNG_FMT_PNG, &size);
    pixels.resize(size);
    if (spng_decode_image(ctx, pixels.data(), size, SPNG_FMT_PNG, 0) != 0) state.SkipWithError("spng failed");
    spng_ctx_free(ctx);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.counters["MP/s"] = benchmark::Counter(kMegapixels * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Stb(benchmark::State& state, std::string name) {
  const Bytes& data = FileData(name);
  for (auto _ : state) {
    int w, h, n;
    // stb_image always allocates its output.
    unsigned char* px = stbi_load_from_memory(data.data(), int(data.size()), &w, &h, &n, 0);
    benchmark::DoNotOptimize(px);
    stbi_image_free(px);
  }
  state.counters["MP/s"] = benchmark::Counter(kMegapixels * double(state.iterations()), benchmark::Counter::kIsRate);
}

// zlib alone on the image data of the file: the floor for any decoder.
// With check == false the Adler-32 is not computed, as in our reader.
void BM_ZlibInflate(benchmark::State& state, std::string name, bool check) {
  const Bytes& data = FileData(name);
  Bytes z;
  for (size_t p = 8; p + 12 <= data.size();) {
    const uint32_t len = (uint32_t(data[p]) << 24) | (data[p + 1] << 16) | (data[p + 2] << 8) | data[p + 3];
    if (std::memcmp(&data[p + 4], "IDAT", 4) == 0) z.insert(z.end(), data.begin() + long(p) + 8, data.begin() + long(p + 8 + len));
    p += 12 + len;
  }
  Bytes out(size_t(kW) * 3 * kH + kH + 64);
  for (auto _ : state) {
    z_stream s{};
    inflateInit(&s);
    if (!check) inflateValidate(&s, 0);
    s.next_in = z.data();
    s.avail_in = uInt(z.size());
    s.next_out = out.data();
    s.avail_out = uInt(out.size());
    inflate(&s, Z_FINISH);
    inflateEnd(&s);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["MP/s"] = benchmark::Counter(kMegapixels * double(state.iterations()), benchmark::Counter::kIsRate);
}

// The reader's own Adler-32 over one picture's inflated bytes: the cost of
// the check that zlib's own would otherwise make.
void BM_Adler(benchmark::State& state, bool simd) {
  std::vector<uint8_t> data(size_t(kW) * 3 * kH + kH);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 31 + (i >> 9));
  for (auto _ : state)
    benchmark::DoNotOptimize(simd ? orv::Adler32(1, data.data(), data.size()) : orv::Adler32Portable(1, data.data(), data.size()));
  state.counters["MP/s"] = benchmark::Counter(kMegapixels * double(state.iterations()), benchmark::Counter::kIsRate);
}

// Undoing one filter over a whole picture's rows, alone.
void BM_Unfilter(benchmark::State& state, int type, bool simd) {
  const size_t n = size_t(kW) * 3;
  std::vector<uint8_t> rows(n * 64), prev(n, 0);
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = uint8_t(i * 31 + (i >> 7));
  for (auto _ : state)
    for (int y = 0; y < kH; ++y) {
      uint8_t* row = rows.data() + n * size_t(y % 64);
      if (simd)
        orv::UnfilterRowSimd(type, row, prev.data(), n, 3);
      else
        orv::UnfilterRowPortable(type, row, prev.data(), n, 3);
      benchmark::DoNotOptimize(row);
    }
  state.counters["MP/s"] = benchmark::Counter(kMegapixels * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_UnfilterPair(benchmark::State& state, int type, bool simd) {
  const size_t n = size_t(kW) * 3;
  std::vector<uint8_t> rows(n * 64), prev(n, 0);
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = uint8_t(i * 31 + (i >> 7));
  for (auto _ : state)
    for (int y = 0; y < kH; y += 2) {
      uint8_t* row = rows.data() + n * size_t(y % 64);
      if (simd)
        orv::UnfilterPair(type, row, row + n, prev.data(), n, 3);
      else
        orv::UnfilterPairPortable(type, row, row + n, prev.data(), n, 3);
      benchmark::DoNotOptimize(row);
    }
  state.counters["MP/s"] = benchmark::Counter(kMegapixels * double(state.iterations()), benchmark::Counter::kIsRate);
}

// --- encoders -------------------------------------------------------------

void BM_OursWrite(benchmark::State& state, int filter_mode) {
  for (auto _ : state) benchmark::DoNotOptimize(WritePng(g_photo, filter_mode, false, nullptr).size());
  state.counters["MP/s"] = benchmark::Counter(kMegapixels * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_LibpngWrite(benchmark::State& state, int filters) {
  // libpng takes RGB rows: convert once, outside the timing.
  std::vector<uint8_t> rgb(size_t(kW) * 3 * kH);
  for (int y = 0; y < kH; ++y) {
    const uint8_t* s = g_photo.ScanLine(y);
    uint8_t* d = rgb.data() + size_t(y) * kW * 3;
    for (int x = 0; x < kW; ++x) d[3 * x] = s[3 * x + 2], d[3 * x + 1] = s[3 * x + 1], d[3 * x + 2] = s[3 * x];
  }
  std::vector<png_bytep> rows(kH);
  for (int y = 0; y < kH; ++y) rows[size_t(y)] = rgb.data() + size_t(y) * kW * 3;
  Bytes out;
  for (auto _ : state) {
    out.clear();
    png_structp p = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(p);
    png_set_write_fn(
        p, &out, [](png_structp pp, png_bytep d, png_size_t n) {
          auto* o = static_cast<Bytes*>(png_get_io_ptr(pp));
          o->insert(o->end(), d, d + n);
        },
        nullptr);
    png_set_IHDR(p, info, kW, kH, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(p, 6);
    png_set_filter(p, 0, filters);
    png_write_info(p, info);
    png_write_image(p, rows.data());
    png_write_end(p, info);
    png_destroy_write_struct(&p, &info);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["MP/s"] = benchmark::Counter(kMegapixels * double(state.iterations()), benchmark::Counter::kIsRate);
}

// Collects seconds per iteration to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && r.iterations > 0) {
        // CPU time (ms) of the best repetition: the machine is shared.
        const double s = r.GetAdjustedCPUTime() / 1e3;
        auto [it, fresh] = seconds.emplace(r.run_name.function_name, s);
        if (!fresh) it->second = std::min(it->second, s);
      }
  }
  std::map<std::string, double> seconds;
};

}  // namespace

int main(int argc, char** argv) {
  MakePictures();
  g_files.push_back({"avg", WritePng(g_photo, 4, false, nullptr)});
  g_files.push_back({"paeth", WritePng(g_photo, 5, false, nullptr)});
  g_files.push_back({"rgba", WritePng(g_photo, 0, false, &g_alpha)});
  g_files.push_back({"palette", WritePng(g_palette, 1, false, nullptr)});
  g_files.push_back({"adam7", WritePng(g_photo, 0, true, nullptr)});
  for (const File& f : g_files) std::printf("%-8s %9zu bytes\n", f.name.c_str(), f.data.size());

  const std::vector<std::string> peers = {"libpng", "spng", "stb"};
  for (const File& f : g_files) {
    benchmark::RegisterBenchmark(("decode/" + f.name + "/ours").c_str(), BM_Ours, f.name)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("decode/" + f.name + "/libpng").c_str(), BM_Libpng, f.name)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("decode/" + f.name + "/spng").c_str(), BM_Spng, f.name)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("decode/" + f.name + "/stb").c_str(), BM_Stb, f.name)->Unit(benchmark::kMillisecond);
  }
  for (const char* f : {"avg", "paeth"}) {
    benchmark::RegisterBenchmark((std::string("decode/") + f + "/zlib").c_str(), BM_ZlibInflate, std::string(f), true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("decode/") + f + "/zlib-nocheck").c_str(), BM_ZlibInflate, std::string(f),
                                 false)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("check/adler/simd", BM_Adler, true)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("check/adler/portable", BM_Adler, false)->Unit(benchmark::kMillisecond);
  for (int type : {1, 3, 4}) {
    const std::string t = type == 1 ? "sub" : type == 3 ? "avg" : "paeth";
    benchmark::RegisterBenchmark(("unfilter/" + t + "/simd").c_str(), BM_Unfilter, type, true)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("unfilter/" + t + "/portable").c_str(), BM_Unfilter, type, false)->Unit(benchmark::kMillisecond);
  }
  for (int type : {3, 4}) {
    const std::string t = type == 3 ? "avg" : "paeth";
    benchmark::RegisterBenchmark(("unfilter/" + t + "-pair/simd").c_str(), BM_UnfilterPair, type, true)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("unfilter/" + t + "-pair/portable").c_str(), BM_UnfilterPair, type, false)->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("encode/none/ours", BM_OursWrite, 1)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("encode/none/libpng", BM_LibpngWrite, PNG_FILTER_NONE)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("encode/paeth/ours", BM_OursWrite, 5)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("encode/paeth/libpng", BM_LibpngWrite, PNG_FILTER_PAETH)->Unit(benchmark::kMillisecond);

  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  auto t = [&](const std::string& n) {
    auto it = reporter.seconds.find(n);
    return it == reporter.seconds.end() ? 0.0 : it->second;
  };
  std::printf("\nmegapixels per second (ratio = ours / peer speed)\n");
  for (const File& f : g_files) {
    const double ours = t("decode/" + f.name + "/ours");
    if (ours <= 0) continue;
    std::printf("%-8s ours %6.1f", f.name.c_str(), kMegapixels / ours);
    for (const std::string& d : peers) {
      const double peer = t("decode/" + f.name + "/" + d);
      if (peer > 0) std::printf("  %s %6.1f (x%.2f)", d.c_str(), kMegapixels / peer, peer / ours);
    }
    for (const char* z : {"zlib", "zlib-nocheck"}) {
      const double zl = t("decode/" + f.name + "/" + z);
      if (zl > 0) std::printf("  %s %6.1f (ours %+.0f%% time)", z, kMegapixels / zl, (ours / zl - 1) * 100);
    }
    std::printf("\n");
  }
  if (const double adler = t("check/adler/simd"); adler > 0)
    for (const char* f : {"avg", "paeth", "adam7"})
      if (const double ours = t(std::string("decode/") + f + "/ours"); ours > 0)
        std::printf("check %-6s Adler-32 %.2f ms of %.2f ms (%.1f%%; portable twin x%.1f slower)\n", f, adler * 1e3,
                    ours * 1e3, adler / ours * 100, t("check/adler/portable") / adler);
  for (const char* mode : {"none", "paeth"}) {
    const double ours = t(std::string("encode/") + mode + "/ours"), lp = t(std::string("encode/") + mode + "/libpng");
    if (ours > 0 && lp > 0)
      std::printf("encode %-6s ours %6.1f  libpng %6.1f (x%.2f)\n", mode, kMegapixels / ours, kMegapixels / lp, lp / ours);
  }
  return 0;
}
