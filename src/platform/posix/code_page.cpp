#include <iconv.h>

#include <vector>

#include "platform/native.h"

namespace orv {

namespace {
// Windows code pages by the names iconv knows them by.
std::string IconvName(unsigned code_page) {
  if (code_page == 0 || code_page == 65001) return "UTF-8";
  return "CP" + std::to_string(code_page);
}

bool Convert(const std::string& to, const std::string& from, const char* p, size_t n, std::string* out) {
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == iconv_t(-1)) return false;
  std::vector<char> in(p, p + n);
  std::vector<char> buf(n * 4 + 4);
  char* ip = in.data();
  size_t il = n;
  char* op = buf.data();
  size_t ol = buf.size();
  size_t r = iconv(cd, &ip, &il, &op, &ol);
  iconv_close(cd);
  if (r == size_t(-1) || il != 0) return false;
  out->assign(buf.data(), size_t(op - buf.data()));
  return true;
}
}  // namespace

bool native::Cp932ToUtf8(const uint8_t* p, size_t n, std::string* out) {
  return Convert("UTF-8", "CP932", reinterpret_cast<const char*>(p), n, out);
}

bool native::CodePageToUtf8(unsigned code_page, const std::string& text, std::string* out) {
  return Convert("UTF-8", IconvName(code_page), text.data(), text.size(), out);
}

bool native::Utf8ToCodePage(unsigned code_page, const std::string& text, std::string* out) {
  return Convert(IconvName(code_page), "UTF-8", text.data(), text.size(), out);
}

}  // namespace orv
