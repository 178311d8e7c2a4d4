// Error types: every failure is an exception that carries its message text.
#pragma once

#include <stdexcept>
#include <string>

#include "platform/translatable.h"

namespace orv {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(message), pattern_(std::move(message)) {}
  // A message made of a pattern with one "%s" or "%d" and its argument; the
  // GUI looks the pattern up in the user's language and puts the argument in.
  Exception(std::string pattern, std::string argument);
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }
  const std::string& Pattern() const noexcept { return pattern_; }
  const std::string& Argument() const noexcept { return argument_; }

 private:
  std::string message_;
  std::string pattern_;
  std::string argument_;
};

// A picture's data cannot be decoded (base of the codecs' own errors).
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// A stream ended before a fixed-size read was satisfied.
class EReadError : public Exception {
 public:
  EReadError() : Exception(ORV_TRANSLATE_NOOP("Exception", "ストリームからの読み込みエラー")) {}
  using Exception::Exception;
};

class EWriteError : public Exception {
 public:
  EWriteError() : Exception(ORV_TRANSLATE_NOOP("Exception", "ストリームへの書き込みエラー")) {}
  using Exception::Exception;
};

// A file could not be opened.
class EFOpenError : public Exception {
 public:
  using Exception::Exception;
  static EFOpenError ForPath(const std::string& path);
};

// An operating-system call failed; carries errno.
class EOSError : public Exception {
 public:
  EOSError(int code, std::string message) : Exception(std::move(message)), code_(code) {}
  EOSError(int code, std::string pattern, std::string argument)
      : Exception(std::move(pattern), std::move(argument)), code_(code) {}
  static EOSError FromErrno(int code);
  int Code() const noexcept { return code_; }

 private:
  int code_;
};

class EOutOfMemory : public Exception {
 public:
  using Exception::Exception;
};

// An assignment between incompatible graphic types.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// printf-style formatting of a message with one argument ("%s" or "%d"; the
// string form fills whichever comes first).
std::string FormatMessage(const std::string& pattern, const std::string& arg);
std::string FormatMessage(const std::string& pattern, long long arg);

}  // namespace orv
