#include "tools/pck/package_place.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/files.h"
#include "platform/ports.h"
#include "platform/system.h"
#include "tools/pck/pck_messages.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#endif

namespace pck {
namespace {

constexpr const char* kStagingPrefix = "PCK";  // removed as abandoned staging when left
constexpr std::size_t kChunk = 1 << 16;

}  // namespace

PackagePlace PlaceToWrite(const std::string& typed) {
  PackagePlace place{typed, false, {}};
  if (IsStandardStream(typed)) {
    place.Standard = true;
    // A package is no text.
    if (platform::ConsolePort().OutputIsTerminal()) place.Refusal = msg::kStdoutIsTerminal;
    return place;
  }
#ifndef _WIN32
  namespace fs = std::filesystem;
  struct stat there {
  }, out{};
  if (::stat(typed.c_str(), &there) == 0 && !S_ISREG(there.st_mode) && !S_ISDIR(there.st_mode) &&
      ::fstat(1, &out) == 0 && out.st_dev == there.st_dev && out.st_ino == there.st_ino) {
    place.Standard = true;  // /dev/stdout, /proc/self/fd/1: standard output by another name
    return place;
  }
  std::error_code error;
  fs::path path = typed;
  // Links are followed to the file they lead to, there or not; a loop stops the walk.
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(path, error)); ++hops) {
    const fs::path target = fs::read_symlink(path, error);
    if (error) break;
    path = (target.is_absolute() ? target : path.parent_path() / target).lexically_normal();
  }
  if (::stat(path.c_str(), &there) != 0 || S_ISREG(there.st_mode) || S_ISDIR(there.st_mode)) {
    place.Path = path.string();
    return place;
  }
  place.Refusal = msg::kNotRegularPackage;
#endif
  return place;
}

StagedPackage::StagedPackage() {
  const platform::InterruptsHeld held;  // made and registered, or neither
  platform::TempFiles& temp = platform::TempFilesPort();
  const std::string root = temp.Directory();
  folder_ = root.empty() ? std::string() : temp.CreatePrivateDirectory(root, kStagingPrefix);
  if (folder_.empty()) return;
  folderGuard_ = platform::RemoveOnInterrupt(folder_, true);
  const std::string file = temp.CreateUnique(folder_, kStagingPrefix);
  if (file.empty()) return;
  fileGuard_ = platform::RemoveOnInterrupt(file);
  path_ = platform::ToHostPath(file);
}

StagedPackage::~StagedPackage() {
  // The engine may have replaced the file by its own, or removed it: whatever is there goes.
  if (!path_.empty()) platform::FileSystemPort().Delete(platform::FromHostPath(path_));
  if (!folder_.empty()) platform::TempFilesPort().RemovePrivateDirectory(folder_);
  fileGuard_.Release();
  folderGuard_.Release();
}

bool StagedPackage::FromInput(std::string& reason) {
  std::FILE* staged = std::fopen(path_.c_str(), "wb");
  if (!staged) {
    reason = std::strerror(errno);
    return false;
  }
  platform::ConsolePort().UseBinary(stdin);
  std::vector<char> buffer(kChunk);
  bool ok = true;
  for (std::size_t got; ok && (got = std::fread(buffer.data(), 1, kChunk, stdin)) > 0;)
    ok = std::fwrite(buffer.data(), 1, got, staged) == got;
  if (std::ferror(stdin)) ok = false;
  if (!ok) reason = std::strerror(errno);
  return std::fclose(staged) == 0 && ok;
}

bool StagedPackage::ToOutput(std::string& reason) {
  std::FILE* staged = std::fopen(path_.c_str(), "rb");
  if (!staged) {
    reason = std::strerror(errno);
    return false;
  }
  platform::ConsolePort().UseBinary(stdout);
  std::vector<char> buffer(kChunk);
  bool ok = true;
  for (std::size_t got; ok && (got = std::fread(buffer.data(), 1, kChunk, staged)) > 0;)
    ok = std::fwrite(buffer.data(), 1, got, stdout) == got;
  ok = ok && !std::ferror(staged) && std::fflush(stdout) == 0;
  if (!ok) reason = std::strerror(errno);
  std::fclose(staged);
  return ok;
}

}  // namespace pck
