// Every way the driver fails: the exact message, and what is left on disk afterwards.
#include <filesystem>
#include <fstream>
#include <utility>

#include "compress/messages.h"
#include "driver_fixture.h"
#include "platform/files.h"
#include "support/fault_files.h"

namespace compress::testing {
namespace {

using testing_support::FaultFiles;
using testing_support::PathExists;
using testing_support::ReadFileBytes;
using testing_support::SampleText;
using testing_support::WriteFileBytes;

std::string FailureOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const ELzrw1Exception& e) {
    return e.Message();
  }
  return "(no failure)";
}

TEST_F(DriverTest, MissingInputCannotBeSizedAndReadOnlyInputIsCompressed) {
  driver.InputFile = Path("missing.dat");
  driver.OutputFile = Path("out.lz");
  EXPECT_EQ(FailureOf([&] { driver.Compress(); }),
            "Lzrw1 : Cannot obtain size of " + Path("missing.dat"));
  EXPECT_EQ(FailureOf([&] { driver.Advise(); }),
            "Lzrw1 : Cannot obtain size of " + Path("missing.dat"));
  EXPECT_FALSE(PathExists(Path("out.lz")));

  // A file the user may read but not write is read like any other, and stays as it was.
  const Bytes content = SampleText(100);
  WriteFileBytes(Path("ro.dat"), content);
  ASSERT_TRUE(platform::FileSystemPort().SetAttributes(Path("ro.dat"), platform::kAttrReadOnly));
  driver.InputFile = Path("ro.dat");
  EXPECT_EQ(FailureOf([&] { driver.Compress(); }), "(no failure)");
  driver.InputFile = Path("out.lz");
  driver.OutputFile = Path("back.dat");
  EXPECT_EQ(FailureOf([&] { driver.Decompress(); }), "(no failure)");
  EXPECT_EQ(ReadFileBytes(Path("back.dat")), content);
  uint16_t attr = 0;
  ASSERT_TRUE(platform::FileSystemPort().GetAttributes(Path("ro.dat"), attr));
  EXPECT_TRUE(attr & platform::kAttrReadOnly);
  platform::FileSystemPort().SetAttributes(Path("ro.dat"), 0);  // the scratch folder goes
}

TEST_F(DriverTest, InputHeldOpenBySomeoneElseIsNotFound) {
  WriteFileBytes(Path("held.dat"), SampleText(100));
  // Held with full sharing: the size probe works, the exclusive open does not.
  auto holder = platform::FileSystemPort().Open(Path("held.dat"), platform::Access::ReadWrite,
                                                platform::Share::ReadWrite,
                                                platform::Disposition::OpenExisting);
  ASSERT_TRUE(holder);
  driver.InputFile = Path("held.dat");
  driver.OutputFile = Path("out.lz");
  EXPECT_EQ(FailureOf([&] { driver.Compress(); }),
            "LZRWKH1 : Inputfile " + Path("held.dat") + " not found !");
  EXPECT_FALSE(PathExists(Path("out.lz")));
}

TEST_F(DriverTest, MissingCompressedFileIsNotFound) {
  driver.InputFile = Path("missing.lz");
  driver.OutputFile = Path("out.dat");
  EXPECT_EQ(FailureOf([&] { driver.Decompress(); }),
            "Lzrw1 : Inputfile " + Path("missing.lz") + " not found !");
  EXPECT_FALSE(PathExists(Path("out.dat")));
}

TEST_F(DriverTest, OutputThatCannotBeCreated) {
  WriteFileBytes(Path("in.dat"), SampleText(100));
  driver.InputFile = Path("in.dat");
  driver.OutputFile = Path("no-such-dir/out.lz");
  EXPECT_EQ(FailureOf([&] { driver.Compress(); }),
            "Lzrw1 : Outputfile " + Path("no-such-dir/out.lz") + " can not be opened !");
}

TEST_F(DriverTest, SameFileAsInputAndOutputLeavesTheInputIntact) {
  const Bytes data = SampleText(5000);
  WriteFileBytes(Path("same.dat"), data);
  driver.InputFile = driver.OutputFile = Path("same.dat");
  for (const TCompressMode mode : {TCompressMode::Fast, TCompressMode::Good}) {
    driver.CompressMode = mode;
    EXPECT_EQ(FailureOf([&] { driver.Compress(); }),
              "Lzrw1 : Outputfile " + Path("same.dat") + " can not be opened !");
    EXPECT_EQ(ReadFileBytes(Path("same.dat")), data);
  }
  EXPECT_EQ(FailureOf([&] { driver.Decompress(); }),
            "Lzrw1 : Outputfile " + Path("same.dat") + " can not be opened !");
  EXPECT_EQ(ReadFileBytes(Path("same.dat")), data);
}

