#include "tools/pck/source_walk.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "pack/lfiles.h"
#include "platform/files.h"
#include "platform/shortstring.h"
#include "platform/text.h"
#include "tools/pck/name_pattern.h"
#include "tools/pck/pck_messages.h"
#include "tools/pck/shown.h"
#include "tools/pck/unix_meta.h"

#ifndef _WIN32
#include <sys/stat.h>

#include <filesystem>
#endif

namespace pck {
namespace {

// What stands at a path, as far as packing is concerned.
enum class HostKind { Missing, File, Folder, LinkedFolder, DanglingLink, Special };

HostKind KindAt(const std::string& path) {
#ifndef _WIN32
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path host = platform::ToHostPath(path);
  const fs::file_status own = fs::symlink_status(host, error);
  if (error || !fs::exists(own)) return HostKind::Missing;
  const fs::file_status target = fs::status(host, error);
  if (fs::is_symlink(own) && (error || !fs::exists(target))) return HostKind::DanglingLink;
  if (fs::is_directory(target))
    return fs::is_symlink(own) ? HostKind::LinkedFolder : HostKind::Folder;
  return fs::is_regular_file(target) ? HostKind::File : HostKind::Special;
#else
  platform::FileSystem& files = platform::FileSystemPort();
  if (files.DirectoryExists(path)) return HostKind::Folder;
  return files.FileExists(path) ? HostKind::File : HostKind::Missing;
#endif
}

// A folder as the host knows it, links followed (device and inode on POSIX); nothing
// where the host cannot tell (Windows, whose walk meets no links).
std::optional<std::pair<uint64_t, uint64_t>> FolderId(const std::string& path) {
#ifndef _WIN32
  struct stat st {};
  if (::stat(platform::ToHostPath(path).c_str(), &st) == 0)
    return std::make_pair(static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino));
#else
  (void)path;
#endif
  return std::nullopt;
}

// The root of an absolute path as typed (the engine's form), and the rest; no root for
// a relative one.
std::string RootOf(const std::string& path) {
#ifdef _WIN32
  if (path.size() >= 2 && path[1] == ':')
    return path.substr(0, path.size() > 2 && platform::IsSeparator(path[2]) ? 3 : 2);
#endif
  std::size_t n = 0;
  while (n < path.size() && platform::IsSeparator(path[n])) ++n;
  return path.substr(0, n);
}

std::string Joined(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return platform::IsSeparator(folder.back()) ? folder + name : folder + "\\" + name;
}

class Walker {
 public:
  Walker(const platform::CodePage& text, const std::vector<std::string>& excludes, WalkRules rules)
      : text_(text), excludes_({}, excludes), rules_(rules) {}

  SourceWalk Result() && { return std::move(walk_); }

  void Argument(const std::string& directory, const std::string& typed) {
    const std::string given = platform::WithBackslashes(platform::FromHostPath(typed));
    const std::string root = RootOf(given);
    const std::string base = root.empty() ? directory : root;
    if (!root.empty()) walk_.RootDropped = true;
    std::vector<std::string> parts = platform::PathComponents(given.substr(root.size()));
    for (const std::string& part : parts)
      if (part == "..") {
        walk_.Files.Unstorable.push_back(
            {Joined(base, given.substr(root.size())), msg::kLeavesBase});
        return;
      }
    const std::size_t before = found_;
    std::string pattern;
    for (const std::string& part : parts) pattern = Joined(pattern, PackageName(part));
    const NamePattern match(pattern);
    if (!match.HasWildcards()) {
      std::string system;
      for (const std::string& part : parts) system = Joined(system, part);
      Named(Joined(base, system), pattern);
    } else {
      // The search starts at the folders the pattern names without wildcards.
      std::string folder = base, stored;
      std::size_t fixed = 0;
      while (fixed + 1 < parts.size() && !NamePattern(parts[fixed]).HasWildcards()) {
        folder = Joined(folder, parts[fixed]);
        stored = Joined(stored, PackageName(parts[fixed]));
        ++fixed;
      }
      if (KindAt(folder) == HostKind::Folder || fixed == 0) Search(folder, stored, &match);
    }
    if (found_ == before)
      walk_.Missing.push_back(
          {typed, match.HasWildcards() ? msg::kNothingMatches : msg::kNoSuchPath});
  }

 private:
  std::string PackageName(const std::string& name) const {
    const std::optional<std::string> converted = text_.ToPackage(name);
    // A character the code page has not stands for one that matches only a wildcard.
    return converted ? *converted : text_.ToPackageMarked(name, '\0');
  }

  // A path named without wildcards: a file, or a folder and everything below it.
  void Named(const std::string& path, const std::string& stored) {
    switch (KindAt(path)) {
      case HostKind::Missing:
        return;
      case HostKind::LinkedFolder:
        if (rules_.Links) break;  // the link itself is stored
        [[fallthrough]];
      case HostKind::Folder:
        ++found_;
        if (stored.empty() || !excludes_.Excluded(stored)) Search(path, stored, nullptr);
        return;
      default:
        break;
    }
    if (stored.empty() || !excludes_.Excluded(stored))
      Found(path, stored, platform::PathComponents(path).back());
    else
      ++found_;
  }

