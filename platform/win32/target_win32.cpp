// Member targets on Windows. Every directory between the root and the file is looked at
// before it is used: a reparse point there (a symbolic link or junction) is refused. The
// new content goes into a new file beside the target, made with CREATE_NEW (which fails
// rather than follow a link that appeared meanwhile) and moved over the target when it is
// complete. At the target's own place:
// - a file symbolic link is replaced by the move (the link itself, not its target);
// - a link the attributes do not show, which is how Wine presents a Unix symbolic link
//   to a file, is recognised by the file's final path naming another file, and refused:
//   there every delete or rename of it would act on the file it points at;
// - a directory, or a directory link, is refused, and so is a read-only file;
// - an existing regular file is replaced by the move, so a hard link to a file elsewhere
//   is never written through.
// A device name (CON, NUL, ...) opens a device, not a disk file: it is refused.
#include "platform/win32/target_win32.h"

#include <cstdio>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/win32/error_win32.h"

namespace platform::win32 {
namespace {

std::string LastComponent(const std::string& path) {
  const auto cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The file at `path` is reached through something that leads to another name: its
// final path (where the system has that question, Vista on) ends in another name.
bool LeadsElsewhere(const std::string& path) {
  using FinalPath = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
  static const auto finalPath = reinterpret_cast<FinalPath>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
  if (!finalPath) return false;
  FileHandle h(::CreateFileA(
      path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h) return false;
  char buffer[4096] = {};
  const DWORD n = finalPath(h.Get(), buffer, sizeof buffer, 0);
  if (n == 0 || n >= sizeof buffer) return false;
  return !platform::SameFolded(LastComponent(std::string(buffer, n)), LastComponent(path));
}

// Makes sure `path` is a real directory, creating it when missing.
bool EnsureDirectory(const std::string& path, std::string& reason) {
  DWORD a = ::GetFileAttributesA(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) {
    if (!::CreateDirectoryA(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
      reason = ErrorText(::GetLastError());
      return false;
    }
    a = ::GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) {
      reason = ErrorText(::GetLastError());
      return false;
    }
  }
  if (a & FILE_ATTRIBUTE_REPARSE_POINT) {
    reason = kReasonLinkOnPath;
    return false;
  }
  if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
    reason = kReasonNotDirectory;
    return false;
  }
  return true;
}

}  // namespace

bool PlaceTakesAFile(const std::string& path, std::string& reason) {
  const DWORD a = ::GetFileAttributesA(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return true;
  if (a & FILE_ATTRIBUTE_DIRECTORY) {
    reason = (a & FILE_ATTRIBUTE_REPARSE_POINT) ? kReasonLinkAtPath : kReasonDirectory;
    return false;
  }
  if (!(a & FILE_ATTRIBUTE_REPARSE_POINT) && LeadsElsewhere(path)) {
    reason = kReasonLinkOnPath;
    return false;
  }
  if (a & FILE_ATTRIBUTE_READONLY) {
    reason = kReasonReadOnly;
    return false;
  }
  return true;
}

FileHandle CreateBesideTarget(const std::string& root, const std::string& relative, DWORD access,
                              DWORD share, std::string& newPath, std::string& targetPath,
                              std::string& reason) {
  const std::vector<std::string> parts = platform::PathComponents(relative);
  if (parts.empty()) {
    reason = kReasonDirectory;
    return FileHandle();
  }
  std::string folder = root;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    folder = platform::JoinPath(folder, parts[i]);
    if (!EnsureDirectory(folder, reason)) return FileHandle();
  }
  targetPath = platform::JoinPath(folder, parts.back());
  if (!PlaceTakesAFile(targetPath, reason)) return FileHandle();
  DWORD seed = ::GetTickCount() ^ ::GetCurrentProcessId();
  for (int attempt = 0; attempt < 100; ++attempt, seed = seed * 1103515245u + 12345u) {
    char name[16];
    std::snprintf(name, sizeof name, "PCK%06lX.TMP", static_cast<unsigned long>(seed & 0xFFFFFF));
    newPath = platform::JoinPath(folder, name);
    // CREATE_NEW fails rather than follow a link that appeared meanwhile.
    FileHandle h(::CreateFileA(newPath.c_str(), access, share, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
      if (::GetLastError() == ERROR_FILE_EXISTS) continue;
      reason = ErrorText(::GetLastError());
      return FileHandle();
    }
    if (::GetFileType(h.Get()) != FILE_TYPE_DISK) {
      reason = kReasonNotRegular;
      return FileHandle();
    }
    return h;
  }
  reason = ErrorText(ERROR_FILE_EXISTS);
  return FileHandle();
}

}  // namespace platform::win32