TEST_F(DriverTest, ShortOrForeignFilesAreRefused) {
  ExpectRestoreFails({'W', 'R', 'Z'}, "Lzrw1 : ERROR READING FROM " + Path("in.lz") + " !");
  ExpectRestoreFails({'P', 'K', 3, 4, 0, 0, 0, 0},
                     "Lzrw1 : " + Path("in.lz") + " : NOT A COMPRESSED FILE !");
  ExpectRestoreFails({'W', 'R', 'Z', 'L', 5, 0},
                     "Lzrw1 : ERROR READING FROM " + Path("in.lz") + " !");
}

TEST_F(DriverTest, RecordCutShortIsAReadError) {
  Bytes packed = CompressBytes(SampleText(50000), TCompressMode::Fast);
  packed.resize(packed.size() - 10);
  ExpectRestoreFails(packed, "Lzrw1 : ERROR READING FROM " + Path("in.lz") + " !");
  packed.resize(9);  // half a length field
  ExpectRestoreFails(packed, "Lzrw1 : ERROR READING FROM " + Path("in.lz") + " !");
}

TEST_F(DriverTest, FileEndingAtABlockBoundaryTooEarlyIsCorrupt) {
  // Two full blocks and a short one; keep only the first record.
  Bytes packed = CompressBytes(SampleText(70000), TCompressMode::Fast);
  const std::size_t first = 10u + (packed[8] | packed[9] << 8);
  packed.resize(first);
  ExpectRestoreFails(packed, msg::kKhSizes);
  // The header alone, promising data, is corrupt too.
  packed.resize(8);
  ExpectRestoreFails(packed, msg::kKhSizes);
}

TEST_F(DriverTest, HeaderSizeThatDiffersFromTheDataIsCorrupt) {
  for (const TCompressMode mode : {TCompressMode::Fast, TCompressMode::Good}) {
    Bytes packed = CompressBytes(SampleText(40000), mode);
    packed[4] ^= 1;  // 40000 -> 40001
    ExpectRestoreFails(packed, mode == TCompressMode::Fast ? msg::kKhSizes : msg::kLzhSizes);
    packed[4] ^= 3;  // 40000 -> 39998
    ExpectRestoreFails(packed, mode == TCompressMode::Fast ? msg::kKhSizes : msg::kLzhSizes);
  }
}

TEST_F(DriverTest, LzhStreamCutShortIsCorruptNotMadeUp) {
  const Bytes data = SampleText(60000);
  Bytes packed = CompressBytes(data, TCompressMode::Good);
  for (const std::size_t cut :
       {std::size_t{1}, std::size_t{2}, std::size_t{100}, packed.size() - 9}) {
    Bytes shorter(packed.begin(), packed.end() - static_cast<long>(cut));
    SCOPED_TRACE(cut);
    ExpectRestoreFails(shorter, msg::kLzhSizes);
  }
}

TEST_F(DriverTest, HostileBlockRecordsAreCorrupt) {
  // A record length beyond the largest stored block.
  ExpectRestoreFails({'W', 'R', 'Z', 'L', 0x10, 0, 0, 0, 0x02, 0x80}, msg::kKhSizes);
  // A copy that reaches before the start of its block: control word 0x8000, D = 5.
  ExpectRestoreFails({'W', 'R', 'Z', 'L', 8, 0, 0, 0, 5, 0, 0x40, 0x80, 0x00, 0x00, 0x50},
                     msg::kKhSizes);
  // A run cut off by the end of the block.
  ExpectRestoreFails({'W', 'R', 'Z', 'L', 20, 0, 0, 0, 5, 0, 0x40, 0x80, 0x00, 0x00, 0x04},
                     msg::kKhSizes);
}

TEST_F(DriverTest, WriteFailuresDeleteTheOutput) {
  FaultFiles faults;
  faults.FailWrites("out.lz", 4);  // the signature goes out, the size does not
  for (const TCompressMode mode : {TCompressMode::Fast, TCompressMode::Good}) {
    WriteFileBytes(Path("in.dat"), SampleText(1000));
    driver.InputFile = Path("in.dat");
    driver.OutputFile = Path("out.lz");
    driver.CompressMode = mode;
    EXPECT_EQ(FailureOf([&] { driver.Compress(); }),
              "Lzrw1 : ERROR WRITING TO " + Path("out.lz") + " !");
    EXPECT_FALSE(PathExists(Path("out.lz")));
  }
  faults.FailWrites("restored.dat", 0);
  const Bytes packed = CompressBytes(SampleText(1000), TCompressMode::Fast);
  ExpectRestoreFails(packed, "Lzrw1 : ERROR WRITING TO " + Path("restored.dat") + " !");
}

