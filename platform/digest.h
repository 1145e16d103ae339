// Content digests: the 128-bit XXH3 hash of a byte stream, fed piece by piece as the
// bytes go by, so that a member is checked as it is restored and a file as it is read,
// without a second pass. Used for the digests packages carry and the installation's
// record of what it wrote.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct TDigest128 {
  std::array<uint8_t, 16> Bytes{};  // big-endian, as XXH3's canonical form

  // 32 lower-case hexadecimal digits.
  std::string Hex() const;
  // The digest of 32 hexadecimal digits (either case); nothing for any other text.
  static std::optional<TDigest128> FromHex(std::string_view hex);
  friend bool operator==(const TDigest128&, const TDigest128&) = default;
};

class TContentHash {
 public:
  TContentHash();
  ~TContentHash();
  TContentHash(const TContentHash&) = delete;
  TContentHash& operator=(const TContentHash&) = delete;

  // Starts again with no bytes.
  void Reset();
  void Update(const void* data, std::size_t size);
  // The digest of the bytes fed since the last Reset; feeding may go on after.
  TDigest128 Digest() const;

  // The digest of one buffer.
  static TDigest128 Of(const void* data, std::size_t size);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace platform

namespace platform {

class File;
class FileSystem;

// Every loop that hashes a file's content is one of these two. The digest of what is
// left of an open file, read from where it stands to its end; nothing when a read fails.
std::optional<TDigest128> DigestOfFile(File& file);
// The digest of a file's content, read through `files` (the files port in use when
// null); nothing when it cannot be opened or read.
std::optional<TDigest128> DigestOfFile(const std::string& path, FileSystem* files = nullptr);

}  // namespace platform
