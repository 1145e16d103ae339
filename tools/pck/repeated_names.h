// Members under one name. A package may hold two members whose names lead to the same
// file: extracting, the later replaces the earlier (and says so); test and list tell
// which names repeat. Names are compared as the system compares file names: after their
// separators (`\`, `/`, a leading `\`, `.` folders), and with letter case (POSIX) or
// without it (Windows).
#pragma once

#include <cstddef>
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

// The members an extraction has restored, by name.
class RestoredNames {
 public:
  // Notes the member `name` as restored; answers the name of the earlier member it
  // replaced, if there was one.
  std::optional<std::string> Restore(const std::string& name);

 private:
  std::map<std::string, std::string> byKey_;  // the name key, the last member under it
};

}  // namespace pck
