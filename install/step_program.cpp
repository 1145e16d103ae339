// The program step: the running program copied into the application folder as its
// uninstaller, and removed again, also while it runs.
#include "install/install_messages.h"
#include "install/install_record.h"
#include "install/step_undo.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/text.h"

namespace install {

void InstallRecord::CopyProgram(const std::string& program, const std::string& copy) {
  platform::FileSystem& files = platform::FileSystemPort();
  // Run from the application folder already (a second installation from the uninstaller
  // itself): nothing to copy, and nothing of it to remove.
  if (platform::SameFolded(files.FullPath(program), files.FullPath(copy))) return;
  std::string reason;
  files.Delete(copy);  // an older installation's
  if (!platform::CopyFileTo(program, copy, reason))
    throw platform::EInOutError(platform::Fmt(msg::kCannotCopyUninstaller, copy), reason);
  Add(ProgramStep{copy});
  Note(platform::Fmt(msg::kNoteUninstaller, copy));
  // It runs with administrator rights: never writable by users.
  Protect(copy, platform::AccessRule::UsersReadExecute);
}

void Undo(const ProgramStep& step, UndoContext& context) {
  const std::string& path = step.Path;
  platform::FileSystem& files = platform::FileSystemPort();
  if (!files.FileExists(path) || files.Delete(path))
    return context.Removed(path, platform::Fmt(msg::kNoteRemoved, path));
  // Windows keeps a running program's file: renamed into the temporary folder, it goes
  // at the next restart.
  const std::string reason = files.FailureReason();
  platform::TempFiles& temp = platform::TempFilesPort();
  const std::string dir = temp.Directory();
  const std::string reserved = dir.empty() ? std::string() : temp.CreateUnique(dir, "QUN");
  if (reserved.empty() || !files.Rename(path, reserved))
    return context.Failed(path, platform::Fmt(msg::kActionRemove, path),
                          reserved.empty() ? reason : files.FailureReason());
  platform::ShellPort().DeleteAtRestart(reserved);
  context.Removed(path, platform::Fmt(msg::kNoteMovedAtRestart, path, reserved));
}

}  // namespace install
