// The common exception family. Every failure the system reports is an Exception
// carrying one fixed message; layers derive their own families from it.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace sys {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }

 private:
  std::string message_;
};

// A failed file open, read, write, seek or close.
class EInOutError : public Exception {
 public:
  explicit EInOutError(std::string message, int errorCode = 0)
      : Exception(std::move(message)), ErrorCode(errorCode) {}
  int ErrorCode;
};

// An operation the user gave up. It is never shown.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
};

// An invalid property value.
class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace sys
