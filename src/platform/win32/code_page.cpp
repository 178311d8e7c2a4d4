// Code pages through MultiByteToWideChar and WideCharToMultiByte.
#include <windows.h>

#include "platform/native.h"
#include "platform/win32/wide.h"

namespace orv {

namespace {
bool ToWide(unsigned code_page, const char* p, size_t n, std::wstring* out) {
  out->clear();
  if (n == 0) return true;
  const int len = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, p, int(n), nullptr, 0);
  if (len <= 0) return false;
  out->resize(size_t(len));
  return MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, p, int(n), out->data(), len) == len;
}
}  // namespace

bool native::Cp932ToUtf8(const uint8_t* p, size_t n, std::string* out) {
  std::wstring w;
  if (!ToWide(932, reinterpret_cast<const char*>(p), n, &w)) return false;
  *out = win32::Utf8(w);
  return true;
}

bool native::CodePageToUtf8(unsigned code_page, const std::string& text, std::string* out) {
  if (code_page == 0 || code_page == CP_UTF8) {
    std::wstring w;
    if (!ToWide(CP_UTF8, text.data(), text.size(), &w)) return false;
    *out = text;
    return true;
  }
  std::wstring w;
  if (!ToWide(code_page, text.data(), text.size(), &w)) return false;
  *out = win32::Utf8(w);
  return true;
}

bool native::Utf8ToCodePage(unsigned code_page, const std::string& text, std::string* out) {
  std::wstring w;
  if (!ToWide(CP_UTF8, text.data(), text.size(), &w)) return false;
  if (code_page == 0 || code_page == CP_UTF8) {
    *out = text;
    return true;
  }
  out->clear();
  if (w.empty()) return true;
  BOOL lossy = FALSE;
  const int len = WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, w.data(), int(w.size()), nullptr, 0, nullptr, &lossy);
  if (len <= 0 || lossy) return false;
  out->resize(size_t(len));
  WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, w.data(), int(w.size()), out->data(), len, nullptr, &lossy);
  return !lossy;
}

}  // namespace orv
