// The shortcut steps: a group and its icons made as Start Menu shortcuts, and removed.
#include "install/step_shortcut.h"

#include "install/install_messages.h"
#include "install/install_record.h"
#include "install/step_folder.h"
#include "install/step_undo.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/paths.h"
#include "platform/shell.h"

namespace install {

void InstallRecord::MenuFolderMade(const std::string& path) { Add(MenuFolderStep{path}); }
void InstallRecord::ShortcutMade(const std::string& path) { Add(ShortcutStep{path}); }

std::string MakeMenuGroup(const std::string& group, InstallRecord* record) {
  platform::FileSystem& files = platform::FileSystemPort();
  std::string reasons;
  for (const bool allUsers : {true, false}) {
    const std::string menu = platform::SystemFoldersPort().ProgramsMenu(allUsers);
    if (menu.empty()) continue;
    const std::string folder = platform::JoinPath(menu, group);
    // Recorded before it is made; one that was there already goes too, once empty.
    if (record) record->MenuFolderMade(folder);
    if (files.DirectoryExists(folder) || files.CreateDirectory(folder)) return folder;
    reasons += (reasons.empty() ? "" : "; ") + folder + ": " + files.FailureReason();
  }
  throw platform::EInOutError(platform::Fmt(msg::kCannotMakeMenuGroup, group),
                              reasons.empty() ? msg::kNoProgramsMenu : reasons);
}

std::string MakeShortcut(const std::string& folder, const std::string& caption,
                         const std::string& target, const std::string& workingDir,
                         InstallRecord* record) {
  const std::string path = platform::JoinPath(folder, caption + ".lnk");
  if (record) record->ShortcutMade(path);
  std::string reason;
  if (!platform::ShellPort().CreateShortcut({path, target, workingDir, caption}, reason))
    throw platform::EInOutError(platform::Fmt(msg::kCannotMakeShortcut, path), reason);
  return path;
}

void Undo(const ShortcutStep& step, UndoContext& context) {
  platform::FileSystem& files = platform::FileSystemPort();
  if (!files.FileExists(step.Path)) return;  // gone already
  if (!files.Delete(step.Path))
    return context.Failed(step.Path, platform::Fmt(msg::kActionRemove, step.Path),
                          files.FailureReason());
  context.Removed(step.Path, platform::Fmt(msg::kNoteRemovedShortcut, step.Path));
}

void Undo(const MenuFolderStep& step, UndoContext& context) {
  if (RemoveEmptyFolder(step.Path, context)) context.Outcome.Removed.push_back(step.Path);
}

}  // namespace install
