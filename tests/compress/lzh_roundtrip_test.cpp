// Whole streams: the codec against the plain coder bit for bit, round trips of all
// kinds of data, the decoder's reads at the end of a stream, and hostile streams.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "lzh_reference.h"
#include "lzh_test_data.h"
#include "lzh_test_util.h"
#include "lzh_trace.h"
#include "support/test_files.h"

namespace {

using lzh_test::Bytes;

struct Case {
  const char* kind;
  Bytes data;
};

std::vector<Case> Inputs() {
  std::vector<Case> cases;
  const std::size_t sizes[] = {1,   2,    3,    4,    59,   60,   61,   62,   119,   120,
                               121, 1000, 4035, 4036, 4095, 4096, 4097, 8192, 40000, 150000};
  for (std::size_t n : sizes) {
    cases.push_back({"text", testing_support::SampleText(n, static_cast<uint32_t>(n))});
    cases.push_back({"random", testing_support::RandomBytes(n, static_cast<uint32_t>(n))});
    cases.push_back({"mixed", lzh_test::Mixed(n, static_cast<uint32_t>(n))});
    cases.push_back({"zeros", Bytes(n, 0)});
    cases.push_back({"spaces then text", [n] {
                       Bytes b(n / 2, ' ');
                       Bytes t = testing_support::SampleText(n - n / 2, 7);
                       b.insert(b.end(), t.begin(), t.end());
                       return b;
                     }()});
  }
  return cases;
}

TEST(LzhRoundTrip, StreamsMatchThePlainCoderAndRestoreExactly) {
  auto reference = std::make_unique<lzh_reference::Coder>();
  for (const Case& c : Inputs()) {
    SCOPED_TRACE(std::string(c.kind) + " of " + std::to_string(c.data.size()));
    int reference_gets = 0;
    Bytes expected = reference->Encode(c.data, &reference_gets);

    lzh_test::Source source(c.data);
    lzh_test::Sink sink;
    int32_t consumed = -1;
    compress::Tlzh().Encode(consumed, source, sink);
    ASSERT_EQ(sink.out, expected);
    EXPECT_EQ(consumed, static_cast<int32_t>(c.data.size()));
    EXPECT_EQ(source.calls, reference_gets);

    EXPECT_EQ(lzh_test::Decode(sink.out, static_cast<int32_t>(c.data.size())), c.data);
  }
}

// The driver detects a short stream by a second request past its end, so a complete
// stream must be read exactly one byte beyond its end, and a stream missing its last
// byte at least two.
TEST(LzhRoundTrip, DecoderReadsExactlyOneByteBeyondACompleteStream) {
  auto reference = std::make_unique<lzh_reference::Coder>();
  for (const Case& c : Inputs()) {
    SCOPED_TRACE(std::string(c.kind) + " of " + std::to_string(c.data.size()));
    Bytes stream = lzh_test::Encode(c.data);
    auto count = static_cast<int32_t>(c.data.size());

    lzh_test::Source source(stream);
    lzh_test::Sink sink;
    compress::Tlzh().Decode(count, source, sink);
    EXPECT_EQ(source.empty_answers, 1);
    EXPECT_EQ(source.calls, static_cast<int>(stream.size()) + 1);

    Bytes truncated(stream.begin(), stream.end() - 1);
    lzh_test::Source short_source(truncated);
    lzh_test::Sink short_sink;
    compress::Tlzh().Decode(count, short_source, short_sink);
    EXPECT_GE(short_source.empty_answers, 2);
    int reference_gets = 0;
    reference->Decode(truncated, count, &reference_gets);
    EXPECT_EQ(short_source.calls, reference_gets);
  }
}

// Between two outputs the decoder makes the same requests as a reader that takes its
// bits one at a time: checked by recording the order of all calls.
TEST(LzhRoundTrip, DecoderInterleavesRequestsAndOutputLikeABitReader) {
  Bytes input = lzh_test::Mixed(20000, 5);
  Bytes stream = lzh_test::Encode(input);
  std::vector<char> order;
  struct Recorder {
    const Bytes& data;
    std::vector<char>& order;
    std::size_t next = 0;
    void operator()(uint8_t* Buf, uint16_t, uint16_t& Actual) {
      order.push_back('g');
      Actual = next < data.size() ? 1 : 0;
      if (Actual) *Buf = data[next++];
    }
  } get{stream, order};
  auto put = [&](uint8_t*, uint16_t, uint16_t& Actual) {
    order.push_back('p');
    Actual = 1;
  };
  compress::Tlzh().Decode(static_cast<int32_t>(input.size()), get, put);

  // The same order from a decoder that takes one bit at a time: before each symbol's
  // bits and each position's bits, the bytes that reader had asked for by the end of
  // that code; then its output.
  std::vector<char> expected;
  auto codes = lzh_test::TraceStream(stream, input.size());
  std::size_t bits = 0;
  std::size_t asked = 0;
  auto take = [&](std::size_t n) {  // one bit-reader read of n bits (1 or 8)
    while (8 * asked - bits <= 8) {
      expected.push_back('g');
      ++asked;
    }
    bits += n;
  };
  for (const auto& code : codes) {
    for (unsigned i = 0; i < code.path_bits; ++i) take(1);
    unsigned produced = 1;
    if (code.symbol >= 256) {
      unsigned v = code.position >> 6;
      unsigned len = v < 1 ? 3 : v < 4 ? 4 : v < 12 ? 5 : v < 24 ? 6 : v < 48 ? 7 : 8;
      take(8);
      for (unsigned i = 0; i < len - 2; ++i) take(1);
      produced = code.symbol - 253;
    }
    expected.insert(expected.end(), produced, 'p');
  }
  EXPECT_EQ(std::string(order.begin(), order.end()), std::string(expected.begin(), expected.end()));
}

TEST(LzhRoundTrip, MatchesReachAcrossTheWholeWindowAndItsWrap) {
  // A random block repeated at distance d: the repeat is coded as matches with
  // position d - 1, whose sources run across window position 4095 to 0.
  for (std::size_t d : {4000u, 4094u, 4095u}) {
    SCOPED_TRACE(d);
    Bytes block = testing_support::RandomBytes(d, 9);
    Bytes input(block);
    input.insert(input.end(), block.begin(), block.end());
    input.insert(input.end(), block.begin(), block.begin() + 1000);
    Bytes stream = lzh_test::Encode(input);
    auto codes = lzh_test::TraceStream(stream, input.size());
    std::size_t matches_at_d = 0;
    for (const auto& c : codes) matches_at_d += c.symbol >= 256 && c.position == d - 1;
    // The dictionary holds the 4035 positions before the current one (and the
    // 60-byte look-ahead), so 4095 is too far; 4094 only while the string's first
    // byte has not left the tree yet.
    if (d <= 4035) {
      EXPECT_GE(matches_at_d, (d + 1000) / 60);
    }
    EXPECT_EQ(lzh_test::Decode(stream, static_cast<int32_t>(input.size())), input);
  }
}

TEST(LzhRoundTrip, LargeInputsRestore) {
  Bytes input = lzh_test::Mixed(3 << 20, 17);
  Bytes stream = lzh_test::Encode(input);
  EXPECT_LT(stream.size(), input.size());
  EXPECT_EQ(lzh_test::Decode(stream, static_cast<int32_t>(input.size())), input);
}

// Any byte sequence is a stream: decoding it stays within the codec's tables (the
// sanitizer build checks), yields at least Count bytes and at most one match more,
// and agrees with the plain decoder byte for byte and request for request.
TEST(LzhHostile, ArbitraryStreamsDecodeWithinBoundsLikeThePlainDecoder) {
  auto reference = std::make_unique<lzh_reference::Coder>();
  std::mt19937 rng(2024);
  for (int round = 0; round < 60; ++round) {
    Bytes stream = testing_support::RandomBytes(rng() % 3000, rng());
    if (round % 4 == 1) {
      for (auto& b : stream) b |= 0xF0;  // deep paths and far positions
    } else if (round % 4 == 2) {
      for (auto& b : stream) b &= 0x0F;
    }
    int32_t count = static_cast<int32_t>(rng() % 20000) + 1;
    SCOPED_TRACE(round);
    lzh_test::Source source(stream);
    lzh_test::Sink sink;
    compress::Tlzh().Decode(count, source, sink);
    EXPECT_GE(sink.out.size(), static_cast<std::size_t>(count));
    EXPECT_LT(sink.out.size(), static_cast<std::size_t>(count) + 60);
    int reference_gets = 0;
    EXPECT_EQ(sink.out, reference->Decode(stream, count, &reference_gets));
    EXPECT_EQ(source.calls, reference_gets);
  }
}

}  // namespace
