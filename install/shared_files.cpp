#include "install/shared_files.h"

#include <memory>

#include "platform/le_bytes.h"
#include "platform/registry.h"

namespace inst {

uint32_t SharedCount(const std::string& path) {
  const auto key = plat::RegistryPort().Open(plat::RegRoot::LocalMachine, kSharedDllsKey);
  plat::RegValue value;
  if (!key || !key->Query(path, value) || value.Type != plat::RegType::Dword ||
      value.Data.size() != 4)
    return 0;
  return sys::le::Get32(value.Data.data());
}

bool SetSharedCount(const std::string& path, uint32_t count, std::string& reason) {
  plat::Registry& registry = plat::RegistryPort();
  const auto key = count == 0 ? registry.Open(plat::RegRoot::LocalMachine, kSharedDllsKey)
                              : registry.Create(plat::RegRoot::LocalMachine, kSharedDllsKey);
  if (!key) {
    if (count == 0) return true;  // no key, no count
    reason = registry.FailureReason();
    return false;
  }
  std::vector<uint8_t> data;
  sys::le::Put32(data, count);
  const bool ok = count == 0 ? key->DeleteValue(path) : key->Set(path, plat::RegType::Dword, data);
  if (!ok) reason = key->FailureReason();
  return ok;
}

}  // namespace inst
