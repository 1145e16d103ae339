// The registry's steps: the keys an installation made and the values it wrote, and how
// they go again.
#include "install/install_messages.h"
#include "install/install_record.h"
#include "install/step_undo.h"
#include "platform/format.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace install {
namespace {

std::string KeyName(platform::RegRoot root, const std::string& path) {
  return std::string(platform::RootName(root)) + "\\" + path;
}

// Removes the key when it is there and empty; `noteKept` tells the log of one that stays.
void RemoveEmptyKey(platform::RegRoot root, const std::string& path, UndoContext& context,
                    bool noteKept) {
  platform::Registry& registry = platform::RegistryPort();
  const std::string what = KeyName(root, path);
  {
    const auto key = registry.Open(root, path);
    if (!key) return;  // gone already
    if (!key->IsEmpty()) {
      if (noteKept) context.Note(platform::Fmt(msg::kNoteKeyStays, what));
      return;
    }
  }
  if (!registry.DeleteKey(root, path))
    return context.Failed(what, platform::Fmt(msg::kActionRemoveKey, what),
                          registry.FailureReason());
  context.Removed(what, platform::Fmt(msg::kNoteRemovedKey, what));
}

}  // namespace

void InstallRecord::KeyMade(platform::RegRoot root, const std::string& path) {
  const std::string id = platform::UpperAscii(KeyName(root, path));
  if (keysMade_.count(id) != 0) return;
  Add(KeyStep{root, path});
  keysMade_.insert(id);
}

void InstallRecord::ValueWritten(platform::RegRoot root, const std::string& key,
                                 const std::string& name) {
  const bool existed = keysMade_.count(platform::UpperAscii(KeyName(root, key))) == 0;
  Add(ValueStep{root, key, name, existed});
}

void Undo(const ValueStep& step, UndoContext& context) {
  if (context.EngineInUse) return;
  const std::string what = KeyName(step.Root, step.Key) + " " + step.Name;
  {
    const auto key = platform::RegistryPort().Open(step.Root, step.Key);
    if (!key) return;  // gone already
    platform::RegValue value;
    if (key->Query(step.Name, value)) {
      if (!key->DeleteValue(step.Name))
        return context.Failed(what, platform::Fmt(msg::kActionRemoveValue, what),
                              key->FailureReason());
      context.Removed(what, platform::Fmt(msg::kNoteRemovedValue, what));
    }
  }
  // A key the installation made goes with its last value; one that was there before
  // never goes with a value.
  if (!step.Existed) RemoveEmptyKey(step.Root, step.Key, context, false);
}

void Undo(const KeyStep& step, UndoContext& context) {
  if (context.EngineInUse) return;
  RemoveEmptyKey(step.Root, step.Path, context, true);
}

}  // namespace install
