// The registry port: keys under the predefined roots, opened or created with full
// access, and their values as typed bytes. The Windows adapter is the real registry;
// elsewhere there is no registry and nothing opens (tests substitute an in-memory one).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace platform {

enum class RegRoot : uint8_t { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

// Value types with the codes the registry stores.
enum class RegType : uint32_t {
  None = 0,
  Sz = 1,
  ExpandSz = 2,
  Binary = 3,
  Dword = 4,
  DwordBigEndian = 5,
  Link = 6,
  MultiSz = 7,
  Qword = 11,
};

// "HKEY_LOCAL_MACHINE" and the other roots' names, for messages and logs.
inline const char* RootName(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case RegRoot::CurrentUser:
      return "HKEY_CURRENT_USER";
    case RegRoot::LocalMachine:
      return "HKEY_LOCAL_MACHINE";
    case RegRoot::Users:
      return "HKEY_USERS";
    case RegRoot::CurrentConfig:
      return "HKEY_CURRENT_CONFIG";
  }
  return "?";
}

// The root of a name RootName gives; false for any other text.
inline bool RootFromName(const std::string& name, RegRoot& root) {
  for (const RegRoot r : {RegRoot::ClassesRoot, RegRoot::CurrentUser, RegRoot::LocalMachine,
                          RegRoot::Users, RegRoot::CurrentConfig})
    if (name == RootName(r)) {
      root = r;
      return true;
    }
  return false;
}

struct RegValue {
  RegType Type = RegType::None;
  std::vector<uint8_t> Data;
};

// An open key; closed when released.
class RegKey {
 public:
  virtual ~RegKey() = default;
  // Reads the value `name` (empty: the key's default value); false when it is absent.
  virtual bool Query(const std::string& name, RegValue& value) = 0;
  // Stores the value `name`; false when the registry refuses it.
  virtual bool Set(const std::string& name, RegType type, const std::vector<uint8_t>& data) = 0;
  // Removes the value `name`; a value that is not there is no failure.
  virtual bool DeleteValue(const std::string& name) = 0;
  // The key holds neither values nor subkeys (its default value unset).
  virtual bool IsEmpty() = 0;
  // Why the last call failed, in the system's words; empty when nobody said.
  virtual std::string FailureReason() { return {}; }
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens the existing key `path` (relative to `root`, `\` between components, no
  // leading `\`) with full access rights. Null when it is missing or not accessible.
  virtual std::unique_ptr<RegKey> Open(RegRoot root, const std::string& path) = 0;
  // Opens `path` with full access rights, first creating it and every missing parent
  // as non-volatile keys. Null on failure.
  virtual std::unique_ptr<RegKey> Create(RegRoot root, const std::string& path) = 0;
  // Removes the key `path`, which must hold no subkeys; false when it cannot be.
  virtual bool DeleteKey(RegRoot root, const std::string& path) = 0;
  // Why the last Open, Create or DeleteKey failed, in the system's words; empty when
  // nobody said.
  virtual std::string FailureReason() { return {}; }
};

}  // namespace platform
