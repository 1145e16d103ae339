#include "install/registry.h"

#include <cstring>

#include "install/install_messages.h"
#include "platform/format.h"

namespace inst {

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(plat::RegRoot root) {
  CloseKey();
  root_ = root;
}

bool TRegistry::OpenKey(const std::string& Key, bool CanCreate) {
  std::string path;
  if (!Key.empty() && Key.front() == '\\')
    path = Key.substr(1);
  else if (key_ && !Key.empty())
    path = path_ + "\\" + Key;
  else if (key_)
    path = path_;
  else
    path = Key;
  CloseKey();
  key_ = CanCreate ? plat::Reg().Create(root_, path) : plat::Reg().Open(root_, path);
  if (key_) path_ = path;
  return key_ != nullptr;
}

void TRegistry::CloseKey() {
  key_.reset();
  path_.clear();
}

std::string TRegistry::ReadString(const std::string& Name) {
  plat::RegValue value;
  if (!key_ || !key_->Query(Name, value) || value.Data.empty()) return {};
  if (value.Type != plat::RegType::Sz && value.Type != plat::RegType::ExpandSz)
    throw ERegistryException(sys::Fmt(msg::kInvalidDataType, Name));
  const auto* bytes = reinterpret_cast<const char*>(value.Data.data());
  return std::string(bytes, strnlen(bytes, value.Data.size()));
}

void TRegistry::Put(const std::string& Name, plat::RegType type, const std::vector<uint8_t>& data) {
  if (!key_ || !key_->Set(Name, type, data))
    throw ERegistryException(sys::Fmt(msg::kFailedToSetData, Name));
}

void TRegistry::WriteString(const std::string& Name, const std::string& Value) {
  // The characters up to the first zero byte, and one terminating zero.
  const std::size_t n = strnlen(Value.c_str(), Value.size());
  std::vector<uint8_t> data(Value.begin(), Value.begin() + static_cast<std::ptrdiff_t>(n));
  data.push_back(0);
  Put(Name, plat::RegType::Sz, data);
}

void TRegistry::WriteInteger(const std::string& Name, int32_t Value) {
  const auto v = static_cast<uint32_t>(Value);
  Put(Name, plat::RegType::Dword,
      {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
       static_cast<uint8_t>(v >> 24)});
}

void TRegistry::WriteBool(const std::string& Name, bool Value) {
  WriteInteger(Name, Value ? 1 : 0);
}

void TRegistry::WriteFloat(const std::string& Name, double Value) {
  uint64_t bits;
  std::memcpy(&bits, &Value, sizeof bits);
  std::vector<uint8_t> data(8);
  for (int i = 0; i < 8; ++i) data[i] = static_cast<uint8_t>(bits >> (8 * i));
  Put(Name, plat::RegType::Binary, data);
}

}  // namespace inst
