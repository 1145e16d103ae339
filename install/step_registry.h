// The registry's steps, written by the registry operation (item_registry.cpp) through
// the record it is given:
//   "key <root> <path>": a key the installation made for a value, its parents first
//   (InstallRecord::KeyMade);
//   "value <root> <key> <name> <existed>": a value written (InstallRecord::ValueWritten);
//   existed is 1 when its key was there before the installation, 0 when the installation
//   made it.
// Undone only while no other product counts the database engine: a value goes, and with
// it its key once that is empty when the installation made the key (a key that was there
// before never goes with a value); a key the installation made goes once it is empty.
#pragma once

#include <string>

#include "platform/registry.h"

namespace install {

class UndoContext;

struct KeyStep {
  platform::RegRoot Root = platform::RegRoot::LocalMachine;
  std::string Path;
  friend bool operator==(const KeyStep&, const KeyStep&) = default;
};

struct ValueStep {
  platform::RegRoot Root = platform::RegRoot::LocalMachine;
  std::string Key, Name;
  bool Existed = false;  // its key was there before the installation
  friend bool operator==(const ValueStep&, const ValueStep&) = default;
};

void Undo(const KeyStep& step, UndoContext& context);
void Undo(const ValueStep& step, UndoContext& context);

}  // namespace install
