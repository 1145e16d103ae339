// Members under one name. A package may hold two members whose names lead to the same
// file: extracting, the later replaces the earlier (and says so); test and list tell
// which names repeat. Names are compared as the system compares file names: after their
// separators (`\`, `/`, a leading `\`, `.` folders), and with letter case (POSIX) or
// without it (Windows).
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/pck/member_sinks.h"

namespace pck {

#ifdef _WIN32
inline constexpr bool kSystemFoldsCase = true;
#else
inline constexpr bool kSystemFoldsCase = false;
#endif

// `name` as a system compares it: its parts joined by `\`, in upper case (as the
// package's code page has it) when `fold`.
std::string NameKey(const std::string& name, bool fold);

// For each member that has the name of an earlier one, its index and the index of the
// earliest. Only names that become files here count: a name refused on extraction, or
// that is no text of the package's code page, takes no other's place.
std::vector<std::pair<std::size_t, std::size_t>> RepeatedNames(
    const std::vector<MemberInfo>& members);

// The members an extraction has restored, by name. Where the system compares names with
// their letter case (POSIX), a folder may still fold it (a FAT or case-folding file
// system): two members whose names differ only in case then land on one file, and
// `sameFile`, asked of the two restored files, tells so.
class RestoredNames {
 public:
  // Whether the files at two paths (the ports' form) are one file.
  using SameFile = std::function<bool(const std::string&, const std::string&)>;

  // By default the host's answer (`SameHostFile`).
  RestoredNames();
  explicit RestoredNames(SameFile sameFile);

  // Notes the member `name` as restored to the file at `path`; answers the name of the
  // earlier member it replaced, if there was one.
  std::optional<std::string> Restore(const std::string& name, const std::string& path);

 private:
  struct Restored {
    std::string Key;  // the name as the system compares it
    std::string Name;
    std::string Path;
  };
  SameFile sameFile_;
  // By the name without its letter case: the last member under each spelling.
  std::map<std::string, std::vector<Restored>> byFolded_;
};

}  // namespace pck
