// The files a create command line names, found as a Linux archiver finds them: a name is
// a file or a whole folder tree, a pattern (name_pattern.h) is matched with the paths
// below the base folder (-C), an absolute path is stored without its root, and whatever
// an argument leads to that cannot be packed is said, never left out unseen.
//
// Every name is compared and stored in the package's code page (so `?` is one
// character, whatever its length in the system's text), with the package's `\` between
// folders.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "tools/pck/failure_text.h"
#include "tools/pck/pack_list.h"

namespace pck {

// What is kept of what is not a regular file: symbolic links as links (not followed),
// folders (empty ones, to be made, and the others, for their mode and time); both only
// where the package carries Linux metadata (unix_meta.h).
struct WalkRules {
  bool Links = false;
  bool EmptyFolders = false;
};

// A symbolic link, or a folder, as found.
struct FoundEntry {
  std::string Path;    // the ports' form
  std::string Stored;  // the name it is stored under
};

struct SourceWalk {
  FilesToPack Files;                          // the files, and those no package can hold
  std::map<std::string, std::string> Stored;  // by file, the name it is stored under
  std::vector<ShownFailure> Notes;            // what was found and is not packed: said, no failure
  std::vector<ShownFailure> Missing;          // arguments that name or match nothing
  bool RootDropped = false;                   // an absolute path was stored without its root
  std::vector<FoundEntry> Links;              // kept as links (WalkRules::Links)
  std::vector<FoundEntry> EmptyFolders;       // kept (WalkRules::EmptyFolders)
  // The folders below an argument that hold what is packed, each after what is in it
  // (WalkRules::EmptyFolders).
  std::vector<FoundEntry> Folders;
};

// The files that `arguments` (as typed, in the system's text) name below `directory`
// (the engine's full path), less the names `excludes` (in the package's code page)
// leave out; for a code page that converts names, or the raw one.
SourceWalk WalkSources(const platform::CodePage& text, const std::string& directory,
                       const std::vector<std::string>& arguments,
                       const std::vector<std::string>& excludes, WalkRules rules = {});

}  // namespace pck
