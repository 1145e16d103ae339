// What the installer reads and writes of the database engine: its registry keys and
// values under HKEY_LOCAL_MACHINE, the files that show an engine is already installed,
// and the presence test that the installer window runs at start-up.
#pragma once

#include <string>

namespace inst {

// Keys (below HKEY_LOCAL_MACHINE) and values read when the engine discovers its paths.
inline constexpr const char* kEngineKey = "\\SOFTWARE\\Ondrel\\Database Engine";
inline constexpr const char* kEngineDllPath = "DLLPath";
inline constexpr const char* kEngineConfigFile = "CONFIGFILE01";
inline constexpr const char* kOlapiKey = "\\SOFTWARE\\Ondrel\\OLW32";
inline constexpr const char* kOlapiPath = "OLAPIPATH";

// The key and values the presence test reads.
inline constexpr const char* kPresenceKey = "\\SOFTWARE\\ONDREL\\DATABASE ENGINE";
inline constexpr const char* kPresenceDllPath = "DLLPATH";
inline constexpr const char* kPresenceConfigFile = "CONFIGFILE01";

// Keys written by the configuration operations (no leading `\`).
inline constexpr const char* kWriteEngineKey = "SOFTWARE\\Ondrel\\Database Engine";
inline constexpr const char* kWriteOlapiKey = "SOFTWARE\\Ondrel\\OLW32";
inline constexpr const char* kTabulaInitKey =
    "SOFTWARE\\Ondrel\\Database Engine\\Settings\\DRIVERS\\TABULA\\INIT";
inline constexpr const char* kTabulaCreateKey =
    "SOFTWARE\\Ondrel\\Database Engine\\Settings\\DRIVERS\\TABULA\\TABLE CREATE";
inline constexpr const char* kSystemInitKey =
    "SOFTWARE\\Ondrel\\Database Engine\\Settings\\SYSTEM\\INIT";

// True when the engine's key exists and one of its library files ("dbapi32.dll",
// "dbcore.dll" in the first DLLPATH folder) or configuration files ("dbapi.cfg",
// "dbapi32.cfg" in the folder of CONFIGFILE01) is found. Raises ERegistryException when
// a value holds something other than text.
bool DatabaseEnginePresent();

// Text with the characters of code 32 or less removed from both ends.
std::string Trim(const std::string& s);
// The folder part of a path: up to and including its last `\` or `:`; empty when there
// is neither.
std::string FolderPart(const std::string& path);

}  // namespace inst
