// The LZH encoder's sliding window and its dictionary: 256 binary search trees (one
// per first byte) whose nodes are window positions. Inserting a position walks one
// path and reports the longest match met on it, the nearest among equally long ones.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace compress::lzh {

inline constexpr unsigned kWindowSize = 4096;
inline constexpr unsigned kWindowMask = kWindowSize - 1;
inline constexpr unsigned kMaxMatch = 60;
inline constexpr unsigned kThreshold = 2;
inline constexpr unsigned kNil = kWindowSize;
inline constexpr unsigned kStartPos = kWindowSize - kMaxMatch;  // 4036
// Positions 4096..4154 repeat positions 0..58 so that a 60-byte string may start
// anywhere in the ring. Comparisons read 8 bytes at a time, up to 67 bytes past the
// start of a string, and the search fetches words of strings before knowing they
// exist (at kNil = 4096); the slack after the mirror covers both.
inline constexpr unsigned kMirrorBytes = kMaxMatch - 1;
inline constexpr unsigned kWindowBytes = kWindowSize + kMirrorBytes + 32;
inline constexpr unsigned kRootBase = kWindowSize + 1;  // root of byte b: 4097 + b

struct Dictionary {
  static constexpr unsigned kLeft = 0;
  static constexpr unsigned kRight = 1;

  uint8_t window[kWindowBytes];
  // child[p][kLeft], child[p][kRight]: the children of position p, or kNil. Entries
  // 4097 + b are the roots (only their right child is used); entry kNil absorbs
  // writes made through an empty link.
  uint16_t child[kRootBase + 256][2];
  uint16_t parent[kRootBase];   // a position, a root or kNil when not in a tree
  unsigned match_position = 0;  // distance - 1 of the best match of the last insert
  unsigned match_length = 0;    // its length; 0 when no candidate reached 3 bytes

  // Empties every tree.
  void Init();

  // Inserts position r (its 60-byte string must be in place) and finds its longest
  // match. A candidate equal over all 60 bytes is replaced by r.
  void Insert(unsigned r);

  // Removes position p if it is in a tree.
  void Delete(unsigned p);

 private:
  // Length of the common prefix of the strings at a and b (at most kMaxMatch),
  // knowing their first i bytes are equal. Below kMaxMatch, `greater` tells whether
  // a's first differing byte is the larger.
  static unsigned Compare(const uint8_t* a, const uint8_t* b, unsigned i, bool& greater);
  // Reports the best candidate of a search (rank = length << 12 | 4095 - position).
  void SetMatch(unsigned best) {
    match_length = best >> 12 > kThreshold ? best >> 12 : 0;
    match_position = kWindowMask - (best & kWindowMask);
  }
  // Points the link of p's parent that leads to p at q instead.
  void Relink(unsigned p, unsigned q) {
    unsigned up = parent[p];
    child[up][child[up][kRight] == p ? kRight : kLeft] = static_cast<uint16_t>(q);
  }
};

