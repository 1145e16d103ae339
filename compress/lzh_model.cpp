#include "compress/lzh_model.h"

namespace compress::lzh {

void HuffmanModel::Start() {
  for (unsigned s = 0; s < kSymbolCount; ++s) {
    freq[s] = 1;
    child[s] = static_cast<uint16_t>(s + kNodeCount);
    parent[s + kNodeCount] = static_cast<uint16_t>(s);
  }
  for (unsigned i = 0, j = kSymbolCount; j < kNodeCount; i += 2, ++j) {
    freq[j] = static_cast<uint16_t>(freq[i] + freq[i + 1]);
    child[j] = static_cast<uint16_t>(i);
    parent[i] = parent[i + 1] = static_cast<uint16_t>(j);
  }
  freq[kNodeCount] = 0xFFFF;
  parent[kRootNode] = 0;
}

void HuffmanModel::Rebuild() {
  // Gather the leaves at the bottom, in their order, with halved counts.
  unsigned j = 0;
  for (unsigned p = 0; p < kNodeCount; ++p) {
    if (child[p] >= kNodeCount) {
      freq[j] = static_cast<uint16_t>((freq[p] + 1u) / 2);
      child[j] = child[p];
      ++j;
    }
  }
  // Pair them up again; each new inner node goes after the nodes of equal count.
  for (unsigned i = 0, n = kSymbolCount; n < kNodeCount; i += 2, ++n) {
    unsigned f = freq[i] + freq[i + 1];
    unsigned k = n;
    while (freq[k - 1] > f) --k;
    for (unsigned m = n; m > k; --m) {
      freq[m] = freq[m - 1];
      child[m] = child[m - 1];
    }
    freq[k] = static_cast<uint16_t>(f);
    child[k] = static_cast<uint16_t>(i);
  }
  // Reconnect the parents.
  for (unsigned p = 0; p < kNodeCount; ++p) {
    unsigned c = child[p];
    parent[c] = static_cast<uint16_t>(p);
    if (c < kNodeCount) parent[c + 1] = static_cast<uint16_t>(p);
  }
}

unsigned HuffmanModel::CodeLength(unsigned s) const {
  unsigned length = 0;
  for (unsigned c = LeafOf(s); c != kRootNode; c = parent[c]) ++length;
  return length;
}

}  // namespace compress::lzh
