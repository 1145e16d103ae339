// "shared <path>": a file of the database engine, which several products may install,
// whose count of users was raised by one once it was in place (InstallRecord::FilePlaced,
// inside the unpacking's attempt; a count that cannot be raised fails the attempt). The
// counts live under HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs,
// one REG_DWORD value per file named by its full path; a value that is not there counts 0.
// Undone by lowering the count by one; at 0 its value goes, and the file with its file
// step. Whether another product still counts the engine is decided over all the shared
// steps before any step is undone (TUninstaller).
#pragma once

#include <cstdint>
#include <string>

namespace install {

class UndoContext;

inline constexpr const char* kSharedDllsKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

struct SharedStep {
  std::string Path;
  friend bool operator==(const SharedStep&, const SharedStep&) = default;
};

// The count of `path`; 0 when there is none (or it cannot be read).
uint32_t SharedCount(const std::string& path);
// Sets the count of `path`; 0 removes its value. False, with the system's reason in
// `reason`, when the registry refuses.
bool SetSharedCount(const std::string& path, uint32_t count, std::string& reason);

void Undo(const SharedStep& step, UndoContext& context);

}  // namespace install
