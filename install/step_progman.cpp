// The Program Manager's steps: the group and its icons, and the group removed again.
#include "install/install_messages.h"
#include "install/install_record.h"
#include "install/progman.h"
#include "install/step_undo.h"
#include "platform/format.h"

namespace install {

void InstallRecord::GroupMade(const std::string& name) {
  Add(GroupStep{name});
  lastGroup_ = name;
}

void InstallRecord::IconMade(const std::string& caption, const std::string& path) {
  Add(IconStep{lastGroup_, caption, path});
}

void Undo(const GroupStep& step, UndoContext& context) {
  const std::string command = platform::Fmt(msg::kDeleteGroupCommand, step.Name);
  const std::string what = platform::Fmt(msg::kProgManGroup, step.Name);
  std::string cause;
  if (ProgManExecute(command, cause) != 0)
    return context.Failed(what, platform::Fmt(msg::kActionRemoveThe, what), cause);
  context.Removed(
      what, platform::Fmt(msg::kNoteCommandHandedOver, command.substr(0, command.size() - 2)));
}

void Undo(const IconStep&, UndoContext&) {}  // goes with its group

}  // namespace install
