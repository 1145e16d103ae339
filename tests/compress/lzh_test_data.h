// Inputs with a known shape for the LZH codec tests.
#pragma once

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace lzh_test {

using Bytes = std::vector<uint8_t>;

// n bytes in which no 3-byte string repeats within any 4096 bytes and no 3 spaces
// occur, so the encoder codes every byte as a literal: block k of 256 bytes steps
// through all byte values with the odd stride 2k + 1 (n up to 128 blocks).
inline Bytes AllLiterals(std::size_t n) {
  Bytes out(n);
  for (std::size_t i = 0; i < n; ++i) {
    std::size_t k = i / 256;
    out[i] = static_cast<uint8_t>((i % 256) * (2 * k + 1));
  }
  return out;
}

// Copies out of a random 1020-byte block whose lengths (5 to 12, plus whole-block
// refreshes coded as matches of 60) follow Fibonacci weights, chosen so that no copy
// can be extended by chance. The model becomes a near-chain of 9 symbols over the
// unused ones, whose leaves then lie 17 levels deep; every `probe_every` bytes an
// otherwise unused byte (200..255) is coded at its current depth.
inline Bytes FibonacciCopies(uint32_t seed, std::size_t total, std::size_t probe_every) {
  std::mt19937 rng(seed);
  const int lengths[9] = {5, 6, 7, 8, 9, 60, 10, 11, 12};
  const double weights[9] = {34, 21, 13, 8, 5, 0, 2, 1, 1};  // 60 comes from refreshes
  std::discrete_distribution<int> pick(weights, weights + 9);
  const int kBlock = 1020;  // 17 matches of 60
  Bytes block(kBlock);
  for (auto& b : block) b = static_cast<uint8_t>(rng() % 200);
  Bytes out(block);
  int probe = 200;
  std::size_t next_probe = probe_every;
  // (end of a copy in the block, first byte of the copy after it) for recent copies:
  // a copy must not start with a byte that followed the same string before.
  std::vector<std::pair<int, int>> recent;
  int last_end = -1;
  auto forbidden = [&](uint8_t byte) {
    if (last_end < 0) return false;
    if (last_end < kBlock && block[last_end] == byte) return true;
    for (auto& e : recent) {
      if (e.first == last_end && e.second == byte) return true;
    }
    return false;
  };
  while (out.size() < total) {
    // Refresh the block before it leaves the reach of the dictionary.
    for (std::size_t since = 0; since < 2800;) {
      int length = lengths[pick(rng)];
      int from;
      do {
        from = static_cast<int>(rng() % (kBlock - length - 1));
      } while (forbidden(block[from]));
      if (last_end >= 0) {
        recent.emplace_back(last_end, block[from]);
        if (recent.size() > 1500) recent.erase(recent.begin());
      }
      out.insert(out.end(), block.begin() + from, block.begin() + from + length);
      last_end = from + length;
      since += length;
      if (out.size() > next_probe) {
        out.push_back(static_cast<uint8_t>(probe));
        probe = probe == 255 ? 200 : probe + 1;
        next_probe += probe_every;
        last_end = -1;
      }
    }
    out.insert(out.end(), block.begin(), block.end());
    last_end = kBlock;
  }
  return out;
}

// Runs of one byte with random lengths, then random bytes, then text-like bytes:
// a bit of everything the encoder meets.
inline Bytes Mixed(std::size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes out;
  out.reserve(n);
  static const char* const kWords[] = {"volume ", "disk ", "member ", "\r\n", "record ",
                                       "0000 ",   "TAVO ", "the ",    "\t",   "installer "};
  while (out.size() < n) {
    switch (rng() % 3) {
      case 0:
        out.insert(out.end(), rng() % 300, static_cast<uint8_t>(rng()));
        break;
      case 1:
        for (unsigned k = rng() % 200; k != 0; --k) out.push_back(static_cast<uint8_t>(rng()));
        break;
      default:
        for (unsigned k = rng() % 100; k != 0; --k) {
          for (const char* p = kWords[rng() % 10]; *p != 0; ++p) {
            out.push_back(static_cast<uint8_t>(*p));
          }
        }
    }
  }
  out.resize(n);
  return out;
}

}  // namespace lzh_test
