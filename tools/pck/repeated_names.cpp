#include "tools/pck/repeated_names.h"

#include "pack/member_name.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "tools/pck/shown.h"
#include "tools/pck/unix_meta.h"

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

RestoredNames::RestoredNames() : RestoredNames(SameHostFile) {}

RestoredNames::RestoredNames(SameFile sameFile) : sameFile_(std::move(sameFile)) {}

std::optional<std::string> RestoredNames::Restore(const std::string& name,
                                                  const std::string& path) {
  std::vector<Restored>& spellings = byFolded_[NameKey(name, true)];
  const std::string key = NameKey(name, kSystemFoldsCase);
  for (Restored& earlier : spellings) {
    // The same name, or one that differs in case only and whose file this member's is.
    if (earlier.Key != key && !sameFile_(earlier.Path, path)) continue;
    std::string replaced = std::move(earlier.Name);
    earlier = {key, name, path};
    return replaced;
  }
  spellings.push_back({key, name, path});
  return std::nullopt;
}

}  // namespace pck
