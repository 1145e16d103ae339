// TRegistry: a registry accessor over the registry port, as the engine and its items
// use it. It has one root and at most one open key at a time; every key is opened or
// created with full access rights. Reads and writes of values raise
// ERegistryException with the value's name.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/exceptions.h"
#include "platform/registry.h"

namespace install {

class ERegistryException : public platform::Exception {
 public:
  using Exception::Exception;
};

class TRegistry {
 public:
  TRegistry() = default;
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  platform::RegRoot RootKey() const { return root_; }
  // Selecting a root closes the open key.
  void SetRootKey(platform::RegRoot root);

  // Opens Key, creating it and its missing parents when CanCreate. A Key starting with
  // `\` is taken from the root; otherwise from the open key, if any, else from the root.
  // The open key, if any, is closed first. False when the key could not be opened.
  bool OpenKey(const std::string& Key, bool CanCreate);
  void CloseKey();
  bool HasCurrentKey() const { return key_ != nullptr; }
  // Path of the open key below the root, without a leading `\`.
  const std::string& CurrentPath() const { return path_; }

  // A text value: empty when absent or of zero length; ERegistryException "Invalid data
  // type for '%s'" when it holds anything but text. Taken up to its first zero byte.
  std::string ReadString(const std::string& Name);
  // Writes raise ERegistryException "Failed to set data for '%s'" when the value cannot
  // be set, also when no key is open; its reason is the system's (why the key could not
  // be opened, or the value not set).
  void WriteString(const std::string& Name, const std::string& Value);
  void WriteInteger(const std::string& Name, int32_t Value);
  void WriteBool(const std::string& Name, bool Value);
  void WriteFloat(const std::string& Name, double Value);

  // Told of every value write, done or refused, with the open key's full name (root,
  // backslash, path) and the system's reason for a refusal.
  std::function<void(const std::string& key, const std::string& name, platform::RegType type,
                     const std::vector<uint8_t>& data, bool ok, const std::string& reason)>
      OnWrite;

 private:
  void Put(const std::string& Name, platform::RegType type, const std::vector<uint8_t>& data);

  platform::RegRoot root_ = platform::RegRoot::CurrentUser;
  std::unique_ptr<platform::RegKey> key_;
  std::string path_;
  std::string openFailure_;  // why the last OpenKey found no key
};

}  // namespace install
