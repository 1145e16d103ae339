// A lookup table over the top 8 levels of the adaptive Huffman tree, so the decoder
// can take up to 8 bits of a symbol's path in one step. Entry b (the next 8 input
// bits) holds the position reached by following b from the root, together with the
// number of bits used: fewer than 8 when a leaf is met sooner.
//
// The table reads child[] only at positions less than 8 levels deep, so an update
// that exchanges two deeper subtrees leaves it valid; when a swap touches a shallow
// position the entries below the two swapped positions are filled again.
#pragma once

#include <cstdint>

#include "compress/lzh_model.h"

namespace compress::lzh {

class PrefixTable {
 public:
  static constexpr unsigned kBits = 8;

  // Fills the whole table from the model's current tree.
  void Build(const HuffmanModel& model);

  // To be called after the model exchanged the subtrees at positions c and l.
  void OnSwap(const HuffmanModel& model, unsigned c, unsigned l) {
    if ((shallow_[c] | shallow_[l]) != 0) {
      Refresh(model, c);
      Refresh(model, l);
    }
  }

  unsigned Position(unsigned bits) const { return entry_[bits] & 0x3FF; }
  unsigned Length(unsigned bits) const { return entry_[bits] >> 12; }

 private:
  // Fills the entries below `position` if it lies less than kBits levels deep.
  void Refresh(const HuffmanModel& model, unsigned position);
  void Fill(const HuffmanModel& model, unsigned position, unsigned depth, unsigned prefix);

  uint16_t entry_[1u << kBits];  // position | bits used << 12
  // Set for every position less than kBits deep; may also stay set for a position
  // that has since moved deeper (that only costs a needless Refresh).
  uint8_t shallow_[kNodeCount];
};

}  // namespace compress::lzh
