// "folder <path>": a folder the installation made, outermost first: the application
// folder before anything goes into it (InstallRecord::MakeFolders, run by the script's
// record item), a folder a package's member needed (InstallRecord::FolderMade, told by
// the unpacking) and a backup folder (InstallRecord::KeepCopy). Undone by removing the
// folder when it is empty: a folder that holds what was kept stays.
#pragma once

#include <string>

namespace install {

class UndoContext;

struct FolderStep {
  std::string Path;
  friend bool operator==(const FolderStep&, const FolderStep&) = default;
};

// Removes the folder when it is there and empty, telling the log; whether it went.
bool RemoveEmptyFolder(const std::string& folder, const UndoContext& context);
void Undo(const FolderStep& step, UndoContext& context);

}  // namespace install
