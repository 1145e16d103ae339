// Byte-at-a-time LZRW1/KH coder, written as plainly as possible, used as an oracle for
// the word-at-a-time paths of TLZRW1KH. The decoder applies the same refusals as the
// codec: an item that would read past the block, copy from before its start or write
// past 32768 bytes ends the restoration and is not restored.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kh_reference {

using Bytes = std::vector<uint8_t>;

inline Bytes Compress(const Bytes& in) {
  const int n = static_cast<int>(in.size());
  auto at = [&](int i) -> int { return i < n ? in[i] : 0; };
  std::vector<int> table(4096, -1);
  Bytes out(n + 6);
  out[0] = 0x40;
  int x = 0, y = 3, z = 1, bit = 0;
  unsigned cmd = 0;
  while (x < n && y <= n) {
    if (bit == 16) {
      out[z] = cmd >> 8 & 0xFF, out[z + 1] = cmd & 0xFF;
      z = y, y += 2, bit = 0;
    }
    int r = 1;
    while (at(x + r) == in[x] && r < 4095 && x + r < n) ++r;
    if (r >= 16) {
      out[y] = 0, out[y + 1] = (r - 16) >> 8, out[y + 2] = (r - 16) & 0xFF, out[y + 3] = in[x];
      y += 4, x += r, cmd = cmd * 2 + 1;
    } else {
      unsigned v = ((unsigned(at(x)) << 4 ^ at(x + 1)) << 4) ^ at(x + 2);
      int h = (40543u * v >> 4) & 0xFFF, c = table[h], len = 0;
      if (c != -1 && x - c < 4096)
        while (len < 18 && at(x + len) == in[c + len] && x + len < n) ++len;
      table[h] = x;
      if (len >= 3) {
        int item = (x - c) * 16 + (len - 3);
        out[y] = item >> 8, out[y + 1] = item & 0xFF;
        y += 2, x += len, cmd = cmd * 2 + 1;
      } else {
        out[y++] = in[x++], cmd = cmd * 2;
      }
    }
    ++bit;
  }
  cmd = (cmd << (16 - bit)) & 0xFFFF;
  out[z] = cmd >> 8, out[z + 1] = cmd & 0xFF;
  if (y > n) {
    out.assign(1, 0x80);
    out.insert(out.end(), in.begin(), in.end());
  } else {
    out.resize(y);
  }
  return out;
}

struct Restored {
  Bytes data;
  bool intact = true;
};

inline Restored Decompress(const Bytes& in) {
  Restored res;
  Bytes& out = res.data;
  const size_t len = in.size();
  if (len <= 1) return res;
  if (in[0] == 0x80) {
    out.assign(in.begin() + 1, in.begin() + std::min<size_t>(len, 32769));
    res.intact = len <= 32769;
    return res;
  }
  if (len <= 3) return res;  // a compressed body without items
  size_t x = 3;
  int bit = 16;
  unsigned cmd = in[1] << 8 | in[2];
  auto refuse = [&res] { return res.intact = false, res; };
  while (x < len) {
    if (bit == 0) {
      if (x + 3 > len) return refuse();  // control word cut off or without an item
      cmd = in[x] << 8 | in[x + 1], x += 2, bit = 16;
    }
    if (!(cmd & 0x8000)) {
      if (out.size() >= 32768) return refuse();
      out.push_back(in[x++]);
    } else {
      if (x + 2 > len) return refuse();
      size_t d = in[x] * 16 + (in[x + 1] >> 4);
      if (d == 0) {
        if (x + 4 > len) return refuse();
        size_t r = (in[x + 1] << 8 | in[x + 2]) + 16;
        if (out.size() + r > 32768) return refuse();
        out.insert(out.end(), r, in[x + 3]);
        x += 4;
      } else {
        size_t n = (in[x + 1] & 15) + 3;
        if (d > out.size() || out.size() + n > 32768) return refuse();
        for (size_t k = 0; k < n; ++k) out.push_back(out[out.size() - d]);
        x += 2;
      }
    }
    cmd <<= 1, --bit;
  }
  return res;
}

}  // namespace kh_reference
