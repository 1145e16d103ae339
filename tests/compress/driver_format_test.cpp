// The compressed-file formats the driver writes and reads, byte for byte, and the
// progress it reports on the way.
#include <cstring>

#include "compress/lzrw1kh.h"
#include "driver_fixture.h"

namespace compress::testing {
namespace {

using testing_support::FromHex;
using testing_support::RandomBytes;
using testing_support::SampleText;

TEST_F(DriverTest, TwentyLettersFastIsTheKnownFileAndRestores) {
  const Bytes packed = CompressBytes(Bytes(20, 0x61), TCompressMode::Fast);
  EXPECT_EQ(packed, FromHex("57 52 5A 4C 14 00 00 00 07 00 40 80 00 00 00 04 61"));
  ASSERT_EQ(progress.size(), 1u);
  EXPECT_EQ(progress[0], std::make_pair(20, 17));
  EXPECT_EQ(finished, std::vector<int32_t>{85});

  progress.clear();
  finished.clear();
  EXPECT_EQ(DecompressBytes(packed), Bytes(20, 0x61));
  ASSERT_EQ(progress.size(), 1u);
  EXPECT_EQ(progress[0], std::make_pair(17, 20));
  EXPECT_EQ(finished, std::vector<int32_t>{117});
  EXPECT_GT(ui.pumped, 0);
}

TEST_F(DriverTest, EmptyInputIsTheHeaderAlone) {
  const Bytes packed = CompressBytes({}, TCompressMode::Fast);
  EXPECT_EQ(packed, FromHex("57 52 5A 4C 00 00 00 00"));
  EXPECT_TRUE(DecompressBytes(packed).empty());

  const Bytes lzh = CompressBytes({}, TCompressMode::Good);
  EXPECT_EQ(lzh, FromHex("21 48 5A 4C 00 00 00 00"));
  EXPECT_TRUE(DecompressBytes(lzh).empty());
}

TEST_F(DriverTest, FullChunkIsOneRecordAndOneMoreByteIsTwo) {
  const Bytes exact = SampleText(32768);
  Bytes packed = CompressBytes(exact, TCompressMode::Fast);
  const uint16_t l = packed[8] | packed[9] << 8;
  EXPECT_EQ(packed.size(), 10u + l);
  EXPECT_EQ(DecompressBytes(packed), exact);

  Bytes longer = exact;
  longer.push_back('!');
  packed = CompressBytes(longer, TCompressMode::Fast);
  const uint16_t l1 = packed[8] | packed[9] << 8;
  ASSERT_EQ(packed.size(), 10u + l1 + 2 + 2);  // second record: stored form of one byte
  EXPECT_EQ(packed[10 + l1], 2);
  EXPECT_EQ(packed[10 + l1 + 2], 0x80);
  EXPECT_EQ(packed[10 + l1 + 3], '!');
  EXPECT_EQ(DecompressBytes(packed), longer);
}

TEST_F(DriverTest, IncompressibleChunkIsStoredWithLength32769) {
  const Bytes noise = RandomBytes(32768, 7);
  const Bytes packed = CompressBytes(noise, TCompressMode::Fast);
  ASSERT_EQ(packed.size(), 8u + 2 + 32769);
  EXPECT_EQ(packed[8] | packed[9] << 8, 32769);
  EXPECT_EQ(packed[10], 0x80);
  EXPECT_EQ(0, std::memcmp(packed.data() + 11, noise.data(), noise.size()));
  EXPECT_EQ(DecompressBytes(packed), noise);
}

TEST_F(DriverTest, LzhFileIsHeaderAndCodeStream) {
  const Bytes packed = CompressBytes(Bytes{'a'}, TCompressMode::Good);
  EXPECT_EQ(packed, FromHex("21 48 5A 4C 01 00 00 00 F6 80"));
  EXPECT_EQ(DecompressBytes(packed), Bytes{'a'});
}

TEST_F(DriverTest, LzhProgressFollowsRefillsAndWrites) {
  // 100000 bytes: four refills (three full, one short), one refill that finds the end;
  // output written in pieces of 32768 and a final flush.
  const Bytes data = RandomBytes(100000, 3);
  const Bytes packed = CompressBytes(data, TCompressMode::Good);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), std::make_pair(100000, static_cast<int32_t>(packed.size())));
  int refills = 0;
  for (std::size_t i = 0; i < progress.size(); ++i) {
    if (i == 0 || progress[i].first != progress[i - 1].first) ++refills;
    if (i > 0) {
      EXPECT_GE(progress[i].first, progress[i - 1].first);
      EXPECT_GE(progress[i].second, progress[i - 1].second);
    }
  }
  EXPECT_EQ(refills, 4);
  // Output leaves in whole 32768-byte pieces until the final flush.
  for (const auto& [in, out] : progress)
    EXPECT_TRUE((out - 8) % 32768 == 0 || out == static_cast<int32_t>(packed.size())) << out;
}

TEST_F(DriverTest, RoundTripsEveryMethodOverChunkBoundaries) {
  const std::size_t sizes[] = {0, 1, 2, 3, 32767, 32768, 32769, 98303, 98304, 3 * 1024 * 1024 + 17};
  for (const TCompressMode mode : {TCompressMode::Good, TCompressMode::Fast, TCompressMode::Auto}) {
    for (const std::size_t size : sizes) {
      SCOPED_TRACE(::testing::Message() << "mode " << int(mode) << " size " << size);
      Bytes data = SampleText(size, static_cast<uint32_t>(size));
      // Some incompressible stretches so Auto sees both kinds of data.
      if (size > 70000) {
        const Bytes noise = RandomBytes(size / 3, 9);
        std::copy(noise.begin(), noise.end(), data.begin() + static_cast<long>(size / 3));
      }
      const Bytes packed = CompressBytes(data, mode);
      ASSERT_GE(packed.size(), 8u);
      const uint32_t stored = packed[4] | packed[5] << 8 | packed[6] << 16 | packed[7] << 24;
      EXPECT_EQ(stored, size);
      EXPECT_EQ(DecompressBytes(packed), data);
    }
  }
}

TEST_F(DriverTest, BytesAfterTheLastShortBlockAreIgnored) {
  const Bytes data = SampleText(5000);
  Bytes packed = CompressBytes(data, TCompressMode::Fast);
  packed.insert(packed.end(), {1, 2, 3, 4, 5});
  EXPECT_EQ(DecompressBytes(packed), data);
}

}  // namespace
}  // namespace compress::testing
