// Small files that ask for huge pictures: loading one the slideshow's way
// (picdump does the same load and hand-over) may cost its final bitmap once,
// never a second full-size copy on the way.
#include <gtest/gtest.h>
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

#if defined(__SANITIZE_ADDRESS__)
TEST(PeakMemory, NotMeasuredUnderTheSanitizer) {
  GTEST_SKIP() << "the sanitizer's shadow memory counts in the peak";
}
#else

using Bytes = std::vector<uint8_t>;

// An RGBA PNG of zero rows, deflated one row at a time.
Bytes ZeroRgbaPng(int side) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  test::PutBE32(ihdr, uint32_t(side));
  test::PutBE32(ihdr, uint32_t(side));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
  test::AppendPngChunk(png, "IHDR", ihdr);
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
  test::AppendPngChunk(png, "IDAT", idat);
  test::AppendPngChunk(png, "IEND", {});
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
}

// Memory follows the data, not the claim: rows a file does not hold and a
// frame off the screen cost nothing, whether the load fails or not.
TEST(PeakMemory, ClaimsOfHugePicturesCostWhatTheDataHolds) {
  test::TempDir dir;
  for (const test::ClaimingFile& f : test::ClaimingFiles(16384)) {
    SCOPED_TRACE(f.name + ", " + std::to_string(f.bytes.size()) + " bytes");
    test::WriteFile(dir / f.name, f.bytes);
    int status = 0;
    const int64_t peak = PicdumpPeak(dir / f.name, &status);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << status;
    EXPECT_LE(peak, int64_t(100) << 20) << peak / (1 << 20) << " MiB";
  }
}

#endif

}  // namespace
}  // namespace orv
