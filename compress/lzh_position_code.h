// The fixed prefix code of the LZH codec for the upper 6 bits of a match position.
// Values 0..63 get codes of 3 to 8 bits, assigned canonically in order of value; the
// lower 6 bits of a position follow their code verbatim.
#pragma once

#include <array>
#include <cstdint>

namespace compress::lzh {

struct PositionCodeTables {
  std::array<uint8_t, 64> len{};        // code length of each upper-bits value
  std::array<uint8_t, 64> code{};       // its code, left-aligned in a byte
  std::array<uint8_t, 256> dec_code{};  // next 8 input bits -> value whose code prefixes them
  std::array<uint8_t, 256> dec_len{};   // next 8 input bits -> that value's code length
};

constexpr uint8_t PositionCodeLength(unsigned value) {
  if (value < 1) return 3;
  if (value < 4) return 4;
  if (value < 12) return 5;
  if (value < 24) return 6;
  if (value < 48) return 7;
  return 8;
}

constexpr PositionCodeTables MakePositionCodeTables() {
  PositionCodeTables t;
  unsigned next = 0;
  for (unsigned v = 0; v < 64; ++v) {
    t.len[v] = PositionCodeLength(v);
    t.code[v] = static_cast<uint8_t>(next);
    unsigned span = 1u << (8 - t.len[v]);
    for (unsigned b = next; b < next + span; ++b) {
      t.dec_code[b] = static_cast<uint8_t>(v);
      t.dec_len[b] = t.len[v];
    }
    next += span;
  }
  return t;
}

inline constexpr PositionCodeTables kPositionCode = MakePositionCodeTables();

static_assert(kPositionCode.code[1] == 0x20 && kPositionCode.code[4] == 0x50 &&
              kPositionCode.code[12] == 0x90 && kPositionCode.code[24] == 0xC0 &&
              kPositionCode.code[48] == 0xF0 && kPositionCode.code[63] == 0xFF);

}  // namespace compress::lzh
