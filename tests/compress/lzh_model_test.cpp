// The adaptive Huffman model, its decoding table and the position code: the exact
// moments and shapes the code stream depends on.
#include "compress/lzh_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "compress/lzh_position_code.h"
#include "compress/lzh_prefix_table.h"
#include "lzh_reference.h"
#include "lzh_test_data.h"
#include "lzh_test_util.h"
#include "lzh_trace.h"

namespace {

using namespace compress::lzh;
using lzh_test::Bytes;

// Every structural rule of the tree: counts in order, inner counts the sum of their
// children, children side by side at an even position, parents pointing back.
void ExpectConsistent(const HuffmanModel& m) {
  ASSERT_EQ(m.freq[kNodeCount], 0xFFFF);
  ASSERT_EQ(m.parent[kRootNode], 0);
  for (unsigned p = 0; p + 1 < kNodeCount; ++p) ASSERT_LE(m.freq[p], m.freq[p + 1]) << p;
  unsigned leaves = 0;
  for (unsigned p = 0; p < kNodeCount; ++p) {
    unsigned c = m.child[p];
    if (c >= kNodeCount) {
      ++leaves;
      ASSERT_EQ(m.parent[c], p);
    } else {
      ASSERT_EQ(c % 2, 0u);
      ASSERT_LT(c + 1, p);
      ASSERT_EQ(m.parent[c], p);
      ASSERT_EQ(m.parent[c + 1], p);
      ASSERT_EQ(m.freq[p], m.freq[c] + m.freq[c + 1]);
    }
  }
  ASSERT_EQ(leaves, kSymbolCount);
}

TEST(LzhPositionCode, TablesFollowTheCanonicalLengths) {
  const auto& t = kPositionCode;
  EXPECT_EQ(t.code[0], 0x00);
  EXPECT_EQ(t.code[1], 0x20);
  EXPECT_EQ(t.code[2], 0x30);
  EXPECT_EQ(t.code[3], 0x40);
  EXPECT_EQ(t.code[4], 0x50);
  EXPECT_EQ(t.code[5], 0x58);
  EXPECT_EQ(t.code[11], 0x88);
  EXPECT_EQ(t.code[12], 0x90);
  EXPECT_EQ(t.code[13], 0x94);
  EXPECT_EQ(t.code[23], 0xBC);
  EXPECT_EQ(t.code[24], 0xC0);
  EXPECT_EQ(t.code[25], 0xC2);
  EXPECT_EQ(t.code[47], 0xEE);
  EXPECT_EQ(t.code[48], 0xF0);
  EXPECT_EQ(t.code[49], 0xF1);
  EXPECT_EQ(t.code[63], 0xFF);
  for (unsigned b = 0; b < 256; ++b) {
    unsigned v = t.dec_code[b];
    EXPECT_LE(t.code[v], b);
    EXPECT_LT(b, t.code[v] + (1u << (8 - t.len[v])));
    EXPECT_EQ(t.dec_len[b], t.len[v]);
  }
}

TEST(LzhModel, StartingTreeHasCodesOfEightAndNineBits) {
  HuffmanModel m;
  m.Start();
  ExpectConsistent(m);
  for (unsigned s = 0; s < kSymbolCount; ++s) EXPECT_EQ(m.CodeLength(s), s < 116 ? 9u : 8u) << s;
  EXPECT_EQ(m.freq[kRootNode], kSymbolCount);
}

TEST(LzhModel, FirstRebuildComesWithThe32455thSymbolBeforeItIsCounted) {
  HuffmanModel m;
  m.Start();
  for (int i = 0; i < 32454; ++i) m.Update('a');
  EXPECT_EQ(m.freq[kRootNode], 0x8000);
  EXPECT_EQ(m.freq[m.LeafOf('a')], 32455);  // nothing halved yet
  m.Update('a');
  // Halved with rounding up: 'a' (32455 + 1) / 2 = 16228, the 313 others stay at 1;
  // then 'a' is counted.
  EXPECT_EQ(m.freq[m.LeafOf('a')], 16229);
  EXPECT_EQ(m.freq[kRootNode], 16229 + 313);
  ExpectConsistent(m);
}

TEST(LzhModel, FibonacciCountsPushLeavesBelowSixteenLevels) {
  HuffmanModel m;
  m.Start();
  std::mt19937 rng(1);
  const double w[9] = {34, 21, 13, 8, 5, 3, 2, 1, 1};
  std::discrete_distribution<int> pick(w, w + 9);
  unsigned deepest = 0;
  for (int i = 0; i < 60000; ++i) {
    m.Update(256 + pick(rng));
    for (unsigned s = 0; s < kSymbolCount; ++s) deepest = std::max(deepest, m.CodeLength(s));
  }
  EXPECT_GT(deepest, 16u);
}

// The decoder's table over the top of the tree must match a table built afresh after
// every update, whatever the swaps touched.
TEST(LzhPrefixTable, FollowsEverySwapAndRebuild) {
  HuffmanModel m;
  m.Start();
  PrefixTable kept;
  kept.Build(m);
  std::mt19937 rng(11);
  std::geometric_distribution<int> skewed(0.02);
  for (int i = 0; i < 60000; ++i) {
    unsigned s = (i / 5000) % 2 == 0 ? rng() % kSymbolCount : std::min<unsigned>(skewed(rng), 313);
    if (m.UpdateAndReport(s, [&](unsigned a, unsigned b) { kept.OnSwap(m, a, b); })) {
      kept.Build(m);
    }
    PrefixTable fresh;
    fresh.Build(m);
    for (unsigned bits = 0; bits < 256; ++bits) {
      ASSERT_EQ(kept.Position(bits), fresh.Position(bits)) << "update " << i << " bits " << bits;
      ASSERT_EQ(kept.Length(bits), fresh.Length(bits)) << "update " << i << " bits " << bits;
    }
  }
}

// Streams of exactly 32454, 32455 and 32456 literals: the rebuild falls on the 32455th
// code in the encoder, and the decoder follows it.
TEST(LzhModel, StreamsRebuildAtTheSameSymbolInBothDirections) {
  auto reference = std::make_unique<lzh_reference::Coder>();
  for (std::size_t n : {32454u, 32455u, 32456u}) {
    SCOPED_TRACE(n);
    Bytes input = lzh_test::AllLiterals(n);
    Bytes stream = lzh_test::Encode(input);
    EXPECT_EQ(stream, reference->Encode(input));
    auto codes = lzh_test::TraceStream(stream, n);
    ASSERT_EQ(codes.size(), n);
    std::size_t rebuilds = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) {
      ASSERT_LT(codes[i].symbol, 256u) << i;
      if (codes[i].rebuilt_before) {
        ++rebuilds;
        EXPECT_EQ(i, 32454u);
      }
    }
    EXPECT_EQ(rebuilds, n >= 32455 ? 1u : 0u);
    EXPECT_EQ(lzh_test::Decode(stream, static_cast<int32_t>(n)), input);
  }
}

TEST(LzhModel, CodesDeeperThanSixteenBitsAreWrittenAndReadWhole) {
  Bytes input = lzh_test::FibonacciCopies(1, 900000, 10000);
  Bytes stream = lzh_test::Encode(input);
  auto codes = lzh_test::TraceStream(stream, input.size());
  unsigned longest = 0;
  for (const auto& c : codes) longest = std::max(longest, c.path_bits);
  EXPECT_GT(longest, 16u);
  EXPECT_EQ(stream, std::make_unique<lzh_reference::Coder>()->Encode(input));
  EXPECT_EQ(lzh_test::Decode(stream, static_cast<int32_t>(input.size())), input);
}

}  // namespace
