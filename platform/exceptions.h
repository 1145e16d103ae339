// The common exception family. Every failure the system reports is an Exception
// carrying one fixed message; layers derive their own families from it.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

// A fixed message that names one thing, a file's path or a member's stored name: the
// text before it, the name and the text after it. Kept in its parts so that whoever
// shows the message can show the name its own way (a member's name in the locale's
// text, a path as the system writes it) without looking inside the text. A message
// that names nothing has all of its text in Before.
struct NamedMessage {
  enum class Names : uint8_t { Nothing, Path, Member };
  std::string Before, Name, After;
  Names What = Names::Nothing;

  std::string Text() const { return Before + Name + After; }
};

// The message `format` (already filled but for one "%s") with `name` in place of its
// "%s"; a format without one names nothing.
inline NamedMessage Naming(std::string_view format, std::string name = {},
                           NamedMessage::Names what = NamedMessage::Names::Path) {
  // The last "%s": text filled in before it may hold one, what follows is fixed text.
  const std::size_t at = format.rfind("%s");
  if (at == std::string_view::npos) return {std::string(format), {}, {}};
  return {std::string(format.substr(0, at)), std::move(name), std::string(format.substr(at + 2)),
          what};
}

class Exception : public std::exception {
 public:
  // `path`: the file the failure concerns, when the message does not name it (a write
  // error says only what went wrong).
  explicit Exception(std::string message, std::string reason = {}, std::string path = {})
      : parts_{std::move(message), {}, {}},
        message_(parts_.Before),
        reason_(std::move(reason)),
        path_(std::move(path)) {}
  explicit Exception(NamedMessage message, std::string reason = {})
      : parts_(std::move(message)), message_(parts_.Text()), reason_(std::move(reason)) {
    if (parts_.What == NamedMessage::Names::Path) path_ = parts_.Name;
  }
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }
  // The message in its parts (NamedMessage).
  const NamedMessage& Parts() const noexcept { return parts_; }
  // The system's reason behind a failure, when it gave one ("read-only file system").
  // It is kept apart so that fixed messages stay as they are.
  const std::string& Reason() const noexcept { return reason_; }
  // The file the failure concerns: the one the message names, or the one given apart;
  // empty when neither.
  const std::string& Path() const noexcept { return path_; }

 private:
  NamedMessage parts_;
  std::string message_;
  std::string reason_;
  std::string path_;
};

// A failed file open, read, write, seek or close; Step says which.
class EInOutError : public Exception {
 public:
  enum class Step : uint8_t { Other, Open, Read, Write };
  explicit EInOutError(std::string message, std::string reason = {})
      : Exception(std::move(message), std::move(reason)) {}
  EInOutError(Step step, std::string message, std::string reason = {}, std::string path = {})
      : Exception(std::move(message), std::move(reason), std::move(path)), step_(step) {}
  EInOutError(Step step, NamedMessage message, std::string reason = {})
      : Exception(std::move(message), std::move(reason)), step_(step) {}
  Step IoStep() const noexcept { return step_; }

 private:
  Step step_ = Step::Other;
};

// The message with the system's reason after it: "... can not be opened ! (is a
// directory)".
inline std::string Describe(const std::exception& e) {
  const auto* own = dynamic_cast<const Exception*>(&e);
  if (!own) return e.what();
  return own->Reason().empty() ? own->Message() : own->Message() + " (" + own->Reason() + ")";
}

// An operation the user gave up, or that an interrupt (Ctrl+C) ended. It is never shown.
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
