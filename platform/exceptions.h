// The common exception family. Every failure the system reports is an Exception
// carrying one fixed message; layers derive their own families from it.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace platform {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message, std::string reason = {})
      : message_(std::move(message)), reason_(std::move(reason)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }
  // The system's reason behind a failure, when it gave one ("read-only file system").
  // It is kept apart so that fixed messages stay as they are.
  const std::string& Reason() const noexcept { return reason_; }

 private:
  std::string message_;
  std::string reason_;
};

// A failed file open, read, write, seek or close.
class EInOutError : public Exception {
 public:
  explicit EInOutError(std::string message, std::string reason = {})
      : Exception(std::move(message), std::move(reason)) {}
};

// The message with the system's reason after it: "... can not be opened ! (is a
// directory)".
inline std::string Describe(const std::exception& e) {
  const auto* own = dynamic_cast<const Exception*>(&e);
  if (!own) return e.what();
  return own->Reason().empty() ? own->Message() : own->Message() + " (" + own->Reason() + ")";
}

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

}  // namespace platform
