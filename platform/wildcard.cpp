// Wildcard matching of names (wildcard.h).
#include "platform/wildcard.h"

#include <cstdint>
#include <vector>

#include "platform/text.h"

namespace platform {
namespace {

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
      if (p_[i] != '?' && UpperAscii(p_[i]) != UpperAscii(s_[j])) return false;
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

bool MatchWild(std::string_view pattern, std::string_view name) {
  return pattern == "*.*" || MatchWhole(pattern, name);
}

bool MatchWhole(std::string_view pattern, std::string_view name) {
  std::size_t p = 0, s = 0;
  std::size_t star = std::string_view::npos, resume = 0;
  while (s < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = s;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || UpperAscii(pattern[p]) == UpperAscii(name[s]))) {
      ++p;
      ++s;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      s = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

int ExtensionPos(const std::string& path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    const char c = path[i - 1];
    if (c == '.') return static_cast<int>(i);
    if (c == ':' || IsSeparator(c)) break;
  }
  return static_cast<int>(path.size()) + 1;
}

bool MatchPattern(const std::string& pattern, const std::string& text) {
  return PatternWalk(pattern, text).Match(0, 0);
}

bool MatchFileName(const std::string& pattern, const std::string& name) {
  const int p = ExtensionPos(pattern);
  const int n = ExtensionPos(name);
  if (!MatchPattern(pattern.substr(0, static_cast<std::size_t>(p - 1)),
                    name.substr(0, static_cast<std::size_t>(n - 1))))
    return false;
  return MatchPattern(After(pattern, p), After(name, n));
}

}  // namespace platform
