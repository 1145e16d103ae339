#include "pack/pack_io.h"

#include "pack/pack_messages.h"
#include "platform/exceptions.h"

namespace pack::io {

using Step = platform::EInOutError::Step;

std::unique_ptr<platform::File> Open(platform::FileSystem& files, const std::string& path,
                                     platform::Access access, platform::Share share,
                                     platform::Disposition disposition, const char* message) {
  auto file = files.Open(path, access, share, disposition);
  if (!file)
    throw platform::EInOutError(Step::Open, platform::Naming(message, path), files.FailureReason());
  return file;
}

std::unique_ptr<platform::File> Open(const std::string& path, platform::Access access,
                                     platform::Share share, platform::Disposition disposition,
                                     const char* message) {
  return Open(platform::FileSystemPort(), path, access, share, disposition, message);
}

void ReadExact(platform::File& file, void* buf, int32_t count) {
  const int32_t got = ReadSome(file, buf, count);
  if (got != count) throw platform::EInOutError(Step::Read, msg::kReadPastEnd);
}

int32_t ReadSome(platform::File& file, void* buf, int32_t count) {
  if (count <= 0) return 0;
  const int32_t got = file.Read(buf, count);
  if (got < 0 || got > count)
    throw platform::EInOutError(Step::Read, msg::kReadFailed, file.FailureReason());
  return got;
}

void WriteExact(platform::File& file, const void* buf, int32_t count) {
  if (count <= 0) return;
  if (file.Write(buf, count) != count) FailWrite(file);
}

void FailWrite(platform::File& file, const std::string& path) {
  const std::string reason = file.FailureReason();
  // With the system's reason the guess in the plain message is not needed.
  throw platform::EInOutError(Step::Write, reason.empty() ? msg::kWriteFailed : msg::kWriteError,
                              reason, path);
}

void SeekTo(platform::File& file, int64_t position) {
  if (!file.Seek(position)) throw platform::EInOutError(msg::kSeekFailed, file.FailureReason());
}

int64_t PositionOf(platform::File& file) {
  const int64_t p = file.Position();
  if (p < 0) throw platform::EInOutError(msg::kSeekFailed, file.FailureReason());
  return p;
}

int64_t SizeOf(platform::File& file) {
  const int64_t s = file.Size();
  if (s < 0) throw platform::EInOutError(msg::kSizeFailed, file.FailureReason());
  return s;
}

void CloseFile(platform::File& file, const std::string& path) {
  if (!file.Close())
    throw platform::EInOutError(Step::Write, platform::Naming(msg::kCannotClose, path),
                                file.FailureReason());
}

}  // namespace pack::io
