// POSIX adapter of the files port.
//
// - `\` in paths is a separator.
// - Share modes are emulated with flock(): an open that shares nothing takes an
//   exclusive lock, any other open a shared one, and an open whose lock cannot be had
//   fails the way a sharing violation does. A file is truncated only after its lock is
//   held, so a failed create never destroys the file another open protects.
// - The read-only attribute is the absence of write bits; opening such a file for
//   writing fails even for root, as it does on Windows.
// - Hidden, system and archive bits live in the extended attribute user.dosattr where
//   the file system allows it, and are dropped silently where it does not.
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
#include "platform/posix/path_posix.h"

namespace plat {
namespace {

constexpr const char* kAttrXattr = "user.dosattr";
constexpr uint16_t kStoredBits = kAttrHidden | kAttrSystem | kAttrArchive;

bool IsReadOnlyMode(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

uint32_t ToDosTime(time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  if (tm.tm_year < 80) return (0u << 25) | (1u << 21) | (1u << 16);  // 1980-01-01 00:00
  const uint32_t date = (static_cast<uint32_t>(tm.tm_year - 80) << 9) |
                        (static_cast<uint32_t>(tm.tm_mon + 1) << 5) |
                        static_cast<uint32_t>(tm.tm_mday);
  const uint32_t time = (static_cast<uint32_t>(tm.tm_hour) << 11) |
                        (static_cast<uint32_t>(tm.tm_min) << 5) |
                        static_cast<uint32_t>(tm.tm_sec / 2);
  return (date << 16) | time;
}

bool FromDosTime(uint32_t dos, time_t& out) {
  std::tm tm{};
  const uint32_t date = dos >> 16, time = dos & 0xFFFF;
  tm.tm_year = static_cast<int>((date >> 9) & 0x7F) + 80;
  tm.tm_mon = static_cast<int>((date >> 5) & 0x0F) - 1;
  tm.tm_mday = static_cast<int>(date & 0x1F);
  tm.tm_hour = static_cast<int>((time >> 11) & 0x1F);
  tm.tm_min = static_cast<int>((time >> 5) & 0x3F);
  tm.tm_sec = static_cast<int>(time & 0x1F) * 2;
  if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday < 1 || tm.tm_hour > 23 || tm.tm_min > 59 ||
      tm.tm_sec > 59)
    return false;
  tm.tm_isdst = -1;
  out = mktime(&tm);
  return out != static_cast<time_t>(-1);
}

// Windows-style wildcard match of one name: `*` any run, `?` one character, letters
// compared without regard to case; "*.*" matches every name.
bool WildMatch(const char* p, const char* s) {
  if (std::strcmp(p, "*.*") == 0) return true;
  const char* star = nullptr;
  const char* resume = nullptr;
  auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
  while (*s) {
    if (*p == '*') {
      star = p++;
      resume = s;
    } else if (*p == '?' || (*p && fold(*p) == fold(*s))) {
      ++p;
      ++s;
    } else if (star) {
      p = star + 1;
      s = ++resume;
    } else {
      return false;
    }
  }
  while (*p == '*') ++p;
  return *p == 0;
}

class PosixFile final : public File {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { Close(); }

  int32_t Read(void* buf, int32_t count) override {
    if (fd_ < 0 || count < 0) return -1;
    int32_t total = 0;
    auto* p = static_cast<char*>(buf);
    while (total < count) {
      const ssize_t n = ::read(fd_, p + total, static_cast<size_t>(count - total));
      if (n < 0) {
        if (errno == EINTR) continue;
        return total > 0 ? total : -1;
      }
      if (n == 0) break;
      total += static_cast<int32_t>(n);
    }
    return total;
  }

  int32_t Write(const void* buf, int32_t count) override {
    if (fd_ < 0 || count < 0) return -1;
    int32_t total = 0;
    const auto* p = static_cast<const char*>(buf);
    while (total < count) {
      const ssize_t n = ::write(fd_, p + total, static_cast<size_t>(count - total));
      if (n < 0) {
        if (errno == EINTR) continue;
        return total > 0 ? total : -1;
      }
      total += static_cast<int32_t>(n);
    }
    return total;
  }

