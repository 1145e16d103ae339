// The files a package is made of (found by source_walk.h), with every name taken in the
// package's code page: a file whose name the package cannot hold is kept apart with the
// reason instead of being left out, so that nothing is written.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "tools/pck/failure_text.h"

namespace pck {

struct FilesToPack {
  std::vector<std::string> List;         // the files to pack, each once, in the order found
  std::vector<ShownFailure> Unstorable;  // files found whose names no package can hold
};

// Of `list`, the files that cannot be stored under their names in the package (the
// `storedName` of one raises), and the files stored under the name of an earlier one,
// as the package's home system compares names (without regard to letter case), or
// letter case counting when not `foldCase` (--case-sensitive).
std::vector<ShownFailure> SameOrUnstorableNames(
    const std::vector<std::string>& list, const platform::CodePage& text,
    const std::function<std::string(const std::string&)>& storedName, bool foldCase = true);

}  // namespace pck
