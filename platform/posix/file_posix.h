// The POSIX adapter's open file, and the helpers its file system shares with it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>

#include "platform/files.h"
#include "platform/interrupt.h"

namespace platform::posix {

// The system's text for an errno value, starting with a small letter ("no space left
// on device") as it goes after a colon in a message.
std::string ErrorText(int error);

bool IsReadOnlyMode(mode_t mode);

// Local DOS date-time of a time and back; false for a date-time that cannot be.
uint32_t ToDosTime(time_t t);
bool FromDosTime(uint32_t dos, time_t& out);

// Takes the lock that stands for `share` (flock: exclusive for Share::None, shared
// otherwise) without waiting, and makes the descriptor blocking again; false when
// another open holds a lock that excludes it.
bool LockForShare(int fd, Share share);

class PosixFile final : public File {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  // A file this process made: removed on interrupt until it is closed.
  PosixFile(int fd, RemoveOnInterrupt made) : fd_(fd), made_(std::move(made)) {}
  ~PosixFile() override { Close(); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  int32_t Read(void* buf, int32_t count) override;
  int32_t Write(const void* buf, int32_t count) override;
  bool Seek(int64_t position) override;
  int64_t Position() override;
  int64_t Size() override;
  bool SetDosTime(uint32_t dosTime) override;
  bool Close() override;
  bool Flush() override;
  std::string FailureReason() override { return error_ ? ErrorText(error_) : std::string(); }

 private:
  bool Fail();  // keeps errno as the reason; false
  int fd_;
  int error_ = 0;
  RemoveOnInterrupt made_;
};

}  // namespace platform::posix
