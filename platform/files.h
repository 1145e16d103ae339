// The files port: everything the libraries do with files goes through here, so the
// same code runs on the Win32 file API and on POSIX. Paths are the system's 8-bit
// text; `\` is a separator on every platform.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace platform {

enum class Access { Read, Write, ReadWrite };
// What other opens of the same file may do while this one is open.
enum class Share { None, Read, ReadWrite };
enum class Disposition {
  OpenExisting,   // fail when the file is missing
  CreateAlways,   // create, truncating an existing file
  OpenAlways,     // open, creating a missing file, never truncating
  CreateNew,      // create a file that does not exist yet; anything there (a link too) fails
  CreatePrivate,  // as CreateNew, and only its owner may read or write it (staging files)
};

// Reasons the adapters give for refusals of their own (see FailureReason).
inline constexpr const char* kReasonDirectory = "is a directory";
inline constexpr const char* kReasonNotRegular = "not a regular file";
inline constexpr const char* kReasonNotDirectory = "a file stands where a directory is needed";
inline constexpr const char* kReasonLinkOnPath = "a link on its path leads elsewhere";
inline constexpr const char* kReasonLinkAtPath = "a link to a directory stands at its place";
inline constexpr const char* kReasonReadOnly = "the existing file is read-only";
inline constexpr const char* kReasonNoAccessLists = "this file system keeps no access lists";

// File attribute bits as stored in packages.
inline constexpr uint16_t kAttrReadOnly = 0x01;
inline constexpr uint16_t kAttrHidden = 0x02;
inline constexpr uint16_t kAttrSystem = 0x04;
inline constexpr uint16_t kAttrVolumeId = 0x08;
inline constexpr uint16_t kAttrDirectory = 0x10;
inline constexpr uint16_t kAttrArchive = 0x20;

// An open file. Closing happens in the destructor or through Close(), which reports
// whether the close succeeded.
class File {
 public:
  virtual ~File() = default;
  // Count read, 0 at end of file, negative on error.
  virtual int32_t Read(void* buf, int32_t count) = 0;
  // Count written, negative on error.
  virtual int32_t Write(const void* buf, int32_t count) = 0;
  virtual bool Seek(int64_t position) = 0;
  virtual int64_t Position() = 0;
  // Size in bytes, negative on error.
  virtual int64_t Size() = 0;
  // Sets the last-write time from a DOS date-time taken as local time.
  virtual bool SetDosTime(uint32_t dosTime) = 0;
  virtual bool Close() = 0;
  // Has the system write what was written to the disk itself before it answers.
  virtual bool Flush() { return true; }
  // Why the last failed call on this file failed, in the system's words ("no space left
  // on device"); empty when nobody said.
  virtual std::string FailureReason() { return {}; }
};

// A target's new content on its way to the target's place. Destroyed uncommitted (a
// failure, an interrupt) it closes and removes the new file, and whatever stood at the
// target's place stays as it was; an interrupted run removes the new file too.
class Replacement {
 public:
  virtual ~Replacement() = default;
  // The new file, open. Whoever writes it takes it (and may close it); the replacement
  // keeps its place on disk. Null once taken.
  virtual std::unique_ptr<File> TakeFile() = 0;
  // The new file's full path, for what is done to it by name before it is committed
  // (its time and attributes).
  virtual const std::string& Path() const = 0;
  // Puts the new file in the target's place in one step, replacing a file that stands
  // there (a link or a hard link there is replaced, never written through); the file
  // must be closed. False, with the reason, when the place holds a directory or a
  // read-only file by now, or the system refuses; the target is then as it was.
  virtual bool Commit() = 0;
  virtual std::string FailureReason() const = 0;
};

// Who may do what in a folder or file the installation protects (FileSystem::SetAccess).
// Either way Administrators and SYSTEM have full control; the rule says what Users have.
enum class AccessRule {
  UsersReadExecute,  // Users may read and run, never change
  UsersModify,       // Users may also create, change and delete (a data folder)
};

