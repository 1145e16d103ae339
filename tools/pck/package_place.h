// Where a package named on the command line is written or read from.
//
// Writing, a symbolic link given as the package is followed: the new package takes the
// place of the link's target, in the target's folder, and the link stays. A device, pipe
// or socket is refused, but standard output, named `-` (or a path that leads to it, such
// as /dev/stdout), takes the package as a stream. Reading, `-` is standard input. A
// package passing through a standard stream is staged in a private temporary file, as
// the format needs to seek.
#pragma once

#include <string>

#include "platform/interrupt.h"

namespace pck {

struct PackagePlace {
  std::string Path;       // the file to write, links followed (as typed otherwise)
  bool Standard = false;  // standard output takes the package
  std::string Refusal;    // why no package can be written there; empty when one can
};

// The place of the package the user named `typed`, for writing.
PackagePlace PlaceToWrite(const std::string& typed);

// True for `-`, a standard stream.
inline bool IsStandardStream(const std::string& typed) { return typed == "-"; }

// A private temporary file for a package on its way through a standard stream, gone
// with the object (or with an interrupted run).
class StagedPackage {
 public:
  StagedPackage();
  ~StagedPackage();
  StagedPackage(const StagedPackage&) = delete;
  StagedPackage& operator=(const StagedPackage&) = delete;

  // The staging file's path as the system writes it; empty when none could be made.
  const std::string& Path() const { return path_; }
  // Standard input copied into the staging file; false with the reason.
  bool FromInput(std::string& reason);
  // The staging file copied to standard output; false with the reason.
  bool ToOutput(std::string& reason);

 private:
  std::string folder_, path_;
  platform::RemoveOnInterrupt folderGuard_, fileGuard_;
};

}  // namespace pck
