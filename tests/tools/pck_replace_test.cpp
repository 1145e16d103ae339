// pck extract over a folder that already holds the member's file: one table of the ways
// the member can fail (the package cut inside it, its next volume missing, a byte of it
// changed, a full temporary folder, a full target disk), each leaving the older file
// byte for byte and nothing beside it. Natively and as pck.exe under Wine; the full
// disks are real ones (small memory file systems), where the machine lets the test
// mount them. Also the digests pck create writes, and what test, list and info say.
#include <filesystem>
#include <functional>

#include "pck_fixture.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace pck_tool_tests {
namespace {

const Bytes kOlder = {'o', 'l', 'd', 'e', 'r'};

// The offset of a byte inside the first stored block of the first fast-compressed
// member: past the "WRZL" header (8 bytes), the record's length (2) and the block's
// flag (1).
std::size_t InsideAStoredBlock(const Bytes& package) {
  const Bytes sig = {'W', 'R', 'Z', 'L'};
  const auto at = std::search(package.begin(), package.end(), sig.begin(), sig.end());
  EXPECT_NE(at, package.end());
  const std::size_t wrzl = static_cast<std::size_t>(at - package.begin());
  EXPECT_EQ(package[wrzl + 10], 0x80) << "the first block is not stored";
  return wrzl + 11 + 1000;
}

// A memory file system of `bytes` mounted on `path` for the object's lifetime, where the
// machine allows it (root on Linux).
class SmallDisk {
 public:
  SmallDisk(const std::string& path, int kilobytes) : path_(path) {
#ifndef _WIN32
    if (::geteuid() != 0) return;
    const std::string mount = "mount -t tmpfs -o size=" + std::to_string(kilobytes) + "k tmpfs " +
                              Quote(path) + " 2>/dev/null";
    mounted_ = std::system(mount.c_str()) == 0;
#endif
  }
  ~SmallDisk() {
    if (mounted_) std::system(("umount -l " + Quote(path_)).c_str());
  }
  bool Mounted() const { return mounted_; }

