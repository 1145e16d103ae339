// "entry <key>": the installation registered in the system's list of installed programs,
// under HKEY_LOCAL_MACHINE\<key> (InstallRecord::WriteEntry, run by the script's record
// item at the start of the run and again once it has ended, with the size of what was
// installed). Undone last of the steps a record lists, so that an uninstall that stops
// half way can be started again from the list.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace install {

class UndoContext;

// The entry's values as the product gives them; the engine adds EstimatedSize (the size
// of the files the run installed, in KB), InstallDate (the day of the run, YYYYMMDD),
// NoModify and NoRepair (1).
struct UninstallEntry {
  std::string Key;  // below HKEY_LOCAL_MACHINE
  std::string DisplayName, UninstallString, QuietUninstallString, InstallLocation, DisplayIcon,
      Publisher, DisplayVersion;
  uint32_t VersionMajor = 0, VersionMinor = 0;
};

// A day as the entry's InstallDate writes it: YYYYMMDD.
std::string InstallDateText(const std::tm& day);

struct EntryStep {
  std::string Key;
  friend bool operator==(const EntryStep&, const EntryStep&) = default;
};

void Undo(const EntryStep& step, UndoContext& context);

}  // namespace install
