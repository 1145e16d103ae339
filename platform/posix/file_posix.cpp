#include "platform/posix/file_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/dos_time.h"

namespace platform::posix {

std::string ErrorText(int error) {
  std::string text = std::strerror(error);
  if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') text[0] = static_cast<char>(text[0] + 32);
  return text;
}

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
  // mktime would move a date the calendar does not have (31 February) to another day.
  if (!platform::IsValidDosTime(dos)) return false;
  const platform::DosDateTime t = platform::SplitDosTime(dos);
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_isdst = -1;
  out = mktime(&tm);
  return out != static_cast<time_t>(-1);
}

bool LockForShare(int fd, Share share) {
  // Devices such as /dev/null are shared by everyone and take no lock.
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
      ::flock(fd, (share == Share::None ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    errno = EBUSY;
    return false;
  }
  // Opened without waiting for a pipe's other end; reads and writes wait as usual.
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

bool PosixFile::Fail() {
  error_ = errno;
  return false;
}

int32_t PosixFile::Read(void* buf, int32_t count) {
  if (fd_ < 0 || count < 0) return -1;
  int32_t total = 0;
  auto* p = static_cast<char*>(buf);
  while (total < count) {
    const ssize_t n = ::read(fd_, p + total, static_cast<size_t>(count - total));
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail();
      return total > 0 ? total : -1;
    }
    if (n == 0) break;
    total += static_cast<int32_t>(n);
  }
  return total;
}

int32_t PosixFile::Write(const void* buf, int32_t count) {
  if (fd_ < 0 || count < 0) return -1;
  int32_t total = 0;
  const auto* p = static_cast<const char*>(buf);
  while (total < count) {
    const ssize_t n = ::write(fd_, p + total, static_cast<size_t>(count - total));
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail();
      return total > 0 ? total : -1;
    }
    total += static_cast<int32_t>(n);
  }
  return total;
}

bool PosixFile::Seek(int64_t position) {
  if (fd_ < 0 || position < 0) return false;
  return ::lseek(fd_, position, SEEK_SET) == position || Fail();
}

int64_t PosixFile::Position() {
  if (fd_ < 0) return -1;
  const off_t at = ::lseek(fd_, 0, SEEK_CUR);
  if (at < 0) Fail();
  return at;
}

int64_t PosixFile::Size() {
  struct stat st {};
  if (fd_ < 0) return -1;
  if (::fstat(fd_, &st) != 0) return Fail() ? 0 : -1;
  return st.st_size;
}

bool PosixFile::SetDosTime(uint32_t dosTime) {
  time_t t;
  if (fd_ < 0 || !FromDosTime(dosTime, t)) return false;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;  // last access stays
  times[1].tv_sec = t;
  times[1].tv_nsec = 0;
  return ::futimens(fd_, times) == 0 || Fail();
}

bool PosixFile::Flush() { return fd_ >= 0 && (::fdatasync(fd_) == 0 || Fail()); }

bool PosixFile::Close() {
  if (fd_ < 0) return true;
  made_.Release();  // complete, or given up by its writer
  const int fd = fd_;
  fd_ = -1;
  return ::close(fd) == 0 || Fail();  // closing releases the lock
}

}  // namespace platform::posix
