// The Program Manager's steps, written by its operations (item_progman.cpp) inside their
// attempt once the command was handed over, through the record they are given:
//   "group <name>": a group created (InstallRecord::GroupMade);
//   "icon <group> <caption> <path>": a program item created in it (InstallRecord::IconMade).
// Undone: the group goes over DDE ("[DeleteGroup(name)]"), its icons with it; a group
// that is gone already is no failure.
#pragma once

#include <string>

namespace install {

class UndoContext;

struct GroupStep {
  std::string Name;
  friend bool operator==(const GroupStep&, const GroupStep&) = default;
};

struct IconStep {
  std::string Group, Caption, Path;
  friend bool operator==(const IconStep&, const IconStep&) = default;
};

void Undo(const GroupStep& step, UndoContext& context);
void Undo(const IconStep& step, UndoContext& context);

}  // namespace install
