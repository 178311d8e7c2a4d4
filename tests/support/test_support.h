// Helpers shared by the tests: temporary folders, files, and shortcut files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/bitmap.h"

namespace orv::test {

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& content);
void WriteFile(const std::string& path, const std::vector<uint8_t>& content);
std::string ReadFile(const std::string& path);
std::vector<uint8_t> ReadBytes(const std::string& path);

// Appends x to v in little-endian order.
void Put16(std::vector<uint8_t>& v, uint32_t x);
void Put32(std::vector<uint8_t>& v, uint32_t x);

// Builds a Windows shell link (.lnk) file's bytes.
struct ShellLinkSpec {
  std::string local_base_path;  // written in LinkInfo when not empty
  std::string common_path_suffix;
  std::string relative_path;    // StringData RELATIVE_PATH when not empty
  bool unicode = true;          // StringData in UTF-16 (and LinkInfo's Unicode path)
  bool ansi_cp932 = false;      // ANSI strings given in UTF-8, stored as code page 932
  bool with_id_list = true;
};
std::vector<uint8_t> BuildShellLink(const ShellLinkSpec& spec);

// A little-endian TIFF block whose only tag is the EXIF orientation.
std::vector<uint8_t> OrientationTiff(int orientation);
// The JPEG file with an EXIF APP1 segment holding tiff right after its SOI.
std::vector<uint8_t> WithExifSegment(std::vector<uint8_t> jpeg, const std::vector<uint8_t>& tiff);

// A bitmap's colours as 0x00BBGGRR values, row by row.
std::vector<int32_t> Colors(const TBitmap& bmp);

}  // namespace orv::test
