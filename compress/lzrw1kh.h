// TLZRW1KH: the LZRW1/KH block codec. A block of at most 32768 bytes compresses into a
// self-contained block (flag byte 0x40 and groups of 16 items under a 16-bit control
// word, or flag 0x80 and the bytes stored) and restores from one.
//
// Hostile input: DecompressBlock never reads outside Source[0 .. SourceSize-1] and never
// writes outside Dest[0 .. 32767], whatever the block holds. A block CompressBlock
// cannot produce (a copy reaching before the block's start, output beyond 32768 bytes,
// an item cut off by the block's end) is restored as far as it is sound and reported
// through `Intact` = false.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/exceptions.h"

namespace compress {

class ELzrw1KHCompressor : public platform::Exception {
 public:
  using Exception::Exception;
};

class TLZRW1KH {
 public:
  static constexpr uint32_t kMaxBlock = 32768;           // largest uncompressed block
  static constexpr uint32_t kMaxStored = kMaxBlock + 1;  // largest block length L
  static constexpr uint32_t kHashSize = 4096;

  // Allocates the hash table; raises ELzrw1KHCompressor "LZRW1KH : no memory for HASH
  // table" when it cannot.
  TLZRW1KH();
  ~TLZRW1KH();
  TLZRW1KH(const TLZRW1KH&) = delete;
  TLZRW1KH& operator=(const TLZRW1KH&) = delete;

  // Compresses SourceSize (0..32768) bytes into Dest and returns the block length L.
  // Source must have 2 readable bytes after the data (their values never matter);
  // Dest must have room for SourceSize + 6 bytes.
  uint16_t CompressBlock(const uint8_t* Source, uint8_t* Dest, uint16_t SourceSize);

  // Restores a block of SourceSize bytes into Dest (room for 32768 bytes) and returns
  // the number of bytes restored. When `Intact` is given it tells whether the block
  // was well formed. Bytes of Dest after the restored ones may change.
  uint16_t DecompressBlock(const uint8_t* Source, uint8_t* Dest, uint16_t SourceSize,
                           bool* Intact = nullptr);

 private:
  std::unique_ptr<int16_t[]> hash_;
};

}  // namespace compress
