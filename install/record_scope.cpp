// Whether an uninstall record's lines lie inside what the installation made.
#include "install/record_scope.h"

#include "install/install_messages.h"
#include "install/uninstall_record.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/text.h"

namespace install {
namespace {

// Windows drops a component's trailing dots and blanks ("QEN2005." is "QEN2005").
std::string WithoutTrailingDots(std::string part) {
  while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
  return part;
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.size() >= start.size() && text.compare(0, start.size(), start) == 0;
}

// The parts of a full path: its root ("C:", "\\server\share", or "" for a path from the
// root of the current drive or of a POSIX system) and its components, with `.` and `..`
// resolved and trailing dots and blanks dropped. False when it names no place.
bool Resolve(const std::string& full, std::string& root, std::vector<std::string>& parts) {
  const std::string path = platform::WithBackslashes(full);
  std::size_t at = 0;
  if (StartsWith(path, "\\\\")) {
    // A network path: \\server\share is its root.
    const std::size_t server = path.find('\\', 2);
    if (server == std::string::npos) return false;
    const std::size_t share = path.find('\\', server + 1);
    at = share == std::string::npos ? path.size() : share;
    root = path.substr(0, at);
  } else if (path.size() >= 2 && path[1] == ':') {
    root = path.substr(0, 2);
    at = 2;
  } else if (!StartsWith(path, "\\")) {
    return false;  // relative: no place of its own
  }
  parts.clear();
  for (const std::string& raw : platform::PathComponents(path.substr(at))) {
    if (raw == "..") {
      if (parts.empty()) return false;
      parts.pop_back();
      continue;
    }
    std::string part = WithoutTrailingDots(raw);
    if (!part.empty()) parts.push_back(std::move(part));
  }
  return true;
}

std::string Joined(const std::string& root, const std::vector<std::string>& parts) {
  std::string path = root;
  for (const std::string& part : parts) path += "\\" + part;
  return path.empty() ? "\\" : path;
}

// `parts` begins with every part of `base`.
bool Begins(const std::vector<std::string>& parts, const std::vector<std::string>& base) {
  if (base.empty() || parts.size() < base.size()) return false;
  for (std::size_t i = 0; i < base.size(); ++i)
    if (parts[i] != base[i]) return false;
  return true;
}

// The keys are compared the same way: components without regard to case.
std::vector<std::string> KeyParts(const std::string& key) {
  std::vector<std::string> parts;
  for (const std::string& part : platform::PathComponents(key))
    parts.push_back(platform::UpperAscii(part));
  return parts;
}

class ScopeCheck {
 public:
  ScopeCheck(const std::vector<RecordStep>& steps, const RecordScope& scope) : scope_(scope) {
    application_ = ComparedParts(scope.Application);
    for (const std::string& folder : scope.Engines) AddEngine(folder);
    for (const RecordStep& step : steps)
      if (const auto* engine = std::get_if<EngineStep>(&step)) AddEngine(engine->Path);
    for (const std::string& key : scope.RegistryKeys) keys_.push_back(KeyParts(key));
    for (const std::string& menu : scope.MenuFolders) {
      std::vector<std::string> group = ComparedParts(menu);
      if (group.empty()) continue;
      group.push_back(platform::UpperAscii(scope.Group));
      groups_.push_back(std::move(group));
    }
  }

  // What the step names that lies outside; empty when it lies inside.
  std::string Outside(const RecordStep& step) const {
    return std::visit([this](const auto& s) { return OutsideOf(s); }, step);
  }

 private:
  void AddEngine(const std::string& folder) {
    std::vector<std::string> parts = ComparedParts(folder);
    if (parts.size() < 2) return;  // a drive's root is no engine's folder
    engines_.push_back(parts);
    // The copies kept of the engine's files lie beside it, in "<folder>.BACKUP".
    parts.back() += ".BACKUP";
    backups_.push_back(std::move(parts));
  }

