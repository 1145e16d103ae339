// POSIX adapter of the files port.
//
// - `\` in paths is a separator; a `\` that is part of a POSIX name travels as a zero
//   byte (path_posix.h), also in the names Find gives and the paths FullPath gives.
// - Share modes are emulated with flock(): an open that shares nothing takes an
//   exclusive lock, any other open a shared one, and an open whose lock cannot be had
//   fails the way a sharing violation does. A file is truncated only after its lock is
//   held, so a failed create never destroys the file another open protects.
// - Every open is made without waiting (O_NONBLOCK), so a pipe never holds the process
//   up; OpenExisting then keeps only regular files.
// - The read-only attribute is the absence of write bits; opening such a file for
//   writing fails even for root, as it does on Windows.
// - Hidden, system and archive bits live in the extended attribute user.dosattr where
//   the file system allows it, and are dropped silently where it does not.
// - Attributes are never set through a symbolic link.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/files.h"
#include "platform/interrupt.h"
#include "platform/posix/file_posix.h"
#include "platform/posix/path_posix.h"
#include "platform/posix/target_posix.h"
#include "platform/text.h"
#include "platform/thread_text.h"
#include "platform/wildcard.h"

namespace platform {
namespace {

using posix::ErrorText;
using posix::IsReadOnlyMode;
using posix::ToDosTime;

constexpr const char* kAttrXattr = "user.dosattr";
constexpr uint16_t kStoredBits = kAttrHidden | kAttrSystem | kAttrArchive;

// The attributes of the file at `native` (a POSIX path); false when it cannot be read.
bool NativeAttributes(const std::string& native, uint16_t& attr) {
  struct stat st {};
  if (::stat(native.c_str(), &st) != 0) return false;
  attr = S_ISDIR(st.st_mode) ? kAttrDirectory : 0;
  char stored[8] = {};
  const ssize_t n = ::getxattr(native.c_str(), kAttrXattr, stored, sizeof stored - 1);
  if (n > 0) {
    attr |= static_cast<uint16_t>(std::strtoul(stored, nullptr, 16)) & kStoredBits;
  } else if (!S_ISDIR(st.st_mode)) {
    attr |= kAttrArchive;  // a file nobody marked otherwise is waiting for backup
  }
  if (!S_ISDIR(st.st_mode) && IsReadOnlyMode(st.st_mode)) attr |= kAttrReadOnly;
  return true;
}

class PosixFileSystem final : public FileSystem {
 public:
  std::unique_ptr<File> Open(const std::string& path, Access access, Share share,
                             Disposition disposition) override {
    Reason().Clear();
    const std::string native = posix::ToNative(path);
    if (native.empty()) return Refuse(ErrorText(ENOENT));
    const bool writing = access != Access::Read;
    struct stat st {};
    const bool exists = ::stat(native.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return Refuse(kReasonDirectory);
    if (exists && writing && IsReadOnlyMode(st.st_mode)) return Refuse(kReasonReadOnly);
    if (!exists && disposition == Disposition::OpenExisting) return Refuse(ErrorText(ENOENT));

    int flags = O_CLOEXEC | O_NONBLOCK;
    flags |= access == Access::Read ? O_RDONLY : (access == Access::Write ? O_WRONLY : O_RDWR);
    const bool fresh =
        disposition == Disposition::CreateNew || disposition == Disposition::CreatePrivate;
    if (fresh) flags |= O_CREAT | O_EXCL | O_NOFOLLOW;
    if (disposition == Disposition::CreateAlways || disposition == Disposition::OpenAlways)
      flags |= O_CREAT;
    const InterruptsHeld held;  // made and registered, or neither
    const int fd =
        ::open(native.c_str(), flags, disposition == Disposition::CreatePrivate ? 0600 : 0666);
    if (fd < 0) return Refuse(ErrorText(errno));
    // A file made or emptied here is incomplete until it is closed.
    const bool made = !exists || disposition == Disposition::CreateAlways;
    auto file = made && disposition != Disposition::OpenExisting
                    ? std::make_unique<posix::PosixFile>(fd, RemoveOnInterrupt(native))
                    : std::make_unique<posix::PosixFile>(fd);
    struct stat opened {};
    if (::fstat(fd, &opened) != 0) return Refuse(ErrorText(errno));
    const bool regular = S_ISREG(opened.st_mode);
    // Packages, sources and inputs are regular files; outputs may be devices.
    if (!regular && disposition == Disposition::OpenExisting) return Refuse(kReasonNotRegular);
    if (!posix::LockForShare(fd, share)) return Refuse(ErrorText(errno));
    // Devices such as /dev/null are shared by everyone and cannot be truncated.
    if (regular && disposition == Disposition::CreateAlways && ::ftruncate(fd, 0) != 0)
      return Refuse(ErrorText(errno));
    return file;
  }

  std::unique_ptr<Replacement> CreateReplacement(const std::string& root,
                                                 const std::string& relative, Access access,
                                                 Share share) override {
    Reason().Clear();
    std::string reason;
    auto made = posix::CreateReplacementBelow(root, relative, access, share, reason);
    Reason() = reason;
    return made;
  }

  bool Delete(const std::string& path) override {
    Reason().Clear();
    const std::string native = posix::ToNative(path);
    struct stat st {};
    if (::lstat(native.c_str(), &st) != 0) return Fail(ErrorText(errno));
    // Only files are deleted: never a directory, and never a device such as /dev/null
    // that an operation was pointed at as its output. A link goes itself.
    if (S_ISDIR(st.st_mode)) return Fail(kReasonDirectory);
    if (!(S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))) return Fail(kReasonNotRegular);
    if (S_ISREG(st.st_mode) && IsReadOnlyMode(st.st_mode))
      return Fail(ErrorText(EACCES));  // as Windows refuses
    return ::unlink(native.c_str()) == 0 || Fail(ErrorText(errno));
  }

