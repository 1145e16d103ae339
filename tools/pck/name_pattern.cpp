#include "tools/pck/name_pattern.h"

#include "platform/text.h"
#include "platform/wildcard.h"

namespace pck {
namespace {

constexpr bool IsWild(char c) { return c == '*' || c == '?'; }

}  // namespace

bool MatchPart(std::string_view pattern, std::string_view name) {
  return platform::MatchWhole(pattern, name);
}

NamePattern::NamePattern(std::string_view pattern) : parts_(platform::PathComponents(pattern)) {
  for (const std::string& part : parts_)
    for (const char c : part) wild_ = wild_ || IsWild(c);
}

// Pattern parts from `p` against name parts from `n`. Whole: both end together; Below:
// the pattern may end at a folder of the name; Inside: the name may end inside the
// pattern (a folder a match could lie below).
bool NamePattern::MatchFrom(std::size_t p, const std::vector<std::string>& name, std::size_t n,
                            Accept accept) const {
  for (;;) {
    if (p == parts_.size()) return n == name.size() || (accept == Accept::Below && n > 0);
    if (parts_[p] == "**") {
      // None, one or more folders: each way is tried.
      for (std::size_t skip = n; skip <= name.size(); ++skip)
        if (MatchFrom(p + 1, name, skip, accept)) return true;
      return false;
    }
    if (n == name.size()) return accept == Accept::Inside;
    if (!MatchPart(parts_[p], name[n])) return false;
    ++p;
    ++n;
  }
}

bool NamePattern::Matches(std::string_view name) const {
  return MatchFrom(0, platform::PathComponents(name), 0, Accept::Whole);
}

bool NamePattern::Selects(std::string_view name) const {
  return MatchFrom(0, platform::PathComponents(name), 0, Accept::Below);
}

bool NamePattern::MayMatchBelow(std::string_view folder) const {
  return MatchFrom(0, platform::PathComponents(folder), 0, Accept::Inside);
}

bool NamePattern::MatchesAnyPart(std::string_view name) const {
  if (!SinglePart()) return false;
  for (const std::string& part : platform::PathComponents(name))
    if (MatchPart(parts_.front(), part)) return true;
  return false;
}

Selection::Selection(const std::vector<std::string>& includes,
                     const std::vector<std::string>& excludes)
    : typed_(includes), used_(includes.size(), false) {
  for (const std::string& pattern : includes) includes_.emplace_back(pattern);
  for (const std::string& pattern : excludes) excludes_.emplace_back(pattern);
}

bool Selection::Excluded(std::string_view name) const {
  for (const NamePattern& pattern : excludes_)
    if (pattern.SinglePart() ? pattern.MatchesAnyPart(name) : pattern.Selects(name)) return true;
  return false;
}

bool Selection::Takes(std::string_view name) {
  if (Excluded(name)) return false;
  bool taken = includes_.empty();
  for (std::size_t i = 0; i < includes_.size(); ++i)
    if (includes_[i].Selects(name)) used_[i] = taken = true;
  return taken;
}

std::vector<std::string> Selection::Unused() const {
  std::vector<std::string> unused;
  for (std::size_t i = 0; i < typed_.size(); ++i)
    if (!used_[i]) unused.push_back(typed_[i]);
  return unused;
}

}  // namespace pck