// Eight string bytes as one word, and what comparing two such words tells: where
// they first differ and which is larger there (bytes compared unsigned).
inline uint64_t LoadWord(const uint8_t* p) {
  uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

inline unsigned FirstDifference(uint64_t x, uint64_t y) {  // x != y
  if constexpr (std::endian::native == std::endian::little) {
    return static_cast<unsigned>(std::countr_zero(x ^ y)) >> 3;
  } else {
    return static_cast<unsigned>(std::countl_zero(x ^ y)) >> 3;
  }
}

inline bool WordGreater(uint64_t x, uint64_t y) {
  if constexpr (std::endian::native == std::endian::little) {
    return __builtin_bswap64(x) > __builtin_bswap64(y);  // now in string order
  } else {
    return x > y;
  }
}

inline unsigned Dictionary::Compare(const uint8_t* a, const uint8_t* b, unsigned i, bool& greater) {
  for (;; i += 8) {
    uint64_t x = LoadWord(a + i);
    uint64_t y = LoadWord(b + i);
    if (x != y) {
      greater = WordGreater(x, y);
      unsigned n = i + FirstDifference(x, y);
      return n < kMaxMatch ? n : kMaxMatch;
    }
    if (i + 8 >= kMaxMatch) return kMaxMatch;
  }
}

inline void Dictionary::Init() {
  for (unsigned b = 0; b < 256; ++b) child[kRootBase + b][kRight] = kNil;
  for (unsigned p = 0; p <= kWindowSize; ++p) parent[p] = kNil;
}

inline void Dictionary::Insert(unsigned r) {
  const uint8_t* key = window + r;
  unsigned p = kRootBase + key[0];
  child[r][kLeft] = child[r][kRight] = kNil;
  unsigned next = child[p][kRight];
  if (next == kNil) {
    child[p][kRight] = static_cast<uint16_t>(r);
    parent[r] = static_cast<uint16_t>(p);
    match_length = 0;
    return;
  }
  // Candidates are ranked by length, then by nearness; starting at length kThreshold
  // keeps shorter ones from counting.
  unsigned best = kThreshold << 12;
  // Common prefix lengths with the nearest nodes passed on the left and on the right.
  // Every string below the current node sorts between them, so it shares at least
  // the shorter of the two with the key: comparisons may start there.
  unsigned below = 1;
  unsigned above = 1;
  // The walk is a chain of dependent loads. To shorten it, the children of each node
  // and their first string words are fetched before the comparison at the node
  // decides which of them comes next.
  p = next;
  unsigned at = 1;  // offset of `word`, the string word of p compared next
  uint64_t word = LoadWord(window + p + at);
  for (;;) {
    unsigned start = below < above ? below : above;
    unsigned k0 = child[p][kLeft];
    unsigned k1 = child[p][kRight];
    uint64_t w0 = LoadWord(window + k0 + start);
    uint64_t w1 = LoadWord(window + k1 + start);
    uint64_t x = LoadWord(key + at);
    unsigned length;
    bool greater = false;
    if (x != word) {
      greater = WordGreater(x, word);
      length = at + FirstDifference(x, word);
      if (length > kMaxMatch) length = kMaxMatch;
    } else if (at + 8 >= kMaxMatch) {
      length = kMaxMatch;
    } else {
      length = Compare(key, window + p, at + 8, greater);
    }
    unsigned rank = (length << 12) | (kWindowMask - (((r - p) & kWindowMask) - 1));
    best = rank > best ? rank : best;
    if (length >= kMaxMatch) break;
    // Branch-free step: the direction is a coin toss to a branch predictor.
    unsigned dir = greater ? kRight : kLeft;
    uint64_t wide_mask = 0 - static_cast<uint64_t>(dir);
    unsigned mask = static_cast<unsigned>(wide_mask);
    below ^= (below ^ length) & mask;
    above = length ^ ((length ^ above) & mask);
    next = k0 ^ ((k0 ^ k1) & mask);
    word = w0 ^ ((w0 ^ w1) & wide_mask);
    at = start;  // a lower bound for the next node: the bytes before it are equal
    if (next == kNil) {
      child[p][dir] = static_cast<uint16_t>(r);
      parent[r] = static_cast<uint16_t>(p);
      SetMatch(best);
      return;
    }
    p = next;
  }
  SetMatch(best);
  // p holds the same 60 bytes: r takes its place in the tree.
  parent[r] = parent[p];
  child[r][kLeft] = child[p][kLeft];
  child[r][kRight] = child[p][kRight];
  parent[child[p][kLeft]] = static_cast<uint16_t>(r);
  parent[child[p][kRight]] = static_cast<uint16_t>(r);
  Relink(p, r);
  parent[p] = kNil;
}

inline void Dictionary::Delete(unsigned p) {
  if (parent[p] == kNil) return;
  unsigned q;
  if (child[p][kRight] == kNil) {
    q = child[p][kLeft];
  } else if (child[p][kLeft] == kNil) {
    q = child[p][kRight];
  } else {
    q = child[p][kLeft];
    if (child[q][kRight] != kNil) {
      // Take the in-order predecessor of p out of its place first.
      do {
        q = child[q][kRight];
      } while (child[q][kRight] != kNil);
      child[parent[q]][kRight] = child[q][kLeft];
      parent[child[q][kLeft]] = parent[q];
      child[q][kLeft] = child[p][kLeft];
      parent[child[p][kLeft]] = static_cast<uint16_t>(q);
    }
    child[q][kRight] = child[p][kRight];
    parent[child[p][kRight]] = static_cast<uint16_t>(q);
  }
  parent[q] = parent[p];
  Relink(p, q);
  parent[p] = kNil;
}

}  // namespace compress::lzh