struct FoundFile {
  std::string Name;  // bare name, no directory
  uint16_t Attr = 0;
  int64_t Size = 0;
  uint32_t DosTime = 0;  // last-write time, local
};

// A file the port creates (or truncates) for writing is incomplete until it is closed:
// should the process be interrupted before that, it is removed (see interrupt.h). A
// replacement's new file is incomplete until it is committed.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Null when the file cannot be opened with this access and sharing. OpenExisting takes
  // only regular files (a directory, device, pipe or socket is refused: they are not
  // packages, sources or inputs), and no open ever waits for the other end of a pipe.
  virtual std::unique_ptr<File> Open(const std::string& path, Access access, Share share,
                                     Disposition disposition) = 0;
  // Prepares the new content of the file `relative` below the directory `root` (a
  // member's target), never through a link: the directories between them are created
  // when missing and none may be a symbolic link or reparse point. The new content goes
  // into a new file beside the target, in the target's own directory, created
  // exclusively under a name of its own; the target is left as it is until the
  // replacement is committed (see Replacement). A directory at the target's place, a
  // read-only file there (kReasonReadOnly), or a link the system cannot replace without
  // acting on what it points at is refused now. `root` is taken as it is (the caller
  // chose it) and must exist; empty means the current directory. `relative` separates
  // components with `\` or `/`. Null on failure, with the reason.
  virtual std::unique_ptr<Replacement> CreateReplacement(const std::string& root,
                                                         const std::string& relative, Access access,
                                                         Share share) = 0;
  virtual bool Delete(const std::string& path) = 0;
  // Renames a file, replacing an existing `to` in one step.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;
  virtual bool CreateDirectory(const std::string& path) = 0;
  // Removes an empty directory.
  virtual bool RemoveDirectory(const std::string& path) = 0;
  // Files matching a wildcard pattern (`*`, `?` in the last component) whose attribute
  // bits, beyond read-only and archive, are all within `attrMask`.
  virtual std::vector<FoundFile> Find(const std::string& pattern, uint16_t attrMask) = 0;
  virtual std::string FullPath(const std::string& path) = 0;
  // Attributes of an existing file; false when it cannot be read.
  virtual bool GetAttributes(const std::string& path, uint16_t& attr) = 0;
  virtual bool SetAttributes(const std::string& path, uint16_t attr) = 0;
  virtual bool GetDosTime(const std::string& path, uint32_t& dosTime) = 0;
  // Gives the folder or file at `path` an access list of its own under `rule`, protected
  // from what its parent folder passes on; a folder's list passes on to what is made in
  // it. False, with the reason, where the file system keeps no access lists or the
  // system refuses.
  virtual bool SetAccess(const std::string& path, AccessRule rule) = 0;
  // `path` (a full path) with each component that exists written as its long name: an
  // 8.3 short name (`PROGRA~1`) expanded; the components that do not exist stay as given.
  virtual std::string LongPath(const std::string& path) = 0;
  // Why the last failed call of this port failed, in the system's words ("read-only file
  // system") or one of the kReason texts; empty when nobody said.
  virtual std::string FailureReason() = 0;
};

// Which side of a copy failed; None when it did not.
enum class CopyFailure { None, Read, Write };
// Copies what is left to read of `in` to `out`; which side failed, if one did (its
// FailureReason tells why).
CopyFailure CopyContent(File& in, File& out);
// Copies the file `from` to a new file `to` (which must not exist yet), with its
// last-write time, through the files port; false, with the reason in `reason`, when it
// cannot. A copy left half made is removed.
bool CopyFileTo(const std::string& from, const std::string& to, std::string& reason);
// The platform's own adapter (Win32 or POSIX).
FileSystem& NativeFiles();

// A path as the user or another program of the system wrote it, in the ports' text; and
// a path of the ports as the system writes it (to show it). On Windows both are the text
// as it is. On POSIX `/` separates and a `\` is part of a name: the ports, which take `\`
// as a separator, carry such a `\` as a zero byte, which no name can hold.
std::string FromHostPath(const std::string& path);
std::string ToHostPath(const std::string& path);

}  // namespace platform
