// What leaves Encode and Decode when something fails, and what the codec gives back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "compress/lzh_tables.h"
#include "compress/messages.h"
#include "lzh_test_util.h"
#include "support/test_files.h"

namespace {

using lzh_test::Bytes;

// Counts obtained and released blocks; can refuse either.
struct Ledger {
  static inline int obtained = 0;
  static inline int released = 0;
  static inline bool refuse_obtain = false;
  static inline bool refuse_release = false;

  static void* Obtain(std::size_t size) {
    if (refuse_obtain) return nullptr;
    ++obtained;
    return std::malloc(size);
  }
  static bool Release(void* block) {
    std::free(block);
    ++released;
    return !refuse_release;
  }
};

class LzhFailure : public ::testing::Test {
 protected:
  void SetUp() override {
    Ledger::obtained = Ledger::released = 0;
    Ledger::refuse_obtain = Ledger::refuse_release = false;
    previous_ = compress::lzh::SetTableMemory({&Ledger::Obtain, &Ledger::Release});
  }
  void TearDown() override { compress::lzh::SetTableMemory(previous_); }

  compress::lzh::TableMemory previous_{};
};

TEST_F(LzhFailure, NoTablesFailsBeforeAnyCallback) {
  Ledger::refuse_obtain = true;
  Bytes input(100, 'x');
  lzh_test::Source source(input);
  lzh_test::Sink sink;
  int32_t bytes = -7;
  try {
    compress::Tlzh().Encode(bytes, source, sink);
    FAIL() << "no exception";
  } catch (const compress::ElzhException& e) {
    EXPECT_STREQ(e.what(), compress::msg::kLzhNoTables);
  }
  try {
    compress::Tlzh().Decode(100, source, sink);
    FAIL() << "no exception";
  } catch (const compress::ElzhException& e) {
    EXPECT_STREQ(e.what(), compress::msg::kLzhNoTables);
  }
  EXPECT_EQ(source.calls, 0);
  EXPECT_EQ(sink.calls, 0);
  EXPECT_EQ(bytes, -7);
}

TEST_F(LzhFailure, EveryRunReleasesItsTables) {
  Bytes input = testing_support::SampleText(10000);
  Bytes stream = lzh_test::Encode(input);
  lzh_test::Decode(stream, 10000);
  lzh_test::Decode(stream, 0);
  lzh_test::Encode(Bytes());
  EXPECT_EQ(Ledger::obtained, 4);
  EXPECT_EQ(Ledger::released, 4);
}

TEST_F(LzhFailure, CallbackExceptionsPassThroughUnchangedAfterRelease) {
  Bytes input = testing_support::SampleText(5000);
  Bytes stream = lzh_test::Encode(input);
  Ledger::obtained = Ledger::released = 0;

  struct Failing {
    int left;
    void operator()(uint8_t* Buf, uint16_t, uint16_t& Actual) {
      if (left-- == 0) throw std::runtime_error("device gone");
      *Buf = 'q';
      Actual = 1;
    }
  };
  lzh_test::Sink sink;
  Failing failing_get{3000};
  int32_t bytes = -7;
  EXPECT_THROW(compress::Tlzh().Encode(bytes, failing_get, sink), std::runtime_error);
  EXPECT_EQ(bytes, -7);

  lzh_test::Source source(input);
  Failing failing_put{100};
  try {
    compress::Tlzh().Encode(bytes, source, failing_put);
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "device gone");
  }
  EXPECT_EQ(bytes, -7);

  lzh_test::Source stream_source(stream);
  Failing failing_out{1000};
  EXPECT_THROW(compress::Tlzh().Decode(5000, stream_source, failing_out), std::runtime_error);
  EXPECT_EQ(Ledger::obtained, 3);
  EXPECT_EQ(Ledger::released, 3);
}

TEST_F(LzhFailure, FailedReleaseReplacesTheLeavingException) {
  Ledger::refuse_release = true;
  Bytes input(300, 'z');
  lzh_test::Source source(input);
  lzh_test::Sink sink;
  int32_t bytes = -7;
  try {
    compress::Tlzh().Encode(bytes, source, sink);
    FAIL() << "no exception";
  } catch (const compress::ElzhException& e) {
    EXPECT_STREQ(e.what(), compress::msg::kLzhFreeTables);
  }
  EXPECT_EQ(bytes, -7);

  auto throwing = [](uint8_t*, uint16_t, uint16_t&) { throw std::runtime_error("read error"); };
  try {
    compress::Tlzh().Decode(10, throwing, sink);
    FAIL() << "no exception";
  } catch (const compress::ElzhException& e) {
    EXPECT_STREQ(e.what(), compress::msg::kLzhFreeTables);
  }
  EXPECT_EQ(Ledger::released, Ledger::obtained);
}

// A callback that starts another run on the same object gets a run of its own; the
// outer run goes on undisturbed.
TEST_F(LzhFailure, ARunStartedFromACallbackDoesNotDisturbTheRunningOne) {
  compress::Tlzh codec;
  Bytes input = testing_support::SampleText(3000);
  Bytes inner_input = testing_support::RandomBytes(500);
  Bytes inner_stream;
  lzh_test::Source source(input);
  lzh_test::Sink sink;
  bool nested = false;
  auto get = [&](uint8_t* Buf, uint16_t ByteCount, uint16_t& Actual) {
    if (!nested && source.next == 1500) {
      nested = true;
      lzh_test::Source inner_source(inner_input);
      lzh_test::Sink inner_sink;
      int32_t inner_bytes = 0;
      codec.Encode(inner_bytes, inner_source, inner_sink);
      inner_stream = inner_sink.out;
    }
    source(Buf, ByteCount, Actual);
  };
  int32_t bytes = 0;
  codec.Encode(bytes, get, sink);
  EXPECT_TRUE(nested);
  EXPECT_EQ(sink.out, lzh_test::Encode(input));
  EXPECT_EQ(inner_stream, lzh_test::Encode(inner_input));
}

}  // namespace
