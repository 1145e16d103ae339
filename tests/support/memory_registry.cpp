#include "support/memory_registry.h"

#include "platform/text.h"

namespace testing_support {

class MemoryRegistry::OpenKey : public platform::RegKey {
 public:
  OpenKey(MemoryRegistry& owner, std::string id, std::string path)
      : owner_(owner), id_(std::move(id)), path_(std::move(path)) {}
  bool Query(const std::string& name, platform::RegValue& value) override {
    const Key& key = owner_.keys_.at(id_);
    const auto it = key.values.find(Fold(name));
    if (it == key.values.end()) return false;
    value = it->second;
    return true;
  }
  std::string FailureReason() override { return "the value is refused (test)"; }
  bool Set(const std::string& name, platform::RegType type,
           const std::vector<uint8_t>& data) override {
    auto fail = owner_.failSets_.find(Fold(name));
    if (fail != owner_.failSets_.end() && fail->second > 0) {
      --fail->second;
      return false;
    }
    owner_.keys_.at(id_).values[Fold(name)] = platform::RegValue{type, data};
    owner_.writes.push_back({path_, name, type, data});
    return true;
  }
  bool DeleteValue(const std::string& name) override {
    owner_.keys_.at(id_).values.erase(Fold(name));
    return true;
  }
  bool IsEmpty() override { return owner_.keys_.at(id_).values.empty() && !owner_.HasSubkeys(id_); }

 private:
  MemoryRegistry& owner_;
  std::string id_, path_;
};

std::string MemoryRegistry::Fold(const std::string& s) { return platform::UpperAscii(s); }

std::string MemoryRegistry::KeyId(platform::RegRoot root, const std::string& path) {
  std::string p = Fold(path);
  while (!p.empty() && p.back() == '\\') p.pop_back();
  return std::to_string(static_cast<int>(root)) + ":" + p;
}

bool MemoryRegistry::Denied(const std::string& path) const {
  const std::string p = Fold(path);
  for (const std::string& d : denied_)
    if (p.compare(0, d.size(), d) == 0 && (p.size() == d.size() || p[d.size()] == '\\'))
      return true;
  return false;
}

void MemoryRegistry::AddKey(const std::string& path, platform::RegRoot root) {
  std::size_t at = 0;
  // The key and each of its parents.
  while ((at = path.find('\\', at + 1)) != std::string::npos)
    keys_[KeyId(root, path.substr(0, at))];
  keys_[KeyId(root, path)];
}

void MemoryRegistry::SetRaw(const std::string& path, const std::string& name,
                            platform::RegType type, std::vector<uint8_t> data,
                            platform::RegRoot root) {
  AddKey(path, root);
  keys_[KeyId(root, path)].values[Fold(name)] = platform::RegValue{type, std::move(data)};
}

void MemoryRegistry::SetText(const std::string& path, const std::string& name,
                             const std::string& text, platform::RegRoot root) {
  std::vector<uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  SetRaw(path, name, platform::RegType::Sz, std::move(data), root);
}

bool MemoryRegistry::HasKey(const std::string& path, platform::RegRoot root) const {
  return keys_.count(KeyId(root, path)) != 0;
}

const platform::RegValue* MemoryRegistry::Find(const std::string& path, const std::string& name,
                                               platform::RegRoot root) const {
  const auto key = keys_.find(KeyId(root, path));
  if (key == keys_.end()) return nullptr;
  const auto value = key->second.values.find(Fold(name));
  return value == key->second.values.end() ? nullptr : &value->second;
}

std::string MemoryRegistry::Text(const std::string& path, const std::string& name,
                                 platform::RegRoot root) const {
  const platform::RegValue* v = Find(path, name, root);
  if (!v) return "<absent>";
  std::string text(v->Data.begin(), v->Data.end());
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

std::unique_ptr<platform::RegKey> MemoryRegistry::Open(platform::RegRoot root,
                                                       const std::string& path) {
  requests.push_back("open " + path);
  failure_ = Denied(path) ? "access is denied (test)" : "the key does not exist";
  if (Denied(path) || !keys_.count(KeyId(root, path))) return nullptr;
  return std::make_unique<OpenKey>(*this, KeyId(root, path), path);
}

bool MemoryRegistry::HasSubkeys(const std::string& id) const {
  const std::string below = id + "\\";
  const auto next = keys_.lower_bound(below);
  return next != keys_.end() && next->first.compare(0, below.size(), below) == 0;
}

bool MemoryRegistry::DeleteKey(platform::RegRoot root, const std::string& path) {
  requests.push_back("delete " + path);
  const std::string id = KeyId(root, path);
  failure_ = "the key does not exist";
  if (Denied(path) || !keys_.count(id)) return false;
  failure_ = "the key has subkeys";
  if (HasSubkeys(id)) return false;
  keys_.erase(id);
  return true;
}

std::unique_ptr<platform::RegKey> MemoryRegistry::Create(platform::RegRoot root,
                                                         const std::string& path) {
  requests.push_back("create " + path);
  failure_ = "access is denied (test)";
  if (Denied(path)) return nullptr;
  AddKey(path, root);
  return std::make_unique<OpenKey>(*this, KeyId(root, path), path);
}

}  // namespace testing_support
