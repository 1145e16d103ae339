// Blocks the LZRW1/KH compressor cannot produce: the decoder restores what is sound,
// reports the block as not intact, and stays inside both buffers. The destination sits
// between guard bytes; the sanitizer build also catches reads past the source.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "compress/lzrw1kh.h"
#include "lzrw1kh_reference.h"
#include "support/test_files.h"

namespace {

using testing_support::Bytes;
using testing_support::FromHex;

constexpr size_t kGuard = 64;
constexpr uint8_t kGuardByte = 0xA5;

struct Result {
  Bytes data;
  bool intact;
};

Result Restore(compress::TLZRW1KH& kh, const Bytes& block) {
  Bytes buffer(kGuard + compress::TLZRW1KH::kMaxBlock + kGuard, kGuardByte);
  uint8_t* dest = buffer.data() + kGuard;
  bool intact = true;
  const uint16_t n =
      kh.DecompressBlock(block.data(), dest, static_cast<uint16_t>(block.size()), &intact);
  EXPECT_LE(n, compress::TLZRW1KH::kMaxBlock);
  const auto guard_ok = [](uint8_t b) { return b == kGuardByte; };
  EXPECT_TRUE(std::all_of(buffer.begin(), buffer.begin() + kGuard, guard_ok));
  EXPECT_TRUE(std::all_of(buffer.end() - kGuard, buffer.end(), guard_ok));
  return {Bytes(dest, dest + n), intact};
}

Bytes Hex(const std::string& head, const std::string& item = "", int times = 0,
          const std::string& tail = "") {
  std::string all = head;
  for (int i = 0; i < times; ++i) all += " " + item;
  return FromHex(all + " " + tail);
}

struct Case {
  const char* name;
  Bytes block;
  Bytes restored;  // what is sound before the fault
};

TEST(Lzrw1KhHostile, EachFaultStopsBeforeTheItemAndIsReported) {
  const Bytes a = {0x61};
  const Bytes sixteen = testing_support::SampleText(16);
  const std::string sixteen_hex = testing_support::ToHex(sixteen);
  const Case cases[] = {
      {"copy from before the start", FromHex("40 80 00 00 10"), {}},
      {"copy one byte too far back", FromHex("40 40 00 61 00 23"), a},
      {"run cut off", FromHex("40 80 00 00 00 05"), {}},
      {"copy cut off", FromHex("40 40 00 61 12"), a},
      {"control word cut off", Hex("40 00 00 " + sixteen_hex, "", 0, "01"), sixteen},
      {"control word without item", Hex("40 00 00 " + sixteen_hex, "", 0, "80 00"), sixteen},
      {"run past 32768", Hex("40 FF 00", "00 0F FF 41", 8), Bytes(7 * 4111, 0x41)},
      {"literal past 32768", Hex("40 FF 00", "00 0F F0 41", 8, "42"), Bytes(32768, 0x41)},
      {"copy past 32768", Hex("40 FF 80", "00 0F EF 41", 8, "00 1F"), Bytes(32760, 0x41)},
  };
  compress::TLZRW1KH kh;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Result r = Restore(kh, c.block);
    EXPECT_FALSE(r.intact);
    EXPECT_EQ(r.data, c.restored);
  }
  // Exactly 32768 bytes is still sound.
  const Result full = Restore(kh, Hex("40 FF 00", "00 0F F0 41", 8));
  EXPECT_TRUE(full.intact);
  EXPECT_EQ(full.data, Bytes(32768, 0x41));
}

TEST(Lzrw1KhHostile, StoredBlockLongerThanAFullChunk) {
  compress::TLZRW1KH kh;
  Bytes block = testing_support::RandomBytes(32771, 5);
  block[0] = 0x80;
  const Result r = Restore(kh, block);
  EXPECT_FALSE(r.intact);
  EXPECT_EQ(r.data, Bytes(block.begin() + 1, block.begin() + 32769));
}

