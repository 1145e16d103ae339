#include "tools/pck/repeated_names.h"

#include "pack/member_name.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "tools/pck/shown.h"

namespace pck {

std::string NameKey(const std::string& name, bool fold) {
  std::string key;
  for (const std::string& part : platform::PathComponents(name))
    key = platform::JoinPath(key, part);
  return fold ? PackageText().Upper(key) : key;
}

std::vector<std::pair<std::size_t, std::size_t>> RepeatedNames(
    const std::vector<MemberInfo>& members) {
  std::vector<std::pair<std::size_t, std::size_t>> repeated;
  std::map<std::string, std::size_t> first;
  for (std::size_t i = 0; i < members.size(); ++i) {
    const std::string& name = members[i].Name;
    if (!pack::IsSafeMemberName(name) || !PackageText().ToSystem(name)) continue;
    const auto [at, fresh] = first.emplace(NameKey(name, kSystemFoldsCase), i);
    if (!fresh) repeated.emplace_back(i, at->second);
  }
  return repeated;
}

std::optional<std::string> RestoredNames::Restore(const std::string& name) {
  auto [at, fresh] = byKey_.emplace(NameKey(name, kSystemFoldsCase), name);
  if (fresh) return std::nullopt;
  std::string earlier = std::move(at->second);
  at->second = name;
  return earlier;
}

}  // namespace pck
