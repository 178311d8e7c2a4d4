#include <iconv.h>

#include <vector>

#include "platform/native.h"

namespace orv {

bool native::Cp932ToUtf8(const uint8_t* p, size_t n, std::string* out) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == iconv_t(-1)) return false;
  std::vector<char> in(p, p + n);
  std::vector<char> buf(n * 3 + 4);
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

}  // namespace orv
