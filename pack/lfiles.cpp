// File and path helpers of the package layer. `\` separates path components; `/` is
// accepted as well when splitting, since the files port takes both.
#include "pack/lfiles.h"

#include <vector>

#include "pack/pack_io.h"
#include "pack/pack_messages.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/text.h"

namespace pack {
namespace {

using platform::IsSeparator;

// The walk of MatchPattern. Fresh matches that start at a `*` are memoised by their
// start positions so that patterns with many asterisks stay polynomial.
class PatternWalk {
 public:
  PatternWalk(const std::string& pattern, const std::string& s)
      : p_(pattern), s_(s), memo_((p_.size() + 1) * (s_.size() + 1), 0) {}

  // A fresh match of the pattern from i against S from j (0-based): true when its walk
  // succeeds and all of S is consumed.
  bool Match(std::size_t i, std::size_t j) {
    while (i < p_.size()) {
      if (p_[i] == '*') {
        if (i + 1 == p_.size()) return true;  // a final `*` takes every rest
        // More pattern follows: it must start at some character of S, never at its end.
        for (std::size_t k = j; k < s_.size(); ++k)
          if (Memo(i + 1, k)) return true;
        return false;
      }
      if (j >= s_.size()) return false;
      if (p_[i] != '?' && platform::UpperAscii(p_[i]) != platform::UpperAscii(s_[j])) return false;
      ++i;
      ++j;
    }
    return j >= s_.size();
  }

 private:
  bool Memo(std::size_t i, std::size_t j) {
    uint8_t& slot = memo_[i * (s_.size() + 1) + j];
    if (slot == 0) slot = Match(i, j) ? 1 : 2;
    return slot == 1;
  }

  const std::string& p_;
  const std::string& s_;
  std::vector<uint8_t> memo_;  // 0 unknown, 1 match, 2 no match
};

// The text after 1-based position pos (empty when pos is at or beyond the end).
std::string After(const std::string& s, int pos) {
  return static_cast<std::size_t>(pos) < s.size() ? s.substr(static_cast<std::size_t>(pos))
                                                  : std::string();
}

}  // namespace

std::string CombinePath(const std::string& Dir, const std::string& Name) {
  std::string out = Dir;
  if (!out.empty() && out.back() != '\\') out += '\\';
  if (!Name.empty() && Name.front() == '\\')
    out.append(Name, 1, std::string::npos);
  else
    out += Name;
  return out;
}

int ExtensionPos(const std::string& S) {
  for (std::size_t i = S.size(); i > 0; --i) {
    const char c = S[i - 1];
    if (c == '.') return static_cast<int>(i);
    if (c == ':' || IsSeparator(c)) break;
  }
  return static_cast<int>(S.size()) + 1;
}

bool MatchPattern(const std::string& Pattern, const std::string& S) {
  return PatternWalk(Pattern, S).Match(0, 0);
}

bool MatchFileName(const std::string& Pattern, const std::string& Name) {
  const int p = ExtensionPos(Pattern);
  const int n = ExtensionPos(Name);
  if (!MatchPattern(Pattern.substr(0, static_cast<std::size_t>(p - 1)),
                    Name.substr(0, static_cast<std::size_t>(n - 1))))
    return false;
  return MatchPattern(After(Pattern, p), After(Name, n));
}

void SetFileDateAttr(const std::string& FileName, int32_t Time, uint16_t Attr) {
  auto file = io::Open(FileName, platform::Access::ReadWrite, platform::Share::None,
                       platform::Disposition::OpenExisting, msg::kCannotOpen);
  file->SetDosTime(static_cast<uint32_t>(Time));  // a time the file cannot take is ignored
  io::CloseFile(*file, FileName);
  platform::FileSystemPort().SetAttributes(FileName, Attr);  // ignored when refused
}

std::string DrivePart(const std::string& Path) {
  const char c = Path.empty() ? 0 : platform::UpperAscii(Path[0]);
  if (Path.size() >= 2 && Path[1] == ':' && c >= 'A' && c <= 'Z') return Path.substr(0, 2);
  if (Path.size() >= 2 && IsSeparator(Path[0]) && IsSeparator(Path[1])) {
    // \\server\share: up to the separator that follows the share name.
    std::size_t seps = 0;
    for (std::size_t i = 2; i < Path.size(); ++i)
      if (IsSeparator(Path[i]) && ++seps == 2) return Path.substr(0, i);
    return Path;
  }
  return {};
}

bool IsRemovableDrive(const std::string& Path, bool AllowCdrom) {
  const std::string full = platform::FileSystemPort().FullPath(Path);
  std::string root = DrivePart(full);
  if (root.empty()) root = full;  // no drive letters: the drive probe takes the absolute path
  const platform::DriveType type = platform::DrivesPort().TypeOf(root);
  return type == platform::DriveType::Removable ||
         (type == platform::DriveType::CdRom && AllowCdrom);
}

std::vector<std::string> MissingFolders(const std::string& Folder) {
  std::vector<std::string> missing;
  const std::string folder = !Folder.empty() && IsSeparator(Folder.back()) ? Folder : Folder + '\\';
  for (std::size_t i = 1; i < folder.size(); ++i)
    if (IsSeparator(folder[i]) && folder[i - 1] != ':' && !IsSeparator(folder[i - 1]) &&
        !platform::FileSystemPort().DirectoryExists(folder.substr(0, i)))
      missing.push_back(folder.substr(0, i));
  return missing;
}

bool CreateDirectories(const std::string& Dir) {
  if (Dir.empty()) throw platform::Exception(msg::kUnableToCreateDirectory);
  std::string dir = Dir;
  // Every trailing separator goes, so that each level of the recursion is shorter.
  while (!dir.empty() && IsSeparator(dir.back())) dir.pop_back();
  if (dir.size() < 3) return true;
  platform::FileSystem& files = platform::FileSystemPort();
  if (files.DirectoryExists(dir)) return true;
  const std::string parent = platform::FolderPart(dir);
  if (parent == dir) return true;  // a root
  if (!parent.empty() && !CreateDirectories(parent)) return false;
  return files.CreateDirectory(dir);
}

}  // namespace pack
