// Joining a folder and a name into a path: the system's two rules, side by side. Both
// keep letter case and put `\` (the system's separator) between the two.
//
//   JoinPath     the installer's folders and files: one `\` between folder and name,
//                unless the folder is empty (the name alone) or ends with `\` already.
//                The name is taken as it is: a leading `\` of it stays.
//                JoinPath("C:\\QEN2005", "A.EXE") == "C:\\QEN2005\\A.EXE"
//                JoinPath("C:\\", "\\A.EXE")      == "C:\\\\A.EXE"
//   CombinePath  the package engine's targets and patterns: as JoinPath, but one leading
//                `\` of the name is dropped, since member names may start with one; an
//                empty name gives the folder with its separator (a prefix to compare
//                paths with).
//                CombinePath("C:\\QEN2005", "\\A.EXE") == "C:\\QEN2005\\A.EXE"
//                CombinePath("C:\\QEN2005", "")        == "C:\\QEN2005\\"
//                CombinePath("", "\\A.EXE")            == "A.EXE"
#pragma once

#include <string>

namespace platform {

std::string JoinPath(const std::string& dir, const std::string& name);
std::string CombinePath(const std::string& dir, const std::string& name);

}  // namespace platform
