// Bit output and input of the LZH codec. Bits travel most significant first; every
// byte crosses a callback on its own. The callback is any callable taking (Buf,
// ByteCount, Actual): TByteCallback, or the driver's own procedure, called directly.
#pragma once

#include <cstdint>

#include "compress/byte_callback.h"

namespace compress::lzh {

template <class PutFn = TByteCallback>
class BitWriter {
 public:
  explicit BitWriter(PutFn put) : put_(put) {}

  // Appends the low `count` bits of `bits` (count <= 32). Every byte completed is
  // passed on before this returns.
  void Put(uint32_t bits, unsigned count) {
    acc_ = (acc_ << count) | bits;
    pending_ += count;
    while (pending_ >= 8) {
      pending_ -= 8;
      Emit(static_cast<uint8_t>(acc_ >> pending_));
    }
  }

  void Put64(uint64_t bits, unsigned count) {  // count <= 64
    if (count > 32) {
      Put(static_cast<uint32_t>(bits >> 32), count - 32);
      count = 32;
    }
    Put(static_cast<uint32_t>(bits), count);
  }

  // Passes the pending bits, if any, as one last byte padded with zero bits.
  void Flush() {
    if (pending_ != 0) Emit(static_cast<uint8_t>(acc_ << (8 - pending_)));
    pending_ = 0;
  }

 private:
  void Emit(uint8_t byte) {
    uint16_t actual = 0;
    put_(&byte, 1, actual);
  }

  PutFn put_;
  uint64_t acc_ = 0;      // the pending bits are its low `pending_` bits
  unsigned pending_ = 0;  // always below 8 between calls
};

// Reads the code stream one byte per call, never sooner than a reader that takes one
// bit at a time and tops its buffer up to more than 8 bits before each bit it takes.
// Such a reader has, once it has taken the last bit of a code, asked for every byte
// up to the one holding the 8 bits that follow; EndCode makes the same calls, so the
// callback sees the same calls between the same outputs, and a reader that has used
// the final bit of a stream has asked for exactly one byte beyond it. A call that
// delivers no byte counts as a zero byte.
template <class GetFn = TByteCallback>
class CodeReader {
 public:
  explicit CodeReader(GetFn get) : get_(get) {}

  // Asks for bytes until at least n bits (n <= 56) are at hand.
  void Need(unsigned n) {
    while (len_ < n) ReadByte();
  }

  // The next n bits (1 <= n <= len), first bit most significant, without taking them.
  unsigned Peek(unsigned n) const { return static_cast<unsigned>(buf_ >> (64 - n)); }
  void Skip(unsigned n) {
    buf_ <<= n;
    len_ -= n;
  }

  unsigned Bit() {
    Need(1);
    unsigned bit = Peek(1);
    Skip(1);
    return bit;
  }

  // Call once the last bit of a code has been taken, before acting on the code.
  void EndCode() { Need(8); }

 private:
  void ReadByte() {
    uint8_t byte = 0;
    uint16_t actual = 0;
    get_(&byte, 1, actual);
    if (actual != 1) byte = 0;
    buf_ |= static_cast<uint64_t>(byte) << (56 - len_);
    len_ += 8;
  }

  GetFn get_;
  uint64_t buf_ = 0;  // the bits at hand, left-aligned
  unsigned len_ = 0;
};

}  // namespace compress::lzh
