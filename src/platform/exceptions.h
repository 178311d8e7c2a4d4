// Error types: every failure is an exception that carries its message text.
#pragma once

#include <stdexcept>
#include <string>

namespace orv {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }

 private:
  std::string message_;
};

// A picture's data cannot be decoded (base of the codecs' own errors).
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// A stream ended before a fixed-size read was satisfied.
class EReadError : public Exception {
 public:
  EReadError() : Exception("ストリームからの読み込みエラー") {}
  using Exception::Exception;
};

class EWriteError : public Exception {
 public:
  EWriteError() : Exception("ストリームへの書き込みエラー") {}
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

// printf-style formatting of a message with one string argument ("%s" or "%d").
std::string FormatMessage(const std::string& pattern, const std::string& arg);
std::string FormatMessage(const std::string& pattern, long long arg);

}  // namespace orv