TEST_F(DriverTest, ReadFailuresNameTheMethod) {
  FaultFiles faults;
  WriteFileBytes(Path("in.dat"), SampleText(200000));
  driver.InputFile = Path("in.dat");
  driver.OutputFile = Path("out.lz");
  faults.FailReads("in.dat", 40000);
  driver.CompressMode = TCompressMode::Fast;
  EXPECT_EQ(FailureOf([&] { driver.Compress(); }),
            "Lzrw1/KH : READ ERROR ON " + Path("in.dat") + " !");
  EXPECT_FALSE(PathExists(Path("out.lz")));
  driver.CompressMode = TCompressMode::Good;
  EXPECT_EQ(FailureOf([&] { driver.Compress(); }),
            "Lzrw1/LZH : READ ERROR ON " + Path("in.dat") + " !");
  EXPECT_FALSE(PathExists(Path("out.lz")));
  faults.FailReads("in.dat", 0);
  EXPECT_EQ(FailureOf([&] { driver.Advise(); }),
            "Lzrw1/KH : READ ERROR ON " + Path("in.dat") + " !");
}

TEST_F(DriverTest, FailingFinishedHandler) {
  driver.OnFinished = [](platform::TObject*, int32_t) {
    throw platform::Exception("handler failed");
  };
  WriteFileBytes(Path("in.dat"), SampleText(1000));
  driver.InputFile = Path("in.dat");
  driver.OutputFile = Path("out.lz");
  // Compress reports completion after closing its files: the output stays.
  EXPECT_THROW(driver.Compress(), platform::Exception);
  EXPECT_TRUE(PathExists(Path("out.lz")));
  // Decompress reports it inside its guarded region: the output goes.
  driver.InputFile = Path("out.lz");
  driver.OutputFile = Path("restored.dat");
  EXPECT_THROW(driver.Decompress(), platform::Exception);
  EXPECT_FALSE(PathExists(Path("restored.dat")));
}

TEST_F(DriverTest, LzhStreamLongerThanItsHeaderSaysIsCorrupt) {
  const Bytes data = SampleText(60000);
  const Bytes packed = CompressBytes(data, TCompressMode::Good);
  // A header size that stops the decoder early: the rest of the stream is left unread.
  for (const uint32_t size : {30000u, 59000u, 1u}) {
    SCOPED_TRACE(size);
    Bytes cut = packed;
    for (int i = 0; i < 4; ++i) cut[4 + i] = static_cast<uint8_t>(size >> (8 * i));
    ExpectRestoreFails(cut, msg::kLzhSizes);
  }
  // Bytes after a complete stream beyond the one it is read past its end are such a
  // rest too; the stream itself, and with one byte more, restores.
  Bytes longer = packed;
  longer.push_back(0);
  EXPECT_EQ(DecompressBytes(longer), data);
  longer.push_back(0);
  ExpectRestoreFails(longer, msg::kLzhSizes);
  EXPECT_EQ(DecompressBytes(packed), data);
  const Bytes empty = CompressBytes({}, TCompressMode::Good);
  EXPECT_TRUE(DecompressBytes(empty).empty());
  Bytes emptyWithMore = empty;
  emptyWithMore.push_back('x');
  ExpectRestoreFails(emptyWithMore, msg::kLzhSizes);
}

#ifndef _WIN32
// (On Windows the driver holds its input without sharing: nobody else can change it.)
TEST_F(DriverTest, InputThatChangesSizeWhileCompressedFails) {
  for (const TCompressMode mode : {TCompressMode::Fast, TCompressMode::Good}) {
    for (const bool grow : {true, false}) {
      SCOPED_TRACE(std::string(grow ? "grows" : "shrinks") +
                   (mode == TCompressMode::Fast ? ", fast" : ", good"));
      WriteFileBytes(Path("in.dat"), SampleText(100000));
      driver.InputFile = Path("in.dat");
      driver.OutputFile = Path("out.lz");
      driver.CompressMode = mode;
      bool changed = false;
      // Someone else writes to the file while the driver reads it.
      driver.OnProgress = [&](platform::TObject*, int32_t, int32_t) {
        if (std::exchange(changed, true)) return;
        if (grow) {
          std::ofstream(Path("in.dat"), std::ios::binary | std::ios::app) << "more";
        } else {
          std::filesystem::resize_file(Path("in.dat"), 40000);
        }
      };
      EXPECT_EQ(FailureOf([&] { driver.Compress(); }),
                "Lzrw1 : " + Path("in.dat") + " changed size while it was compressed");
      EXPECT_FALSE(PathExists(Path("out.lz")));
    }
  }
}
#endif

TEST_F(DriverTest, OnlyARegularFileIsCompressed) {
#ifdef _WIN32
  const std::string device = "NUL";
#else
  const std::string device = "/dev/zero";
#endif
  driver.InputFile = device;
  driver.OutputFile = Path("out.lz");
  try {
    driver.Compress();
    ADD_FAILURE() << "compressed " << device;
  } catch (const ELzrw1Exception& e) {
    EXPECT_EQ(e.Message(), "Lzrw1 : Cannot obtain size of " + device);
    EXPECT_EQ(e.Reason(), platform::kReasonNotRegular);
  }
  EXPECT_FALSE(PathExists(Path("out.lz")));
}

}  // namespace
}  // namespace compress::testing