 private:
  std::string path_;
  bool mounted_ = false;
};

class PckReplace : public PckTool {
 public:  // the scenarios prepare it
  void SetUp() override {
    // DATA.BIN is random, so its blocks are stored; two volumes of it, fast.
    platform::FileSystemPort().CreateDirectory(dir / "src");
    MakeFile("src/DATA.BIN", testing_support::RandomBytes(100000, 9));
    MakeFile("src/NOTE.TXT", Bytes(50, 'n'));
    platform::FileSystemPort().CreateDirectory(dir / "DISK1");
    ASSERT_EQ(Pck("create " + P("DISK1/P.PCK") + " -C " + P("src") +
                  " --method fast --volume-size 60000 DATA.BIN NOTE.TXT")
                  .status,
              0);
    platform::FileSystemPort().CreateDirectory(dir / "out");
    WriteFileBytes(dir / "out/DATA.BIN", kOlder);
  }
  Outcome Extract() { return Pck("extract " + P("DISK1/P.PCK") + " -d " + P("out")); }
  std::vector<std::string> Out() const { return packtest::Listing(dir / "out"); }
  using PckTool::dir;
};

struct Case {
  const char* name;
  std::function<void(PckReplace&)> prepare;
  const char* message;  // in what pck says, after the member's name
};

const Case kCases[] = {
    {"CutInsideTheMember",
     [](PckReplace& t) {
       Bytes p = ReadFileBytes(t.dir / "DISK2/P.PCK");
       p.resize(p.size() / 2);
       WriteFileBytes(t.dir / "DISK2/P.PCK", p);
     },
     "DATA.BIN: "},
    {"NextVolumeMissing", [](PckReplace& t) { std::filesystem::remove(t.dir / "DISK2/P.PCK"); },
     "volume 2 not found"},
    {"AByteChangedInAStoredBlock",
     [](PckReplace& t) {
       Bytes p = ReadFileBytes(t.dir / "DISK1/P.PCK");
       p[InsideAStoredBlock(p)] ^= 0x01;
       WriteFileBytes(t.dir / "DISK1/P.PCK", p);
     },
     "DATA.BIN: content does not match the package's digest"},
};

class ExtractFailure : public PckReplace, public ::testing::WithParamInterface<Case> {};

TEST_P(ExtractFailure, LeavesTheOlderFileAndNothingBesideIt) {
  GetParam().prepare(*this);
  const Outcome r = Extract();
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_TRUE(Contains(r.err, GetParam().message)) << r.err;
  EXPECT_EQ(ReadFileBytes(dir / "out/DATA.BIN"), kOlder);
  for (const std::string& name : Out())
    EXPECT_TRUE(name == "DATA.BIN" || name == "NOTE.TXT") << name;
}

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

INSTANTIATE_TEST_SUITE_P(Table, ExtractFailure, ::testing::ValuesIn(kCases), ScenarioName());

#ifndef _WIN32
TEST_F(PckReplace, AFullTemporaryFolderOrTargetDiskLeavesTheOlderFile) {
  // The temporary folder: too small for DATA.BIN's staging file.
  platform::FileSystemPort().CreateDirectory(dir / "tmp");
  SmallDisk tmp(dir / "tmp", 32);
  if (!tmp.Mounted()) GTEST_SKIP() << "this machine lets no test mount a file system";
  launcher = "TMPDIR=" + Quote(dir / "tmp") + " ";
  Outcome r = Extract();
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "no space left on device")) << r.err;
  EXPECT_EQ(ReadFileBytes(dir / "out/DATA.BIN"), kOlder);
  EXPECT_EQ(Out(), std::vector<std::string>{"DATA.BIN"});
  launcher.clear();

  // The target disk: the older file is there, the new one does not fit beside it.
  platform::FileSystemPort().CreateDirectory(dir / "small");
  SmallDisk small(dir / "small", 64);
  ASSERT_TRUE(small.Mounted());
  WriteFileBytes(dir / "small/DATA.BIN", kOlder);
  r = Pck("extract " + P("DISK1/P.PCK") + " -d " + P("small"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "DATA.BIN")) << r.err;
  EXPECT_EQ(ReadFileBytes(dir / "small/DATA.BIN"), kOlder);
  // The run goes on with the next member, which fits; nothing else is left beside them.
  EXPECT_EQ(packtest::Listing(dir / "small"), (std::vector<std::string>{"DATA.BIN", "NOTE.TXT"}));
}
#endif

TEST_F(PckReplace, CreateWritesDigestsAndTestListAndInfoUseThem) {
  Outcome r = Pck("info " + P("DISK1/P.PCK"));
  EXPECT_TRUE(Contains(r.out, "Digests:   2 of 2 members, directory yes")) << r.out;
  r = Pck("list -v " + P("DISK1/P.PCK"));
  EXPECT_TRUE(Contains(r.out, "xxh3-128 ")) << r.out;
  EXPECT_EQ(Pck("test " + P("DISK1/P.PCK")).status, 0);

  Bytes p = ReadFileBytes(dir / "DISK1/P.PCK");
  p[InsideAStoredBlock(p)] ^= 0x01;
  WriteFileBytes(dir / "DISK1/P.PCK", p);
  r = Pck("test " + P("DISK1/P.PCK"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "DATA.BIN: content does not match the package's digest")) << r.err;

  // Without digests (and Linux metadata) the package is what the format alone makes it: the same
  // bytes but for the stamps, and nothing to check.
  ASSERT_EQ(Pck("create " + P("N.PCK") + " -C " + P("src") +
                " --method fast --no-digest --no-unix NOTE.TXT")
                .status,
            0);
  r = Pck("info " + P("N.PCK"));
  EXPECT_TRUE(Contains(r.out, "Digests:   none")) << r.out;
  EXPECT_TRUE(Contains(r.out, "Header:    0 lines")) << r.out;
}

}  // namespace
}  // namespace pck_tool_tests