TEST(Lzrw1KhHostile, FaultsDeepInsideALongBlock) {
  // Thousands of literals first and more input after the fault, so that the fault is
  // met in whole-group decoding.
  compress::TLZRW1KH kh;
  const Bytes text = testing_support::SampleText(3200, 4);
  std::string prefix = "40";
  for (size_t i = 0; i < text.size(); i += 16)
    prefix += " 00 00 " + testing_support::ToHex(Bytes(text.begin() + i, text.begin() + i + 16));
  const std::string padding = testing_support::ToHex(Bytes(200, 0x33));
  const auto block = [&](const std::string& groups) {
    return FromHex(prefix + " " + groups + " " + padding);
  };
  std::string runs;
  Bytes after_runs = text;
  for (uint8_t v = 0x41; v <= 0x47; ++v) {
    runs += " 00 0F FF " + testing_support::ToHex({v});
    after_runs.insert(after_runs.end(), 4111, v);
  }
  // Seven runs and one of 781 end 10 bytes short of 32768; eight literals and two more
  // fill the block exactly, the eleventh is one too many.
  Bytes full = after_runs;
  full.insert(full.end(), 781, 0x48);
  const Bytes tail = FromHex("61 62 63 64 65 66 67 68 69 6A");
  full.insert(full.end(), tail.begin(), tail.end());

  const Case cases[] = {
      {"copy 4095 back after 3200 bytes", block("80 00 FF F0"), text},
      {"run that would end past 32768", block("FF 00" + runs + " 00 0F FF 48"), after_runs},
      {"literal past 32768 after runs",
       block("FF 00" + runs + " 00 02 FD 48 61 62 63 64 65 66 67 68 00 00 69 6A 6B"), full},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Result r = Restore(kh, c.block);
    EXPECT_FALSE(r.intact);
    EXPECT_EQ(r.data, c.restored);
  }
}

// Blocks made of plausible items, then cut or damaged: the codec agrees with the
// byte-at-a-time decoder on bytes, length and verdict.
TEST(Lzrw1KhHostile, DamagedBlocksAgreeWithThePlainDecoder) {
  compress::TLZRW1KH kh;
  std::mt19937 rng(99);
  for (int round = 0; round < 3000; ++round) {
    Bytes block = {0x40};
    size_t produced = 0;
    const int groups = 1 + static_cast<int>(rng() % (round % 10 == 0 ? 400 : 30));
    for (int g = 0; g < groups; ++g) {
      const size_t ctrl = block.size();
      block.insert(block.end(), {0, 0});
      unsigned cmd = 0;
      for (int item = 0; item < 16; ++item) {
        const unsigned kind = rng() % 10;
        cmd <<= 1;
        if (kind < 5) {
          block.push_back(static_cast<uint8_t>(rng()));
          produced += 1;
        } else if (kind < 9 || produced == 0) {
          const unsigned d = 1 + rng() % std::min<size_t>(produced + 2, 4095);
          const unsigned n = rng() % 16;
          block.insert(block.end(),
                       {static_cast<uint8_t>(d >> 4), static_cast<uint8_t>(d << 4 | n)});
          produced += n + 3;
          cmd |= 1;
        } else {
          const unsigned r = rng() % 8 ? rng() % 64 : rng() % 4096;
          block.insert(block.end(), {0, static_cast<uint8_t>(r >> 8), static_cast<uint8_t>(r),
                                     static_cast<uint8_t>(rng())});
          produced += r + 16;
          cmd |= 1;
        }
      }
      block[ctrl] = static_cast<uint8_t>(cmd >> 8);
      block[ctrl + 1] = static_cast<uint8_t>(cmd);
    }
    if (rng() % 2) block.resize(1 + rng() % block.size());
    if (rng() % 3 == 0) block[rng() % block.size()] ^= static_cast<uint8_t>(1 << rng() % 8);
    if (block.size() > 65535) block.resize(65535);

    SCOPED_TRACE("round " + std::to_string(round));
    const Result r = Restore(kh, block);
    const kh_reference::Restored expected = kh_reference::Decompress(block);
    ASSERT_EQ(r.intact, expected.intact);
    ASSERT_EQ(r.data, expected.data);
  }
}

}  // namespace
