#include "install/step_undo.h"

#include <algorithm>

#include "install/install_messages.h"
#include "platform/format.h"
#include "platform/text.h"

namespace install {
namespace {

bool Holds(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

bool UndoContext::FirstTime(const std::string& path) {
  const std::string key = platform::UpperAscii(path);
  if (Holds(handled_, key)) return false;
  handled_.push_back(key);
  return true;
}

void UndoContext::KeepShared(const std::string& path) {
  const std::string key = platform::UpperAscii(path);
  if (!Holds(sharedKept_, key)) sharedKept_.push_back(key);
}

bool UndoContext::SharedKept(const std::string& path) const {
  return Holds(sharedKept_, platform::UpperAscii(path));
}

void UndoContext::Note(const std::string& text) const {
  if (onNote_) onNote_(text);
}

void UndoContext::Removed(const std::string& what, const std::string& note) {
  Outcome.Removed.push_back(what);
  Note(note);
}

void UndoContext::Failed(const std::string& what, const std::string& action,
                         const std::string& reason) {
  Outcome.Failed.push_back(what + ": " + reason);
  Note(platform::Fmt(msg::kCannot, action, reason));
}

}  // namespace install