  bool Rename(const std::string& from, const std::string& to) override {
    Reason().Clear();
    return ::rename(posix::ToNative(from).c_str(), posix::ToNative(to).c_str()) == 0 ||
           Fail(ErrorText(errno));
  }

  bool FileExists(const std::string& path) override {
    struct stat st {};
    return ::stat(posix::ToNative(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
  }

  bool DirectoryExists(const std::string& path) override {
    struct stat st {};
    return ::stat(posix::ToNative(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  bool CreateDirectory(const std::string& path) override {
    Reason().Clear();
    return ::mkdir(posix::ToNative(path).c_str(), 0777) == 0 || Fail(ErrorText(errno));
  }

  bool RemoveDirectory(const std::string& path) override {
    Reason().Clear();
    return ::rmdir(posix::ToNative(path).c_str()) == 0 || Fail(ErrorText(errno));
  }

  std::vector<FoundFile> Find(const std::string& pattern, uint16_t attrMask) override {
    std::vector<FoundFile> found;
    const std::string native = posix::ToNative(pattern);
    const auto slash = native.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : native.substr(0, slash + 1);
    const std::string mask = slash == std::string::npos ? native : native.substr(slash + 1);
    DIR* d = ::opendir(dir.c_str());
    if (!d) return found;
    while (dirent* e = ::readdir(d)) {
      const std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      if (!platform::MatchWild(mask, name)) continue;
      FoundFile f;
      f.Name = posix::FromNative(name);  // a `\` in it is part of the name
      const std::string full = (dir == "." && slash == std::string::npos) ? name : dir + name;
      struct stat st {};
      if (::stat(full.c_str(), &st) != 0) continue;
      uint16_t attr = 0;
      if (!NativeAttributes(full, attr)) continue;
      // Read-only and archive never exclude a file; other bits must be in the mask.
      const uint16_t restricting = attr & ~(kAttrReadOnly | kAttrArchive);
      if ((restricting & ~attrMask) != 0) continue;
      f.Attr = attr;
      f.Size = S_ISDIR(st.st_mode) ? 0 : st.st_size;
      f.DosTime = ToDosTime(st.st_mtime);
      found.push_back(std::move(f));
    }
    ::closedir(d);
    std::sort(found.begin(), found.end(),
              [](const FoundFile& a, const FoundFile& b) { return a.Name < b.Name; });
    return found;
  }

  std::string FullPath(const std::string& path) override {
    std::string native = posix::ToNative(path);
    if (native.empty() || native[0] != '/') {
      char cwd[4096];
      if (!::getcwd(cwd, sizeof cwd)) return native;
      native = std::string(cwd) + "/" + native;
    }
    // Collapse ".", ".." and repeated separators without touching the file system.
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i <= native.size()) {
      const std::size_t j = native.find('/', i);
      const std::string part = native.substr(i, (j == std::string::npos ? native.size() : j) - i);
      if (part == "..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!part.empty() && part != ".") {
        parts.push_back(part);
      }
      if (j == std::string::npos) break;
      i = j + 1;
    }
    std::string out;
    for (const auto& p : parts) (out += '/') += p;
    if (out.empty()) out.push_back('/');
    if (native.size() > 1 && native.back() == '/' && out != "/") out += "/";
    return posix::FromNative(out);
  }

  bool GetAttributes(const std::string& path, uint16_t& attr) override {
    return NativeAttributes(posix::ToNative(path), attr);
  }

  bool SetAttributes(const std::string& path, uint16_t attr) override {
    Reason().Clear();
    const std::string native = posix::ToNative(path);
    struct stat st {};
    if (::lstat(native.c_str(), &st) != 0) return Fail(ErrorText(errno));
    if (S_ISLNK(st.st_mode)) return Fail(kReasonLinkOnPath);  // never what a link points at
    mode_t mode = st.st_mode & 07777;
    if (attr & kAttrReadOnly) {
      mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    } else if (IsReadOnlyMode(mode)) {
      mode |= S_IWUSR;
    }
    if (::chmod(native.c_str(), mode) != 0) return Fail(ErrorText(errno));
    char stored[8];
    std::snprintf(stored, sizeof stored, "%02x", attr & kStoredBits);
    // Best effort: file systems without user extended attributes drop these bits.
    ::setxattr(native.c_str(), kAttrXattr, stored, std::strlen(stored), 0);
    return true;
  }

  bool GetDosTime(const std::string& path, uint32_t& dosTime) override {
    struct stat st {};
    if (::stat(posix::ToNative(path).c_str(), &st) != 0) return false;
    dosTime = ToDosTime(st.st_mtime);
    return true;
  }

  // The installer's access lists are Windows's; here a file keeps its mode.
  bool SetAccess(const std::string&, AccessRule) override { return Fail(kReasonNoAccessLists); }
  // No short names here.
  std::string LongPath(const std::string& path) override { return path; }

  std::string FailureReason() override { return Reason(); }

 private:
  std::unique_ptr<File> Refuse(std::string reason) {
    Reason() = std::move(reason);
    return nullptr;
  }
  bool Fail(std::string reason) {
    Reason() = std::move(reason);
    return false;
  }

  // Why the last call of this thread that failed did: a port may be used from several
  // threads at once (members packed or restored on workers), each asking about its own.
  static ThreadText& Reason() {
    thread_local ThreadText reason;
    return reason;
  }
};

}  // namespace

FileSystem& NativeFiles() {
  static PosixFileSystem instance;
  return instance;
}

std::string FromHostPath(const std::string& path) { return posix::FromNative(path); }
std::string ToHostPath(const std::string& path) { return posix::ToNative(path); }

}  // namespace platform
