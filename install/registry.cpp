#include "install/registry.h"

#include "install/install_messages.h"
#include "platform/format.h"
#include "platform/le_bytes.h"
#include "platform/text.h"

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
  plat::Registry& registry = plat::RegistryPort();
  key_ = CanCreate ? registry.Create(root_, path) : registry.Open(root_, path);
  if (key_)
    path_ = path;
  else
    openFailure_ = std::string(plat::RootName(root_)) + "\\" + path + " cannot be " +
                   (CanCreate ? "created" : "opened") +
                   (registry.FailureReason().empty() ? "" : ": " + registry.FailureReason());
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
  return sys::TextBeforeZero(value.Data);
}

void TRegistry::Put(const std::string& Name, plat::RegType type, const std::vector<uint8_t>& data) {
  const bool ok = key_ && key_->Set(Name, type, data);
  const std::string reason = ok ? std::string() : key_ ? key_->FailureReason() : openFailure_;
  if (OnWrite)
    OnWrite(std::string(plat::RootName(root_)) + (key_ ? "\\" + path_ : std::string()), Name, type,
            data, ok, reason);
  if (!ok) throw ERegistryException(sys::Fmt(msg::kFailedToSetData, Name), reason);
}

void TRegistry::WriteString(const std::string& Name, const std::string& Value) {
  Put(Name, plat::RegType::Sz, sys::ZeroTerminated(Value));
}

void TRegistry::WriteInteger(const std::string& Name, int32_t Value) {
  std::vector<uint8_t> data;
  sys::le::Put32(data, static_cast<uint32_t>(Value));
  Put(Name, plat::RegType::Dword, data);
}

void TRegistry::WriteBool(const std::string& Name, bool Value) {
  WriteInteger(Name, Value ? 1 : 0);
}

void TRegistry::WriteFloat(const std::string& Name, double Value) {
  std::vector<uint8_t> data;
  sys::le::PutDouble(data, Value);
  Put(Name, plat::RegType::Binary, data);
}

}  // namespace inst
