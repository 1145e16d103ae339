#include "platform/digest.h"
#include "platform/files.h"

namespace platform {

CopyFailure CopyContent(File& in, File& out) {
  char buffer[65536];
  for (;;) {
    const int32_t n = in.Read(buffer, sizeof buffer);
    if (n == 0) return CopyFailure::None;
    if (n < 0) return CopyFailure::Read;
    if (out.Write(buffer, n) != n) return CopyFailure::Write;
  }
}

bool CopyFileTo(const std::string& from, const std::string& to, std::string& reason) {
  FileSystem& files = FileSystemPort();
  auto in = files.Open(from, Access::Read, Share::Read, Disposition::OpenExisting);
  if (!in) {
    reason = from + ": " + files.FailureReason();
    return false;
  }
  auto out = files.Open(to, Access::Write, Share::None, Disposition::CreateNew);
  if (!out) {
    reason = to + ": " + files.FailureReason();
    return false;
  }
  if (const CopyFailure failed = CopyContent(*in, *out); failed != CopyFailure::None) {
    reason = failed == CopyFailure::Read ? from + ": " + in->FailureReason()
                                         : to + ": " + out->FailureReason();
    out.reset();
    files.Delete(to);
    return false;
  }
  uint32_t time = 0;
  if (files.GetDosTime(from, time)) out->SetDosTime(time);
  if (!out->Close()) {
    reason = to + ": " + out->FailureReason();
    files.Delete(to);
    return false;
  }
  return true;
}

}  // namespace platform

namespace platform {

std::optional<TDigest128> DigestOfFile(File& file) {
  TContentHash hash;
  char buffer[65536];
  for (int32_t n; (n = file.Read(buffer, sizeof buffer)) != 0;) {
    if (n < 0) return std::nullopt;
    hash.Update(buffer, static_cast<std::size_t>(n));
  }
  return hash.Digest();
}

std::optional<TDigest128> DigestOfFile(const std::string& path, FileSystem* files) {
  auto file = (files ? *files : FileSystemPort())
                  .Open(path, Access::Read, Share::Read, Disposition::OpenExisting);
  if (!file) return std::nullopt;
  return DigestOfFile(*file);
}

}  // namespace platform
