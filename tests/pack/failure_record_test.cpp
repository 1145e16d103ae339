// The engine's failure record for each way a run fails: its kind, the member, the file
// and which file that is, whether the system gave a reason, and LastError, which reads
// as it always has (the installer's log and ErrorCause show it).
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "pack/cpacklz.h"
#include "pack/member_digests.h"
#include "pack_test_util.h"
#include "support/fake_drives.h"
#include "support/test_files.h"

using namespace packtest;
using pack::FailedFile;
using pack::FailureKind;
using Names = platform::NamedMessage::Names;
using testing_support::SampleText;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;

namespace {

struct Case {
  const char* name;
  // Makes the package (or its absence) in `dir` and sets the engine up; false: the run
  // writes a package instead of extracting one.
  std::function<bool(const ScratchDir& dir, pack::TCustomPack& pack)> prepare;
  FailureKind kind;
  std::string member;       // the record's member
  std::string path;         // the record's path, relative to the scratch directory
  FailedFile file;          // which file that is
  Names names;              // what the message names
  bool reason;              // the system gave a reason
  std::string lastError;    // "{dir}" stands for the scratch directory's path
  bool compressed = false;  // the compressed engine (staging file, driver)
};

// The scratch directory, with its separator.
std::string In(const ScratchDir& dir) { return dir.Path(); }

bool Use(const ScratchDir& dir, pack::TCustomPack& pack, const Bytes& package) {
  WriteFileBytes(dir / "P.PCK", package);
  pack.SetPackFileName(In(dir) + "P.PCK");
  pack.SetDirectory(In(dir) + "out");
  return true;
}

const Case kCases[] = {
    {"NoPackageNamed", [](const ScratchDir&, pack::TCustomPack&) { return true; },
     FailureKind::NoPackage, "", "", FailedFile::None, Names::Nothing, false,
     "Missing PackFileName"},
    {"PackageMissing",
     [](const ScratchDir& dir, pack::TCustomPack& pack) {
       pack.SetPackFileName(In(dir) + "NONE.PCK");
       return true;
     },
     FailureKind::NoPackage, "", "NONE.PCK", FailedFile::Package, Names::Path, true,
     "Cannot open file {dir}NONE.PCK ("},
    {"NotAPackage",
     [](const ScratchDir& dir, pack::TCustomPack& pack) { return Use(dir, pack, {}); },
     FailureKind::NotAPackage, "", "P.PCK", FailedFile::Package, Names::Path, false,
     "{dir}P.PCK is not a package"},
    {"WrongPassword",
     [](const ScratchDir& dir, pack::TCustomPack& pack) {
       pack.SetPassword("guess");
       return Use(dir, pack, V2Package({{"A.TXT", {'a'}}}, "secret"));
     },
     FailureKind::Password, "", "", FailedFile::None, Names::Nothing, false, "Invalid Password"},
    {"EntryRecordCut",
     [](const ScratchDir& dir, pack::TCustomPack& pack) {
       Bytes package = V2Package({{"A.TXT", {'a'}}, {"B.TXT", {'b'}}});
       package.resize(package.size() - 4);  // inside B.TXT's record
       return Use(dir, pack, package);
     },
     FailureKind::ReadFailed, "", "", FailedFile::None, Names::Nothing, false,
     "Read beyond end of file"},
    {"MemberDataCut",
     [](const ScratchDir& dir, pack::TCustomPack& pack) {
       Bytes package = V2Package({{"A.TXT", {'a'}}, {"B.TXT", {'b', 'b'}}});
       package.pop_back();  // B.TXT's data goes on in a volume that is not there
       return Use(dir, pack, package);
     },
     FailureKind::VolumeMissing, "B.TXT", "", FailedFile::None, Names::Nothing, false,
     "member B.TXT: Volume 2 of the package is not available"},
    {"NegativeSize",
     [](const ScratchDir& dir, pack::TCustomPack& pack) {
       Bytes package = Prefix("PCK11", 40000.5, 1);
       Append(package, V2Header(1));
       Append(package, Record(-5, "NEG.TXT"));
       return Use(dir, pack, package);
     },
     FailureKind::Corrupt, "", "", FailedFile::None, Names::Member, false,
     "Invalid size -5 of member NEG.TXT"},
    {"RefusedName",
     [](const ScratchDir& dir, pack::TCustomPack& pack) {
       return Use(dir, pack, V2Package({{"..\\EVIL.TXT", {'e'}}, {"OK.TXT", {'o'}}}));
     },
     FailureKind::RefusedName, "..\\EVIL.TXT", "", FailedFile::None, Names::Member, false,
     "Member name leads outside the target directory: ..\\EVIL.TXT"},
    {"ContentDoesNotMatchItsDigest",
     [](const ScratchDir& dir, pack::TCustomPack& pack) {
       const Bytes data = SampleText(50);
       Bytes other = data;
       other[7] ^= 1;
       Bytes package = Prefix("PCK11", 40000.5, 1);
       Append(package, V2Header(2, "",
                                {pack::MemberDigestLine(
                                    1, platform::TContentHash::Of(other.data(), other.size()))}));
       Append(package, Member("D.TXT", data));
       Append(package, Member("E.TXT", {'e'}));
       return Use(dir, pack, package);
     },
     FailureKind::DigestMismatch, "D.TXT", "", FailedFile::None, Names::Nothing, true,
     "member D.TXT: content does not match the package's digest (digest mismatch: the "
     "package gives "},
    {"TargetIsADirectory",
     [](const ScratchDir& dir, pack::TCustomPack& pack) {
       platform::FileSystemPort().CreateDirectory(dir / "out");
       platform::FileSystemPort().CreateDirectory(dir / "out/T.TXT");
       return Use(dir, pack, V2Package({{"T.TXT", {'t'}}}));
     },
     FailureKind::OpenFailed, "T.TXT", "out\\T.TXT", FailedFile::Target, Names::Path, true,
     "member T.TXT: Cannot create file {dir}out\\T.TXT ("},
    {"GivenUpByTheUser",
     [](const ScratchDir& dir, pack::TCustomPack& pack) {
       pack.OnProgress = [](platform::TObject*, const std::string& name, int32_t, bool& cancel) {
         cancel = name == "B.TXT";
       };
       return Use(dir, pack, V2Package({{"A.TXT", {'a'}}, {"B.TXT", {'b'}}}));
     },
     FailureKind::Aborted, "", "", FailedFile::None, Names::Nothing, false, "Operation aborted"},
    {"NotACompressedFile",
     [](const ScratchDir& dir, pack::TCustomPack& pack) {
       return Use(dir, pack, V2Package({{"C.TXT", {'p', 'l', 'a', 'i', 'n', '!', '!', '!'}}}));
     },
     FailureKind::Compressed, "C.TXT", "(staging)", FailedFile::Staging, Names::Path, false,
     "member C.TXT: Lzrw1 : (staging) : NOT A COMPRESSED FILE !", true},
    {"VolumeSizeTooSmall",
     [](const ScratchDir& dir, pack::TCustomPack& pack) {
       platform::FileSystemPort().CreateDirectory(dir / "src");
       WriteFileBytes(dir / "src/A.TXT", SampleText(300));
       pack.SetPackFileName(In(dir) + "W.PCK");
       pack.SetDirectory(In(dir) + "src");
       pack.Items = {"*.*"};
       pack.VolumeSize = 20;
       return false;
     },
     FailureKind::Unstorable, "", "", FailedFile::None, Names::Nothing, false,
     "Volume size 20 is too small for this package"},
#ifndef _WIN32  // where "aux.c" can be a file
    {"UnsafeStoredName",
     [](const ScratchDir& dir, pack::TCustomPack& pack) {
       platform::FileSystemPort().CreateDirectory(dir / "src");
       WriteFileBytes(dir / "src/aux.c", SampleText(30));
       pack.SetPackFileName(In(dir) + "W.PCK");
       pack.SetDirectory(In(dir) + "src");
       pack.Items = {"*.*"};
       return false;
     },
     FailureKind::Unstorable, "", "", FailedFile::None, Names::Member, false,
     "{dir}src\\aux.c would be stored as aux.c, a name refused on extraction (reserved device "
     "name)"},
#endif
};

class FailureRecord : public ::testing::TestWithParam<Case> {
 protected:
  ScratchDir dir;
  testing_support::FakeDrives drives;  // every drive fixed: no disk is asked for
};

std::string Filled(std::string text, const std::string& dir) {
  const std::string mark = "{dir}";
  if (const auto at = text.find(mark); at != std::string::npos) text.replace(at, mark.size(), dir);
  return text;
}

TEST_P(FailureRecord, SaysWhatWentWrongAndLastErrorReadsAsBefore) {
  const Case& c = GetParam();
  std::unique_ptr<pack::TCustomPack> pack;
  if (c.compressed)
    pack = std::make_unique<pack::TPackLz>(nullptr);
  else
    pack = std::make_unique<pack::TCustomPack>(nullptr);
  const bool reading = c.prepare(dir, *pack);
  EXPECT_FALSE(reading ? pack->Extract() : pack->WritePackage());

  const pack::PackFailure& f = pack->Failure();
  const std::string staging =
      c.compressed ? static_cast<pack::TPackLz&>(*pack).TempFile() : std::string();
  const std::string path = c.path == "(staging)" ? staging
                           : c.path.empty()      ? std::string()
                                                 : In(dir) + c.path;
  EXPECT_EQ(f.Kind, c.kind);
  EXPECT_EQ(f.Member, c.member);
  EXPECT_EQ(f.Path, path);
  EXPECT_EQ(f.File, c.file);
  EXPECT_EQ(f.Message.What, c.names);
  if (c.names == Names::Path) {
    EXPECT_EQ(f.Message.Name, path);
  }
  if (c.names == Names::Member && !c.member.empty()) {
    EXPECT_EQ(f.Message.Name, c.member);
  }
  EXPECT_EQ(!f.Reason.empty(), c.reason) << f.Reason;
  // The text: exactly, or up to what the system words its own way on each machine.
  std::string expected = Filled(c.lastError, In(dir));
  if (c.path == "(staging)")
    expected = Filled(c.lastError, In(dir))
                   .replace(std::string(c.lastError).find("(staging)"), 9, staging);
  const std::string lastError = pack->LastError();
  if (c.reason)
    EXPECT_EQ(lastError.rfind(expected, 0), 0u) << lastError;
  else
    EXPECT_EQ(lastError, expected);
  EXPECT_EQ(lastError, f.Text());
}

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

INSTANTIATE_TEST_SUITE_P(Table, FailureRecord, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

// A run that succeeds after one that failed keeps nothing of it.
TEST(FailureRecordRun, IsClearedByTheNextRun) {
  ScratchDir dir;
  testing_support::FakeDrives drives;
  pack::TCustomPack pack(nullptr);
  WriteFileBytes(dir / "P.PCK", V2Package({{"A.TXT", {'a'}}}, "pw"));
  pack.SetPackFileName(In(dir) + "P.PCK");
  pack.SetDirectory(In(dir) + "out");
  ASSERT_FALSE(pack.Extract());
  EXPECT_EQ(pack.Failure().Kind, FailureKind::Password);
  pack.SetPassword("pw");
  ASSERT_TRUE(pack.Extract()) << pack.LastError();
  EXPECT_FALSE(pack.Failure().Failed());
  EXPECT_EQ(pack.LastError(), "");
}

// A refused name and a later fatal failure: the run's failure is the fatal one, and the
// refusal was told on the way; a refusal alone ends a run that read on to the end.
TEST(FailureRecordRun, TheFailureThatEndsTheRunIsTheOneKept) {
  ScratchDir dir;
  testing_support::FakeDrives drives;
  pack::TCustomPack pack(nullptr);
  std::vector<std::string> told;
  pack.OnError = [&](platform::TObject*, const platform::Exception&, const std::string&) {
    told.push_back(pack.Failure().Text());
  };
  Bytes package = V2Package({{"CON", {'c'}}, {"A.TXT", {'a'}}, {"B.TXT", {'b', 'b'}}});
  WriteFileBytes(dir / "P.PCK", package);
  pack.SetPackFileName(In(dir) + "P.PCK");
  pack.SetDirectory(In(dir) + "out");
  ASSERT_FALSE(pack.Extract());
  EXPECT_EQ(pack.Failure().Kind, FailureKind::RefusedName);
  EXPECT_TRUE(pack.Failure().LetsRunGoOn());
  EXPECT_EQ(pack.LastError(), "Member name holds a reserved device name: CON");

  package.pop_back();
  WriteFileBytes(dir / "P.PCK", package);
  told.clear();
  ASSERT_FALSE(pack.Extract());
  EXPECT_EQ(pack.Failure().Kind, FailureKind::VolumeMissing);
  EXPECT_FALSE(pack.Failure().LetsRunGoOn());
  EXPECT_EQ(told, (std::vector<std::string>{"Member name holds a reserved device name: CON",
                                            "member B.TXT: Volume 2 of the package is not "
                                            "available"}));
}

}  // namespace
