#include "platform/exceptions.h"

#include <cstring>

namespace orv {

namespace {
std::string Replace(const std::string& pattern, const char* tag, const std::string& arg) {
  std::string out = pattern;
  auto pos = out.find(tag);
  if (pos != std::string::npos) out.replace(pos, std::strlen(tag), arg);
  return out;
}
}  // namespace

std::string FormatMessage(const std::string& pattern, const std::string& arg) {
  return Replace(pattern, "%s", arg);
}

std::string FormatMessage(const std::string& pattern, long long arg) {
  return Replace(pattern, "%d", std::to_string(arg));
}

EFOpenError EFOpenError::ForPath(const std::string& path) {
  return EFOpenError(FormatMessage("ファイル %s は開けません", path));
}

EOSError EOSError::FromErrno(int code) {
  return EOSError(code, std::string("システムエラー。 コード: ") + std::to_string(code) + ".\n" +
                            std::strerror(code));
}

}  // namespace orv
