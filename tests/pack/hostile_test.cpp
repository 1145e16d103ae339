// Hostile packages: member names that would leave the target directory or name no
// file, invalid sizes and counts, and packages cut short at every byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "pack/cpack.h"
#include "pack_test_util.h"
#include "support/fake_drives.h"
#include "support/fault_files.h"
#include "support/scripted_dialogs.h"

using namespace packtest;
using testing_support::FromHex;
using testing_support::ReadFileBytes;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;

namespace {

class HostileTest : public ::testing::Test {
 protected:
  void SetUp() override { pack::CreateDirectories(dir / "a/b/target"); }
  bool ExtractBytes(const Bytes& package) {
    WriteFileBytes(dir / "P.PCK", package);
    pack.SetPackFileName(dir / "P.PCK");
    pack.SetDirectory(dir / "a/b/target");
    return pack.Extract();
  }
  ScratchDir dir;
  testing_support::FakeDrives drives;   // fixed: no disk is ever asked for
  testing_support::ScriptedDialogs ui;  // and none answered
  RecordingPack pack;
};

}  // namespace

TEST_F(HostileTest, RefusedNamesAreSkippedBeforeAnythingIsCreatedAndTheRunFails) {
  WriteFileBytes(dir / "P.PCK", {});
  const std::vector<std::string> before = Listing(dir.Path());
  const std::string outside = "Member name leads outside the target directory: ";
  const std::string control = "Member name holds a control character: ";
  const std::string noFile =
      "Member name names no file (it is empty, or ends in a separator or \".\"): ";
  for (const auto& [name, message] :
       std::vector<std::pair<std::string, std::string>>{{"..\\x", outside},
                                                        {"a\\..\\..\\x", outside},
                                                        {"../x", outside},
                                                        {"sub/../../x", outside},
                                                        {"C:x", outside},
                                                        {"C:\\x", outside},
                                                        {"\\\\server\\share\\x", outside},
                                                        {"\\/x", outside},
                                                        {"/etc/x", outside},
                                                        {"a:b", outside},
                                                        {".. \\x", outside},
                                                        {"...\\x", outside},
                                                        {"x\\..\\..\\..\\y", outside},
                                                        {std::string("a\0b", 3), control},
                                                        {"a\x1B[2Kb", control},
                                                        {"tab\there", control},
                                                        {"del\x7F", control},
                                                        {"dir\\", noFile},
                                                        {"dir/", noFile},
                                                        {"a\\.", noFile},
                                                        {".", noFile},
                                                        {"\\", noFile},
                                                        {"", noFile}}) {
    SCOPED_TRACE(name);
    pack.log.clear();
    // The refused member is skipped: the one after it is extracted, and the run fails.
    EXPECT_FALSE(ExtractBytes(V2Package({{name, {'!'}}, {"after.txt", {'a'}}})));
    const std::string target = pack::CombinePath(pack.Directory(), name);
    const std::string error = "Error " + pack.Short(target) + " " + message + name;
    EXPECT_NE(std::find(pack.log.begin(), pack.log.end(), error), pack.log.end());
    EXPECT_EQ(pack.LastError(), message + name);
    EXPECT_EQ(std::count_if(pack.log.begin(), pack.log.end(),
                            [](const std::string& l) { return l.rfind("Open", 0) == 0; }),
              1);
    EXPECT_EQ(ReadFileBytes(dir / "a/b/target/after.txt"), Bytes{'a'});
    std::filesystem::remove(dir / "a/b/target/after.txt");
  }
  EXPECT_EQ(Listing(dir.Path()), before);
}

TEST_F(HostileTest, TargetPathsTheLimitWouldCutAreRefused) {
  // Two names that cut to 255 characters would both land on the same cut name.
  const std::string base = dir / "a/b/target";
  const std::string deep = std::string(240 - base.size(), 'd');
  pack::CreateDirectories(base + "/" + deep);
  pack.SetDirectory(base + "/" + deep);
  const std::string first = "longname-one.txt", second = "longname-two.txt";
  WriteFileBytes(dir / "P.PCK", V2Package({{first, {'1'}}, {second, {'2'}}, {"ok", {'3'}}}));
  pack.SetPackFileName(dir / "P.PCK");
  EXPECT_FALSE(pack.Extract());
  EXPECT_EQ(pack.LastError(), "Target path of member " + first + " is longer than 255 characters");
  EXPECT_EQ(Listing(base + "/" + deep), (std::vector<std::string>{"ok"}));
}

