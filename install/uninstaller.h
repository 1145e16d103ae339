// Undoing an installation from its uninstall record, in the reverse order of its steps:
// - a file is removed only while its content is still what was installed; one the user
//   changed is kept, and a copy the installation kept of what it replaced is put back;
// - a shared file's count goes down by one, and the file goes only when it reaches 0
//   (then its count goes too); while any shared file is still counted by another
//   product, the database engine's registry values and folder stay;
// - once no shared file is in use, the values the installation wrote go, and the keys it
//   made when they are empty; keys that were there before stay;
// - folders the installation made go when they are empty;
// - the Program Manager group goes ("[DeleteGroup(name)]"), one that is gone already
//   being no failure;
// - the uninstall entry goes last.
// The uninstaller itself and the record are the program's to remove (they are in use).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "install/uninstall_record.h"

namespace install {

struct TUninstallOutcome {
  std::vector<std::string> Removed;   // files, folders, values, keys, the group, the entry
  std::vector<std::string> Changed;   // files kept because they were changed since
  std::vector<std::string> InUse;     // shared files kept: another product counts them
  std::vector<std::string> Restored;  // files put back from the copies kept of them
  std::vector<std::string> Failed;    // what could not be removed, with the reason
  bool EngineKept = false;            // the engine's values and folder stay in use
};

class TUninstaller {
 public:
  explicit TUninstaller(std::vector<TRecordLine> lines);

  // Told after each step: steps done, of how many.
  std::function<void(int done, int total)> OnProgress;
  // Told of each thing done or kept, as a line for the log.
  std::function<void(const std::string& text)> OnNote;

  // Runs every step; what happened is in the outcome.
  TUninstallOutcome Run();
  // Removes the folders the installation made that are empty now (again, once the
  // program has removed what it kept in use). Answers those that went.
  std::vector<std::string> RemoveEmptyFolders();

 private:
  void Note(const std::string& text);
  // `what` into the outcome's list, the note or "cannot <action>: <reason>" to the log.
  void Removed(const std::string& what, const std::string& note);
  void Failed(const std::string& what, const std::string& action, const std::string& reason);
  // Removes the folder when it is there and empty; whether it went.
  bool RemoveFolder(const std::string& folder);
  void RemoveFile(const TRecordLine& line);
  void PutBackCopy(const TRecordLine& line);
  void DropShared(const TRecordLine& line);
  void RemoveValue(const TRecordLine& line);
  void RemoveKey(const TRecordLine& line);
  void RemoveGroup(const TRecordLine& line);
  void RemoveEntry(const std::string& key);

  std::vector<TRecordLine> lines_;
  TUninstallOutcome outcome_;
  std::vector<std::string> sharedKept_;    // upper-cased paths
  std::vector<std::string> handledFiles_;  // upper-cased paths
  bool engineInUse_ = false;
};

}  // namespace install
