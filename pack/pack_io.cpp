#include "pack/pack_io.h"

#include "pack/pack_messages.h"
#include "platform/exceptions.h"

namespace pck::io {

std::unique_ptr<plat::File> Open(const std::string& path, plat::Access access, plat::Share share,
                                 plat::Disposition disposition, const char* message) {
  auto file = plat::Files().Open(path, access, share, disposition);
  if (!file) throw sys::EInOutError(msg::Fmt(message, path));
  return file;
}

void ReadExact(plat::File& file, void* buf, int32_t count) {
  const int32_t got = ReadSome(file, buf, count);
  if (got != count) throw sys::EInOutError(msg::kReadPastEnd);
}

int32_t ReadSome(plat::File& file, void* buf, int32_t count) {
  if (count <= 0) return 0;
  const int32_t got = file.Read(buf, count);
  if (got < 0 || got > count) throw sys::EInOutError(msg::kReadFailed);
  return got;
}

void WriteExact(plat::File& file, const void* buf, int32_t count) {
  if (count <= 0) return;
  if (file.Write(buf, count) != count) throw sys::EInOutError(msg::kWriteFailed);
}

void SeekTo(plat::File& file, int64_t position) {
  if (!file.Seek(position)) throw sys::EInOutError(msg::kSeekFailed);
}

int64_t PositionOf(plat::File& file) {
  const int64_t p = file.Position();
  if (p < 0) throw sys::EInOutError(msg::kSeekFailed);
  return p;
}

int64_t SizeOf(plat::File& file) {
  const int64_t s = file.Size();
  if (s < 0) throw sys::EInOutError(msg::kSizeFailed);
  return s;
}

void CloseFile(plat::File& file, const std::string& path) {
  if (!file.Close()) throw sys::EInOutError(msg::Fmt(msg::kCannotClose, path));
}

}  // namespace pck::io