  bool Seek(int64_t position) override {
    return fd_ >= 0 && position >= 0 && ::lseek(fd_, position, SEEK_SET) == position;
  }
  int64_t Position() override { return fd_ < 0 ? -1 : ::lseek(fd_, 0, SEEK_CUR); }
  int64_t Size() override {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
    return st.st_size;
  }

  bool SetDosTime(uint32_t dosTime) override {
    time_t t;
    if (fd_ < 0 || !FromDosTime(dosTime, t)) return false;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;  // last access stays
    times[1].tv_sec = t;
    times[1].tv_nsec = 0;
    return ::futimens(fd_, times) == 0;
  }

  bool Close() override {
    if (fd_ < 0) return true;
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;  // closing releases the lock
  }

 private:
  int fd_;
};

class PosixFileSystem final : public FileSystem {
 public:
  std::unique_ptr<File> Open(const std::string& path, Access access, Share share,
                             Disposition disposition) override {
    const std::string native = posix::ToNative(path);
    if (native.empty()) return nullptr;
    const bool writing = access != Access::Read;
    struct stat st {};
    const bool exists = ::stat(native.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return nullptr;
    if (exists && writing && IsReadOnlyMode(st.st_mode)) return nullptr;
    if (!exists && disposition == Disposition::OpenExisting) return nullptr;

    int flags = O_CLOEXEC;
    flags |= access == Access::Read ? O_RDONLY : (access == Access::Write ? O_WRONLY : O_RDWR);
    if (disposition != Disposition::OpenExisting) flags |= O_CREAT;
    const int fd = ::open(native.c_str(), flags, 0666);
    if (fd < 0) return nullptr;
    // Devices such as /dev/null are shared by everyone and cannot be truncated.
    struct stat opened {};
    const bool regular = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode);
    const int lock = share == Share::None ? LOCK_EX : LOCK_SH;
    if (regular && ::flock(fd, lock | LOCK_NB) != 0) {
      ::close(fd);
      return nullptr;
    }
    if (regular && disposition == Disposition::CreateAlways && ::ftruncate(fd, 0) != 0) {
      ::close(fd);
      return nullptr;
    }
    return std::make_unique<PosixFile>(fd);
  }

  bool Delete(const std::string& path) override {
    const std::string native = posix::ToNative(path);
    struct stat st {};
    // Only files are deleted: never a directory, and never a device such as /dev/null
    // that an operation was pointed at as its output.
    if (::lstat(native.c_str(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)))
      return false;
    if (S_ISREG(st.st_mode) && IsReadOnlyMode(st.st_mode)) return false;  // as Windows refuses
    return ::unlink(native.c_str()) == 0;
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
    return ::mkdir(posix::ToNative(path).c_str(), 0777) == 0;
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
      if (!WildMatch(mask.c_str(), name.c_str())) continue;
      FoundFile f;
      f.Name = name;
      const std::string full = (dir == "." && slash == std::string::npos) ? name : dir + name;
      struct stat st {};
      if (::stat(full.c_str(), &st) != 0) continue;
      uint16_t attr = 0;
      if (!GetAttributes(full, attr)) continue;
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
    for (const auto& p : parts) out += "/" + p;
    if (out.empty()) out = "/";
    if (native.size() > 1 && native.back() == '/' && out != "/") out += "/";
    return out;
  }

  bool GetAttributes(const std::string& path, uint16_t& attr) override {
    const std::string native = posix::ToNative(path);
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

  bool SetAttributes(const std::string& path, uint16_t attr) override {
    const std::string native = posix::ToNative(path);
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    if (attr & kAttrReadOnly) {
      mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    } else if (IsReadOnlyMode(mode)) {
      mode |= S_IWUSR;
    }
    if (::chmod(native.c_str(), mode) != 0) return false;
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
};

}  // namespace

FileSystem& NativeFiles() {
  static PosixFileSystem instance;
  return instance;
}

}  // namespace plat
