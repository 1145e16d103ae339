// File and path helpers of the package layer. `\` separates path components; `/` is
// accepted as well when splitting, since the files port takes both.
#include "pack/lfiles.h"

#include <vector>

#include "pack/pack_io.h"
#include "pack/pack_messages.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/text.h"

namespace pack {
namespace {

using platform::IsSeparator;

}  // namespace

void SetFileDateAttr(const std::string& FileName, int32_t Time, uint16_t Attr,
                     platform::FileSystem& Files) {
  auto file = io::Open(Files, FileName, platform::Access::ReadWrite, platform::Share::None,
                       platform::Disposition::OpenExisting, msg::kCannotOpen);
  file->SetDosTime(static_cast<uint32_t>(Time));  // a time the file cannot take is ignored
  io::CloseFile(*file, FileName);
  Files.SetAttributes(FileName, Attr);  // ignored when refused
}

std::string DrivePart(const std::string& Path) {
  const char c = Path.empty() ? 0 : platform::UpperAscii(Path[0]);
  if (Path.size() >= 2 && Path[1] == ':' && c >= 'A' && c <= 'Z') return Path.substr(0, 2);
  if (Path.size() >= 2 && IsSeparator(Path[0]) && IsSeparator(Path[1])) {
    // \\server\share: up to the separator that follows the share name.
    std::size_t seps = 0;
    for (std::size_t i = 2; i < Path.size(); ++i)
      if (IsSeparator(Path[i]) && ++seps == 2) return Path.substr(0, i);
    return Path;
  }
  return {};
}

bool IsRemovableDrive(const std::string& Path, bool AllowCdrom) {
  const std::string full = platform::FileSystemPort().FullPath(Path);
  std::string root = DrivePart(full);
  if (root.empty()) root = full;  // no drive letters: the drive probe takes the absolute path
  const platform::DriveType type = platform::DrivesPort().TypeOf(root);
  return type == platform::DriveType::Removable ||
         (type == platform::DriveType::CdRom && AllowCdrom);
}

std::vector<std::string> MissingFolders(const std::string& Folder, platform::FileSystem& Files) {
  std::vector<std::string> missing;
  // Every level ends in a separator, the last one too.
  const std::string folder =
      !Folder.empty() && IsSeparator(Folder.back()) ? Folder : platform::JoinPath(Folder, "");
  for (std::size_t i = 1; i < folder.size(); ++i)
    if (IsSeparator(folder[i]) && folder[i - 1] != ':' && !IsSeparator(folder[i - 1]) &&
        !Files.DirectoryExists(folder.substr(0, i)))
      missing.push_back(folder.substr(0, i));
  return missing;
}

bool CreateDirectories(const std::string& Dir, platform::FileSystem& Files) {
  if (Dir.empty()) throw platform::Exception(msg::kUnableToCreateDirectory);
  std::string dir = Dir;
  // Every trailing separator goes, so that each level of the recursion is shorter.
  while (!dir.empty() && IsSeparator(dir.back())) dir.pop_back();
  if (dir.size() < 3) return true;
  if (Files.DirectoryExists(dir)) return true;
  const std::string parent = platform::FolderPart(dir);
  if (parent == dir) return true;  // a root
  if (!parent.empty() && !CreateDirectories(parent, Files)) return false;
  return Files.CreateDirectory(dir);
}

}  // namespace pack
