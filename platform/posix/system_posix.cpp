// POSIX adapters of the small ports.
//
// Drives: a path is removable when it lies on a block device the kernel marks
// removable, or under a removable-media mount (/media, /run/media); a CD-ROM when its
// device is an optical drive or its file system is iso9660 or udf; remote on a network
// file system; fixed otherwise.
// Dialogs: questions are asked on the terminal when standard input is one; otherwise
// the safe answer (Cancel, No, Abort) is taken without asking.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/posix/path_posix.h"
#include "platform/system.h"

namespace platform {
namespace {

// Undoes the octal escapes (\040 for a space) of /proc/self/mountinfo fields.
std::string Unescape(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      out += static_cast<char>(std::strtol(field.substr(i + 1, 3).c_str(), nullptr, 8));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

bool UnderMount(const std::string& path, const std::string& mount) {
  if (mount == "/") return true;
  return path.compare(0, mount.size(), mount) == 0 &&
         (path.size() == mount.size() || path[mount.size()] == '/');
}

bool SysfsRemovable(unsigned major, unsigned minor) {
  // /sys/dev/block/M:m points at the partition or disk; a partition's disk is its parent.
  const std::string base = "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
  for (const char* rel : {"/removable", "/../removable"}) {
    std::ifstream f(base + rel);
    int flag = 0;
    if (f >> flag) return flag == 1;
  }
  return false;
}

class PosixDrives final : public Drives {
 public:
  DriveType TypeOf(const std::string& root) override {
    const std::string path = posix::ToNative(NativeFiles().FullPath(root));
    std::ifstream info("/proc/self/mountinfo");
    std::string line, bestMount, bestType, bestSource;
    unsigned bestMajor = 0, bestMinor = 0;
    while (std::getline(info, line)) {
      // id parent major:minor root mountpoint options [optional...] - fstype source superopts
      std::istringstream in(line);
      std::string id, parent, devno, fsroot, mount;
      in >> id >> parent >> devno >> fsroot >> mount;
      mount = Unescape(mount);
      std::string field;
      while (in >> field && field != "-") {
      }
      std::string type, source;
      in >> type >> source;
      if (!UnderMount(path, mount) || mount.size() < bestMount.size()) continue;
      bestMount = mount;
      bestType = type;
      bestSource = source;
      std::sscanf(devno.c_str(), "%u:%u", &bestMajor, &bestMinor);
    }
    if (bestMount.empty()) return DriveType::NoRootDir;
    if (bestType == "iso9660" || bestType == "udf" || bestSource.rfind("/dev/sr", 0) == 0)
      return DriveType::CdRom;
    if (bestType == "nfs" || bestType == "nfs4" || bestType == "cifs" || bestType == "smb3" ||
        bestType == "fuse.sshfs")
      return DriveType::Remote;
    if (bestSource.rfind("/dev/", 0) == 0 && SysfsRemovable(bestMajor, bestMinor))
      return DriveType::Removable;
    if (bestMount.rfind("/media/", 0) == 0 || bestMount.rfind("/run/media/", 0) == 0)
      return DriveType::Removable;
    return DriveType::Fixed;
  }
};

// A descriptor of a directory, closed with it.
class DirHandle {
 public:
  explicit DirHandle(int fd) : fd_(fd) {}
  ~DirHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  DirHandle(const DirHandle&) = delete;
  DirHandle& operator=(const DirHandle&) = delete;
  int Get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

constexpr int kDirOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The names in the directory open as `dir` (the descriptor stays open); false when it
// cannot be read.
bool ListNames(int dir, std::vector<std::string>& names) {
  const int copy = ::dup(dir);
  if (copy < 0) return false;
  DIR* d = ::fdopendir(copy);
  if (!d) {
    ::close(copy);
    return false;
  }
  ::rewinddir(d);
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(d);
  return true;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// Private directories are marked with an exclusive flock() held on the directory by the
// process that made it, for as long as it lives: a killed process leaves an unmarked
// directory behind, whichever way it ended and in whatever process namespace it ran.
class PosixTemp final : public TempFiles {
 public:
  std::string Directory() override {
    const char* env = std::getenv("TMPDIR");
    std::string dir = env && *env ? env : "/tmp";
    if (dir.back() != '/') dir += '/';
    return posix::FromNative(dir);
  }
  std::string CreateUnique(const std::string& dir, const std::string& prefix) override {
    std::string native = posix::ToNative(dir);
    if (!native.empty() && native.back() != '/') native += '/';
    std::string templ = native + prefix + "XXXXXX.tmp";
    // mkstemps creates exclusively (never through a link), mode 0600.
    const int fd = ::mkstemps(templ.data(), 4);
    if (fd < 0) return {};
    ::close(fd);
    return posix::FromNative(templ);
  }
  std::string CreatePrivateDirectory(const std::string& dir, const std::string& prefix) override {
    std::string native = posix::ToNative(dir);
    if (!native.empty() && native.back() != '/') native += '/';
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string templ = native + prefix + "XXXXXX";
      if (!::mkdtemp(templ.data())) return {};  // mode 0700
      DirHandle lock(::open(templ.c_str(), kDirOpenFlags));
      if (lock.Get() < 0) {
        // Gone already: another run's clean-up took it for abandoned before it was marked.
        if (errno == ENOENT) continue;
        ::rmdir(templ.c_str());
        return {};
      }
      if (::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        // Another run's clean-up took the new, still unmarked directory for abandoned.
        ::rmdir(templ.c_str());
        continue;
      }
      // (A file system without locks leaves it unmarked; no clean-up can lock it either.)
      // The clean-up may have removed it before the lock was taken.
      struct stat held {};
      struct stat there {};
      if (::fstat(lock.Get(), &held) != 0 || ::lstat(templ.c_str(), &there) != 0 ||
          !SameFile(held, there))
        continue;
      marks_[templ] = lock.Release();
      return posix::FromNative(templ + '/');
    }
    return {};
  }
  bool RemovePrivateDirectory(const std::string& path) override {
    std::string native = posix::ToNative(path);
    while (native.size() > 1 && native.back() == '/') native.pop_back();
    if (::rmdir(native.c_str()) != 0) return false;  // still marked: a later run removes it
    const auto mark = marks_.find(native);
    if (mark != marks_.end()) {
      ::close(mark->second);
      marks_.erase(mark);
    }
    return true;
  }
  int RemoveAbandoned(const std::string& dir, const std::string& prefix) override {
    DirHandle parent(::open(posix::ToNative(dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    std::vector<std::string> names;
    if (parent.Get() < 0 || !ListNames(parent.Get(), names)) return 0;
    int removed = 0;
    for (const std::string& name : names)
      if (name.size() == prefix.size() + 6 && StartsWith(name, prefix) &&
          RemoveIfAbandoned(parent.Get(), name, prefix))
        ++removed;
    return removed;
  }

 private:
  // Removes the directory `name` in `parent` with its staging files when it is a private
  // directory of this user that nobody marks.
  static bool RemoveIfAbandoned(int parent, const std::string& name, const std::string& prefix) {
    DirHandle dir(::openat(parent, name.c_str(), kDirOpenFlags));  // never through a link
    struct stat st {};
    if (dir.Get() < 0 || ::fstat(dir.Get(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        st.st_uid != ::geteuid() || (st.st_mode & 07777) != 0700)
      return false;
    // The lock is free only when no process holds the directory's mark; held until the
    // directory is gone, so that no run takes it meanwhile.
    if (::flock(dir.Get(), LOCK_EX | LOCK_NB) != 0) return false;
    std::vector<std::string> files;
    if (!ListNames(dir.Get(), files)) return false;
    for (const std::string& file : files) {
      struct stat f {};
      if (!StartsWith(file, prefix) ||
          ::fstatat(dir.Get(), file.c_str(), &f, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(f.st_mode) ||
          f.st_uid != st.st_uid)
        return false;  // not what a run leaves: not ours to remove
    }
    for (const std::string& file : files)
      if (::unlinkat(dir.Get(), file.c_str(), 0) != 0) return false;
    return ::unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0;
  }

  std::map<std::string, int> marks_;  // directories made here and the lock of each
};

class PosixErrorMode final : public ErrorMode {
 public:
  uint32_t Set(uint32_t mode) override {
    const uint32_t previous = mode_;
    mode_ = mode;
    return previous;
  }

 private:
  uint32_t mode_ = 0;
};

class TerminalDialogs final : public Dialogs {
 public:
  int Show(DialogKind kind, const std::string& caption, const std::string& text,
           Buttons buttons) override {
    struct Choice {
      char Key;
      const char* Label;
      int Id;
    };
    std::vector<Choice> choices;
    switch (buttons) {
      case Buttons::Ok:
        choices = {{'o', "OK", kIdOk}};
        break;
      case Buttons::OkCancel:
        choices = {{'o', "OK", kIdOk}, {'c', "Cancel", kIdCancel}};
        break;
      case Buttons::AbortRetryIgnore:
        choices = {{'a', "Abort", kIdAbort}, {'r', "Retry", kIdRetry}, {'i', "Ignore", kIdIgnore}};
        break;
      case Buttons::AbortRetry:
        choices = {{'a', "Abort", kIdAbort}, {'r', "Retry", kIdRetry}};
        break;
      case Buttons::YesNo:
        choices = {{'y', "Yes", kIdYes}, {'n', "No", kIdNo}};
        break;
      case Buttons::YesNoCancel:
        choices = {{'y', "Yes", kIdYes}, {'n', "No", kIdNo}, {'c', "Cancel", kIdCancel}};
        break;
      case Buttons::RetryCancel:
        choices = {{'r', "Retry", kIdRetry}, {'c', "Cancel", kIdCancel}};
        break;
    }
    // The answer taken without a terminal: the one that gives up.
    const int fallback =
        choices.size() == 1
            ? choices[0].Id
            : (buttons == Buttons::AbortRetryIgnore || buttons == Buttons::AbortRetry
                   ? kIdAbort
                   : (buttons == Buttons::YesNo ? kIdNo : kIdCancel));
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    if (!::isatty(STDIN_FILENO)) return fallback;
    for (;;) {
      std::string prompt;
      for (const auto& c : choices)
        prompt += std::string(prompt.empty() ? "" : ", ") + "[" + c.Key + "]" + (c.Label + 1);
      std::fprintf(stderr, "%s? ", prompt.c_str());
      std::string answer;
      if (!std::getline(std::cin, answer)) return fallback;
      if (answer.empty() && choices.size() == 1) return choices[0].Id;
      for (const auto& c : choices)
        if (!answer.empty() && (answer[0] | 0x20) == c.Key) return c.Id;
    }
  }
  void ProcessMessages() override {}
};

}  // namespace

Drives& NativeDrives() {
  static PosixDrives instance;
  return instance;
}
TempFiles& NativeTemp() {
  static PosixTemp instance;
  return instance;
}
ErrorMode& NativeErrorMode() {
  static PosixErrorMode instance;
  return instance;
}
Dialogs& NativeDialogs() {
  static TerminalDialogs instance;
  return instance;
}

}  // namespace platform