  bool InApplication(const std::vector<std::string>& p) const { return Begins(p, application_); }
  bool InEngine(const std::vector<std::string>& p) const {
    for (const auto& engine : engines_)
      if (Begins(p, engine)) return true;
    return false;
  }
  bool InBackups(const std::vector<std::string>& p) const {
    for (const auto& backup : backups_)
      if (Begins(p, backup)) return true;
    return InApplication(p);
  }
  // A file of the installation: in the application folder or the engine's.
  bool Placed(const std::string& path) const {
    const auto p = ComparedParts(path);
    return InApplication(p) || InEngine(p);
  }
  // A folder the installation made: one of those, a folder in them, or one on the way
  // to them (a missing parent is made and recorded too).
  bool Made(const std::string& path) const {
    const auto p = ComparedParts(path);
    if (p.size() < 2) return false;  // never a drive's root
    if (InApplication(p) || InEngine(p) || InBackups(p)) return true;
    const auto above = [&p](const std::vector<std::string>& base) {
      return !base.empty() && Begins(base, p);
    };
    if (above(application_)) return true;
    for (const auto& engine : engines_)
      if (above(engine)) return true;
    return false;
  }
  bool KeyInside(const std::string& key, bool orAbove) const {
    const std::vector<std::string> k = KeyParts(key);
    for (const auto& base : keys_) {
      if (Begins(k, base)) return true;
      // A missing parent of the script's key is made and recorded too, never a key of the
      // root's first level ("SOFTWARE").
      if (orAbove && k.size() >= 2 && Begins(base, k)) return true;
    }
    return false;
  }
  bool InGroupFolder(const std::string& path, bool folderItself) const {
    const auto p = ComparedParts(path);
    for (const auto& group : groups_) {
      if (folderItself && p == group) return true;
      if (!folderItself && p.size() == group.size() + 1 && Begins(p, group)) {
        for (const std::string& caption : scope_.Captions)
          if (p.back() == platform::UpperAscii(caption + ".lnk")) return true;
      }
    }
    return false;
  }
  bool Caption(const std::string& caption) const {
    for (const std::string& c : scope_.Captions)
      if (c == caption) return true;
    return false;
  }

  static std::string Key(platform::RegRoot root, const std::string& key) {
    return std::string(platform::RootName(root)) + "\\" + key;
  }

  std::string OutsideOf(const FolderStep& s) const { return Made(s.Path) ? "" : s.Path; }
  std::string OutsideOf(const ProgramStep& s) const {
    return InApplication(ComparedParts(s.Path)) ? "" : s.Path;
  }
  std::string OutsideOf(const EntryStep& s) const {
    return KeyParts(s.Key) == KeyParts(scope_.EntryKey)
               ? ""
               : Key(platform::RegRoot::LocalMachine, s.Key);
  }
  std::string OutsideOf(const KeyStep& s) const {
    return s.Root == platform::RegRoot::LocalMachine && KeyInside(s.Path, true)
               ? ""
               : Key(s.Root, s.Path);
  }
  std::string OutsideOf(const ValueStep& s) const {
    return s.Root == platform::RegRoot::LocalMachine && KeyInside(s.Key, false)
               ? ""
               : Key(s.Root, s.Key) + " " + s.Name;
  }
  std::string OutsideOf(const BackupStep& s) const {
    if (!Placed(s.Path)) return s.Path;
    return InBackups(ComparedParts(s.Copy)) ? "" : s.Copy;
  }
  std::string OutsideOf(const FileStep& s) const { return Placed(s.Path) ? "" : s.Path; }
  std::string OutsideOf(const SharedStep& s) const {
    return InEngine(ComparedParts(s.Path)) ? "" : s.Path;
  }
  std::string OutsideOf(const GroupStep& s) const {
    return platform::SameFolded(s.Name, scope_.Group) ? "" : s.Name;
  }
  std::string OutsideOf(const IconStep& s) const {
    if (!platform::SameFolded(s.Group, scope_.Group) || !Caption(s.Caption))
      return s.Group + " " + s.Caption;
    return InApplication(ComparedParts(s.Path)) ? "" : s.Path;
  }
  std::string OutsideOf(const EngineStep& s) const {
    return ComparedParts(s.Path).size() >= 2 ? "" : s.Path;
  }
  std::string OutsideOf(const MenuFolderStep& s) const {
    return InGroupFolder(s.Path, true) ? "" : s.Path;
  }
  std::string OutsideOf(const ShortcutStep& s) const {
    return InGroupFolder(s.Path, false) ? "" : s.Path;
  }

  const RecordScope& scope_;
  std::vector<std::string> application_;
  std::vector<std::vector<std::string>> engines_, backups_, keys_, groups_;
};

}  // namespace

std::vector<std::string> ComparedParts(const std::string& path) {
  const std::string slashed = platform::WithBackslashes(path);
  // Paths the system passes to devices unparsed are nothing an installation records.
  if (StartsWith(slashed, "\\\\?\\") || StartsWith(slashed, "\\\\.\\")) return {};
  platform::FileSystem& files = platform::FileSystemPort();
  std::string root;
  std::vector<std::string> parts;
  if (!Resolve(files.FullPath(path), root, parts)) return {};
  // Short names expanded where the components exist, then resolved once more.
  if (!Resolve(files.LongPath(Joined(root, parts)), root, parts)) return {};
  std::vector<std::string> compared{platform::UpperAscii(root)};
  for (const std::string& part : parts) compared.push_back(platform::UpperAscii(part));
  return compared;
}

bool WithinFolder(const std::string& path, const std::string& folder) {
  return Begins(ComparedParts(path), ComparedParts(folder));
}

std::string LineOutside(const std::vector<RecordStep>& steps, const RecordScope& scope) {
  const ScopeCheck check(steps, scope);
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const std::string what = check.Outside(steps[i]);
    if (!what.empty()) return platform::Fmt(msg::kOutside, static_cast<int>(i + 2), what);
  }
  return {};
}

}  // namespace install
