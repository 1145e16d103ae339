// "entry <key>": the installation registered in the system's list of installed programs,
// under HKEY_LOCAL_MACHINE\<key> (InstallRecord::WriteEntry, run by the script's record
// item at the start of the run and again once it has ended, with the size of what was
// installed). Undone last of the steps a record lists, so that an uninstall that stops
// half way can be started again from the list.
#pragma once

#include <string>

namespace install {

class UndoContext;

// The entry's values as the product gives them; the engine adds EstimatedSize (the size
// of the files the run installed, in KB), NoModify and NoRepair (1).
struct UninstallEntry {
  std::string Key;  // below HKEY_LOCAL_MACHINE
  std::string DisplayName, UninstallString, QuietUninstallString, InstallLocation, DisplayIcon,
      Publisher, DisplayVersion;
};

struct EntryStep {
  std::string Key;
  friend bool operator==(const EntryStep&, const EntryStep&) = default;
};

void Undo(const EntryStep& step, UndoContext& context);

}  // namespace install
