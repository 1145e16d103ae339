// File helpers of the package layer on top of the files port: every failure becomes
// an EInOutError carrying the system's reason, so callers read and write whole fields
// or nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/files.h"
#include "platform/system.h"

namespace pack::io {

// Opens a file through `files` (or the files port in use); null becomes EInOutError
// `message` (its "%s" the path) with the port's reason.
std::unique_ptr<platform::File> Open(platform::FileSystem& files, const std::string& path,
                                     platform::Access access, platform::Share share,
                                     platform::Disposition disposition, const char* message);
std::unique_ptr<platform::File> Open(const std::string& path, platform::Access access,
                                     platform::Share share, platform::Disposition disposition,
                                     const char* message);
// Reads exactly `count` bytes; fewer (end of file or an error) raises EInOutError.
void ReadExact(platform::File& file, void* buf, int32_t count);
// Reads up to `count` bytes and returns how many arrived; an error raises EInOutError.
int32_t ReadSome(platform::File& file, void* buf, int32_t count);
// Writes exactly `count` bytes or raises EInOutError.
void WriteExact(platform::File& file, const void* buf, int32_t count);
// Raises the EInOutError of a write to `file` (the file `path`, when known) that fell
// short, with the system's reason.
[[noreturn]] void FailWrite(platform::File& file, const std::string& path = {});
void SeekTo(platform::File& file, int64_t position);
int64_t PositionOf(platform::File& file);
int64_t SizeOf(platform::File& file);
// Closes the file; failure raises EInOutError naming path.
void CloseFile(platform::File& file, const std::string& path);

// Sets the process error mode so that a drive that is not ready fails as an I/O error
// instead of a system dialog, and restores the previous mode on every exit.
class ErrorModeScope {
 public:
  ErrorModeScope() : previous_(platform::ErrorModePort().Set(platform::kSemFailCriticalErrors)) {}
  ~ErrorModeScope() { platform::ErrorModePort().Set(previous_); }
  ErrorModeScope(const ErrorModeScope&) = delete;
  ErrorModeScope& operator=(const ErrorModeScope&) = delete;

 private:
  uint32_t previous_;
};

}  // namespace pack::io
