// What the installer reads and writes of the database engine: its registry keys and
// values under HKEY_LOCAL_MACHINE, the files that show an engine is already installed,
// and the presence test that the installer window runs at start-up.
#pragma once

#include <string>

namespace install {

// The engine's keys, below HKEY_LOCAL_MACHINE, taken from the root. The registry compares
// key and value names without regard to case, so one spelling serves every reader and
// writer; value names keep the spelling each use gives them, since a registry error
// names the value as it was asked for ("DLLPath" when the paths are discovered, "DLLPATH"
// in the presence test and when it is written).
inline constexpr const char* kDatabaseEngineKey = "SOFTWARE\\Ondrel\\Database Engine";
inline constexpr const char* kOlw32Key = "SOFTWARE\\Ondrel\\OLW32";
inline constexpr const char* kTabulaInitKey =
    "SOFTWARE\\Ondrel\\Database Engine\\Settings\\DRIVERS\\TABULA\\INIT";
inline constexpr const char* kTabulaTableCreateKey =
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

}  // namespace install
