// Win32 adapter of the files port: the ANSI file API, so paths are the system's
// 8-bit text as they are.
//
// - Share modes are the API's own (FILE_SHARE_*), so a file held open without sharing
//   cannot be opened, created or truncated by anyone else until it is closed.
// - Attributes are the DOS bits (read-only, hidden, system, volume, directory,
//   archive); the file system's further bits are neither reported nor set.
// - DOS date-times are local time: the last-write time is converted through the local
//   file time on the way in and out.
// - OpenExisting takes only disk files: a device name (CON, NUL, COM1) or a pipe is
//   refused, as is a directory.
// - Member targets (CreateReplacement) are never written through a link: see
//   target_win32.cpp.
#include <windows.h>
// <windows.h> maps these to their ...A forms; the port's members keep their names.
#undef CreateDirectory
#undef RemoveDirectory

#include <algorithm>
#include <cstring>

#include "platform/dos_time.h"
#include "platform/files.h"
#include "platform/interrupt.h"
#include "platform/thread_text.h"
#include "platform/win32/access_win32.h"
#include "platform/win32/error_win32.h"
#include "platform/win32/handle_win32.h"
#include "platform/win32/target_win32.h"

namespace platform {
namespace {

using win32::ErrorText;
using win32::FileHandle;
using win32::FindHandle;

constexpr DWORD kDosBits = 0x3F;
constexpr DWORD kSettableBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
constexpr uint32_t kDosEpoch = 0x00210000;  // 1980-01-01 00:00:00

// Last-write file time (UTC) as a local DOS date-time; times the DOS format cannot
// hold (before 1980) become its first day.
uint32_t ToDosTime(const FILETIME& utc) {
  FILETIME local;
  WORD date = 0, time = 0;
  if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToDosDateTime(&local, &date, &time))
    return kDosEpoch;
  if (date == 0) return kDosEpoch;
  return (static_cast<uint32_t>(date) << 16) | time;
}

class Win32File final : public File {
 public:
  explicit Win32File(FileHandle h) : h_(std::move(h)) {}
  // A file this process made: removed on interrupt until it is closed.
  Win32File(FileHandle h, RemoveOnInterrupt made) : h_(std::move(h)), made_(std::move(made)) {}

  int32_t Read(void* buf, int32_t count) override {
    if (!h_ || count < 0) return -1;
    DWORD got = 0;
    if (!::ReadFile(h_.Get(), buf, static_cast<DWORD>(count), &got, nullptr)) return Fail();
    return static_cast<int32_t>(got);
  }

  int32_t Write(const void* buf, int32_t count) override {
    if (!h_ || count < 0) return -1;
    DWORD put = 0;
    if (!::WriteFile(h_.Get(), buf, static_cast<DWORD>(count), &put, nullptr)) return Fail();
    return static_cast<int32_t>(put);
  }

  bool Seek(int64_t position) override {
    if (!h_ || position < 0) return false;
    LARGE_INTEGER to;
    to.QuadPart = position;
    return ::SetFilePointerEx(h_.Get(), to, nullptr, FILE_BEGIN) != 0;
  }

  int64_t Position() override {
    if (!h_) return -1;
    LARGE_INTEGER zero, at;
    zero.QuadPart = 0;
    if (!::SetFilePointerEx(h_.Get(), zero, &at, FILE_CURRENT)) return -1;
    return at.QuadPart;
  }

  int64_t Size() override {
    LARGE_INTEGER size;
    if (!h_ || !::GetFileSizeEx(h_.Get(), &size)) return -1;
    return size.QuadPart;
  }

  bool SetDosTime(uint32_t dosTime) override {
    // A date the calendar does not have is refused, never moved to another day.
    if (!h_ || !platform::IsValidDosTime(dosTime)) return false;
    FILETIME local, utc;
    if (!::DosDateTimeToFileTime(HIWORD(dosTime), LOWORD(dosTime), &local)) return false;
    if (!::LocalFileTimeToFileTime(&local, &utc)) return false;
    // Creation and last-access times stay as they are.
    return ::SetFileTime(h_.Get(), nullptr, nullptr, &utc) != 0;
  }

