#include "tools/pck/pack_list.h"

#include <map>

#include "tools/pck/pck_messages.h"
#include "tools/pck/repeated_names.h"
#include "tools/pck/shown.h"

namespace pck {

std::vector<ShownFailure> SameOrUnstorableNames(
    const std::vector<std::string>& list, const platform::CodePage& text,
    const std::function<std::string(const std::string&)>& storedName, bool foldCase) {
  std::vector<ShownFailure> refused;
  std::map<std::string, std::string> stored;  // by name key, the first file stored under it
  for (const std::string& path : list) {
    std::string name;
    try {
      name = storedName(path);
    } catch (const std::exception&) {
      refused.push_back({path, msg::Fmt(msg::kNotInCodePage, text.Name())});
      continue;
    }
    const auto [at, fresh] = stored.emplace(NameKey(name, foldCase), path);
    if (!fresh)
      refused.push_back(
          {path, msg::Fmt(foldCase ? msg::kSameNameFolded : msg::kSameName, Shown(at->second))});
  }
  return refused;
}

}  // namespace pck
