#include "platform/posix/target_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <utility>
#include <vector>

#include "platform/interrupt.h"
#include "platform/posix/file_posix.h"
#include "platform/posix/path_posix.h"
#include "platform/text.h"

namespace platform::posix {
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

// Whether the place of `name` in `dir` may take a new file: a directory, a read-only
// file or a file another open holds without sharing refuses it. A link, pipe or device
// there is replaced by the rename (a link itself, never what it points at).
bool PlaceTakesAFile(int dir, const std::string& name, std::string& reason) {
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
  return true;
}

// The new content of a target: a new file in the target's directory, held by that
// directory's descriptor, renamed over the target on Commit.
class PosixReplacement final : public Replacement {
 public:
  PosixReplacement(Descriptor dir, std::string name, std::string newName, std::string path,
                   std::unique_ptr<File> file)
      : dir_(std::move(dir)),
        name_(std::move(name)),
        newName_(std::move(newName)),
        path_(std::move(path)),
        file_(std::move(file)),
        made_(path_) {}
  ~PosixReplacement() override {
    file_.reset();
    if (!committed_) ::unlinkat(dir_.Get(), newName_.c_str(), 0);
  }
  std::unique_ptr<File> TakeFile() override { return std::move(file_); }
  const std::string& Path() const override { return path_; }
  bool Commit() override {
    reason_.clear();
    if (file_ && !file_->Close()) {
      reason_ = file_->FailureReason();
      return false;
    }
    file_.reset();
    if (!PlaceTakesAFile(dir_.Get(), name_, reason_)) return false;
    if (::renameat(dir_.Get(), newName_.c_str(), dir_.Get(), name_.c_str()) != 0) {
      reason_ = errno == EISDIR ? kReasonDirectory : ErrorText(errno);
      return false;
    }
    committed_ = true;
    made_.Release();
    return true;
  }
  std::string FailureReason() const override { return reason_; }

 private:
  Descriptor dir_;
  std::string name_, newName_, path_;
  std::unique_ptr<File> file_;
  RemoveOnInterrupt made_;
  bool committed_ = false;
  std::string reason_;
};

}  // namespace

std::unique_ptr<Replacement> CreateReplacementBelow(const std::string& root,
                                                    const std::string& relative, Access access,
                                                    Share share, std::string& reason) {
  std::vector<std::string> parts = platform::PathComponents(relative);
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
  // The new file's path in the system's text, for what is done to it by name.
  std::string folder = root.empty() ? std::string() : FromNative(base) + "/";
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    dir = EnterDirectory(dir.Get(), parts[i], reason);
    if (!dir) return nullptr;
    folder += FromNative(parts[i]) + "/";
  }
  const std::string& name = parts.back();
  if (!PlaceTakesAFile(dir.Get(), name, reason)) return nullptr;
  int flags = O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  flags |= access == Access::Read ? O_RDONLY : (access == Access::Write ? O_WRONLY : O_RDWR);
  std::random_device random;
  uint32_t seed = random();
  for (int attempt = 0; attempt < 100; ++attempt, seed = seed * 1103515245u + 12345u) {
    char newName[16];
    std::snprintf(newName, sizeof newName, "PCK%06X.TMP", static_cast<unsigned>(seed & 0xFFFFFF));
    const InterruptsHeld held;  // made and registered, or neither
    Descriptor file(::openat(dir.Get(), newName, flags, 0666));
    if (!file && errno == EEXIST) continue;
    if (!file || !LockForShare(file.Get(), share)) {
      reason = ErrorText(errno);
      if (file) ::unlinkat(dir.Get(), newName, 0);
      return nullptr;
    }
    auto opened = std::make_unique<PosixFile>(file.Release());
    return std::make_unique<PosixReplacement>(std::move(dir), name, newName, folder + newName,
                                              std::move(opened));
  }
  reason = ErrorText(EEXIST);
  return nullptr;
}

}  // namespace platform::posix
