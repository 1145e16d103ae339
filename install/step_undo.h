// What the steps of an uninstall share while they are undone, newest first: what has
// been removed, kept, put back or could not be removed; whether the database engine is
// still counted by another product (then its files, folder and values stay); which
// shared files another product still counts; and which files were handled already (a
// file recorded again by a later attempt is handled once). Each step's own undoing lives
// beside its doing (step_*.h); the loop over the steps is TUninstaller's.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace install {

struct TUninstallOutcome {
  std::vector<std::string> Removed;    // files, folders, values, keys, the group, the entry
  std::vector<std::string> Changed;    // files kept because they were changed since
  std::vector<std::string> InUse;      // shared files kept: another product counts them
  std::vector<std::string> Restored;   // files put back from the copies kept of them
  std::vector<std::string> Failed;     // what could not be removed, with the reason
  std::vector<std::string> AtRestart;  // files in use, removed when the system next starts
  bool EngineKept = false;             // the engine's values and folder stay in use
};

class UndoContext {
 public:
  // `onNote` is told of each thing done or kept, as a line for the log; may be empty.
  explicit UndoContext(std::function<void(const std::string&)> onNote = {})
      : onNote_(std::move(onNote)) {}

  TUninstallOutcome Outcome;
  // Another product still counts one of the engine's shared files.
  bool EngineInUse = false;

  // A file's path, the first time it is handled (compared as the system compares names).
  bool FirstTime(const std::string& path);
  // A shared file another product still counts, and whether `path` is one.
  void KeepShared(const std::string& path);
  bool SharedKept(const std::string& path) const;

  void Note(const std::string& text) const;
  // `what` into the outcome's removed list, `note` to the log.
  void Removed(const std::string& what, const std::string& note);
  // `what: reason` into the outcome's failed list, "cannot <action>: <reason>" to the log.
  void Failed(const std::string& what, const std::string& action, const std::string& reason);

 private:
  std::function<void(const std::string&)> onNote_;
  std::vector<std::string> handled_, sharedKept_;  // upper-cased paths
};

}  // namespace install
