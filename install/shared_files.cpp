#include "install/shared_files.h"

#include <memory>

#include "platform/le_bytes.h"
#include "platform/registry.h"

namespace install {

uint32_t SharedCount(const std::string& path) {
  const auto key = platform::RegistryPort().Open(platform::RegRoot::LocalMachine, kSharedDllsKey);
  platform::RegValue value;
  if (!key || !key->Query(path, value) || value.Type != platform::RegType::Dword ||
      value.Data.size() != 4)
    return 0;
  return platform::le::Get32(value.Data.data());
}

bool SetSharedCount(const std::string& path, uint32_t count, std::string& reason) {
  platform::Registry& registry = platform::RegistryPort();
  const auto key = count == 0 ? registry.Open(platform::RegRoot::LocalMachine, kSharedDllsKey)
                              : registry.Create(platform::RegRoot::LocalMachine, kSharedDllsKey);
  if (!key) {
    if (count == 0) return true;  // no key, no count
    reason = registry.FailureReason();
    return false;
  }
  std::vector<uint8_t> data;
  platform::le::Put32(data, count);
  const bool ok =
      count == 0 ? key->DeleteValue(path) : key->Set(path, platform::RegType::Dword, data);
  if (!ok) reason = key->FailureReason();
  return ok;
}

}  // namespace install
