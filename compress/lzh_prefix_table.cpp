#include "compress/lzh_prefix_table.h"

#include <cstring>

namespace compress::lzh {

void PrefixTable::Build(const HuffmanModel& model) {
  std::memset(shallow_, 0, sizeof shallow_);
  Fill(model, kRootNode, 0, 0);
}

void PrefixTable::Refresh(const HuffmanModel& model, unsigned position) {
  unsigned depth = 0;
  unsigned prefix = 0;
  for (unsigned p = position; p != kRootNode; p = model.parent[p]) {
    if (depth == kBits) {
      shallow_[position] = 0;
      return;
    }
    prefix |= (p & 1) << depth;
    ++depth;
  }
  Fill(model, position, depth, prefix);
}

void PrefixTable::Fill(const HuffmanModel& model, unsigned position, unsigned depth,
                       unsigned prefix) {
  uint16_t value = static_cast<uint16_t>(position | depth << 12);
  if (depth == kBits) {
    entry_[prefix] = value;
    return;
  }
  shallow_[position] = 1;
  unsigned first = model.child[position];
  if (first >= kNodeCount) {  // a leaf: every continuation of its code maps to it
    unsigned span = 1u << (kBits - depth);
    for (unsigned e = prefix * span; e < (prefix + 1) * span; ++e) entry_[e] = value;
    return;
  }
  Fill(model, first, depth + 1, prefix * 2);
  Fill(model, first + 1, depth + 1, prefix * 2 + 1);
}

}  // namespace compress::lzh
