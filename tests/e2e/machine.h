// The machine an end-to-end test installs on: the prefix's folders, Start Menu and
// registry as the installer leaves them, set back to a clean state between tests, and
// what the packages of a medium should have put on disk.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace e2e {

// The current user's Start Menu programs folder, and every user's.
std::string ProgramsFolder();
std::string CommonProgramsFolder();
// The folder the installer puts the database engine in by default.
std::string DefaultEngineFolder();

// Deletes a folder tree, read-only files included; nothing when it is missing.
void RemoveTree(const std::string& path);
void CopyTree(const std::string& from, const std::string& to);
// Folder windows the shell opened for a Start Menu group (closed, when open).
void CloseFolderWindows(const std::string& title);

// No application folder, no engine folder, no engine keys, no "TAVO" group (in either
// Start Menu).
void CleanMachine();

struct FileInfo {
  std::vector<uint8_t> data;
  FILETIME written{};  // last-write time (UTC)
  bool readOnly = false;
};
// Every file below `dir`, by relative path with `\` separators, upper-cased.
std::map<std::string, FileInfo> FilesBelow(const std::string& dir);

// What a package holds: its members extracted by our own reader into `scratch`, with
// each member's stored time converted from its DOS local time to UTC.
std::map<std::string, FileInfo> PackageContents(const std::string& package,
                                                const std::string& scratch);

// A damaged copy of a package: its first half, the rest cut off.
void Damage(const std::string& package);
// One byte of the package changed inside a block that a fast-compressed member stores
// as it is, so that it restores without complaint to wrong content; false when the
// package has no such block.
bool FlipAByteInAStoredBlock(const std::string& package);

}  // namespace e2e
