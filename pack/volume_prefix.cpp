#include "pack/volume_prefix.h"

#include <cstring>

#include "platform/files.h"
#include "platform/le_bytes.h"

namespace pack {
namespace {
// Offsets inside the prefix.
constexpr int kStampAt = 5, kVolumeAt = 13;
}  // namespace

TVolumePrefix TVolumePrefix::Parse(const uint8_t* bytes) {
  TVolumePrefix prefix;
  std::memcpy(prefix.Signature.data(), bytes, 5);
  if (std::memcmp(bytes, "PCK10", 5) == 0) prefix.Version = 1;
  if (std::memcmp(bytes, "PCK11", 5) == 0) prefix.Version = 2;
  prefix.Stamp = platform::le::GetDouble(bytes + kStampAt);
  prefix.Volume = platform::le::Get16(bytes + kVolumeAt);
  return prefix;
}

std::vector<uint8_t> TVolumePrefix::Bytes() const {
  std::vector<uint8_t> out(Signature.begin(), Signature.end());
  platform::le::PutDouble(out, Stamp);
  platform::le::Put16(out, Volume);
  return out;
}

std::optional<TVolumePrefix> ReadVolumePrefix(const std::string& path) {
  auto file =
      platform::FileSystemPort().Open(path, platform::Access::Read, platform::Share::ReadWrite,
                                      platform::Disposition::OpenExisting);
  uint8_t bytes[kPrefixSize] = {};
  if (!file || file->Read(bytes, kPrefixSize) != kPrefixSize) return std::nullopt;
  const TVolumePrefix prefix = TVolumePrefix::Parse(bytes);
  if (prefix.Version == 0) return std::nullopt;
  return prefix;
}

}  // namespace pack
