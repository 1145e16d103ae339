#include "tools/pck/pack_list.h"

#include <map>
#include <optional>
#include <set>

#include "pack/lfiles.h"
#include "platform/files.h"
#include "platform/shortstring.h"
#include "platform/text.h"
#include "platform/wildcard.h"
#include "tools/pck/pck_messages.h"
#include "tools/pck/repeated_names.h"
#include "tools/pck/shown.h"

namespace pck {
namespace {

void KeepEachFileOnce(std::vector<std::string>& list) {
  std::set<std::string> seen;
  std::erase_if(list, [&seen](const std::string& path) { return !seen.insert(path).second; });
}

}  // namespace

FilesToPack FindFilesToPack(const platform::CodePage& text, const std::string& directory,
                            const std::vector<std::string>& items,
                            const std::vector<std::string>& excludes) {
  FilesToPack files;
  const std::string base = platform::CombinePath(directory, std::string());
  for (const std::string& pattern : items) {
    // As the engine builds them: the directory in the system's text, the pattern's
    // folders and name in the package's code page.
    const std::string full = platform::ShortString(platform::CombinePath(directory, pattern));
    const std::string folder = platform::ShortString(platform::FolderPart(full));
    const std::string mask = full.substr(folder.size());
    const std::string below =
        folder.compare(0, base.size(), base) == 0 ? folder.substr(base.size()) : "";
    const std::optional<std::string> systemBelow = text.ToSystem(below);
    if (!systemBelow) continue;  // not from the system's text: nothing there
    const std::string systemFolder = folder.substr(0, folder.size() - below.size()) + *systemBelow;
    for (const platform::FoundFile& found :
         platform::FileSystemPort().Find(systemFolder + "*", pack::kFindMask)) {
      std::string why;
      const std::optional<std::string> name = text.ToPackage(found.Name, &why);
      // A character the code page has not stands for one that matches only a wildcard.
      const std::string compared = name ? *name : text.ToPackageMarked(found.Name, '\0');
      if (!platform::MatchWild(mask, compared)) continue;
      const std::string candidate = platform::CombinePath(folder, compared);
      bool excluded = false;
      for (std::size_t i = 0; i < excludes.size() && !excluded; ++i)
        excluded =
            platform::MatchFileName(platform::CombinePath(directory, excludes[i]), candidate);
      if (excluded) continue;
      const std::string path = platform::CombinePath(systemFolder, found.Name);
      if (found.Name.find('\0') != std::string::npos)
        files.Unstorable.push_back({path, msg::kHoldsSeparator});
      else if (!name)
        files.Unstorable.push_back(
            {path, msg::Fmt(msg::kNotInCodePageWhy, text.Name(), Printable(why))});
      else
        files.List.push_back(path);
    }
  }
  KeepEachFileOnce(files.List);
  return files;
}

FilesToPack KeepStorable(std::vector<std::string> list) {
  FilesToPack files;
  KeepEachFileOnce(list);
  for (std::string& path : list) {
    if (path.substr(platform::FolderPart(path).size()).find('\0') != std::string::npos)
      files.Unstorable.push_back({path, msg::kHoldsSeparator});
    else
      files.List.push_back(std::move(path));
  }
  return files;
}

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
