// Writing Linux metadata (unix_meta.h): symbolic links packed as links, their targets'
// text staged in files of their own for the engine to pack under the links' names, and
// the lines for the files to pack and the empty folders.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/interrupt.h"
#include "tools/pck/source_walk.h"

namespace pck {

class UnixPacking {
 public:
  UnixPacking() = default;
  ~UnixPacking();
  UnixPacking(const UnixPacking&) = delete;
  UnixPacking& operator=(const UnixPacking&) = delete;

  // A staging file holding the text each link points to, with the link's time; false
  // with the link and the reason when one cannot be made.
  bool StageLinks(const std::vector<FoundEntry>& links, ShownFailure& failure);
  // The staging files made, each with the link it stands for.
  const std::vector<FoundEntry>& Staged() const { return staged_; }
  // The lines for `list` (the files to pack, in order; a staging file stands for its
  // link), the empty folders `empty` and the folders `folders` that hold members; a file
  // whose metadata cannot be read gets none, and an empty folder that no line can carry
  // is put in `left` with the reason (one that holds members is made for them anyway).
  std::vector<std::string> Lines(const std::vector<std::string>& list,
                                 const std::vector<FoundEntry>& empty,
                                 const std::vector<FoundEntry>& folders,
                                 std::vector<ShownFailure>& left) const;

 private:
  std::string folder_;
  platform::RemoveOnInterrupt folderGuard_;
  std::vector<platform::RemoveOnInterrupt> fileGuards_;
  std::vector<FoundEntry> staged_;         // Path: the staging file; Stored: the link's name
  std::map<std::string, std::string> of_;  // by staging file, the link
};

}  // namespace pck
