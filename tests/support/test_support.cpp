#include "support/test_support.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "platform/native.h"

namespace orv::test {

namespace {
// Our paths are UTF-8; the library's narrow paths are in the ANSI code page on Windows.
std::filesystem::path FsPath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
}  // namespace

TempDir::TempDir() {
  // create_directory fails on an existing name, so a clash just tries again.
  std::random_device seed;
  std::mt19937_64 random(seed());
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto dir = base / ("orv_test_" + std::to_string(random() % 1000000000));
    std::error_code ec;
    if (std::filesystem::create_directory(dir, ec)) {
      std::filesystem::permissions(dir, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace, ec);
      const std::u8string u8 = dir.u8string();
      path_.assign(u8.begin(), u8.end());
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  // Restore write permission on anything a test made read-only, then remove.
  for (auto it = std::filesystem::recursive_directory_iterator(FsPath(path_), ec);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  }
  std::filesystem::remove_all(FsPath(path_), ec);
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& content) {
  WriteFile(path, std::string(content.begin(), content.end()));
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(FsPath(path), std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::string s = ReadFile(path);
  return std::vector<uint8_t>(s.begin(), s.end());
}

void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

namespace {

std::vector<uint8_t> Utf16(const std::string& s) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < s.size();) {
    uint32_t c = uint8_t(s[i]);
    int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    uint32_t cp = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
    for (int k = 1; k < n && i + size_t(k) < s.size(); ++k) cp = (cp << 6) | (uint8_t(s[i + size_t(k)]) & 0x3F);
    i += size_t(n);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      Put16(out, 0xD800 + (cp >> 10));
      Put16(out, 0xDC00 + (cp & 0x3FF));
    } else {
      Put16(out, cp);
    }
  }
  return out;
}

std::string ToCp932(const std::string& utf8) {
  std::string out;
  if (!native::Utf8ToCodePage(932, utf8, &out)) throw std::runtime_error("not in code page 932: " + utf8);
  return out;
}

}  // namespace

std::vector<uint8_t> BuildShellLink(const ShellLinkSpec& spec) {
  std::vector<uint8_t> v;
  uint32_t flags = 0;
  if (spec.with_id_list) flags |= 0x1;
  if (!spec.local_base_path.empty()) flags |= 0x2;
  if (!spec.relative_path.empty()) flags |= 0x8;
  if (spec.unicode) flags |= 0x80;
  Put32(v, 0x4C);
  const uint8_t clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
  v.insert(v.end(), clsid, clsid + 16);
  Put32(v, flags);
  v.resize(0x4C, 0);
  if (spec.with_id_list) {
    Put16(v, 4);  // an ID list holding only its terminator, plus two junk bytes
    Put16(v, 0);
    Put16(v, 0);
  }
  auto ansi = [&](const std::string& s) { return spec.ansi_cp932 ? ToCp932(s) : s; };
  if (!spec.local_base_path.empty()) {
    std::string local = ansi(spec.local_base_path);
    std::string suffix = ansi(spec.common_path_suffix);
    std::vector<uint8_t> volume = {0x10, 0, 0, 0, 3, 0, 0, 0, 0x12, 0x34, 0x56, 0x78, 0x10, 0, 0, 0, 0};
    bool wide = spec.unicode;
    uint32_t header = wide ? 0x24 : 0x1C;
    uint32_t vol_off = header;
    uint32_t local_off = vol_off + uint32_t(volume.size());
    uint32_t suffix_off = local_off + uint32_t(local.size()) + 1;
    uint32_t local_w_off = suffix_off + uint32_t(suffix.size()) + 1;
    std::vector<uint8_t> lw = Utf16(spec.local_base_path), sw = Utf16(spec.common_path_suffix);
    uint32_t suffix_w_off = local_w_off + uint32_t(lw.size()) + 2;
    uint32_t size = wide ? suffix_w_off + uint32_t(sw.size()) + 2 : local_w_off;
    Put32(v, size);
    Put32(v, header);
    Put32(v, 1);
    Put32(v, vol_off);
    Put32(v, local_off);
    Put32(v, 0);
    Put32(v, suffix_off);
    if (wide) {
      Put32(v, local_w_off);
      Put32(v, suffix_w_off);
    }
    v.insert(v.end(), volume.begin(), volume.end());
    v.insert(v.end(), local.begin(), local.end());
    v.push_back(0);
    v.insert(v.end(), suffix.begin(), suffix.end());
    v.push_back(0);
    if (wide) {
      v.insert(v.end(), lw.begin(), lw.end());
      Put16(v, 0);
      v.insert(v.end(), sw.begin(), sw.end());
      Put16(v, 0);
    }
  }
  if (!spec.relative_path.empty()) {
    if (spec.unicode) {
      std::vector<uint8_t> w = Utf16(spec.relative_path);
      Put16(v, uint32_t(w.size() / 2));
      v.insert(v.end(), w.begin(), w.end());
    } else {
      std::string a = ansi(spec.relative_path);
      Put16(v, uint32_t(a.size()));
      v.insert(v.end(), a.begin(), a.end());
    }
  }
  Put32(v, 0);  // terminal block
  return v;
}

std::vector<uint8_t> OrientationTiff(int orientation) {
  return {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, uint8_t(orientation), 0, 0, 0, 0, 0, 0, 0};
}

std::vector<uint8_t> WithExifSegment(std::vector<uint8_t> jpeg, const std::vector<uint8_t>& tiff) {
  std::vector<uint8_t> app1 = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
  app1.insert(app1.end(), tiff.begin(), tiff.end());
  app1[2] = uint8_t((app1.size() - 2) >> 8);
  app1[3] = uint8_t(app1.size() - 2);
  jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());
  return jpeg;
}

std::vector<int32_t> Colors(const TBitmap& bmp) {
  std::vector<int32_t> out;
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x) out.push_back(bmp.GetPixel(x, y));
  return out;
}

}  // namespace orv::test
