// Byte callbacks over memory for the LZH codec tests, with the counts the tests
// check: how often each side was called and how often the source had nothing left.
#pragma once

#include <cstdint>
#include <vector>

#include "compress/lzh.h"

namespace lzh_test {

using Bytes = std::vector<uint8_t>;

struct Source {
  explicit Source(const Bytes& data) : data(data) {}
  void operator()(uint8_t* Buf, uint16_t ByteCount, uint16_t& Actual) {
    ++calls;
    if (next < data.size()) {
      *Buf = data[next++];
      Actual = 1;
    } else {
      ++empty_answers;
      Actual = 0;
    }
  }
  const Bytes& data;
  std::size_t next = 0;
  int calls = 0;
  int empty_answers = 0;
};

struct Sink {
  void operator()(uint8_t* Buf, uint16_t ByteCount, uint16_t& Actual) {
    ++calls;
    out.push_back(*Buf);
    Actual = ByteCount;
  }
  Bytes out;
  int calls = 0;
};

inline Bytes Encode(const Bytes& input, int32_t* bytes = nullptr) {
  Source source(input);
  Sink sink;
  int32_t consumed = -1;
  compress::Tlzh().Encode(consumed, source, sink);
  if (bytes != nullptr) *bytes = consumed;
  return sink.out;
}

inline Bytes Decode(const Bytes& stream, int32_t count) {
  Source source(stream);
  Sink sink;
  compress::Tlzh().Decode(count, source, sink);
  return sink.out;
}

}  // namespace lzh_test
