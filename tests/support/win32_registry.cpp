#ifdef _WIN32
#include "support/win32_registry.h"

namespace testing_support {

RawValue QueryRaw(const std::string& key, const std::string& name) {
  RawValue raw;
  HKEY k = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return raw;
  DWORD size = 0;
  if (::RegQueryValueExA(k, name.c_str(), nullptr, &raw.type, nullptr, &size) == ERROR_SUCCESS) {
    raw.data.resize(size);
    raw.found = ::RegQueryValueExA(k, name.c_str(), nullptr, &raw.type,
                                   raw.data.empty() ? nullptr : raw.data.data(),
                                   &size) == ERROR_SUCCESS;
    raw.data.resize(size);
  }
  ::RegCloseKey(k);
  return raw;
}

std::string QueryText(const std::string& key, const std::string& name) {
  const RawValue raw = QueryRaw(key, name);
  if (!raw.found) return "<absent>";
  if (raw.type != REG_SZ || raw.data.empty() || raw.data.back() != 0)
    return "<type " + std::to_string(raw.type) + ">";
  return std::string(raw.data.begin(), raw.data.end() - 1);
}

bool SetRegText(const std::string& key, const std::string& name, const std::string& value) {
  HKEY k = nullptr;
  if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &k, nullptr) != ERROR_SUCCESS)
    return false;
  const bool ok = ::RegSetValueExA(k, name.c_str(), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
  ::RegCloseKey(k);
  return ok;
}

void DeleteRegTree(HKEY root, const std::string& path) {
  HKEY k = nullptr;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
  char name[256];
  for (;;) {
    DWORD n = sizeof name;
    if (::RegEnumKeyExA(k, 0, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    DeleteRegTree(k, name);
  }
  ::RegCloseKey(k);
  ::RegDeleteKeyA(root, path.c_str());
}

}  // namespace testing_support
#endif
