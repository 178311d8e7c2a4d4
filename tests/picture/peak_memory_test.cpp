// Small files that ask for huge pictures: loading one the slideshow's way
// (picdump does the same load and hand-over) may cost its final bitmap once,
// never a second full-size copy on the way.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>

#include "support/claiming_files.h"
#include "support/test_support.h"

namespace orv {
namespace {

using Bytes = std::vector<uint8_t>;

void PutBE(Bytes& v, uint32_t x) {
  for (int s = 24; s >= 0; s -= 8) v.push_back(uint8_t(x >> s));
}

void Chunk(Bytes& png, const char* type, const Bytes& data) {
  PutBE(png, uint32_t(data.size()));
  Bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  png.insert(png.end(), body.begin(), body.end());
  PutBE(png, uint32_t(crc32(0, body.data(), uInt(body.size()))));
}

// An RGBA PNG of zero rows, deflated one row at a time.
Bytes ZeroRgbaPng(int side) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  PutBE(ihdr, uint32_t(side));
  PutBE(ihdr, uint32_t(side));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
  Chunk(png, "IHDR", ihdr);
  z_stream z{};
  deflateInit(&z, 6);
  const Bytes row(size_t(side) * 4 + 1, 0);
  Bytes idat, out(1 << 16);
  for (int y = 0; y < side; ++y) {
    z.next_in = const_cast<Bytef*>(row.data());
    z.avail_in = uInt(row.size());
    const int flush = y + 1 == side ? Z_FINISH : Z_NO_FLUSH;
    do {
      z.next_out = out.data();
      z.avail_out = uInt(out.size());
      deflate(&z, flush);
      idat.insert(idat.end(), out.data(), z.next_out);
    } while (z.avail_out == 0);
  }
  deflateEnd(&z);
  Chunk(png, "IDAT", idat);
  Chunk(png, "IEND", {});
  return png;
}

// A GIF whose logical screen is side x side and whose only frame is 16 x 16
// at an offset: the image's bitmap is the whole screen.
Bytes SmallFrameGif(int side) {
  Bytes g = {'G', 'I', 'F', '8', '9', 'a'};
  test::Put16(g, uint32_t(side));
  test::Put16(g, uint32_t(side));
  g.insert(g.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255});
  g.push_back(',');
  for (int v : {5, 5, 16, 16}) test::Put16(g, uint32_t(v));
  g.push_back(0);
  // Clear (4) and index 1, three bits each, 256 times, then the end code.
  Bytes data;
  uint32_t acc = 0;
  int bits = 0;
  auto put = [&](uint32_t code) {
    acc |= code << bits;
    for (bits += 3; bits >= 8; bits -= 8, acc >>= 8) data.push_back(uint8_t(acc));
  };
  for (int i = 0; i < 256; ++i) put(4), put(1);
  put(5);
  if (bits) data.push_back(uint8_t(acc));
  g.push_back(2);
  for (size_t at = 0; at < data.size(); at += 255) {
    const size_t n = std::min<size_t>(255, data.size() - at);
    g.push_back(uint8_t(n));
    g.insert(g.end(), data.begin() + long(at), data.begin() + long(at + n));
  }
  g.insert(g.end(), {0, ';'});
  return g;
}

// Peak resident memory of one picdump run, in bytes.
int64_t PicdumpPeak(const std::string& file, int* status) {
  const pid_t pid = fork();
  if (pid == 0) {
    execl(ORV_PICDUMP, ORV_PICDUMP, file.c_str(), "/dev/null", static_cast<char*>(nullptr));
    _exit(127);
  }
  rusage usage{};
  wait4(pid, status, 0, &usage);
  return int64_t(usage.ru_maxrss) * 1024;
}

TEST(PeakMemory, AHugePictureFromASmallFileCostsOneBitmap) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's shadow memory counts in the peak";
#else
  constexpr int kSide = 8192;
  const int64_t pixels = int64_t(kSide) * kSide;
  const struct {
    const char* name;
    Bytes file;
    int64_t bitmap;  // the final bitmap's bytes
  } cases[] = {
      {"huge.gif", SmallFrameGif(kSide), pixels * 4},  // the 32-bit canvas
      {"huge.png", ZeroRgbaPng(kSide), pixels * 3},    // 24-bit; its alpha is not kept
  };
  test::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteFile(dir / c.name, c.file);
    int status = 0;
    const int64_t peak = PicdumpPeak(dir / c.name, &status);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_GE(peak, c.bitmap);  // the measure is real: the bitmap was there
    // A fifth more, and the program's own few megabytes.
    EXPECT_LE(peak, c.bitmap + c.bitmap / 5 + (int64_t(32) << 20)) << peak / (1 << 20) << " MiB";
  }
#endif
}

// Whether reading fresh anonymous memory leaves it uncounted (the shared
// zero page), as on ordinary Linux kernels.
bool ReadingUntouchedMemoryIsFree() {
  const size_t size = size_t(64) << 20;
  auto* p = static_cast<uint8_t*>(mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  if (p == MAP_FAILED) return false;
  auto resident = [] {
    long pages = 0, rss = 0;
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (f && std::fscanf(f, "%ld %ld", &pages, &rss) != 2) rss = 0;
    if (f) std::fclose(f);
    return int64_t(rss) * sysconf(_SC_PAGESIZE);
  };
  const int64_t before = resident();
  volatile uint8_t sum = 0;
  for (size_t i = 0; i < size; i += 4096) sum = uint8_t(sum + p[i]);
  const bool free = resident() - before < int64_t(size / 2);
  munmap(p, size);
  return free;
}

// Memory follows the data, not the claim: rows a file does not hold and a
// frame off the screen cost nothing, whether the load fails or not.
TEST(PeakMemory, ClaimsOfHugePicturesCostWhatTheDataHolds) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's shadow memory counts in the peak";
#else
  test::TempDir dir;
  for (const test::ClaimingFile& f : test::ClaimingFiles(16384)) {
    // libjpeg writes grey rows past the end of the data, so only a reduced
    // decode (the slideshow's) keeps a JPEG's claim cheap. picdump reads
    // every row of the bitmap, which costs memory where the kernel maps no
    // shared zero page for never-written memory.
    if (f.name == "claims.jpg" || (f.name == "claims.bmp" && !ReadingUntouchedMemoryIsFree())) continue;
    SCOPED_TRACE(f.name + ", " + std::to_string(f.bytes.size()) + " bytes");
    test::WriteFile(dir / f.name, f.bytes);
    int status = 0;
    const int64_t peak = PicdumpPeak(dir / f.name, &status);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << status;
    EXPECT_LE(peak, int64_t(100) << 20) << peak / (1 << 20) << " MiB";
  }
#endif
}

}  // namespace
}  // namespace orv
