// The wildcards of pck's command line, one dialect for create, list, test and extract:
//
// - `/` or `\` separates folders; `*` stands for any run of characters within one name
//   (dots included: `*` matches `README.TXT`), `?` for exactly one, and `**` as a whole
//   part for any number of folders, none included (`src/**/*.h`);
// - letters a-z and A-Z are the same, as the package's home system compares names; other
//   letters keep their case;
// - a pattern selects the names it matches and everything below a folder it matches:
//   `dir` and `dir/*` both take the members below `dir`, at every depth.
//
// The package engine's own selection (MatchFileName), which the installer uses, is not
// this one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pck {

class NamePattern {
 public:
  explicit NamePattern(std::string_view pattern);

  // `name` (parts separated by `\` or `/`) matches the pattern as a whole.
  bool Matches(std::string_view name) const;
  // `name` or one of the folders it lies in matches the pattern.
  bool Selects(std::string_view name) const;
  // A name below the folder `folder` could match: a search must look inside it.
  bool MayMatchBelow(std::string_view folder) const;
  // Some part of `name` matches the pattern, which has a single part: an exclusion
  // without a separator (`-x '*.o'`) leaves such names out at every depth.
  bool MatchesAnyPart(std::string_view name) const;

  bool HasWildcards() const { return wild_; }
  bool SinglePart() const { return parts_.size() == 1; }
  const std::vector<std::string>& Parts() const { return parts_; }

 private:
  enum class Accept { Whole, Below, Inside };
  bool MatchFrom(std::size_t p, const std::vector<std::string>& name, std::size_t n,
                 Accept accept) const;

  std::vector<std::string> parts_;
  bool wild_ = false;
};

// One name part against one part of a pattern (`*`, `?`, letters a-z in any case).
bool MatchPart(std::string_view pattern, std::string_view name);

// The patterns a command line gave, and which of them selected something.
class Selection {
 public:
  Selection(const std::vector<std::string>& includes, const std::vector<std::string>& excludes);

  // True for a name that an include selects (every name when there is none) and no
  // exclusion leaves out; the includes that select it are marked as used.
  bool Takes(std::string_view name);
  // Only asks, marks nothing.
  bool Excluded(std::string_view name) const;
  // The includes that selected nothing, as typed.
  std::vector<std::string> Unused() const;
  bool Empty() const { return includes_.empty(); }

 private:
  std::vector<std::string> typed_;
  std::vector<NamePattern> includes_, excludes_;
  std::vector<bool> used_;
};

}  // namespace pck
