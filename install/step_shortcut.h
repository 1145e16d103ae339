// The shortcut steps, written by the Program Manager operations (item_progman.cpp) when no
// Program Manager takes their command (a machine without a shell, a service's session):
// the group and its icons are then made directly as shortcuts in the Start Menu's
// Programs folder, of all users where it can be written, else of the user.
//   "menufolder <path>": the group's folder (InstallRecord::MenuFolderMade), recorded
//   before it is made;
//   "shortcut <path>": a shortcut file in it (InstallRecord::ShortcutMade), recorded
//   before it is written.
// Undone: each shortcut file goes, then the group's folder once it is empty; a shortcut
// that is gone already is no failure.
#pragma once

#include <string>

namespace install {

class UndoContext;
class InstallRecord;

struct MenuFolderStep {
  std::string Path;
  friend bool operator==(const MenuFolderStep&, const MenuFolderStep&) = default;
};

struct ShortcutStep {
  std::string Path;
  friend bool operator==(const ShortcutStep&, const ShortcutStep&) = default;
};

// The folder of the group `group` in the Start Menu's Programs folder of all users, or
// of the user where that cannot be made, made now (recorded in `record`, when there is
// one) unless it is there; raises platform::EInOutError when neither can be made.
std::string MakeMenuGroup(const std::string& group, InstallRecord* record);
// The shortcut `caption`.lnk in `folder` opening `target`, started in `workingDir`,
// recorded in `record` (when there is one) before it is written; raises
// platform::EInOutError naming the shortcut when it cannot be written. Its path.
std::string MakeShortcut(const std::string& folder, const std::string& caption,
                         const std::string& target, const std::string& workingDir,
                         InstallRecord* record);

void Undo(const MenuFolderStep& step, UndoContext& context);
void Undo(const ShortcutStep& step, UndoContext& context);

}  // namespace install
