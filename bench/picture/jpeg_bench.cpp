// The JPEG adapter (load, then decode into its bitmap) against bare libjpeg
// decoding the same file into a buffer with the same settings: floating-point
// IDCT, block smoothing on, blue-green-red rows padded to 4 bytes.
#include <benchmark/benchmark.h>

#include <memory>

// libjpeg's header needs <cstdio> before it.
#include <cstdio>

#include <jpeglib.h>

#include "bench_files.h"
#include "bench_repeat.h"
#include "picture/jpeg_image.h"

namespace orv::bench {
namespace {

const std::vector<uint8_t>& File(int sampling) {
  static const std::vector<uint8_t> f444 = JpegFile(1, 1), f420 = JpegFile(2, 2);
  return sampling == 444 ? f444 : f420;
}

void BM_JpegAdapter(benchmark::State& state) {
  const bool fresh = state.range(1) != 0;
  TMemoryStream stream(File(int(state.range(0))));
  for (auto _ : state) {
    if (fresh) {
      state.PauseTiming();
      DropFreedMemory();
      state.ResumeTiming();
    }
    TJPEGImage img;
    stream.SetPosition(0);
    img.LoadFromStream(stream);
    img.DIBNeeded();
  }
}

// With the conversion the slideshow asks for: a copy of the decoded bitmap.
void BM_JpegAdapterConvert(benchmark::State& state) {
  TMemoryStream stream(File(int(state.range(0))));
  TBitmap out;
  for (auto _ : state) {
    TJPEGImage img;
    stream.SetPosition(0);
    img.LoadFromStream(stream);
    img.AssignTo(out);
  }
}

void BM_JpegBare(benchmark::State& state) {
  const bool fresh = state.range(1) != 0;
  const std::vector<uint8_t>& file = File(int(state.range(0)));
  const size_t stride = (size_t(kWidth) * 3 + 3) & ~size_t(3);
  std::unique_ptr<uint8_t[]> buffer;
  std::vector<JSAMPROW> rows(kHeight);
  if (!fresh) buffer.reset(new uint8_t[stride * kHeight]);
  for (auto _ : state) {
    if (fresh) {
      state.PauseTiming();
      buffer.reset();
      DropFreedMemory();
      state.ResumeTiming();
      buffer.reset(new uint8_t[stride * kHeight]);
    }
    for (int y = 0; y < kHeight; ++y) rows[size_t(y)] = buffer.get() + size_t(y) * stride;
    jpeg_decompress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_decompress(&c);
    jpeg_mem_src(&c, file.data(), file.size());
    jpeg_read_header(&c, TRUE);
    c.dct_method = JDCT_FLOAT;
    c.do_block_smoothing = TRUE;
    c.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&c);
    while (c.output_scanline < c.output_height)
      jpeg_read_scanlines(&c, rows.data() + c.output_scanline, c.output_height - c.output_scanline);
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    benchmark::DoNotOptimize(buffer.get());
  }
}

void Args(benchmark::internal::Benchmark* b) {
  b->ArgNames({"sampling", "fresh"})->Unit(benchmark::kMillisecond);
  Repeat(b, 1, 40);
}

BENCHMARK(BM_JpegAdapter)->Apply(Args)->Args({444, 0})->Args({444, 1})->Args({420, 0})->Args({420, 1});
BENCHMARK(BM_JpegBare)->Apply(Args)->Args({444, 0})->Args({444, 1})->Args({420, 0})->Args({420, 1});
BENCHMARK(BM_JpegAdapterConvert)->Apply(Args)->Args({444, 0})->Args({420, 0});

}  // namespace
}  // namespace orv::bench
