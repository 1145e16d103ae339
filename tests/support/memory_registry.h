// A registry port double held in memory, following the real registry's rules: key and
// value names compare without regard to case; Open finds only existing keys; Create
// makes the key and every missing parent. A test may deny access to keys (neither
// opened nor created) and make the setting of chosen values fail a number of times.
// Installed for its lifetime.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace testing_support {

class MemoryRegistry : public platform::Registry {
 public:
  MemoryRegistry() = default;
  MemoryRegistry(const MemoryRegistry&) = delete;
  MemoryRegistry& operator=(const MemoryRegistry&) = delete;

  struct Write {
    std::string key, name;
    platform::RegType type;
    std::vector<uint8_t> data;
  };

  // ---- preparing ----
  void AddKey(const std::string& path, platform::RegRoot root = platform::RegRoot::LocalMachine);
  void SetText(const std::string& path, const std::string& name, const std::string& text,
               platform::RegRoot root = platform::RegRoot::LocalMachine);
  void SetRaw(const std::string& path, const std::string& name, platform::RegType type,
              std::vector<uint8_t> data, platform::RegRoot root = platform::RegRoot::LocalMachine);
  // Keys at or below `path` can be neither opened nor created.
  void Deny(const std::string& path) { denied_.insert(Fold(path)); }
  // The next `times` sets of value `name` (any key) fail.
  void FailSets(const std::string& name, int times) { failSets_[Fold(name)] = times; }

  // ---- inspecting ----
  bool HasKey(const std::string& path,
              platform::RegRoot root = platform::RegRoot::LocalMachine) const;
  // Null when absent.
  const platform::RegValue* Find(const std::string& path, const std::string& name,
                                 platform::RegRoot root = platform::RegRoot::LocalMachine) const;
  // The text of a text value, without its terminating zero; "<absent>" when missing.
  std::string Text(const std::string& path, const std::string& name,
                   platform::RegRoot root = platform::RegRoot::LocalMachine) const;
  // Every successful set, in order (key path as given to Open/Create).
  std::vector<Write> writes;
  // Every key path asked for, with "open " or "create " in front.
  std::vector<std::string> requests;

  // ---- the port ----
  std::unique_ptr<platform::RegKey> Open(platform::RegRoot root, const std::string& path) override;
  std::unique_ptr<platform::RegKey> Create(platform::RegRoot root,
                                           const std::string& path) override;
  bool DeleteKey(platform::RegRoot root, const std::string& path) override;
  std::string FailureReason() override { return failure_; }

 private:
  struct Key {
    std::map<std::string, platform::RegValue> values;  // by folded name
  };
  class OpenKey;
  static std::string Fold(const std::string& s);
  static std::string KeyId(platform::RegRoot root, const std::string& path);
  bool Denied(const std::string& path) const;
  bool HasSubkeys(const std::string& id) const;

  std::map<std::string, Key> keys_;  // by KeyId
  std::set<std::string> denied_;
  std::map<std::string, int> failSets_;
  std::string failure_;
  platform::ScopedPort<platform::Registry> installed_{*this};
};

}  // namespace testing_support
