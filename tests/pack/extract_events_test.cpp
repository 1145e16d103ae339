// Reading and extracting: the order of events, selection, block copies, cancelling and
// the ways a run ends with False.
#include <gtest/gtest.h>

#include "pack/cpack.h"
#include "pack_test_util.h"
#include "platform/system.h"
#include "support/fake_drives.h"
#include "support/scripted_dialogs.h"

using namespace packtest;
using testing_support::ReadFileBytes;
using testing_support::SampleText;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;
using Log = std::vector<std::string>;

namespace {

class ExtractTest : public ::testing::Test {
 protected:
  void Use(const Bytes& package) {
    WriteFileBytes(dir / "P.PCK", package);
    pack.SetPackFileName(dir / "P.PCK");
    pack.SetDirectory(dir / "out");
  }
  ScratchDir dir;
  testing_support::FakeDrives drives;  // every drive fixed unless a test says otherwise
  RecordingPack pack;
};

class RecordingErrorMode : public platform::ErrorMode {
 public:
  uint32_t Set(uint32_t mode) override {
    sets.push_back(mode);
    std::swap(mode, current);
    return mode;
  }
  uint32_t current = 0x8000;
  std::vector<uint32_t> sets;

 private:
  platform::ScopedPort<platform::ErrorMode> installed_{*this};
};

}  // namespace

TEST_F(ExtractTest, EventsOfAVersion2ExtractionComeInOrder) {
  Use(V2Package({{"A.TXT", {'a'}}, {"SUB\\B.TXT", SampleText(100)}}, "pw"));
  pack.SetPassword("pw");
  RecordingErrorMode mode;
  pack.OnReadHeader = [&](platform::TObject*) {
    pack.log.push_back("ReadHeader");
    EXPECT_EQ(mode.current, platform::kSemFailCriticalErrors);
  };
  ASSERT_TRUE(pack.Extract()) << pack.LastError();
  // 165 bytes: header block to 28, A.TXT's record to 44 and data to 45, B.TXT's record to 65.
  const Log expected = {"Progress  0",
                        "Password pw",
                        "ReadHeader",
                        "Progress  16",
                        "List A.TXT 1",
                        "Progress A.TXT 26",
                        "Open \\A.TXT",
                        "Close \\A.TXT",
                        "Progress A.TXT 27",
                        "List SUB\\B.TXT 100",
                        "Progress SUB\\B.TXT 39",
                        "Open \\SUB\\B.TXT",
                        "Close \\SUB\\B.TXT",
                        "Progress SUB\\B.TXT 100",
                        "Prepared",
                        "Progress  100"};
  EXPECT_EQ(pack.log, expected);
  EXPECT_EQ(mode.sets, (std::vector<uint32_t>{1, 0x8000}));
  EXPECT_EQ(ReadFileBytes(dir / "out/SUB/B.TXT"), SampleText(100));
  EXPECT_EQ(pack.List, (pack::TStringList{"A.TXT", "SUB\\B.TXT"}));
  EXPECT_EQ(pack.EntryCount(), 2);
}

TEST_F(ExtractTest, EmptyPackageReportsThreeTimesAndPreparesOnce) {
  Use(V2Package({}));
  ASSERT_TRUE(pack.Extract());
  EXPECT_EQ(pack.log, (Log{"Progress  0", "Password ", "ReadHeader", "Progress  100", "Prepared",
                           "Progress  100"}));
  EXPECT_TRUE(pack.List.empty());
}

TEST_F(ExtractTest, ItemsAndExcludesSelectMembers) {
  Use(V2Package({{"A.DBF", {'1'}}, {"b.dbf", {'2'}}, {"C.TXT", {'3'}}, {"D.DBF", {'4'}}}));
  pack.Items = {"*.DBF"};
  pack.Excludes = {"D.*"};
  ASSERT_TRUE(pack.Extract());
  EXPECT_EQ(Listing(dir / "out"), (Log{"A.DBF", "b.dbf"}));
  EXPECT_EQ(pack.List.size(), 4u);  // skipped members are listed too

  pack.Items.clear();
  pack.Excludes.clear();
  ASSERT_TRUE(pack.Process(pack::TPackMode::pmList));  // lists, extracts nothing
  EXPECT_EQ(pack.List.size(), 4u);
  EXPECT_EQ(Listing(dir / "out"), (Log{"A.DBF", "b.dbf"}));
}

