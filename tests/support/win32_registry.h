// The real registry as tests under Wine see it: raw values read back with the Win32
// API, text values set directly, whole keys deleted.
#pragma once
#ifdef _WIN32

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct RawValue {
  bool found = false;
  DWORD type = 0;
  std::vector<uint8_t> data;
};

// A value under HKEY_LOCAL_MACHINE.
RawValue QueryRaw(const std::string& key, const std::string& name);
// The text of a REG_SZ value without its terminating zero; "<absent>" when missing,
// "<type N>" when it is not REG_SZ or lacks its terminating zero.
std::string QueryText(const std::string& key, const std::string& name);
// Creates the key under HKEY_LOCAL_MACHINE as needed and sets a REG_SZ value.
bool SetRegText(const std::string& key, const std::string& name, const std::string& value);
// Deletes a key with everything below it.
void DeleteRegTree(HKEY root, const std::string& path);

}  // namespace testing_support

#endif
