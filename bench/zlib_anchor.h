// The zlib anchor's three calls, behind names of their own: zlib declares a global
// function `compress`, which cannot meet the codecs' namespace of that name in one
// translation unit, so zlib.h is included by zlib_anchor.cpp alone.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zlib_anchor {

inline constexpr int kOk = 0;  // Z_OK

// compressBound, compress2 and uncompress; `size` in and out as zlib takes it.
std::size_t Bound(std::size_t size);
int Compress(uint8_t* out, std::size_t& size, const uint8_t* in, std::size_t inSize, int level);
int Uncompress(uint8_t* out, std::size_t& size, const uint8_t* in, std::size_t inSize);

}  // namespace zlib_anchor