TEST_F(HostileTest, NamesInsideTheTargetAreExtracted) {
  ASSERT_TRUE(
      ExtractBytes(V2Package({{"\\lead.txt", {'1'}}, {"sub/.\\x..y", {'2'}}, {"..x", {'3'}}})));
  EXPECT_EQ(Listing(dir / "a/b/target"),
            (std::vector<std::string>{"..x", "lead.txt", "sub", "sub/x..y"}));
}

TEST_F(HostileTest, InvalidCountsAndSizesEndTheRun) {
  Bytes negative = Prefix("PCK11", 1.0, 1);
  Append(negative, V2Header(1));
  Append(negative, Record(-5, "NEG.TXT"));
  Append(negative, Bytes(64, 0));
  EXPECT_FALSE(ExtractBytes(negative));
  EXPECT_EQ(pack.LastError(), "Invalid size -5 of member NEG.TXT");

  Bytes huge = Prefix("PCK11", 1.0, 1);
  Append(huge, V2Header(0x7FFFFFFF));
  Append(huge, Member("A", {'a'}));
  EXPECT_FALSE(ExtractBytes(huge));
  EXPECT_EQ(pack.List.size(), 1u);

  Bytes negativeCount = Prefix("PCK11", 1.0, 1);
  Append(negativeCount, V2Header(-1));
  EXPECT_FALSE(ExtractBytes(negativeCount));

  Bytes lines = Prefix("PCK11", 1.0, 1);
  Append(lines, FromHex("00 00 00 00  00 00 00 00  00  FF FF  03 61 62 63"));
  EXPECT_FALSE(ExtractBytes(lines));

  Bytes raw = Prefix("PCK10", 1.0, 1);
  Append(raw, FromHex("FF FF 01 02 03"));
  EXPECT_FALSE(ExtractBytes(raw));
  EXPECT_EQ(pack.LastError(), "Header block longer than the package");
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(HostileTest, PackagesCutAtEveryByteFailWithoutHarm) {
  const Bytes v2 = V2Package({{"A.TXT", {'a', 'b'}}, {"D\\B.TXT", {}}, {"C.TXT", {'c'}}}, "pw");
  pack.SetPassword("pw");
  for (std::size_t n = 0; n < v2.size(); ++n)
    EXPECT_FALSE(ExtractBytes(Bytes(v2.begin(), v2.begin() + static_cast<long>(n)))) << n;
  EXPECT_TRUE(ExtractBytes(v2));

  // Version 1 ends at the end of its file: a cut at an entry boundary is a shorter
  // package, any other cut a failure.
  Bytes v1 = Prefix("PCK10", 1.0, 1);
  Append(v1, FromHex("01 00 AA"));
  const std::size_t boundary1 = v1.size();
  Append(v1, Member("A.TXT", {'a', 'b'}));
  const std::size_t boundary2 = v1.size();
  Append(v1, Member("C.TXT", {'c'}));
  for (std::size_t n = 0; n <= v1.size(); ++n) {
    const bool boundary = n == boundary1 || n == boundary2 || n == v1.size();
    EXPECT_EQ(ExtractBytes(Bytes(v1.begin(), v1.begin() + static_cast<long>(n))), boundary) << n;
  }
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(HostileTest, ReadAndWriteFaultsFailTheMember) {
  const Bytes package = V2Package({{"A.TXT", Bytes(9000, 'a')}});
  testing_support::FaultFiles faults;
  faults.FailReads("P.PCK", 100);
  EXPECT_FALSE(ExtractBytes(package));
  EXPECT_EQ(pack.log.back().rfind("Error \\A.TXT Read error", 0), 0u);
  faults.FailReads("", -1);
  faults.FailWrites("A.TXT", 8192);
  EXPECT_FALSE(ExtractBytes(package));
  EXPECT_EQ(pack.LastError(), "member A.TXT: Write error (disk full or not writable)");
}
