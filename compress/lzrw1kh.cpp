// TLZRW1KH: one pass over a block of at most 32768 bytes, a 4096-entry hash table of
// earlier positions (each kept with the 8 bytes found there), copies of 3..18 bytes
// from up to 4095 back, runs of 16..4095 equal bytes, literals, and a 16-bit control
// word in front of every group of 16 items.
//
// Both directions work on whole machine words where they can (run and match scans,
// literal stretches, copies) but produce exactly the bytes of the byte-at-a-time
// algorithm. Neither direction reads past the bytes it is given. The decoder's word
// stores may run past the restored bytes, never past Dest[32767]; the bytes there are
// either overwritten later or lie beyond the returned length.
#include "compress/lzrw1kh.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "compress/messages.h"

namespace compress {

namespace {

constexpr uint8_t kFlagCompressed = 0x40;
constexpr uint8_t kFlagStored = 0x80;
constexpr uint32_t kMaxDistance = 4095;
constexpr uint32_t kMinMatch = 3;
constexpr uint32_t kMaxMatch = 18;
constexpr uint32_t kMinRun = 16;
constexpr uint32_t kMaxRun = 4095;
constexpr uint32_t kGroupItems = 16;

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline void Store64(uint8_t* p, uint64_t v) { std::memcpy(p, &v, sizeof v); }

// Index of the first differing byte, in memory order, of two words whose XOR is x; 8
// when they are equal.
inline uint32_t FirstDiffByte(uint64_t x) {
  if constexpr (std::endian::native == std::endian::little)
    return static_cast<uint32_t>(std::countr_zero(x)) >> 3;
  else
    return static_cast<uint32_t>(std::countl_zero(x)) >> 3;
}

// The bits of a loaded word that hold its first three bytes in memory order.
constexpr uint64_t kFirst3Bytes =
    std::endian::native == std::endian::little ? 0xFFFFFFull : 0xFFFFFFull << 40;

inline uint32_t Hash(const uint8_t* p) {
  const uint32_t v =
      ((static_cast<uint32_t>(p[0]) << 8) ^ (static_cast<uint32_t>(p[1]) << 4)) ^ p[2];
  return ((40543u * v) >> 4) & (TLZRW1KH::kHashSize - 1);
}

// True when the 16 bytes at p are all equal: the shortest run worth a run item.
inline bool StartsRun(const uint8_t* p) {
  const uint64_t pattern = static_cast<uint64_t>(p[0]) * 0x0101010101010101ull;
  return Load64(p) == pattern && Load64(p + 8) == pattern;
}

// Length of the run of p[0] starting at p, given that it is at least 16 and at most
// `limit` bytes long. Reads only p[0 .. limit-1].
inline uint32_t RunLength(const uint8_t* p, uint32_t limit) {
  const uint64_t pattern = static_cast<uint64_t>(p[0]) * 0x0101010101010101ull;
  uint32_t r = kMinRun;
  while (r + 8 <= limit) {
    const uint64_t diff = Load64(p + r) ^ pattern;
    if (diff != 0) return r + FirstDiffByte(diff);
    r += 8;
  }
  while (r < limit && p[r] == p[0]) ++r;
  return r;
}

// Number of equal leading bytes of p and q, at most `limit` (<= 18). Reads only the
// first `limit` bytes of each.
inline uint32_t MatchLength(const uint8_t* p, const uint8_t* q, uint32_t limit) {
  uint32_t n = 0;
  if (limit >= 16) {
    uint64_t diff = Load64(p) ^ Load64(q);
    if (diff != 0) return FirstDiffByte(diff);
    diff = Load64(p + 8) ^ Load64(q + 8);
    if (diff != 0) return 8 + FirstDiffByte(diff);
    n = 16;
  }
  while (n < limit && p[n] == q[n]) ++n;
  return n;
}

// Copies N (3..18) bytes from D (1..7) bytes back, front to back, so that the D bytes
// repeat. The caller guarantees 24 writable bytes at `out`.
inline void CopyShortDistance(uint8_t* out, uint32_t d) {
  // Byte k of the copy is byte k mod D of the D bytes before it.
  static constexpr uint8_t kPhase[8][8] = {{},
                                           {0, 0, 0, 0, 0, 0, 0, 0},
                                           {0, 1, 0, 1, 0, 1, 0, 1},
                                           {0, 1, 2, 0, 1, 2, 0, 1},
                                           {0, 1, 2, 3, 0, 1, 2, 3},
                                           {0, 1, 2, 3, 4, 0, 1, 2},
                                           {0, 1, 2, 3, 4, 5, 0, 1},
                                           {0, 1, 2, 3, 4, 5, 6, 0}};
  // The smallest multiple of D that is at least 8: from there on 8 bytes at a time
  // read only bytes already written.
  static constexpr uint8_t kStride[8] = {0, 8, 8, 9, 8, 10, 12, 14};
  const uint8_t* from = out - d;
  uint8_t pattern[8];
  for (int k = 0; k < 8; ++k) pattern[k] = from[kPhase[d][k]];
  std::memcpy(out, pattern, 8);
  std::memcpy(out + 8, out + 8 - kStride[d], 8);
  std::memcpy(out + 16, out + 16 - kStride[d], 8);
}

}  // namespace

TLZRW1KH::TLZRW1KH() {
  // The entries' positions, then for each entry the 8 bytes at its position (4 int16
  // slots each). Those bytes are only read for an entry set in the same block.
  hash_.reset(new (std::nothrow) int16_t[kHashSize * 5]());
  if (!hash_) throw ELzrw1KHCompressor(msg::kKhNoHashMemory);
}

TLZRW1KH::~TLZRW1KH() = default;

uint16_t TLZRW1KH::CompressBlock(const uint8_t* Source, uint8_t* Dest, uint16_t SourceSize) {
  const uint32_t n = SourceSize;
  int16_t* const table = hash_.get();
  uint8_t* const heads = reinterpret_cast<uint8_t*>(table + kHashSize);
  // An empty entry holds a position so far before the block that no position in it
  // accepts it as a candidate: one distance test then rejects empty and distant entries.
  std::memset(table, 0x80, kHashSize * sizeof(int16_t));

  const uint8_t* ip = Source;              // next input byte
  const uint8_t* const iend = Source + n;  // the block's end
  uint8_t* op = Dest + 3;                  // next output byte
  uint8_t* ctrl = Dest + 1;                // the current group's control word
  uint8_t* const olimit = Dest + n;        // output beyond it means the stored form
  // Control bits of the current group, first item highest, below a marker bit that
  // reaches bit 16 when the group holds 16 items.
  uint32_t cmd = 1;
  Dest[0] = kFlagCompressed;

  auto start_item = [&] {
    if (cmd >= 0x10000) {
      ctrl[0] = static_cast<uint8_t>(cmd >> 8);
      ctrl[1] = static_cast<uint8_t>(cmd);
      ctrl = op;
      op += 2;
      cmd = 1;
    }
  };
  auto put_copy = [&](uint32_t dist, uint32_t len) {
    const uint32_t item = (dist << 4) | (len - kMinMatch);
    op[0] = static_cast<uint8_t>(item >> 8);
    op[1] = static_cast<uint8_t>(item);
    op += 2;
    ip += len;
    cmd = (cmd << 1) | 1;
  };

  // Main loop: at least 18 bytes left, so every scan of a position stays inside the
  // block and only the run cap bounds it.
  const uint8_t* const ifast = n >= kMaxMatch ? iend - (kMaxMatch - 1) : Source;
  while (ip < ifast && op <= olimit) {
    start_item();
    const uint64_t head = Load64(ip);
    // The run test comes first; a run shorter than 16 is never used. A word is left
    // unchanged by a turn of one byte exactly when its 8 bytes are equal.
    if (head == std::rotr(head, 8) && Load64(ip + 8) == head) {
      const uint32_t r = RunLength(ip, std::min(static_cast<uint32_t>(iend - ip), kMaxRun));
      const uint32_t count = r - kMinRun;
      op[0] = 0;
      op[1] = static_cast<uint8_t>(count >> 8);
      op[2] = static_cast<uint8_t>(count);
      op[3] = ip[0];
      op += 4;
      ip += r;
      cmd = (cmd << 1) | 1;
      continue;
    }
    const uint32_t x = static_cast<uint32_t>(ip - Source);
    const uint32_t h = Hash(ip);
    const uint32_t dist = x - static_cast<uint32_t>(static_cast<int32_t>(table[h]));
    const uint64_t seen = Load64(heads + 8 * h);
    table[h] = static_cast<int16_t>(x);
    Store64(heads + 8 * h, head);
    // The candidate's first bytes are compared with the copy kept in its entry, not
    // loaded from the candidate: the decision waits only on the table, and a copy of up
    // to 7 bytes is measured without touching the candidate. An empty or distant entry
    // is rejected by the distance test whatever its bytes hold.
    const uint32_t far = dist > kMaxDistance;
    const uint64_t diff = head ^ seen;
    if (((diff & kFirst3Bytes) | far) == 0) {
      put_copy(dist, diff != 0 ? FirstDiffByte(diff) : MatchLength(ip, ip - dist, kMaxMatch));
      continue;
    }
    *op++ = *ip++;
    cmd <<= 1;
  }

  // The last 17 positions, and any position the main loop leaves: every scan is bounded
  // by the block's end. In the last two positions no match of 3 fits, so neither the
  // lookup nor the table entry could change the output there; both are skipped. Entries
  // set here keep no bytes: the main loop, their only reader, is over for this block.
  while (ip < iend && op <= olimit) {
    start_item();
    const uint32_t avail = static_cast<uint32_t>(iend - ip);
    if (avail >= kMinRun && StartsRun(ip)) {
      const uint32_t r = RunLength(ip, avail);
      op[0] = 0;
      op[1] = 0;
      op[2] = static_cast<uint8_t>(r - kMinRun);
      op[3] = ip[0];
      op += 4;
      ip += r;
      cmd = (cmd << 1) | 1;
      continue;
    }
    if (avail >= kMinMatch) {
      const uint32_t x = static_cast<uint32_t>(ip - Source);
      const uint32_t h = Hash(ip);
      const uint32_t dist = x - static_cast<uint32_t>(static_cast<int32_t>(table[h]));
      table[h] = static_cast<int16_t>(x);
      if (dist <= kMaxDistance) {
        const uint32_t len = MatchLength(ip, ip - dist, std::min(avail, kMaxMatch));
        if (len >= kMinMatch) {
          put_copy(dist, len);
          continue;
        }
      }
    }
    *op++ = *ip++;
    cmd <<= 1;
  }

  // Close the last group: its unused bits are 0.
  cmd <<= std::countl_zero(cmd) - 15;
  ctrl[0] = static_cast<uint8_t>(cmd >> 8);
  ctrl[1] = static_cast<uint8_t>(cmd);

  if (op > olimit) {
    Dest[0] = kFlagStored;
    if (n != 0) std::memmove(Dest + 1, Source, n);
    return static_cast<uint16_t>(n + 1);
  }
  return static_cast<uint16_t>(op - Dest);
}

uint16_t TLZRW1KH::DecompressBlock(const uint8_t* Source, uint8_t* Dest, uint16_t SourceSize,
                                   bool* Intact) {
  const uint32_t len = SourceSize;
  bool intact = true;
  auto finish = [&](uint32_t restored) {
    if (Intact) *Intact = intact;
    return static_cast<uint16_t>(restored);
  };

  if (len <= 1) return finish(0);

  if (Source[0] == kFlagStored) {
    uint32_t size = len - 1;
    if (size > kMaxBlock) {
      size = kMaxBlock;
      intact = false;
    }
    std::memmove(Dest, Source + 1, size);
    return finish(size);
  }

  // A compressed body without a single item restores to nothing.
  if (len <= 3) return finish(0);

  const uint8_t* const s = Source;
  uint8_t* const d = Dest;
  uint32_t x = 3;
  uint32_t y = 0;
  uint32_t cmd = (static_cast<uint32_t>(s[1]) << 8) | s[2];
  uint32_t bit = kGroupItems;  // items left in the current group

  // Fast loop over whole groups while both buffers have room for the largest group to
  // spare: 16 items of at most 4 bytes, a 16-byte literal load and the next control
  // word on the input side; 16 copies of 18 bytes and a 24-byte copy store on the
  // output side. A run checks its own length. Anything unusual (a run near the end, a
  // copy from before the start) is left to the checked loop, which decides it.
  constexpr uint32_t kInMargin = 96;
  constexpr uint32_t kOutMargin = kGroupItems * kMaxMatch + 32;
  while (x + kInMargin <= len && y + kOutMargin <= kMaxBlock) {
    for (;;) {
      // The literals up to the next copy or run, possibly none, then that item.
      uint32_t k = static_cast<uint32_t>(std::countl_zero(static_cast<uint16_t>(cmd)));
      if (k > bit) k = bit;
      std::memcpy(d + y, s + x, 16);
      x += k;
      y += k;
      cmd <<= k;
      bit -= k;
      if (bit == 0) break;
      const uint32_t b0 = s[x];
      const uint32_t b1 = s[x + 1];
      const uint32_t dist = (b0 << 4) | (b1 >> 4);
      const uint32_t n = (b1 & 0x0F) + kMinMatch;
      if (dist >= 8 && dist <= y) {
        // From 8 or more bytes back each 8-byte step reads only bytes already final.
        const uint8_t* from = d + y - dist;
        std::memcpy(d + y, from, 8);
        std::memcpy(d + y + 8, from + 8, 8);
        std::memcpy(d + y + 16, from + 16, 8);
        x += 2;
        y += n;
      } else if (dist == 0) {
        const uint32_t r = ((b1 << 8) | s[x + 2]) + kMinRun;
        if (y + r + kOutMargin > kMaxBlock) goto checked;  // let the checked loop decide
        std::memset(d + y, s[x + 3], r);
        x += 4;
        y += r;
      } else {
        if (dist > y) goto checked;  // reaches before the block's start
        CopyShortDistance(d + y, dist);
        x += 2;
        y += n;
      }
      cmd <<= 1;
      if (--bit == 0) break;
    }
    cmd = (static_cast<uint32_t>(s[x]) << 8) | s[x + 1];
    x += 2;
    bit = kGroupItems;
  }
checked:
  // Checked loop: every item is tested against both buffers' ends.
  while (x < len) {
    if (bit == 0) {
      if (x + 2 >= len) {  // a control word cut off, or one with no item after it
        intact = false;
        break;
      }
      cmd = (static_cast<uint32_t>(s[x]) << 8) | s[x + 1];
      x += 2;
      bit = kGroupItems;
    }
    if ((cmd & 0x8000) == 0) {
      if (y >= kMaxBlock) {
        intact = false;
        break;
      }
      d[y++] = s[x++];
    } else {
      if (x + 2 > len) {
        intact = false;
        break;
      }
      const uint32_t b0 = s[x];
      const uint32_t b1 = s[x + 1];
      const uint32_t dist = (b0 << 4) | (b1 >> 4);
      if (dist == 0) {
        if (x + 4 > len) {
          intact = false;
          break;
        }
        const uint32_t r = ((b1 << 8) | s[x + 2]) + kMinRun;
        if (y + r > kMaxBlock) {
          intact = false;
          break;
        }
        std::memset(d + y, s[x + 3], r);
        x += 4;
        y += r;
      } else {
        const uint32_t n = (b1 & 0x0F) + kMinMatch;
        if (dist > y || y + n > kMaxBlock) {
          intact = false;
          break;
        }
        for (uint32_t k = 0; k < n; ++k) d[y + k] = d[y - dist + k];
        x += 2;
        y += n;
      }
    }
    cmd <<= 1;
    --bit;
  }
  return finish(y);
}

}  // namespace compress
