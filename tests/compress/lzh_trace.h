// Reads an LZH code stream symbol by symbol with the codec's own model, recording
// what each code was: the symbol, the number of bits of its path and whether the
// model was rebuilt before it was counted.
#pragma once

#include <cstdint>
#include <vector>

#include "compress/lzh_model.h"
#include "compress/lzh_position_code.h"

namespace lzh_test {

struct TracedCode {
  unsigned symbol;
  unsigned path_bits;
  bool rebuilt_before;  // the model was halved when this symbol was counted
  unsigned position;    // for a match: distance - 1
};

inline std::vector<TracedCode> TraceStream(const std::vector<uint8_t>& stream, std::size_t count) {
  using namespace compress::lzh;
  std::vector<TracedCode> codes;
  HuffmanModel model;
  model.Start();
  std::size_t bit = 0;
  auto next_bit = [&] {
    unsigned b = bit / 8 < stream.size() ? (stream[bit / 8] >> (7 - bit % 8)) & 1 : 0;
    ++bit;
    return b;
  };
  std::size_t produced = 0;
  while (produced < count) {
    unsigned c = model.child[kRootNode];
    unsigned bits = 0;
    while (c < kNodeCount) {
      c = model.child[c + next_bit()];
      ++bits;
    }
    c -= kNodeCount;
    bool rebuild = model.freq[kRootNode] == kMaxFreq;
    model.Update(c);
    codes.push_back({c, bits, rebuild, 0});
    if (c < 256) {
      ++produced;
    } else {
      unsigned b = 0;
      for (int i = 0; i < 8; ++i) b = b * 2 + next_bit();
      unsigned v = kPositionCode.dec_code[b];
      for (unsigned n = kPositionCode.dec_len[b] - 2u; n != 0; --n) b = b * 2 + next_bit();
      codes.back().position = v * 64 + (b & 63);
      produced += c - 253;
    }
  }
  return codes;
}

}  // namespace lzh_test