  // The folder `path`, stored as `stored`: everything in it (`match` null), or what
  // `match` selects.
  void Search(const std::string& path, const std::string& stored, const NamePattern* match) {
    const std::vector<platform::FoundFile> entries = platform::FileSystemPort().Find(
        Joined(path, "*"), pack::kFindMask | platform::kAttrDirectory);
    std::set<std::string> listed;
    for (const platform::FoundFile& entry : entries) listed.insert(entry.Name);
    if (!match && entries.empty() && ListedLinks(path, listed).empty()) {
      if (stored.empty()) return;
      if (rules_.EmptyFolders)
        walk_.EmptyFolders.push_back({path, stored});
      else
        walk_.Notes.push_back({path, msg::kEmptyFolder});
      return;
    }
    // The folders this search is inside, for a link (followed) that leads back to one.
    const std::optional<std::pair<uint64_t, uint64_t>> id = FolderId(path);
    if (id) inside_.push_back(*id);
    for (const platform::FoundFile& entry : entries) {
      const std::string child = Joined(path, entry.Name);
      const std::string name = Joined(stored, PackageName(entry.Name));
      if (excludes_.Excluded(name)) continue;
      const bool taken = !match || match->Selects(name);
      const bool linked =
          (entry.Attr & platform::kAttrDirectory) != 0 && KindAt(child) == HostKind::LinkedFolder;
      if ((entry.Attr & platform::kAttrDirectory) == 0 || (linked && rules_.Links)) {
        if (taken) Found(child, name, entry.Name);
      } else if (linked && LeadsBack(child)) {
        if (taken) {
          ++found_;
          walk_.Notes.push_back({child, msg::kLinkedFolderLoop});
        }
      } else if (taken) {
        ++found_;
        Search(child, name, nullptr);
      } else if (match->MayMatchBelow(name)) {
        Search(child, name, match);
      }
    }
    // What the search does not show: links to nothing, and pipes and devices.
    for (const std::string& other : ListedLinks(path, listed)) {
      const std::string name = Joined(stored, PackageName(other));
      if (!excludes_.Excluded(name) && (!match || match->Selects(name)))
        Found(Joined(path, other), name, other);
    }
    if (id) inside_.pop_back();
    // Taken whole, the folder keeps its mode and time, set once what is in it is there.
    if (!match && !stored.empty() && rules_.EmptyFolders) walk_.Folders.push_back({path, stored});
  }

  // The linked folder `path` is one the walk is inside: following it would never end.
  bool LeadsBack(const std::string& path) const {
    const std::optional<std::pair<uint64_t, uint64_t>> id = FolderId(path);
    return !id || std::find(inside_.begin(), inside_.end(), *id) != inside_.end();
  }

  // The names in the folder `path` that its search did not list (links to nothing,
  // pipes, devices, sockets).
  static std::vector<std::string> ListedLinks(const std::string& path,
                                              const std::set<std::string>& listed) {
    std::vector<std::string> others;
#ifndef _WIN32
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(platform::ToHostPath(path), error)) {
      const std::string name = platform::FromHostPath(entry.path().filename().string());
      if (!listed.contains(name)) others.push_back(name);
    }
#else
    (void)path;
    (void)listed;
#endif
    return others;
  }

  void Found(const std::string& path, const std::string& stored, const std::string& name) {
    ++found_;
    const HostKind kind = KindAt(path);
    const bool link = rules_.Links && (kind == HostKind::DanglingLink ||
                                       kind == HostKind::LinkedFolder || LinkTarget(path));
    if (link) {
      if (Storable(path, stored, name)) walk_.Links.push_back({path, stored});
      return;
    }
    switch (kind) {
      case HostKind::DanglingLink:
        walk_.Notes.push_back({path, msg::kDanglingLink});
        return;
      case HostKind::Special:  // never opened: a pipe could keep the run waiting
        walk_.Files.Unstorable.push_back({path, msg::kNotRegular});
        return;
      default:
        break;
    }
    if (!Storable(path, stored, name)) return;
    walk_.Files.List.push_back(path);
    walk_.Stored[path] = stored;
  }

  // Found for the first time, and its name can be stored (if not, it is kept apart with
  // the reason).
  bool Storable(const std::string& path, const std::string& stored, const std::string& name) {
    if (!seen_.insert(path).second) return false;  // found by two arguments: stored once
    std::string why;
    if (name.find('\0') != std::string::npos)
      walk_.Files.Unstorable.push_back({path, msg::kHoldsSeparator});
    else if (!text_.ToPackage(name, &why))
      walk_.Files.Unstorable.push_back(
          {path, msg::Fmt(msg::kNotInCodePageWhy, text_.Name(), Printable(why))});
    else if (stored.size() > platform::kShortStringMax)
      walk_.Files.Unstorable.push_back({path, msg::kStoredNameTooLong});
    else
      return true;
    return false;
  }

  const platform::CodePage& text_;
  Selection excludes_;
  WalkRules rules_;
  SourceWalk walk_;
  std::set<std::string> seen_;
  std::vector<std::pair<uint64_t, uint64_t>> inside_;  // the folders being searched
  std::size_t found_ = 0;                              // what the arguments led to, packed or not
};

}  // namespace

SourceWalk WalkSources(const platform::CodePage& text, const std::string& directory,
                       const std::vector<std::string>& arguments,
                       const std::vector<std::string>& excludes, WalkRules rules) {
  Walker walker(text, excludes, rules);
  for (const std::string& argument : arguments) walker.Argument(directory, argument);
  return std::move(walker).Result();
}

}  // namespace pck
