// What one installation of the product can have made, and the check that every line of
// its uninstall record lies inside it. The uninstaller acts on nothing else: a record
// with a line outside (a file elsewhere, a value under another key, a group the script
// never makes) is refused like a damaged one, before anything is touched.
//
// The record names the database engine's folder its run used ("engine <folder>", written
// when the record is opened; a record of the first version has none, and its engine
// folder is the one the product's registry value names). Paths are compared as full,
// normalised paths component by component: `.` and `..` resolved, both separators, the
// trailing dots and blanks Windows drops, each existing component in its long form (an
// 8.3 short name expanded), without regard to letter case.
#pragma once

#include <string>
#include <vector>

namespace install {

class UndoContext;

// "engine <folder>": the database engine's folder of the run that wrote it. Nothing to undo.
struct EngineStep {
  std::string Path;
  friend bool operator==(const EngineStep&, const EngineStep&) = default;
};

inline void Undo(const EngineStep&, UndoContext&) {}

struct RecordScope {
  // The application folder: the folder the record lies in.
  std::string Application;
  // Engine folders besides the record's own engine lines (a first-version record's).
  std::vector<std::string> Engines;
  // Keys below HKEY_LOCAL_MACHINE under which the script writes its values.
  std::vector<std::string> RegistryKeys;
  // The uninstall entry's key, below HKEY_LOCAL_MACHINE.
  std::string EntryKey;
  // The Start Menu Programs folders shortcuts may go in (of all users, and of this user).
  std::vector<std::string> MenuFolders;
  // The group the script makes and the captions of its icons.
  std::string Group;
  std::vector<std::string> Captions;
};

// A path as the components compared (see above), upper-cased; empty when it names no
// place: no root, a `..` above the root, or a device path (`\\?\`, `\\.\`).
std::vector<std::string> ComparedParts(const std::string& path);
// `path` is `folder` or lies below it.
bool WithinFolder(const std::string& path, const std::string& folder);

}  // namespace install
