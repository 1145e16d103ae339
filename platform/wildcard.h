// Wildcard matching of names: the system's two rules, side by side. In both `*` stands
// for any run of characters and `?` for exactly one, and letters are compared with only
// a..z taken as A..Z (other letters of the 8-bit code page keep their case).
//
//   MatchWild      a directory search's pattern against one bare name: the whole name is
//                  matched at once, a final `*` also takes a dot ("*" matches
//                  "README.TXT"), and "*.*" matches every name, also one without a dot.
//                  The files port's Find uses it where the system has no search of its
//                  own, and the pck tool where it compares names in a package's code page.
//   MatchFileName  the package engine's selection of members and exclusion of files:
//                  pattern and name are split at the dot that starts the extension of
//                  their last component (ExtensionPos), and the name parts and the
//                  extension parts must each match (MatchPattern), so "*" matches only
//                  names without an extension and "*.*" every name; `*` runs also across
//                  `\`, and a `*` followed by more pattern never takes the end of the
//                  name ("A**" does not match "A").
#pragma once

#include <string>
#include <string_view>

namespace platform {

bool MatchWild(std::string_view pattern, std::string_view name);
// MatchWild without its rule for "*.*": `*` and `?` alone, so "*.*" takes only names that
// hold a dot (the pck tool's command-line wildcards).
bool MatchWhole(std::string_view pattern, std::string_view name);

// 1-based position of the dot that starts the extension of the last path component of
// `path`, or its length + 1 when there is none.
int ExtensionPos(const std::string& path);
// `text` matches `pattern` as a whole, by the rules of MatchFileName's parts.
bool MatchPattern(const std::string& pattern, const std::string& text);
// The name parts and the extension parts of `pattern` and `name` both match.
bool MatchFileName(const std::string& pattern, const std::string& name);

}  // namespace platform
