#include "pack/pack_io.h"

#include "pack/pack_messages.h"
#include "platform/exceptions.h"

namespace pck::io {

std::unique_ptr<plat::File> Open(const std::string& path, plat::Access access, plat::Share share,
                                 plat::Disposition disposition, const char* message) {
  auto file = plat::FileSystemPort().Open(path, access, share, disposition);
  if (!file)
    throw sys::EInOutError(msg::Fmt(message, path), plat::FileSystemPort().FailureReason());
  return file;
}

void ReadExact(plat::File& file, void* buf, int32_t count) {
  const int32_t got = ReadSome(file, buf, count);
  if (got != count) throw sys::EInOutError(msg::kReadPastEnd);
}

int32_t ReadSome(plat::File& file, void* buf, int32_t count) {
  if (count <= 0) return 0;
  const int32_t got = file.Read(buf, count);
  if (got < 0 || got > count) throw sys::EInOutError(msg::kReadFailed, file.FailureReason());
  return got;
}

void WriteExact(plat::File& file, const void* buf, int32_t count) {
  if (count <= 0) return;
  if (file.Write(buf, count) != count) FailWrite(file);
}

void FailWrite(plat::File& file) {
  const std::string reason = file.FailureReason();
  // With the system's reason the guess in the plain message is not needed.
  throw sys::EInOutError(reason.empty() ? msg::kWriteFailed : msg::kWriteError, reason);
}

void SeekTo(plat::File& file, int64_t position) {
  if (!file.Seek(position)) throw sys::EInOutError(msg::kSeekFailed, file.FailureReason());
}

int64_t PositionOf(plat::File& file) {
  const int64_t p = file.Position();
  if (p < 0) throw sys::EInOutError(msg::kSeekFailed, file.FailureReason());
  return p;
}

int64_t SizeOf(plat::File& file) {
  const int64_t s = file.Size();
  if (s < 0) throw sys::EInOutError(msg::kSizeFailed, file.FailureReason());
  return s;
}

void CloseFile(plat::File& file, const std::string& path) {
  if (!file.Close())
    throw sys::EInOutError(msg::Fmt(msg::kCannotClose, path), file.FailureReason());
}

}  // namespace pck::io
