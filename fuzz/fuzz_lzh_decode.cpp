// LZH code streams: the first 4 bytes (little-endian) are the byte count to restore,
// the rest is the stream. Any stream decodes within the codec's tables to at least that
// many bytes and less than one match more. The whole input also goes through Encode
// and back and must come out unchanged.
//
// The count is kept to a few hundred times the stream's length (and 32 KiB at most):
// past the end of its input a stream decodes zero bits, so a larger count only spends
// time on output that says nothing new, and the fuzzer tries far more streams instead.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "compress/lzh.h"

namespace {

struct Source {
  const uint8_t* data;
  size_t size;
  size_t next = 0;
  int past_end = 0;  // requests answered with nothing
  void operator()(uint8_t* Buf, uint16_t, uint16_t& Actual) {
    if (next < size) {
      *Buf = data[next++];
      Actual = 1;
    } else {
      ++past_end;
      Actual = 0;
    }
  }
};

struct Sink {
  std::vector<uint8_t> out;
  void operator()(uint8_t* Buf, uint16_t ByteCount, uint16_t& Actual) {
    out.push_back(*Buf);
    Actual = ByteCount;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  compress::Tlzh codec;
  if (size >= 4) {
    const uint32_t raw = data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24;
    const uint32_t bound = static_cast<uint32_t>(std::min<size_t>((size - 4) * 256 + 64, 32768));
    const int32_t count = static_cast<int32_t>(raw % (bound + 1));
    Source stream{data + 4, size - 4};
    Sink restored;
    codec.Decode(count, stream, restored);
    if (restored.out.size() < static_cast<size_t>(count)) std::abort();
    if (count > 0 && restored.out.size() >= static_cast<size_t>(count) + 60) std::abort();
  }

  Source input{data, size};
  Sink encoded;
  int32_t consumed = -1;
  codec.Encode(consumed, input, encoded);
  if (consumed != static_cast<int32_t>(size)) std::abort();
  Source stream{encoded.out.data(), encoded.out.size()};
  Sink decoded;
  codec.Decode(consumed, stream, decoded);
  if (decoded.out.size() != size || (size != 0 && std::memcmp(decoded.out.data(), data, size))) {
    std::abort();
  }
  // A complete stream is read exactly one byte beyond its end.
  if (stream.past_end != (size != 0 ? 1 : 0)) std::abort();
  return 0;
}
