#include "platform/posix/target_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "platform/interrupt.h"
#include "platform/posix/file_posix.h"
#include "platform/posix/path_posix.h"
#include "platform/text.h"

namespace plat::posix {
namespace {

// An owned descriptor.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  int Get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_;
};

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Why `name` in `dir` could not be entered as a directory.
std::string WhyNotADirectory(int dir, const std::string& name, int error) {
  struct stat st {};
  if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISLNK(st.st_mode)) return kReasonLinkOnPath;
    if (!S_ISDIR(st.st_mode)) return kReasonNotDirectory;
  }
  return ErrorText(error);
}

// Enters (creating when missing) the directory `name` below `dir`, never through a link.
Descriptor EnterDirectory(int dir, const std::string& name, std::string& reason) {
  Descriptor sub(::openat(dir, name.c_str(), kDirFlags));
  if (!sub && errno == ENOENT) {
    if (::mkdirat(dir, name.c_str(), 0777) != 0 && errno != EEXIST) {
      reason = ErrorText(errno);
      return Descriptor();
    }
    sub = Descriptor(::openat(dir, name.c_str(), kDirFlags));
  }
  if (!sub) reason = WhyNotADirectory(dir, name, errno);
  return sub;
}

// Clears the place of `name` in `dir` for a new file: a link, pipe, device or file
// there is removed (a link is removed itself, never what it points at); a directory, a
// read-only file or a file another open holds without sharing is refused.
bool ClearPlace(int dir, const std::string& name, std::string& reason) {
  struct stat st {};
  if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT) return true;
    reason = ErrorText(errno);
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    reason = kReasonDirectory;
    return false;
  }
  if (S_ISREG(st.st_mode)) {
    if (IsReadOnlyMode(st.st_mode)) {
      reason = kReasonReadOnly;  // as Windows refuses to replace a read-only file
      return false;
    }
    // The sharing rule of the port: a file held open without sharing is not replaced.
    Descriptor held(::openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (held && ::flock(held.Get(), LOCK_EX | LOCK_NB) != 0) {
      reason = ErrorText(EBUSY);
      return false;
    }
  }
  if (::unlinkat(dir, name.c_str(), 0) != 0 && errno != ENOENT) {
    reason = ErrorText(errno);
    return false;
  }
  return true;
}

}  // namespace

std::unique_ptr<File> CreateTargetBelow(const std::string& root, const std::string& relative,
                                        Access access, Share share, std::string& reason) {
  std::vector<std::string> parts = sys::PathComponents(relative);
  for (std::string& part : parts) part = ToNative(part);  // a `\` the name holds
  if (parts.empty()) {
    reason = kReasonDirectory;
    return nullptr;
  }
  // The root is the caller's choice and is followed like any path it gives.
  const std::string base = root.empty() ? std::string(".") : ToNative(root);
  Descriptor dir(::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir) {
    reason = ErrorText(errno);
    return nullptr;
  }
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    dir = EnterDirectory(dir.Get(), parts[i], reason);
    if (!dir) return nullptr;
  }
  const std::string& name = parts.back();
  if (!ClearPlace(dir.Get(), name, reason)) return nullptr;
  int flags = O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  flags |= access == Access::Read ? O_RDONLY : (access == Access::Write ? O_WRONLY : O_RDWR);
  const InterruptsHeld held;  // made and registered, or neither
  Descriptor file(::openat(dir.Get(), name.c_str(), flags, 0666));
  if (!file || !LockForShare(file.Get(), share)) {
    reason = ErrorText(errno);
    return nullptr;
  }
  std::string path = root.empty() ? std::string() : base + "/";
  for (const std::string& part : parts) path += part + "/";
  path.pop_back();
  return std::make_unique<PosixFile>(file.Release(), RemoveOnInterrupt(path));
}

}  // namespace plat::posix