TEST_F(ExtractTest, MembersMoveIn8192ByteBlocksAndOneFinalBlock) {
  Use(V2Package({{"A", Bytes(20000, 1)}, {"B", Bytes(8192, 2)}}));
  pack.countWrites = true;
  ASSERT_TRUE(pack.Extract());
  EXPECT_EQ(pack.writes, (std::vector<int32_t>{8192, 8192, 3616, 8192, 0}));
}

TEST_F(ExtractTest, RunsEndWithFalseAndAReason) {
  Use(V2Package({{"A.TXT", {'a'}}}));
  pack.SetPassword("secret");  // the package has none
  EXPECT_FALSE(pack.Extract());
  EXPECT_EQ(pack.LastError(), "Invalid Password");
  pack.SetPassword("");
  pack.SetPackFileName("");
  EXPECT_FALSE(pack.Extract());
  EXPECT_EQ(pack.LastError(), "Missing PackFileName");
  pack.SetPackFileName(dir / "NONE.PCK");
  EXPECT_FALSE(pack.Extract());
  EXPECT_NE(pack.LastError().find("NONE.PCK"), std::string::npos);
  EXPECT_FALSE(testing_support::PathExists(dir / "out"));
}

TEST_F(ExtractTest, CancelOnTheFirstEntryExtractsNothingAndClosesThePackage) {
  Use(V2Package({{"A.TXT", {'a'}}, {"B.TXT", {'b'}}}));
  pack.cancelAt = 6;  // OnProgress with the first entry's name
  EXPECT_FALSE(pack.Extract());
  EXPECT_EQ(pack.log.back(), "Progress A.TXT 70");  // 42 of 60 bytes
  EXPECT_FALSE(testing_support::PathExists(dir / "out"));
  // Closed: an exclusive open succeeds.
  EXPECT_NE(
      platform::FileSystemPort().Open(dir / "P.PCK", platform::Access::ReadWrite,
                                      platform::Share::None, platform::Disposition::OpenExisting),
      nullptr);
}

TEST_F(ExtractTest, OnOpenRenamesTheTargetForTheRestOfTheMember) {
  Bytes package = V2Package({{"A.TXT", {'a'}}, {"B.TXT", {'b', 'b'}}});
  package.pop_back();  // B.TXT is short of one byte
  Use(package);
  pack.OnOpen = [&](platform::TObject*, std::string& f) { f += ".NEW"; };
  EXPECT_FALSE(pack.Extract());
  // B.TXT's one block never came whole: nothing of it lands.
  EXPECT_EQ(Listing(dir / "out"), (Log{"A.TXT.NEW"}));
  // OnError is told what went wrong, not that the run gave up.
  EXPECT_EQ(
      Log(pack.log.end() - 2, pack.log.end()),
      (Log{"Close \\B.TXT.NEW", "Error \\B.TXT.NEW Volume 2 of the package is not available"}));
  EXPECT_EQ(pack.LastError(), "member B.TXT: Volume 2 of the package is not available");
}

TEST_F(ExtractTest, AFailedMemberStopsTheRun) {
  Use(V2Package({{"A.TXT", {'a'}}, {"B.TXT", {'b'}}}));
  pack::CreateDirectories(dir / "out/A.TXT");  // a directory where the file should go
  EXPECT_FALSE(pack.Extract());
  EXPECT_FALSE(testing_support::PathExists(dir / "out/B.TXT"));
  EXPECT_NE(pack.LastError().find("Cannot create file"), std::string::npos);
  EXPECT_EQ(pack.log.back().rfind("Error \\A.TXT Cannot create file", 0), 0u);
}

TEST_F(ExtractTest, PackageAtOffsetAndFinishedAttributes) {
  Bytes file(1000, 'M');
  Bytes member = Record(3, "R.TXT", platform::kAttrReadOnly, 0x2A5B6C21);
  Append(member, {'r', 'r', 'r'});
  Bytes package = Prefix("PCK11", 3.0, 1);
  Append(package, V2Header(1));
  Append(package, member);
  Append(file, package);
  Use(file);
  EXPECT_FALSE(pack.Extract());
  pack.Offset = 1000;
  ASSERT_TRUE(pack.Extract()) << pack.LastError();
  uint32_t time = 0;
  uint16_t attr = 0;
  ASSERT_TRUE(platform::FileSystemPort().GetDosTime(dir / "out/R.TXT", time));
  ASSERT_TRUE(platform::FileSystemPort().GetAttributes(dir / "out/R.TXT", attr));
  EXPECT_EQ(time, 0x2A5B6C21u);
  EXPECT_TRUE(attr & platform::kAttrReadOnly);
}
