// Known blocks of the LZRW1/KH codec, byte for byte, in both directions.
#include <gtest/gtest.h>

#include <string>

#include "compress/lzrw1kh.h"
#include "support/test_files.h"

namespace {

using testing_support::Bytes;
using testing_support::FromHex;
using testing_support::ToHex;

Bytes Compress(compress::TLZRW1KH& kh, const Bytes& in) {
  Bytes src(in);
  src.resize(in.size() + 2, 0xEE);  // the two readable bytes after the block
  Bytes dst(in.size() + 6);
  const uint16_t len = kh.CompressBlock(src.data(), dst.data(), static_cast<uint16_t>(in.size()));
  EXPECT_LE(len, dst.size());
  dst.resize(len);
  return dst;
}

Bytes Restore(compress::TLZRW1KH& kh, const Bytes& block, bool* intact = nullptr) {
  Bytes out(compress::TLZRW1KH::kMaxBlock);
  out.resize(
      kh.DecompressBlock(block.data(), out.data(), static_cast<uint16_t>(block.size()), intact));
  return out;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

struct Vector {
  const char* name;
  Bytes input;
  std::string block;
};

TEST(Lzrw1KhVectors, CompressAndRestoreExactly) {
  const Vector vectors[] = {
      {"three letters stored", Text("abc"), "80 61 62 63"},
      {"one byte stored", Text("x"), "80 78"},
      {"empty block stored", {}, "80"},
      {"run of 20", Bytes(20, 0x61), "40 80 00 00 00 04 61"},
      {"abc six times", Text("abcabcabcabcabcabc"), "40 10 00 61 62 63 00 3C"},
      {"ab six times, overlapping copy", Text("abababababab"), "40 20 00 61 62 00 27"},
      {"32768 zeros", Bytes(32768, 0),
       "40 FF 40" +
           [] {
             std::string runs;
             for (int i = 0; i < 8; ++i) runs += " 00 0F EF 00";
             return runs;
           }() +
           " 00 00 14"},
      // Three copies of 3 bytes: the compressed form is exactly as long as the input and
      // stays compressed; one repeat less and it would be one byte longer, so stored.
      {"compressed form of exactly n bytes", Text("abcdabceabcfabcg"),
       "40 0A 80 61 62 63 64 00 40 65 00 40 66 00 40 67"},
      {"compressed form of n + 1 bytes", Text("abcdabceabcf"),
       "80 61 62 63 64 61 62 63 65 61 62 63 66"},
  };
  compress::TLZRW1KH kh;
  for (const Vector& v : vectors) {
    SCOPED_TRACE(v.name);
    const Bytes block = Compress(kh, v.input);
    EXPECT_EQ(ToHex(block), ToHex(FromHex(v.block)));
    bool intact = false;
    EXPECT_EQ(Restore(kh, block, &intact), v.input);
    EXPECT_TRUE(intact);
  }
}

TEST(Lzrw1KhVectors, IncompressibleFullBlockIsStored) {
  compress::TLZRW1KH kh;
  const Bytes in = testing_support::RandomBytes(32768, 7);
  const Bytes block = Compress(kh, in);
  ASSERT_EQ(block.size(), 32769u);
  EXPECT_EQ(block[0], 0x80);
  EXPECT_TRUE(std::equal(in.begin(), in.end(), block.begin() + 1));
  bool intact = false;
  EXPECT_EQ(Restore(kh, block, &intact), in);
  EXPECT_TRUE(intact);
}

TEST(Lzrw1KhVectors, BlocksWithoutContentRestoreToNothing) {
  compress::TLZRW1KH kh;
  for (const char* hex : {"", "40", "80", "40 00", "40 80 00", "C3 12 34"}) {
    SCOPED_TRACE(hex);
    bool intact = false;
    EXPECT_TRUE(Restore(kh, FromHex(hex), &intact).empty());
    EXPECT_TRUE(intact);
  }
  // Any flag other than 0x80 means a compressed body.
  EXPECT_EQ(Restore(kh, FromHex("00 00 00 7A")), Text("z"));
}

TEST(Lzrw1KhVectors, SameBlockGivesSameBytesWhateverCameBetween) {
  compress::TLZRW1KH kh;
  const Bytes block = testing_support::SampleText(5000, 3);
  const Bytes first = Compress(kh, block);
  Compress(kh, testing_support::SampleText(32768, 9));
  Restore(kh, first);
  Compress(kh, testing_support::RandomBytes(777, 2));
  EXPECT_EQ(Compress(kh, block), first);
}

}  // namespace
