// Tlzh: the LZH codec. LZSS over a 4096-byte window (matches of 3 to 60 bytes) with
// literals and match lengths coded by one adaptive Huffman tree of 314 symbols and
// match positions by a fixed prefix code for their upper 6 bits plus 6 verbatim bits.
// Each Encode or Decode is one self-contained run over one whole file; the tables live
// for one run.
//
// Hostile input: Decode never reads or writes outside its tables whatever the code
// stream holds (window reads are taken modulo 4096, every symbol ends at a leaf, every
// position decodes to 0..4095). It does not detect a corrupt or short stream: past the
// end of the input it decodes zero bits, and it stops once Count bytes are produced.
#pragma once

#include <cstdint>

#include "compress/byte_callback.h"
#include "platform/exceptions.h"

namespace compress {

class ElzhException : public platform::Exception {
 public:
  using Exception::Exception;
};

class Tlzh {
 public:
  Tlzh();
  ~Tlzh();
  Tlzh(const Tlzh&) = delete;
  Tlzh& operator=(const Tlzh&) = delete;

  // Compresses everything GetBytes delivers until it answers 0, passing the code
  // stream to PutBytes one byte at a time. Bytes receives the count of input bytes
  // consumed; it is not set when an exception leaves Encode.
  void Encode(int32_t& Bytes, TByteCallback GetBytes, TByteCallback PutBytes);

  // Restores at least Count bytes (exactly Count for a stream Encode wrote) from the
  // code stream GetBytes delivers, passing them to PutBytes. Count <= 0 does nothing.
  void Decode(int32_t Count, TByteCallback GetBytes, TByteCallback PutBytes);

  // Encode and Decode on the caller's own callables, called directly rather than through
  // TByteCallback: the same calls, in the same order, and the same bits
  // (compress/lzh_codec.h, which defines them).
  template <class Get, class Put>
  void EncodeWith(int32_t& bytes, Get& getBytes, Put& putBytes);
  template <class Get, class Put>
  void DecodeWith(int32_t count, Get& getBytes, Put& putBytes);

  // The tables of a run are obtained when it starts and released on every way out
  // of it; they are local to the run, so the object itself holds no state.
};

}  // namespace compress
