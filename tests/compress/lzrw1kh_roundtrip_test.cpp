// LZRW1/KH compression over many sizes and kinds of data: the bytes agree with the
// byte-at-a-time coder, every block restores to its input, and a block never grows by
// more than its flag byte.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "compress/lzrw1kh.h"
#include "lzrw1kh_reference.h"
#include "support/test_files.h"

namespace {

using testing_support::Bytes;

enum class Kind { Text, Random, Runs, Mixed, SmallAlphabet };

const char* Name(Kind k) {
  switch (k) {
    case Kind::Text:
      return "text";
    case Kind::Random:
      return "random";
    case Kind::Runs:
      return "runs";
    case Kind::Mixed:
      return "mixed";
    case Kind::SmallAlphabet:
      return "small alphabet";
  }
  return "?";
}

// Runs around every length the coder treats differently: below and at 16, around the
// 4095 cap and past it.
void AppendRuns(Bytes& out, size_t size, std::mt19937& rng) {
  static const size_t lengths[] = {1, 2, 3, 15, 16, 17, 18, 19, 4094, 4095, 4096, 4111, 9000};
  while (out.size() < size) {
    const size_t len = std::min(lengths[rng() % std::size(lengths)], size - out.size());
    out.insert(out.end(), len, static_cast<uint8_t>(rng() % 3 ? rng() : 0));
  }
}

Bytes Make(Kind kind, size_t size, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes out;
  switch (kind) {
    case Kind::Text:
      return testing_support::SampleText(size, seed);
    case Kind::Random:
      return testing_support::RandomBytes(size, seed);
    case Kind::Runs:
      AppendRuns(out, size, rng);
      return out;
    case Kind::SmallAlphabet:
      for (size_t i = 0; i < size; ++i) out.push_back("ab"[rng() % 7 == 0]);
      return out;
    case Kind::Mixed:
      while (out.size() < size) {
        const size_t piece = std::min<size_t>(1 + rng() % 3000, size - out.size());
        Bytes part;
        switch (rng() % 3) {
          case 0:
            part = testing_support::SampleText(piece, rng());
            break;
          case 1:
            part = testing_support::RandomBytes(piece, rng());
            break;
          default:
            AppendRuns(part, piece, rng);
            break;
        }
        out.insert(out.end(), part.begin(), part.end());
      }
      return out;
  }
  return out;
}

// Compresses `in` with the given values in the two bytes after it.
Bytes Compress(compress::TLZRW1KH& kh, const Bytes& in, uint8_t slack) {
  Bytes src(in);
  src.resize(in.size() + 2, slack);
  Bytes dst(in.size() + 6);
  dst.resize(kh.CompressBlock(src.data(), dst.data(), static_cast<uint16_t>(in.size())));
  return dst;
}

void CheckRoundTrip(compress::TLZRW1KH& kh, const Bytes& in) {
  const Bytes block = Compress(kh, in, 0x00);
  ASSERT_EQ(block, kh_reference::Compress(in));
  ASSERT_LE(block.size(), in.size() + 1);
  ASSERT_EQ(block[0], block.size() == in.size() + 1 ? 0x80 : 0x40);
  // The bytes after the block never change the result.
  ASSERT_EQ(Compress(kh, in, 0xFF), block);
  ASSERT_EQ(Compress(kh, in, in.empty() ? 0x61 : in.back()), block);

  Bytes out(compress::TLZRW1KH::kMaxBlock);
  bool intact = false;
  out.resize(
      kh.DecompressBlock(block.data(), out.data(), static_cast<uint16_t>(block.size()), &intact));
  ASSERT_TRUE(intact);
  ASSERT_EQ(out, in);
}

const Kind kKinds[] = {Kind::Text, Kind::Random, Kind::Runs, Kind::Mixed, Kind::SmallAlphabet};

TEST(Lzrw1KhRoundTrip, BoundarySizesOfEveryKind) {
  compress::TLZRW1KH kh;
  const size_t sizes[] = {0,  1,    2,    3,    4,    15,   16,   17,    18,    19,    20,   21,
                          33, 4095, 4096, 4097, 4111, 4112, 8190, 16384, 32766, 32767, 32768};
  for (Kind kind : kKinds)
    for (size_t size : sizes) {
      SCOPED_TRACE(std::string(Name(kind)) + " " + std::to_string(size));
      CheckRoundTrip(kh, Make(kind, size, static_cast<uint32_t>(size) + 1));
    }
}

TEST(Lzrw1KhRoundTrip, RandomSizesAndSeeds) {
  compress::TLZRW1KH kh;
  std::mt19937 rng(2024);
  for (int i = 0; i < 300; ++i) {
    const Kind kind = kKinds[rng() % std::size(kKinds)];
    const size_t size = rng() % 3 ? rng() % 600 : rng() % 32769;
    const uint32_t seed = rng();
    SCOPED_TRACE(std::string(Name(kind)) + " " + std::to_string(size) + " seed " +
                 std::to_string(seed));
    CheckRoundTrip(kh, Make(kind, size, seed));
  }
}

TEST(Lzrw1KhRoundTrip, EqualBytesAtEveryDistanceFromTheEnd) {
  // A run or match that reaches the last byte exercises the end bounds of the scans.
  compress::TLZRW1KH kh;
  for (size_t tail = 0; tail < 40; ++tail) {
    Bytes in = testing_support::RandomBytes(200, static_cast<uint32_t>(tail));
    in.insert(in.end(), tail, 0x5A);
    SCOPED_TRACE(tail);
    CheckRoundTrip(kh, in);
    Bytes repeat(60 + tail);
    for (size_t i = 0; i < repeat.size(); ++i) repeat[i] = in[i % 60];
    CheckRoundTrip(kh, repeat);
  }
}

TEST(Lzrw1KhRoundTrip, CopiesReachAtMost4095Back) {
  // Random data repeating with a period of 4095 becomes copies; with a period of 4096
  // every earlier occurrence is one byte too far and the block is stored.
  compress::TLZRW1KH kh;
  for (size_t period : {4095u, 4096u}) {
    SCOPED_TRACE(period);
    Bytes in = testing_support::RandomBytes(period, 11);
    in.insert(in.end(), in.begin(), in.end());
    CheckRoundTrip(kh, in);
    const Bytes block = Compress(kh, in, 0);
    EXPECT_EQ(block.size() < in.size() * 3 / 4, period == 4095) << block.size();
  }
}

}  // namespace
