// Our bitmap reader against stb_image on 12-megapixel files, with warm
// output memory and with memory whose pages must first be faulted in.
#include <benchmark/benchmark.h>

#include <cstring>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#include <stb/stb_image.h>

#include "bench_files.h"
#include "bench_repeat.h"
#include "picture/bmp_reader.h"

namespace orv::bench {
namespace {

const std::vector<uint8_t>& File(int bits) {
  static const std::vector<uint8_t> f24 = BitmapFile(24), f8 = BitmapFile(8);
  return bits == 24 ? f24 : f8;
}

void BM_BmpOurs(benchmark::State& state) {
  const bool fresh = state.range(1) != 0;
  TMemoryStream stream(File(int(state.range(0))));
  TBitmap bmp;
  for (auto _ : state) {
    if (fresh) {
      state.PauseTiming();
      bmp.Clear();
      DropFreedMemory();
      state.ResumeTiming();
    }
    stream.SetPosition(0);
    ReadBitmapFile(stream, bmp);
    benchmark::DoNotOptimize(bmp.Bits());
  }
}

void BM_BmpStb(benchmark::State& state) {
  const bool fresh = state.range(1) != 0;
  const std::vector<uint8_t>& file = File(int(state.range(0)));
  for (auto _ : state) {
    if (fresh) {
      state.PauseTiming();
      DropFreedMemory();
      state.ResumeTiming();
    }
    int w = 0, h = 0, n = 0;
    stbi_uc* px = stbi_load_from_memory(file.data(), int(file.size()), &w, &h, &n, 0);
    benchmark::DoNotOptimize(px);
    stbi_image_free(px);
  }
}

// The floor: copying the pixel data into warm memory.
void BM_BmpCopy(benchmark::State& state) {
  const std::vector<uint8_t>& file = File(int(state.range(0)));
  std::vector<uint8_t> out(file.size());
  for (auto _ : state) {
    std::memcpy(out.data(), file.data(), file.size());
    benchmark::DoNotOptimize(out.data());
  }
}

void Args(benchmark::internal::Benchmark* b) {
  b->ArgNames({"bits", "fresh"})->Unit(benchmark::kMillisecond);
  Repeat(b, 5, 15);
}

BENCHMARK(BM_BmpOurs)->Apply(Args)->Args({24, 0})->Args({24, 1})->Args({8, 0})->Args({8, 1});
BENCHMARK(BM_BmpStb)->Apply(Args)->Args({24, 0})->Args({24, 1})->Args({8, 0})->Args({8, 1});
BENCHMARK(BM_BmpCopy)->Apply(Args)->Args({24, 0})->Args({8, 0});

}  // namespace
}  // namespace orv::bench
