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
  const auto s = pattern.find("%s"), d = pattern.find("%d");
  return Replace(pattern, d < s ? "%d" : "%s", arg);
}

Exception::Exception(std::string pattern, std::string argument)
    : message_(FormatMessage(pattern, argument)), pattern_(std::move(pattern)), argument_(std::move(argument)) {}

std::string FormatMessage(const std::string& pattern, long long arg) {
  return Replace(pattern, "%d", std::to_string(arg));
}

EFOpenError EFOpenError::ForPath(const std::string& path) {
  return EFOpenError(ORV_TRANSLATE_NOOP("Exception", "ファイル %s は開けません"), path);
}

EOSError EOSError::FromErrno(int code) {
  // The system's own text of the code is not ours to translate: it is part of the argument.
  return EOSError(code, ORV_TRANSLATE_NOOP("Exception", "システムエラー。 コード: %s"),
                  std::to_string(code) + ".\n" + std::strerror(code));
}

}  // namespace orv
