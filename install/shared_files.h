// The counts of shared files: how many installed products use a file that several may
// install (the database engine's files), under
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs, one REG_DWORD
// value per file named by its full path. A value that is not there counts 0.
#pragma once

#include <cstdint>
#include <string>

namespace install {

inline constexpr const char* kSharedDllsKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// The count of `path`; 0 when there is none (or it cannot be read).
uint32_t SharedCount(const std::string& path);
// Sets the count of `path`; 0 removes its value. False, with the system's reason in
// `reason`, when the registry refuses.
bool SetSharedCount(const std::string& path, uint32_t count, std::string& reason);

}  // namespace install