  bool Flush() override {
    if (h_ && ::FlushFileBuffers(h_.Get())) return true;
    Fail();
    return false;
  }
  bool Close() override {
    made_.Release();  // complete, or given up by its writer
    if (h_.Reset()) return true;
    Fail();
    return false;
  }
  std::string FailureReason() override { return error_ ? ErrorText(error_) : std::string(); }

 private:
  int32_t Fail() {
    error_ = ::GetLastError();
    return -1;
  }
  FileHandle h_;
  DWORD error_ = 0;
  RemoveOnInterrupt made_;
};

DWORD DesiredAccess(Access access) {
  switch (access) {
    case Access::Read:
      return GENERIC_READ;
    case Access::Write:
      return GENERIC_WRITE;
    case Access::ReadWrite:
      return GENERIC_READ | GENERIC_WRITE;
  }
  return 0;
}

DWORD ShareMode(Share share) {
  switch (share) {
    case Share::None:
      return 0;
    case Share::Read:
      return FILE_SHARE_READ;
    case Share::ReadWrite:
      return FILE_SHARE_READ | FILE_SHARE_WRITE;
  }
  return 0;
}

DWORD CreationDisposition(Disposition disposition) {
  switch (disposition) {
    case Disposition::OpenExisting:
      return OPEN_EXISTING;
    case Disposition::CreateAlways:
      return CREATE_ALWAYS;
    case Disposition::OpenAlways:
      return OPEN_ALWAYS;
    case Disposition::CreateNew:
    case Disposition::CreatePrivate:
      return CREATE_NEW;
  }
  return OPEN_EXISTING;
}

// A target's new content beside it, moved over it on Commit.
class Win32Replacement final : public Replacement {
 public:
  Win32Replacement(std::unique_ptr<File> file, std::string path, std::string target)
      : file_(std::move(file)), path_(std::move(path)), target_(std::move(target)), made_(path_) {}
  ~Win32Replacement() override {
    file_.reset();
    if (!committed_) ::DeleteFileA(path_.c_str());
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
    if (!win32::PlaceTakesAFile(target_, reason_)) return false;
    if (!::MoveFileExA(path_.c_str(), target_.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      reason_ = ErrorText(::GetLastError());
      return false;
    }
    committed_ = true;
    made_.Release();
    return true;
  }
  std::string FailureReason() const override { return reason_; }

 private:
  std::unique_ptr<File> file_;
  std::string path_, target_;
  RemoveOnInterrupt made_;
  bool committed_ = false;
  std::string reason_;
};

class Win32FileSystem final : public FileSystem {
 public:
  std::unique_ptr<File> Open(const std::string& path, Access access, Share share,
                             Disposition disposition) override {
    Reason().Clear();
    const DWORD a = ::GetFileAttributesA(path.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0)
      return Refuse(kReasonDirectory);
    // Windows refuses to write to a read-only file, and so do we. Wine leaves that to
    // the Unix permissions, which do not hold back root.
    if (access != Access::Read && a != INVALID_FILE_ATTRIBUTES &&
        (a & FILE_ATTRIBUTE_READONLY) != 0)
      return Refuse(kReasonReadOnly);
    FileHandle h(::CreateFileA(path.c_str(), DesiredAccess(access), ShareMode(share), nullptr,
                               CreationDisposition(disposition), FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return Refuse(ErrorText(::GetLastError()));
    const bool disk = ::GetFileType(h.Get()) == FILE_TYPE_DISK;
    // Packages, sources and inputs are disk files; outputs may be devices (NUL).
    if (disposition == Disposition::OpenExisting && !disk) return Refuse(kReasonNotRegular);
    // A file made or emptied here is incomplete until it is closed.
    const bool made = disposition != Disposition::OpenExisting &&
                      (a == INVALID_FILE_ATTRIBUTES || disposition == Disposition::CreateAlways);
    if (made && disk) return std::make_unique<Win32File>(std::move(h), RemoveOnInterrupt(path));
    return std::make_unique<Win32File>(std::move(h));
  }

  std::unique_ptr<Replacement> CreateReplacement(const std::string& root,
                                                 const std::string& relative, Access access,
                                                 Share share) override {
    Reason().Clear();
    std::string newPath, targetPath, reason;
    FileHandle h = win32::CreateBesideTarget(root, relative, DesiredAccess(access),
                                             ShareMode(share), newPath, targetPath, reason);
    Reason() = reason;
    if (!h) return nullptr;
    return std::make_unique<Win32Replacement>(std::make_unique<Win32File>(std::move(h)), newPath,
                                              targetPath);
  }

  bool Delete(const std::string& path) override {
    Reason().Clear();
    return ::DeleteFileA(path.c_str()) != 0 || Fail();
  }

  bool Rename(const std::string& from, const std::string& to) override {
    Reason().Clear();
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0 || Fail();
  }

  bool FileExists(const std::string& path) override {
    const DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  bool DirectoryExists(const std::string& path) override {
    const DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  bool CreateDirectory(const std::string& path) override {
    Reason().Clear();
    return ::CreateDirectoryA(path.c_str(), nullptr) != 0 || Fail();
  }

  bool RemoveDirectory(const std::string& path) override {
    Reason().Clear();
    return ::RemoveDirectoryA(path.c_str()) != 0 || Fail();
  }

  std::vector<FoundFile> Find(const std::string& pattern, uint16_t attrMask) override {
    std::vector<FoundFile> found;
    WIN32_FIND_DATAA data;
    FindHandle search(::FindFirstFileA(pattern.c_str(), &data));
    if (!search) return found;
    do {
      if (std::strcmp(data.cFileName, ".") == 0 || std::strcmp(data.cFileName, "..") == 0) continue;
      const auto attr = static_cast<uint16_t>(data.dwFileAttributes & kDosBits);
      // Read-only and archive never exclude an entry; the other bits must be asked for.
      const uint16_t restricting = attr & ~(kAttrReadOnly | kAttrArchive);
      if ((restricting & ~attrMask) != 0) continue;
      FoundFile f;
      f.Name = data.cFileName;
      f.Attr = attr;
      f.Size = (attr & kAttrDirectory)
                   ? 0
                   : static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) |
                                          data.nFileSizeLow);
      f.DosTime = ToDosTime(data.ftLastWriteTime);
      found.push_back(std::move(f));
    } while (::FindNextFileA(search.Get(), &data));
    // The order of a directory listing depends on the file system; make it the name order.
    std::sort(found.begin(), found.end(),
              [](const FoundFile& a, const FoundFile& b) { return a.Name < b.Name; });
    return found;
  }

  std::string FullPath(const std::string& path) override {
    std::string out(MAX_PATH, '\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
      const DWORD n =
          ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(out.size()), out.data(), nullptr);
      if (n == 0) return path;
      if (n < out.size()) {
        out.resize(n);
        return out;
      }
      out.assign(n, '\0');  // n counts the terminating zero when the buffer was short
    }
    return path;
  }

  bool GetAttributes(const std::string& path, uint16_t& attr) override {
    const DWORD a = ::GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    attr = static_cast<uint16_t>(a & kDosBits);
    return true;
  }

  bool SetAttributes(const std::string& path, uint16_t attr) override {
    Reason().Clear();
    DWORD a = attr & kSettableBits;
    if (a == 0) a = FILE_ATTRIBUTE_NORMAL;
    return ::SetFileAttributesA(path.c_str(), a) != 0 || Fail();
  }

  bool GetDosTime(const std::string& path, uint32_t& dosTime) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    dosTime = ToDosTime(data.ftLastWriteTime);
    return true;
  }

  bool SetAccess(const std::string& path, AccessRule rule) override {
    Reason().Clear();
    std::string reason;
    const bool set = win32::SetAccessList(path, rule, reason);
    Reason() = reason;
    return set;
  }
  std::string LongPath(const std::string& path) override { return win32::LongPathOf(path); }

  std::string FailureReason() override { return Reason(); }

 private:
  std::unique_ptr<File> Refuse(std::string reason) {
    Reason() = std::move(reason);
    return nullptr;
  }
  bool Fail() {
    Reason() = ErrorText(::GetLastError());
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
  static Win32FileSystem instance;
  return instance;
}

std::string FromHostPath(const std::string& path) { return path; }
std::string ToHostPath(const std::string& path) { return path; }

}  // namespace platform
