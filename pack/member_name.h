// Which member names may be extracted: a name is joined to the target directory, so it
// must not be able to leave it.
#pragma once

#include <string>

namespace pck {

// True when `name`, joined to a directory with CombinePath, stays inside it. Refused:
// a control character; a colon anywhere (drive letters, streams); after the one leading
// `\` that joining drops, another leading `\` or `/` (a network or absolute path); a
// leading `/`; and any component (split at `\` and `/`) made of two or more dots and
// nothing but dots and spaces, which the file system takes as a parent directory.
bool IsSafeMemberName(const std::string& name);

}  // namespace pck
