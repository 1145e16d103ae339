// Volume sets on fixed disks: a package whose folder is named DISKn (any letter case)
// goes on in the sibling folders DISK(n+1), DISK(n+2), ... under the same file name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pck {

// A package path whose folder is a disk folder "DISKn".
struct DiskFolder {
  std::string Parent;  // up to and including the separator before the folder
  std::string Word;    // "DISK" as written in the path
  int Number = 0;
  std::string Name;  // file name inside the folder

  // The package's volume in the disk folder numbered `disk`.
  std::string VolumePath(int disk) const;
};

// The disk folder of `path` (backslash separators), if its folder is named DISKn with n
// from 1 to 99999 and a file name follows.
std::optional<DiskFolder> FindDiskFolder(const std::string& path);

// The total size of the volume files of the set that starts at `first`: the first, and
// where it lies in a disk folder the next ones that carry its stamp.
int64_t VolumeSetSize(const std::string& first);

// After a set of `volumes` volumes stamped `stamp` is written at `first`, continuation
// volumes of an older, longer set under the same name follow it in the next disk
// folders; nothing can read them any more, and they go.
void RemoveStaleVolumes(const std::string& first, int volumes, double stamp);

// The engine refuses to write over a volume that carries the stamp it is about to use,
// and stamps count whole seconds: a package made again within the same second as the
// one it replaces waits (3 s at most) for the clock to move on.
void WaitPastOldStamps(const std::string& first);

// The size of the file `path`; 0 when it cannot be opened.
int64_t FileSize(const std::string& path);

// The full paths the set that starts at `first` may take: its own, and in disk folders
// those of the next 99 volumes.
std::vector<std::string> SetPaths(const std::string& first);
// Two full paths name one file, as the system compares names.
bool SamePath(const std::string& a, const std::string& b);

}  // namespace pck
