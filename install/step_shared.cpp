// The shared step: the count of a shared file raised by one, and lowered again.
#include <vector>

#include "install/install_messages.h"
#include "install/install_record.h"
#include "install/registry.h"
#include "install/step_undo.h"
#include "platform/format.h"
#include "platform/le_bytes.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace install {

uint32_t SharedCount(const std::string& path) {
  const auto key = platform::RegistryPort().Open(platform::RegRoot::LocalMachine, kSharedDllsKey);
  platform::RegValue value;
  if (!key || !key->Query(path, value) || value.Type != platform::RegType::Dword ||
      value.Data.size() != 4)
    return 0;
  return platform::le::Get32(value.Data.data());
}

bool SetSharedCount(const std::string& path, uint32_t count, std::string& reason) {
  platform::Registry& registry = platform::RegistryPort();
  const auto key = count == 0 ? registry.Open(platform::RegRoot::LocalMachine, kSharedDllsKey)
                              : registry.Create(platform::RegRoot::LocalMachine, kSharedDllsKey);
  if (!key) {
    if (count == 0) return true;  // no key, no count
    reason = registry.FailureReason();
    return false;
  }
  std::vector<uint8_t> data;
  platform::le::Put32(data, count);
  const bool ok =
      count == 0 ? key->DeleteValue(path) : key->Set(path, platform::RegType::Dword, data);
  if (!ok) reason = key->FailureReason();
  return ok;
}

void InstallRecord::CountShared(const std::string& path) {
  if (shared_.count(platform::UpperAscii(path)) != 0) return;  // counted once per run
  const uint32_t before = SharedCount(path);
  std::string reason;
  if (!SetSharedCount(path, before + 1, reason))
    throw ERegistryException(platform::Fmt(msg::kCannotRaiseCount, path), reason);
  try {
    Add(SharedStep{path});
  } catch (...) {
    // A count the record does not hold would never be lowered again.
    SetSharedCount(path, before, reason);
    throw;
  }
  shared_.insert(platform::UpperAscii(path));
  Note(platform::Fmt(msg::kNoteSharedCounted, path, std::to_string(before + 1)));
}

void Undo(const SharedStep& step, UndoContext& context) {
  const std::string& path = step.Path;
  const uint32_t count = SharedCount(path);
  const uint32_t left = count > 0 ? count - 1 : 0;
  std::string reason;
  if (!SetSharedCount(path, left, reason))
    context.Failed(platform::Fmt(msg::kSharedCountOf, path),
                   platform::Fmt(msg::kActionLowerCount, path), reason);
  if (left > 0) {
    context.KeepShared(path);
    context.Note(platform::Fmt(msg::kNoteStillCounted, path, std::to_string(left)));
  } else {
    context.Note(platform::Fmt(msg::kNoteCountedByNobody, path));
  }
}

}  // namespace install
