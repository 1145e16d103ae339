#include "install/registry.h"

#include "install/install_messages.h"
#include "platform/format.h"
#include "platform/le_bytes.h"
#include "platform/text.h"

namespace install {

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(platform::RegRoot root) {
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
  platform::Registry& registry = platform::RegistryPort();
  key_ = CanCreate ? registry.Create(root_, path) : registry.Open(root_, path);
  if (key_)
    path_ = path;
  else
    openFailure_ = std::string(platform::RootName(root_)) + "\\" + path + " cannot be " +
                   (CanCreate ? "created" : "opened") +
                   (registry.FailureReason().empty() ? "" : ": " + registry.FailureReason());
  return key_ != nullptr;
}

void TRegistry::CloseKey() {
  key_.reset();
  path_.clear();
}

std::string TRegistry::ReadString(const std::string& Name) {
  platform::RegValue value;
  if (!key_ || !key_->Query(Name, value) || value.Data.empty()) return {};
  if (value.Type != platform::RegType::Sz && value.Type != platform::RegType::ExpandSz)
    throw ERegistryException(platform::Fmt(msg::kInvalidDataType, Name));
  return platform::TextBeforeZero(value.Data);
}

void TRegistry::Put(const std::string& Name, platform::RegType type,
                    const std::vector<uint8_t>& data) {
  const bool ok = key_ && key_->Set(Name, type, data);
  const std::string reason = ok ? std::string() : key_ ? key_->FailureReason() : openFailure_;
  if (OnWrite)
    OnWrite(std::string(platform::RootName(root_)) + (key_ ? "\\" + path_ : std::string()), Name,
            type, data, ok, reason);
  if (!ok) throw ERegistryException(platform::Fmt(msg::kFailedToSetData, Name), reason);
}

void TRegistry::WriteString(const std::string& Name, const std::string& Value) {
  Put(Name, platform::RegType::Sz, platform::ZeroTerminated(Value));
}

void TRegistry::WriteInteger(const std::string& Name, int32_t Value) {
  std::vector<uint8_t> data;
  platform::le::Put32(data, static_cast<uint32_t>(Value));
  Put(Name, platform::RegType::Dword, data);
}

void TRegistry::WriteBool(const std::string& Name, bool Value) {
  WriteInteger(Name, Value ? 1 : 0);
}

void TRegistry::WriteFloat(const std::string& Name, double Value) {
  std::vector<uint8_t> data;
  platform::le::PutDouble(data, Value);
  Put(Name, platform::RegType::Binary, data);
}

}  // namespace install
