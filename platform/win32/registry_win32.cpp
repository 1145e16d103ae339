// Win32 adapter of the registry port: the Reg* API, every key opened or created with
// KEY_ALL_ACCESS, created keys non-volatile.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/win32/error_win32.h"

namespace platform {
namespace {

HKEY RootOf(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegRoot::CurrentUser:
      return HKEY_CURRENT_USER;
    case RegRoot::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegRoot::Users:
      return HKEY_USERS;
    case RegRoot::CurrentConfig:
      return HKEY_CURRENT_CONFIG;
  }
  return HKEY_LOCAL_MACHINE;
}

class Win32Key final : public RegKey {
 public:
  explicit Win32Key(HKEY key) : key_(key) {}
  ~Win32Key() override { ::RegCloseKey(key_); }
  Win32Key(const Win32Key&) = delete;
  Win32Key& operator=(const Win32Key&) = delete;

  bool Query(const std::string& name, RegValue& value) override {
    DWORD type = 0, size = 0;
    LONG rc = ::RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size);
    // The value may grow between the two calls; ask again with the new size.
    for (int round = 0; round < 4 && rc == ERROR_SUCCESS; ++round) {
      std::vector<uint8_t> data(size);
      DWORD got = size;
      rc = ::RegQueryValueExA(key_, name.c_str(), nullptr, &type,
                              data.empty() ? nullptr : data.data(), &got);
      if (rc == ERROR_MORE_DATA) {
        size = got;
        rc = ERROR_SUCCESS;
        continue;
      }
      if (rc != ERROR_SUCCESS) break;
      data.resize(got);
      value.Type = static_cast<RegType>(type);
      value.Data = std::move(data);
      return true;
    }
    return false;
  }

  bool Set(const std::string& name, RegType type, const std::vector<uint8_t>& data) override {
    error_ =
        ::RegSetValueExA(key_, name.c_str(), 0, static_cast<DWORD>(type),
                         data.empty() ? nullptr : data.data(), static_cast<DWORD>(data.size()));
    return error_ == ERROR_SUCCESS;
  }
  bool DeleteValue(const std::string& name) override {
    error_ = ::RegDeleteValueA(key_, name.c_str());
    if (error_ == ERROR_FILE_NOT_FOUND) error_ = ERROR_SUCCESS;
    return error_ == ERROR_SUCCESS;
  }
  bool IsEmpty() override {
    DWORD subkeys = 0, values = 0;
    error_ = ::RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                &values, nullptr, nullptr, nullptr, nullptr);
    return error_ == ERROR_SUCCESS && subkeys == 0 && values == 0;
  }
  std::string FailureReason() override {
    return error_ == ERROR_SUCCESS ? std::string() : win32::ErrorText(error_);
  }

 private:
  HKEY key_;
  LONG error_ = ERROR_SUCCESS;
};

class Win32Registry final : public Registry {
 public:
  std::unique_ptr<RegKey> Open(RegRoot root, const std::string& path) override {
    HKEY key = nullptr;
    error_ = ::RegOpenKeyExA(RootOf(root), path.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (error_ != ERROR_SUCCESS) return nullptr;
    return std::make_unique<Win32Key>(key);
  }
  std::unique_ptr<RegKey> Create(RegRoot root, const std::string& path) override {
    HKEY key = nullptr;
    DWORD disposition = 0;
    error_ = ::RegCreateKeyExA(RootOf(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_ALL_ACCESS, nullptr, &key, &disposition);
    if (error_ != ERROR_SUCCESS) return nullptr;
    return std::make_unique<Win32Key>(key);
  }
  bool DeleteKey(RegRoot root, const std::string& path) override {
    error_ = ::RegDeleteKeyA(RootOf(root), path.c_str());
    return error_ == ERROR_SUCCESS;
  }
  std::string FailureReason() override {
    return error_ == ERROR_SUCCESS ? std::string() : win32::ErrorText(error_);
  }

 private:
  LONG error_ = ERROR_SUCCESS;
};

}  // namespace

Registry& NativeRegistry() {
  static Win32Registry instance;
  return instance;
}

}  // namespace platform
