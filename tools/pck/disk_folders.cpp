#include "tools/pck/disk_folders.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "pack/volume_prefix.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "platform/text.h"

namespace pck {
namespace {

// The folders a set may take after its first.
constexpr int kMaxFolders = 1000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int64_t FileSize(const std::string& path) {
  auto f = platform::FileSystemPort().Open(path, platform::Access::Read, platform::Share::ReadWrite,
                                           platform::Disposition::OpenExisting);
  return f ? std::max<int64_t>(f->Size(), 0) : 0;
}

std::string DiskFolder::VolumePath(int disk) const {
  return platform::JoinPath(Parent + Word + std::to_string(disk), Name);
}

std::optional<DiskFolder> FindDiskFolder(const std::string& path) {
  const auto slash = path.rfind('\\');
  if (slash == std::string::npos || slash == 0) return std::nullopt;
  const auto before = path.find_last_of("\\:", slash - 1);
  const std::size_t start = before == std::string::npos ? 0 : before + 1;
  const std::string folder = path.substr(start, slash - start);
  if (folder.size() < 5 || !platform::SameFolded(folder.substr(0, 4), "DISK")) return std::nullopt;
  const std::string digits = folder.substr(4);
  if (digits.size() > 5 || !std::all_of(digits.begin(), digits.end(), IsDigit)) return std::nullopt;
  DiskFolder disk;
  disk.Parent = path.substr(0, start);
  disk.Word = folder.substr(0, 4);
  disk.Number = std::stoi(digits);
  disk.Name = path.substr(slash + 1);
  if (disk.Number < 1 || disk.Name.empty()) return std::nullopt;
  return disk;
}

int64_t VolumeSetSize(const std::string& first) {
  int64_t total = FileSize(first);
  const auto disk = FindDiskFolder(first);
  // The continuation volumes carry the first volume's stamp; older ones do not count.
  const auto prefix = disk ? pack::ReadVolumePrefix(first) : std::nullopt;
  if (!prefix) return total;
  for (int d = disk->Number + 1; d < disk->Number + kMaxFolders; ++d) {
    const std::string next = disk->VolumePath(d);
    const auto there = pack::ReadVolumePrefix(next);
    if (!there || there->Stamp != prefix->Stamp) break;
    total += FileSize(next);
  }
  return total;
}

void RemoveStaleVolumes(const std::string& first, int volumes, double stamp) {
  const auto disk = FindDiskFolder(first);
  if (!disk) return;
  for (int d = disk->Number + volumes; d < disk->Number + kMaxFolders; ++d) {
    const std::string path = disk->VolumePath(d);
    const auto prefix = pack::ReadVolumePrefix(path);
    if (!prefix || prefix->Volume < 2 || prefix->Stamp == stamp) break;
    platform::FileSystemPort().Delete(path);
  }
}

void WaitPastOldStamps(const std::string& first) {
  double latest = -1;
  if (auto prefix = pack::ReadVolumePrefix(first)) latest = prefix->Stamp;
  if (const auto disk = FindDiskFolder(first))
    for (int d = disk->Number + 1; d < disk->Number + kMaxFolders; ++d) {
      const auto prefix = pack::ReadVolumePrefix(disk->VolumePath(d));
      if (!prefix) break;
      latest = std::max(latest, prefix->Stamp);
    }
  for (int waited = 0; waited < 30 && platform::NowLocalStamp() <= latest; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

bool SamePath(const std::string& a, const std::string& b) {
#ifdef _WIN32
  return platform::SameFolded(a, b);
#else
  return a == b;
#endif
}

std::vector<std::string> SetPaths(const std::string& first) {
  platform::FileSystem& files = platform::FileSystemPort();
  std::vector<std::string> paths{files.FullPath(first)};
  if (const auto disk = FindDiskFolder(first))
    for (int d = disk->Number + 1; d < disk->Number + 100; ++d)
      paths.push_back(files.FullPath(disk->VolumePath(d)));
  return paths;
}

}  // namespace pck
