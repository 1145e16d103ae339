// The files a package is made of, with every name taken in the package's code page:
// patterns are compared with the names in it (so `?` is one character, whatever its
// length in the system's text), and a file whose name the package cannot hold is kept
// apart with the reason instead of being left out, so that nothing is written.
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

// As the engine's BuildList finds them (non-recursive, one search per pattern of
// `items` below `directory`, less what `excludes` match, with the engine's find mask),
// for a code page that converts names.
FilesToPack FindFilesToPack(const platform::CodePage& text, const std::string& directory,
                            const std::vector<std::string>& items,
                            const std::vector<std::string>& excludes);

// For the raw code page, where the engine's own BuildList found `list`: each file once,
// and a name that holds a `\` of the system's (a zero byte in the files port's text)
// kept apart, as no package can spell it.
FilesToPack KeepStorable(std::vector<std::string> list);

// Of `list`, the files that cannot be stored under their names in the package (the
// `storedName` of one raises), and the files stored under the name of an earlier one,
// as the package's home system compares names (without regard to letter case), or
// letter case counting when not `foldCase` (--case-sensitive).
std::vector<ShownFailure> SameOrUnstorableNames(
    const std::vector<std::string>& list, const platform::CodePage& text,
    const std::function<std::string(const std::string&)>& storedName, bool foldCase = true);

}  // namespace pck
