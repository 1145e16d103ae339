// Undoing an installation from its uninstall record: every step, newest first, asked to
// undo itself (each kind's undoing lives beside its doing, step_*.h), and the decisions
// that span steps:
// - before anything goes, whether another product still counts any of the engine's
//   shared files (each of our installations counted it once): then the engine's files,
//   folder and registry values stay;
// - a file recorded more than once (by a later attempt, or a later run continuing the
//   record) is handled once;
// - the uninstall entry goes last, so that an uninstall that stops half way can be
//   started again from the system's list;
// - the uninstaller itself and the record are in use while the steps run: they go in
//   Finish, and then the folders that are empty now;
// - a file in use is removed at the next restart, and so, after it, are the folders the
//   installation made that hold it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "install/step_undo.h"
#include "install/uninstall_record.h"

namespace install {

class TUninstaller {
 public:
  explicit TUninstaller(std::vector<RecordStep> steps);
  TUninstaller(const TUninstaller&) = delete;
  TUninstaller& operator=(const TUninstaller&) = delete;

  // Told after each step: steps done, of how many.
  std::function<void(int done, int total)> OnProgress;
  // Told of each thing done or kept, as a line for the log.
  std::function<void(const std::string& text)> OnNote;

  // Undoes every step but the uninstaller's own; what happened is in the outcome.
  TUninstallOutcome Run();
  // Then removes the uninstaller (also while it runs), the record at `recordPath` and the
  // folders the installation made that are empty now. The outcome with what they did.
  TUninstallOutcome Finish(const std::string& recordPath);

 private:
  void FolderAtRestart(const std::string& folder);
  std::vector<RecordStep> steps_;
  UndoContext context_;
};

}  // namespace install
