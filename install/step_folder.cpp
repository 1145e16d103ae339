// The folder step: made (and recorded) by the installation, removed once empty.
#include "install/install_messages.h"
#include "install/install_record.h"
#include "install/step_undo.h"
#include "pack/lfiles.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/format.h"

namespace install {

bool InstallRecord::MakeFolders(const std::string& folder) {
  platform::FileSystem& files = platform::FileSystemPort();
  const std::vector<std::string> missing = pack::MissingFolders(folder);
  for (const std::string& part : missing) {
    // Recorded before it is made: a folder that was never made is no harm to its undoing,
    // a folder made and never recorded would stay.
    Add(FolderStep{part});
    if (!files.CreateDirectory(part) && !files.DirectoryExists(part))
      throw platform::EInOutError(platform::Fmt(msg::kCannotCreateFolder, part),
                                  files.FailureReason());
  }
  return !missing.empty();
}

void InstallRecord::MakeApplicationFolder(const std::string& folder,
                                          const std::string& dataFolder) {
  if (MakeFolders(folder))
    Protect(folder, platform::AccessRule::UsersReadExecute);
  else
    Note(platform::Fmt(msg::kNoteFolderExisted, folder));
  if (dataFolder.empty()) return;
  if (MakeFolders(dataFolder))
    Protect(dataFolder, platform::AccessRule::UsersModify);
  else
    Note(platform::Fmt(msg::kNoteFolderExisted, dataFolder));
}

void InstallRecord::Protect(const std::string& path, platform::AccessRule rule) const {
  platform::FileSystem& files = platform::FileSystemPort();
  if (files.SetAccess(path, rule))
    Note(platform::Fmt(
        msg::kNoteProtected, path,
        rule == platform::AccessRule::UsersModify ? msg::kUsersModify : msg::kUsersReadExecute));
  else
    Note(platform::Fmt(msg::kNoteNotProtected, path, files.FailureReason()));
}

void InstallRecord::FolderMade(const std::string& folder) { Add(FolderStep{folder}); }

bool RemoveEmptyFolder(const std::string& folder, const UndoContext& context) {
  platform::FileSystem& files = platform::FileSystemPort();
  if (!files.DirectoryExists(folder) || !files.RemoveDirectory(folder)) return false;
  context.Note(platform::Fmt(msg::kNoteRemovedFolder, folder));
  return true;
}

void Undo(const FolderStep& step, UndoContext& context) {
  // Only when empty: what was kept keeps its folder.
  if (RemoveEmptyFolder(step.Path, context)) context.Outcome.Removed.push_back(step.Path);
}

}  // namespace install
