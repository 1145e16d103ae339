// The 15-byte prefix at the start of every volume of a package: signature ("PCK10" or
// "PCK11"), creation stamp (a double, days since 30 December 1899) and volume number.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pack {

inline constexpr int kPrefixSize = 15;

struct TVolumePrefix {
  std::array<char, 5> Signature{};
  uint8_t Version = 0;  // 1 "PCK10", 2 "PCK11", 0 another signature
  double Stamp = 0;
  uint16_t Volume = 0;

  // The prefix held by kPrefixSize bytes.
  static TVolumePrefix Parse(const uint8_t* bytes);
  // The prefix's bytes, as a writer stores them.
  std::vector<uint8_t> Bytes() const;
  // Same package (signature and stamp), whatever the volume number.
  bool SamePackage(const TVolumePrefix& other) const {
    return Signature == other.Signature && Stamp == other.Stamp;
  }
};

// The prefix of the file at `path` when it starts like a volume; nothing when it
// cannot be read, is shorter or starts otherwise.
std::optional<TVolumePrefix> ReadVolumePrefix(const std::string& path);

}  // namespace pack
