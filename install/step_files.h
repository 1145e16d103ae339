// The steps of a file a package's member put in place, written by the unpacking
// (item_unpack.cpp) inside its attempt, through the record it is given:
//   "backup <path> <copy>": the file at <path> had other content, which was copied to
//   <copy> before the member replaced it (InstallRecord::KeepCopy). A copy that cannot be
//   kept fails the attempt, and the file is not replaced. The copies of the engine's files
//   go into the folder beside the engine's named like it with ".BACKUP" added, the others
//   into BACKUP\ in the application folder.
//   "file <path> <size> <digest>": a member's content in place, with its size and digest
//   (InstallRecord::FilePlaced).
// Undone: a file goes only while its content is still what was installed (one the user
// changed is kept and listed), and only once, however often it was recorded; a shared
// file another product still counts stays; a file a running program holds open goes at
// the next restart (listed, and the uninstall asks for the restart), and one it holds so
// that nobody may even read it stays unchecked and is named as not removed. Then the copy kept of
// what it replaced is put back, unless a file stands there again.
#pragma once

#include <cstdint>
#include <string>

#include "platform/digest.h"

namespace install {

class UndoContext;

struct BackupStep {
  std::string Path, Copy;
  friend bool operator==(const BackupStep&, const BackupStep&) = default;
};

struct FileStep {
  std::string Path;
  int64_t Size = 0;
  platform::TDigest128 Digest{};
  friend bool operator==(const FileStep&, const FileStep&) = default;
};

void Undo(const BackupStep& step, UndoContext& context);
void Undo(const FileStep& step, UndoContext& context);

}  // namespace install
