// The adaptive Huffman model of the LZH codec: one tree over 314 symbols (256 literal
// bytes and 58 match lengths) kept in flat arrays in order of non-decreasing count, so
// that counting a symbol only has to walk from its leaf up to the root.
//
// Layout: node positions 0..626 in count order, the root at 626. The two children of
// an inner node sit at an even position and the odd one after it; child[p] holds the
// first child's position for an inner node and 627 + symbol for a leaf. parent[p] is
// the parent of position p, parent[627 + s] the leaf position of symbol s, and
// parent[626] is 0 (position 0 always holds a leaf, so 0 stops every upward walk).
#pragma once

#include <cstdint>

namespace compress::lzh {

inline constexpr unsigned kSymbolCount = 314;
inline constexpr unsigned kNodeCount = 2 * kSymbolCount - 1;  // 627
inline constexpr unsigned kRootNode = kNodeCount - 1;         // 626
inline constexpr unsigned kMaxFreq = 0x8000;                  // root count that halves all

struct HuffmanModel {
  uint16_t freq[kNodeCount + 1];               // [627] is the sentinel 0xFFFF
  uint16_t parent[kNodeCount + kSymbolCount];  // 941 entries
  uint16_t child[kNodeCount];

  // The starting tree: every symbol counted once.
  void Start();

  // Counts one occurrence of symbol s, rebuilding first when the root count has
  // reached kMaxFreq.
  void Update(unsigned s);

  // Update that also tells `on_swap(c, l)` about every pair of positions whose
  // subtrees it exchanged, and returns whether the tree was rebuilt first.
  template <class OnSwap>
  bool UpdateAndReport(unsigned s, OnSwap&& on_swap);

  // Halves every leaf count (rounding up) and rebuilds the inner nodes.
  void Rebuild();

  unsigned LeafOf(unsigned s) const { return parent[s + kNodeCount]; }
  bool IsLeaf(unsigned position) const { return child[position] >= kNodeCount; }
  // Number of bits in the code of symbol s.
  unsigned CodeLength(unsigned s) const;

 private:
  // Freq is non-decreasing from `first` on and freq[first] < k; returns the last
  // position from `first` on whose count is still below k. The sentinel stops it.
  unsigned LastBelow(unsigned first, unsigned k) const;
};

inline unsigned HuffmanModel::LastBelow(unsigned first, unsigned k) const {
  if (freq[first + 1] >= k) return first;  // the usual case: a single step
  // Gallop over the run of equal counts, then bisect the last stride.
  unsigned lo = first + 1;  // freq[lo] < k
  unsigned step = 2;
  unsigned hi = first + step;
  while (hi < kNodeCount && freq[hi] < k) {
    lo = hi;
    step <<= 1;
    hi = first + step;
  }
  if (hi > kNodeCount) hi = kNodeCount;  // freq[kNodeCount] is the sentinel
  while (hi - lo > 1) {                  // freq[lo] < k <= freq[hi]
    unsigned mid = lo + (hi - lo) / 2;
    if (freq[mid] < k) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return lo;
}

template <class OnSwap>
inline bool HuffmanModel::UpdateAndReport(unsigned s, OnSwap&& on_swap) {
  bool rebuilt = false;
  if (freq[kRootNode] == kMaxFreq) {
    Rebuild();
    rebuilt = true;
  }
  unsigned c = parent[s + kNodeCount];
  do {
    unsigned k = ++freq[c];
    if (k > freq[c + 1]) {
      // Order disturbed: swap c with the last node still counting below k.
      unsigned l = LastBelow(c + 1, k);
      freq[c] = freq[l];
      freq[l] = static_cast<uint16_t>(k);

      unsigned i = child[c];
      parent[i] = static_cast<uint16_t>(l);
      if (i < kNodeCount) parent[i + 1] = static_cast<uint16_t>(l);

      unsigned j = child[l];
      child[l] = static_cast<uint16_t>(i);
      parent[j] = static_cast<uint16_t>(c);
      if (j < kNodeCount) parent[j + 1] = static_cast<uint16_t>(c);
      child[c] = static_cast<uint16_t>(j);

      on_swap(c, l);
      c = l;
    }
    c = parent[c];
  } while (c != 0);
  return rebuilt;
}

inline void HuffmanModel::Update(unsigned s) {
  UpdateAndReport(s, [](unsigned, unsigned) {});
}

}  // namespace compress::lzh
