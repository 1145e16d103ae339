// How the driver chooses a method: below three chunks always LZH; otherwise two
// sample blocks at a third and two thirds of the file decide, against a 40 % limit.
#include <map>

#include "compress/lzrw1kh.h"
#include "driver_fixture.h"

namespace compress::testing {
namespace {

using testing_support::RandomBytes;
using testing_support::WriteFileBytes;

// A 32768-byte block: `noisy` random bytes, then zeros.
Bytes Block(std::size_t noisy, uint32_t seed) {
  Bytes block = RandomBytes(noisy, seed);
  block.resize(32768, 0);
  return block;
}

uint16_t PackedLength(const Bytes& block) {
  TLZRW1KH codec;
  Bytes src = block, dst(block.size() + 16);
  src.resize(block.size() + 2);
  return codec.CompressBlock(src.data(), dst.data(), static_cast<uint16_t>(block.size()));
}

TEST_F(DriverTest, SmallInputAlwaysUsesLzhAndRemembersIt) {
  const Bytes zeros(98303, 0);
  driver.CompressMode = TCompressMode::Auto;
  WriteFileBytes(Path("in.dat"), zeros);
  driver.InputFile = Path("in.dat");
  EXPECT_EQ(driver.Advise(), TCompressMode::Good);
  EXPECT_EQ(driver.CompressMode, TCompressMode::Good);

  driver.CompressMode = TCompressMode::Auto;
  const Bytes packed = CompressBytes(zeros, TCompressMode::Auto);
  EXPECT_EQ(packed[0], '!');
  EXPECT_EQ(driver.CompressMode, TCompressMode::Good);
}

TEST_F(DriverTest, SamplesAreTheSecondAndThirdChunksOfThreeChunks) {
  // Only the chunks at 32768 and 65536 compress: Fast. Only the others: Good.
  Bytes file = RandomBytes(98304, 1);
  std::fill(file.begin() + 32768, file.end(), 0);
  WriteFileBytes(Path("in.dat"), file);
  driver.InputFile = Path("in.dat");
  driver.CompressMode = TCompressMode::Auto;
  EXPECT_EQ(driver.Advise(), TCompressMode::Fast);
  EXPECT_EQ(driver.CompressMode, TCompressMode::Auto);  // left as it was

  Bytes other(98304, 0);
  const Bytes noise = RandomBytes(65536, 2);
  std::copy(noise.begin(), noise.end(), other.begin() + 32768);
  WriteFileBytes(Path("in.dat"), other);
  EXPECT_EQ(driver.Advise(), TCompressMode::Good);

  // Compress in Auto mode follows the advice without changing the mode.
  const Bytes packed = CompressBytes(file, TCompressMode::Auto);
  EXPECT_EQ(packed[0], 'W');
  EXPECT_EQ(driver.CompressMode, TCompressMode::Auto);
}

TEST_F(DriverTest, LimitIsFortyPercentOfTheSampledBytes) {
  // Find two sample blocks whose packed lengths add up to 26213 and to 26214.
  std::map<std::size_t, uint16_t> length;
  for (std::size_t k = 11400; k < 11800; ++k) length[k] = PackedLength(Block(k, 5));
  const std::size_t none = 0;
  std::pair<std::size_t, std::size_t> below{none, none}, at{none, none};
  for (const auto& [k1, c1] : length)
    for (const auto& [k2, c2] : length) {
      if (c1 + c2 == 26213) below = {k1, k2};
      if (c1 + c2 == 26214) at = {k1, k2};
    }
  ASSERT_NE(below.first, none);
  ASSERT_NE(at.first, none);

  for (const auto& [pair, expected] :
       {std::make_pair(below, TCompressMode::Fast), std::make_pair(at, TCompressMode::Good)}) {
    Bytes file(32768, 0x55);
    const Bytes b1 = Block(pair.first, 5), b2 = Block(pair.second, 5);
    file.insert(file.end(), b1.begin(), b1.end());
    file.insert(file.end(), b2.begin(), b2.end());
    WriteFileBytes(Path("in.dat"), file);
    driver.InputFile = Path("in.dat");
    EXPECT_EQ(driver.Advise(), expected) << pair.first << "+" << pair.second;
  }
}

}  // namespace
}  // namespace compress::testing
