// Known code streams and the callback call patterns the compressed-file driver
// relies on.
#include <gtest/gtest.h>

#include <string>

#include "lzh_test_util.h"
#include "support/test_files.h"

namespace {

using lzh_test::Bytes;
using testing_support::FromHex;
using testing_support::ToHex;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

const char* const kThousandA =
    "F6 FB 40 18 80 0C 20 0C 20 0B C0 17 80 30 00 60 00 B0 02 C0 0B 80 2E 00 B8 02 E0 0B 80 "
    "2E 00 C0 00 00";

struct Vector {
  const char* name;
  Bytes input;
  const char* stream;
};

TEST(LzhVectors, EncodeGivesKnownStreamsAndDecodeRestoresThem) {
  const Vector vectors[] = {
      {"one literal", Text("a"), "F6 80"},
      {"three literals", Text("abc"), "F6 FB BD E0"},
      {"overlapping match at distance 1", Bytes(10, 'a'), "F6 C9 00 00"},
      {"match of 9 at distance 3", Text("abcabcabcabc"), "F6 FB BD F2 40 20"},
      {"sixteen matches of 60 and one of 39", Bytes(1000, 'a'), kThousandA},
  };
  for (const Vector& v : vectors) {
    SCOPED_TRACE(v.name);
    int32_t consumed = -1;
    Bytes stream = lzh_test::Encode(v.input, &consumed);
    EXPECT_EQ(ToHex(stream), ToHex(FromHex(v.stream)));
    EXPECT_EQ(consumed, static_cast<int32_t>(v.input.size()));
    EXPECT_EQ(lzh_test::Decode(FromHex(v.stream), static_cast<int32_t>(v.input.size())), v.input);
  }
}

TEST(LzhVectors, EmptyInputAsksOnceAndWritesNothing) {
  Bytes empty;
  lzh_test::Source source(empty);
  lzh_test::Sink sink;
  int32_t consumed = -1;
  compress::Tlzh().Encode(consumed, source, sink);
  EXPECT_EQ(source.calls, 1);
  EXPECT_EQ(sink.calls, 0);
  EXPECT_EQ(consumed, 0);
}

TEST(LzhVectors, DecodeOfNothingMakesNoCall) {
  Bytes stream = FromHex("F6 80");
  for (int32_t count : {0, -1, INT32_MIN}) {
    lzh_test::Source source(stream);
    lzh_test::Sink sink;
    compress::Tlzh().Decode(count, source, sink);
    EXPECT_EQ(source.calls, 0);
    EXPECT_EQ(sink.calls, 0);
  }
}

TEST(LzhVectors, EncoderAsksOncePerCodeAfterTheEnd) {
  // 10 'a': all 10 bytes fit the first look-ahead; the end shows on that read. Then
  // two codes (a literal, a match of 9) each ask once more.
  Bytes input(10, 'a');
  lzh_test::Source source(input);
  lzh_test::Sink sink;
  int32_t consumed = 0;
  compress::Tlzh().Encode(consumed, source, sink);
  EXPECT_EQ(source.empty_answers, 3);
  EXPECT_EQ(source.calls, 13);
}

TEST(LzhVectors, ShortCountStopsAtTheFirstCodeBoundaryPastIt) {
  Bytes out = lzh_test::Decode(FromHex(kThousandA), 100);
  EXPECT_EQ(out, Bytes(121, 'a'));
  EXPECT_EQ(lzh_test::Decode(FromHex(kThousandA), 1), Bytes(1, 'a'));
  EXPECT_EQ(lzh_test::Decode(FromHex(kThousandA), 2), Bytes(61, 'a'));
}

TEST(LzhVectors, LongCountGoesOnDecodingZeroBits) {
  // Past the stream every bit reads 0: the output keeps growing without an error.
  Bytes out = lzh_test::Decode(FromHex("F6 80"), 5000);
  ASSERT_GE(out.size(), 5000u);
  EXPECT_EQ(out[0], 'a');
  // And it is the same whatever the stream's end looks like: zero bytes appended
  // explicitly decode identically.
  EXPECT_EQ(lzh_test::Decode(FromHex("F6 80 00 00 00 00 00 00"), 5000), out);
}

TEST(LzhVectors, LeadingSpacesMatchTheSpaceFilledWindow) {
  Bytes input(100, ' ');
  Bytes stream = lzh_test::Encode(input);
  EXPECT_EQ(lzh_test::Decode(stream, 100), input);
  // Asked for one byte, the decoder produces the whole first code: a match of 60.
  EXPECT_EQ(lzh_test::Decode(stream, 1), Bytes(60, ' '));
  // The second code is the remaining 40: asking for 61 gives exactly 100.
  EXPECT_EQ(lzh_test::Decode(stream, 61), input);
}

TEST(LzhVectors, ShortTailsAreCodedAsLiterals) {
  // "abcab": the last two bytes repeat the start but are too short for a match.
  Bytes input = Text("abcab");
  Bytes stream = lzh_test::Encode(input);
  EXPECT_EQ(lzh_test::Decode(stream, 5), input);
  // Five literals of 8 or 9 bits each: at least 40 bits.
  EXPECT_GE(stream.size(), 5u);
  // Each code is one byte: asking for k bytes yields exactly k.
  for (int32_t k = 1; k <= 5; ++k) EXPECT_EQ(lzh_test::Decode(stream, k).size(), size_t(k));
}

}  // namespace
