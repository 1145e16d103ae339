// LZRW1/KH blocks: any bytes restore without touching memory outside the block and a
// 32768-byte destination; any block-sized input compresses and restores exactly.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "compress/lzrw1kh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static compress::TLZRW1KH codec;
  if (size > 65535) return 0;

  // Exact-size copies, so that any read or write past either end is caught.
  const auto block = std::make_unique<uint8_t[]>(size ? size : 1);
  if (size) std::memcpy(block.get(), data, size);
  const auto restored = std::make_unique<uint8_t[]>(compress::TLZRW1KH::kMaxBlock);
  bool intact = false;
  const uint16_t n =
      codec.DecompressBlock(block.get(), restored.get(), static_cast<uint16_t>(size), &intact);
  if (n > compress::TLZRW1KH::kMaxBlock) std::abort();

  if (size > compress::TLZRW1KH::kMaxBlock) return 0;
  // The compressor may read two bytes past the data and write up to 6 past its size.
  const auto source = std::make_unique<uint8_t[]>(size + 2);
  if (size) std::memcpy(source.get(), data, size);
  source[size] = source[size + 1] = 0xC5;
  const auto packed = std::make_unique<uint8_t[]>(size + 6);
  const uint16_t len = codec.CompressBlock(source.get(), packed.get(), static_cast<uint16_t>(size));
  if (len > size + 1) std::abort();
  const uint16_t back = codec.DecompressBlock(packed.get(), restored.get(), len, &intact);
  if (!intact || back != size || (size && std::memcmp(restored.get(), data, size) != 0))
    std::abort();
  return 0;
}
