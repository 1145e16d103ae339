#include "platform/digest.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <cstring>

namespace platform {

struct TContentHash::State {
  XXH3_state_t Xxh;
};

namespace {

TDigest128 Canonical(XXH128_hash_t hash) {
  XXH128_canonical_t canonical;
  XXH128_canonicalFromHash(&canonical, hash);
  TDigest128 d;
  std::memcpy(d.Bytes.data(), canonical.digest, d.Bytes.size());
  return d;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string TDigest128::Hex() const {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const uint8_t b : Bytes) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

std::optional<TDigest128> TDigest128::FromHex(std::string_view hex) {
  TDigest128 d;
  if (hex.size() != 2 * d.Bytes.size()) return std::nullopt;
  for (std::size_t i = 0; i < d.Bytes.size(); ++i) {
    const int hi = HexValue(hex[2 * i]), lo = HexValue(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    d.Bytes[i] = static_cast<uint8_t>(hi << 4 | lo);
  }
  return d;
}

TContentHash::TContentHash() : state_(std::make_unique<State>()) { Reset(); }
TContentHash::~TContentHash() = default;

void TContentHash::Reset() { XXH3_128bits_reset(&state_->Xxh); }

void TContentHash::Update(const void* data, std::size_t size) {
  if (size > 0) XXH3_128bits_update(&state_->Xxh, data, size);
}

TDigest128 TContentHash::Digest() const { return Canonical(XXH3_128bits_digest(&state_->Xxh)); }

TDigest128 TContentHash::Of(const void* data, std::size_t size) {
  return Canonical(XXH3_128bits(data, size));
}

}  // namespace platform
