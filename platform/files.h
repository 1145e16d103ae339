// The files port: everything the libraries do with files goes through here, so the
// same code runs on the Win32 file API and on POSIX. Paths are the system's 8-bit
// text; `\` is a separator on every platform.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat {

enum class Access { Read, Write, ReadWrite };
// What other opens of the same file may do while this one is open.
enum class Share { None, Read, ReadWrite };
enum class Disposition {
  OpenExisting,  // fail when the file is missing
  CreateAlways,  // create, truncating an existing file
  OpenAlways,    // open, creating a missing file, never truncating
};

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
};

struct FoundFile {
  std::string Name;  // bare name, no directory
  uint16_t Attr = 0;
  int64_t Size = 0;
  uint32_t DosTime = 0;  // last-write time, local
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Null when the file cannot be opened with this access and sharing.
  virtual std::unique_ptr<File> Open(const std::string& path, Access access, Share share,
                                     Disposition disposition) = 0;
  virtual bool Delete(const std::string& path) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;
  virtual bool CreateDirectory(const std::string& path) = 0;
  // Files matching a wildcard pattern (`*`, `?` in the last component) whose attribute
  // bits, beyond read-only and archive, are all within `attrMask`.
  virtual std::vector<FoundFile> Find(const std::string& pattern, uint16_t attrMask) = 0;
  virtual std::string FullPath(const std::string& path) = 0;
  // Attributes of an existing file; false when it cannot be read.
  virtual bool GetAttributes(const std::string& path, uint16_t& attr) = 0;
  virtual bool SetAttributes(const std::string& path, uint16_t attr) = 0;
  virtual bool GetDosTime(const std::string& path, uint32_t& dosTime) = 0;
};

// The process's file system. Tests may substitute their own.
FileSystem& Files();
void SetFiles(FileSystem* replacement);  // nullptr restores the platform's own

// The platform's own adapter (Win32 or POSIX).
FileSystem& NativeFiles();

}  // namespace plat
