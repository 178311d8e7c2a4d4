#include "picture/picture_test_util.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/test_support.h"

extern char** environ;

namespace orv::test {

RgbImage MakeTestImage(int width, int height, unsigned seed) {
  RgbImage img{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 3)};
  uint32_t state = seed * 2654435761u + 1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      state = state * 1664525u + 1013904223u;
      const int noise = int(state >> 28) - 8;
      uint8_t* p = &img.rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
      const bool block = ((x / 7) + (y / 5)) % 3 == 0;
      p[0] = uint8_t(std::clamp(x * 255 / std::max(1, width - 1) + noise, 0, 255));
      p[1] = uint8_t(std::clamp(y * 255 / std::max(1, height - 1) - noise, 0, 255));
      p[2] = block ? uint8_t(230 - (x + y) % 40) : uint8_t((x * y + int(seed) * 17) % 256);
    }
  }
  return img;
}

RgbImage BitmapRgb(const TBitmap& bmp) {
  RgbImage img{bmp.Width(), bmp.Height(), {}};
  img.rgb.reserve(size_t(bmp.Width()) * size_t(bmp.Height()) * 3);
  std::vector<uint32_t> row(size_t(bmp.Width()));
  for (int y = 0; y < bmp.Height(); ++y) {
    ReadRowBGRX(bmp, y, 0, bmp.Width(), row.data());
    for (uint32_t p : row) {
      img.rgb.push_back(uint8_t(p >> 16));
      img.rgb.push_back(uint8_t(p >> 8));
      img.rgb.push_back(uint8_t(p));
    }
  }
  return img;
}

ImageDiff Compare(const RgbImage& a, const RgbImage& b) {
  ImageDiff d;
  if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size()) {
    d.differing = SIZE_MAX;
    d.max_delta = 256;
    return d;
  }
  for (size_t i = 0; i < a.rgb.size(); ++i) {
    const int delta = std::abs(int(a.rgb[i]) - int(b.rgb[i]));
    if (delta) ++d.differing;
    d.max_delta = std::max(d.max_delta, delta);
  }
  return d;
}


std::vector<uint8_t> BuildBmp(const BmpFields& s) {
  std::vector<uint8_t> v(s.type.begin(), s.type.end());
  const bool core = s.header_size == 12;
  const size_t entry = core ? 3 : 4;
  const size_t masks_after = s.header_size == 40 ? s.masks.size() * 4 : 0;
  const uint32_t offset = uint32_t(14 + s.header_size + masks_after + s.table.size() * entry + s.gap.size());
  Put32(v, uint32_t(offset + s.pixels.size()));
  Put32(v, 0);
  Put32(v, s.offset >= 0 ? uint32_t(s.offset) : offset);
  Put32(v, s.header_size);
  if (core) {
    Put16(v, uint32_t(s.width));
    Put16(v, uint32_t(s.height));
    Put16(v, s.planes);
    Put16(v, s.bits);
  } else {
    const size_t start = v.size() - 4;
    Put32(v, uint32_t(s.width));
    Put32(v, uint32_t(s.height));
    Put16(v, s.planes);
    Put16(v, s.bits);
    Put32(v, s.compression);
    Put32(v, s.size_image);
    Put32(v, 2835);
    Put32(v, 2835);
    Put32(v, s.colors_used);
    Put32(v, 0);
    if (s.header_size > 40)
      for (uint32_t m : s.masks) Put32(v, m);
    if (s.header_size > 40 && s.header_size < 1024) v.resize(start + s.header_size, 0);
    if (s.header_size == 40)
      for (uint32_t m : s.masks) Put32(v, m);
  }
  for (uint32_t c : s.table) {
    v.push_back(uint8_t(c));
    v.push_back(uint8_t(c >> 8));
    v.push_back(uint8_t(c >> 16));
    if (!core) v.push_back(0);
  }
  v.insert(v.end(), s.gap.begin(), s.gap.end());
  v.insert(v.end(), s.pixels.begin(), s.pixels.end());
  return v;
}

std::vector<uint8_t> PackRows(const std::vector<std::vector<uint32_t>>& rows, int bits, bool bottom_up) {
  std::vector<uint8_t> out;
  for (size_t r = 0; r < rows.size(); ++r) {
    const auto& row = rows[bottom_up ? rows.size() - 1 - r : r];
    std::vector<uint8_t> bytes((row.size() * size_t(bits) + 31) / 32 * 4, 0);
    for (size_t x = 0; x < row.size(); ++x) {
      const uint32_t p = row[x];
      if (bits < 8) {
        const size_t bit = x * size_t(bits);
        bytes[bit / 8] |= uint8_t(p << (8 - bits - int(bit % 8)));
      } else {
        for (int b = 0; b < bits / 8; ++b) bytes[x * size_t(bits / 8) + size_t(b)] = uint8_t(p >> (8 * b));
      }
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

ToolResult RunTool(const std::vector<std::string>& argv) {
  TempDir dir;
  const std::string out_path = dir / "out", err_path = dir / "err";
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&fa, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  ToolResult r;
  if (posix_spawn(&pid, args[0], &fa, nullptr, args.data(), environ) == 0) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&fa);
  r.out = ReadFile(out_path);
  r.err = ReadFile(err_path);
  return r;
}

RgbImage ReadPnm(const std::string& path) {
  const std::string data = ReadFile(path);
  std::istringstream in(data);
  std::string magic;
  in >> magic;
  RgbImage img;
  int channels = 3, maxval = 0;
  if (magic == "P7") {
    std::string key;
    while (in >> key && key != "ENDHDR") {
      if (key == "WIDTH")
        in >> img.width;
      else if (key == "HEIGHT")
        in >> img.height;
      else if (key == "DEPTH")
        in >> channels;
      else if (key == "MAXVAL")
        in >> maxval;
      else
        in.ignore(1 << 20, '\n');
    }
  } else if (magic == "P5" || magic == "P6") {
    channels = magic == "P5" ? 1 : 3;
    in >> img.width >> img.height >> maxval;
  } else {
    throw std::runtime_error("not a PNM file: " + path);
  }
  in.get();  // the single white-space byte before the samples
  const size_t start = size_t(in.tellg());
  const size_t count = size_t(img.width) * size_t(img.height);
  if (maxval != 255 || data.size() < start + count * size_t(channels))
    throw std::runtime_error("unexpected PNM layout: " + path);
  img.rgb.resize(count * 3);
  for (size_t i = 0; i < count; ++i)
    for (int c = 0; c < 3; ++c)
      img.rgb[i * 3 + size_t(c)] =
          uint8_t(data[start + i * size_t(channels) + size_t(channels == 1 ? 0 : c)]);
  return img;
}

RgbImage ReadRaw(const std::string& path, int width, int height) {
  const std::string data = ReadFile(path);
  RgbImage img{width, height, std::vector<uint8_t>(data.begin(), data.end())};
  if (img.rgb.size() != size_t(width) * size_t(height) * 3)
    throw std::runtime_error("short raw file: " + path);
  return img;
}

}  // namespace orv::test
