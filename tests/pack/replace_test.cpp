// A member lands only complete and verified. One table of the ways a member can fail
// (a package cut inside it, the next disk not given, a full temporary folder, a full
// target disk, a damaged stream, content that does not match its digest), each run by
// the compressed engine over a target that holds an older file: the older file stays
// byte for byte, no new file is left beside it, and the failure names the member.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "pack/cpacklz.h"
#include "pack/member_digests.h"
#include "pack_test_util.h"
#include "support/fake_drives.h"
#include "support/fault_files.h"
#include "support/scripted_dialogs.h"

using namespace packtest;
using testing_support::ReadFileBytes;
using testing_support::SampleText;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;

namespace {

const Bytes kPrecious = {'p', 'r', 'e', 'c', 'i', 'o', 'u', 's'};

class Replace : public ::testing::Test {
 public:  // the scenarios prepare it
  ScratchDir dir;
  testing_support::FakeDrives drives;
  testing_support::ScriptedDialogs ui;
  const Bytes data = SampleText(50000, 3);
  const Bytes packed = Compressed(data, compress::TCompressMode::Good, dir);
  pack::TPackLz pack{nullptr};

  void SetUp() override {
    pack::CreateDirectories(dir / "out");
    WriteFileBytes(dir / "out/DATA.BIN", kPrecious);
    pack.SetPackFileName(dir / "P.PCK");
    pack.SetDirectory(dir / "out");
  }
  // KEEP.TXT, DATA.BIN, TAIL.TXT, with `lines` in the header; DATA.BIN's stored bytes as
  // given. Returns where DATA.BIN's data starts.
  std::size_t Write(const Bytes& stored, const std::vector<std::string>& lines = {}) {
    Bytes p = Prefix("PCK11", 40000.5, 1);
    Append(p, V2Header(3, "", lines));
    Append(p, Member("KEEP.TXT", Compressed({'k'}, compress::TCompressMode::Fast, dir)));
    Append(p, Record(static_cast<int32_t>(stored.size()), "DATA.BIN"));
    const std::size_t at = p.size();
    Append(p, stored);
    Append(p, Member("TAIL.TXT", Compressed({'t'}, compress::TCompressMode::Fast, dir)));
    WriteFileBytes(dir / "P.PCK", p);
    return at;
  }
};

// Writes that stop short, as on a full disk: to the staging file, or to the new target.
enum class FullDisk { None, TemporaryFolder, Target };

struct Failure {
  const char* name;
  std::function<void(Replace&)> prepare;  // writes the package, sets up the drive
  FullDisk full = FullDisk::None;
  bool runGoesOn = false;  // the members after DATA.BIN are extracted
  const char* cause;       // in the engine's LastError, after the member's name
};

void WholePackage(Replace& t) { t.Write(t.packed); }

// The package cut `into` bytes into DATA.BIN's data.
void CutInto(Replace& t, std::size_t into) {
  const std::size_t at = t.Write(t.packed);
  Bytes p = ReadFileBytes(t.dir / "P.PCK");
  p.resize(at + into);
  WriteFileBytes(t.dir / "P.PCK", p);
}

const Failure kFailures[] = {
    {.name = "CutInsideTheMember",
     .prepare = [](Replace& t) { CutInto(t, t.packed.size() / 2); },
     .cause = "Volume 2 of the package is not available"},
    {.name = "NextDiskNotGiven",
     .prepare =
         [](Replace& t) {
           CutInto(t, t.packed.size() / 2);
           t.drives.Set(t.dir.Path(), platform::DriveType::Removable);
           t.ui.fallback = platform::kIdCancel;
         },
     .cause = "Disk 2 was not inserted"},
    {.name = "TemporaryFolderFull",
     .prepare = WholePackage,
     .full = FullDisk::TemporaryFolder,
     .cause = "Write error"},
    {.name = "TargetDiskFull",
     .prepare = WholePackage,
     .full = FullDisk::Target,
     .cause = "ERROR WRITING TO"},
    {.name = "DamagedStream",
     .prepare =
         [](Replace& t) {
           Bytes cut = t.packed;
           cut.resize(cut.size() / 2);
           t.Write(cut);
         },
     .cause = "Sizes do not match"},
    {.name = "ContentDoesNotMatchItsDigest",
     .prepare =
         [](Replace& t) {
           Bytes other = t.data;
           other[100] ^= 1;
           t.Write(t.packed, {pack::MemberDigestLine(
                                 2, platform::TContentHash::Of(other.data(), other.size()))});
         },
     .runGoesOn = true,
     .cause = "content does not match the package's digest (digest mismatch"},
};

class ReplaceFailure : public Replace, public ::testing::WithParamInterface<Failure> {};

TEST_P(ReplaceFailure, LeavesTheOlderFileAndNothingBesideIt) {
  const Failure& f = GetParam();
  f.prepare(*this);
  std::optional<testing_support::FaultFiles> faults;
  if (f.full == FullDisk::TemporaryFolder) faults.emplace().FailWrites(pack.TempFile(), 5000);
  if (f.full == FullDisk::Target) faults.emplace().FailWrites("DATA.BIN", 20000);

  EXPECT_FALSE(pack.Extract());
  EXPECT_EQ(ReadFileBytes(dir / "out/DATA.BIN"), kPrecious);
  std::vector<std::string> expected = {"DATA.BIN", "KEEP.TXT"};
  if (f.runGoesOn) expected.push_back("TAIL.TXT");
  EXPECT_EQ(Listing(dir / "out"), expected);
  EXPECT_EQ(pack.LastError().rfind("member DATA.BIN: ", 0), 0u) << pack.LastError();
  EXPECT_NE(pack.LastError().find(f.cause), std::string::npos) << pack.LastError();
}

void PrintTo(const Failure& f, std::ostream* os) { *os << f.name; }

INSTANTIATE_TEST_SUITE_P(Table, ReplaceFailure, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<Failure>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(Replace, ACompleteMemberReplacesTheOlderFileInOneStep) {
  Write(packed, {pack::MemberDigestLine(2, platform::TContentHash::Of(data.data(), data.size()))});
  EXPECT_TRUE(pack.Extract()) << pack.LastError();
  EXPECT_EQ(ReadFileBytes(dir / "out/DATA.BIN"), data);
  EXPECT_EQ(Listing(dir / "out"), (std::vector<std::string>{"DATA.BIN", "KEEP.TXT", "TAIL.TXT"}));
}

TEST_F(Replace, AReadOnlyOlderFileIsRefusedAsSuch) {
  Write(packed);
  ASSERT_TRUE(
      platform::FileSystemPort().SetAttributes(dir / "out/DATA.BIN", platform::kAttrReadOnly));
  EXPECT_FALSE(pack.Extract());
  EXPECT_EQ(ReadFileBytes(dir / "out/DATA.BIN"), kPrecious);
  EXPECT_NE(pack.LastError().find("(the existing file is read-only)"), std::string::npos)
      << pack.LastError();
}

}  // namespace
