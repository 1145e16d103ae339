// The compressed engine's staging file: in a directory of its own that only this user
// may enter, made anew for every member without following a link, and never cut short.
#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "pack/cpacklz.h"
#include "pack_test_util.h"
#include "platform/system.h"
#include "support/fake_drives.h"
#include "support/forwarding_temp.h"

using namespace packtest;
using testing_support::ReadFileBytes;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;

namespace {

class StagingTest : public ::testing::Test {
 protected:
  // A reader of a package with two members, A.TXT and B.TXT.
  std::unique_ptr<pack::TPackLz> Reader() {
    WriteFileBytes(dir / "P.PCK",
                   V2Package({{"A.TXT", Compressed(first, compress::TCompressMode::Good, dir)},
                              {"B.TXT", Compressed(second, compress::TCompressMode::Fast, dir)}}));
    auto pack = std::make_unique<pack::TPackLz>(nullptr);
    pack->SetPackFileName(dir / "P.PCK");
    pack->SetDirectory(dir / "out");
    return pack;
  }
  ScratchDir dir;
  testing_support::FakeDrives drives;
  const Bytes first = testing_support::SampleText(40000, 1);
  const Bytes second = testing_support::SampleText(30000, 2);
};

// A temporary-files port whose directory is a given one.
class TempIn : public testing_support::ForwardingTemp {
 public:
  explicit TempIn(std::string dir) : dir_(std::move(dir)) {}
  std::string Directory() override { return dir_; }

 private:
  std::string dir_;
};

}  // namespace

TEST_F(StagingTest, LivesInADirectoryOfItsOwnThatGoesWithTheEngine) {
  TempIn temp(dir.Path());
  auto pack = Reader();
  const std::string staging = pack->TempFile(), own = pack->StagingDirectory();
  EXPECT_EQ(staging.rfind(own, 0), 0u) << staging;
  EXPECT_EQ(own.rfind(dir.Path(), 0), 0u) << own;
  EXPECT_NE(own, dir.Path());
#ifndef _WIN32
  // Only the owner may enter the directory or read the file, also while a member
  // passes through it.
  std::vector<unsigned> modes;
  pack->OnFileProgress = [&](platform::TObject*, int32_t, int32_t) {
    struct stat st {};
    if (::stat(staging.c_str(), &st) == 0) modes.push_back(st.st_mode & 0777);
    if (::stat(own.c_str(), &st) == 0) modes.push_back(st.st_mode & 0777);
  };
#endif
  ASSERT_TRUE(pack->Extract()) << pack->LastError();
  EXPECT_EQ(ReadFileBytes(dir / "out/B.TXT"), second);
#ifndef _WIN32
  ASSERT_FALSE(modes.empty());
  for (std::size_t i = 0; i < modes.size(); i += 2) {
    EXPECT_EQ(modes[i], 0600u);
    EXPECT_EQ(modes[i + 1], 0700u);
  }
#endif
  pack.reset();
  EXPECT_FALSE(platform::FileSystemPort().DirectoryExists(own));
  EXPECT_EQ(Listing(dir.Path()),
            (std::vector<std::string>{"P.PCK", "out", "out/A.TXT", "out/B.TXT"}));
}

#ifndef _WIN32
TEST_F(StagingTest, ALinkPlantedAtItsNameBetweenMembersIsNotFollowed) {
  WriteFileBytes(dir / "victim.txt", {'o', 'l', 'd'});
  auto pack = Reader();
  // After the first member the staging file is gone; a link takes its name.
  pack->OnClose = [&](platform::TObject*, std::string& target) {
    if (target.find("A.TXT") != std::string::npos) {
      ASSERT_EQ(::symlink((dir / "victim.txt").c_str(), pack->TempFile().c_str()), 0);
    }
  };
  ASSERT_TRUE(pack->Extract()) << pack->LastError();
  EXPECT_EQ(ReadFileBytes(dir / "victim.txt"), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(ReadFileBytes(dir / "out/B.TXT"), second);
}
#endif

TEST_F(StagingTest, APathTooLongToKeepFailsInsteadOfBeingCut) {
  // A temporary directory whose staging paths come out longer than 256 characters.
  std::string deep = dir.Path();
  while (deep.size() < 240) {
    deep += std::string(std::min<std::size_t>(40, 240 - deep.size()), 'd');
    ASSERT_TRUE(platform::FileSystemPort().CreateDirectory(deep));
    deep += deep.find('\\') != std::string::npos ? '\\' : '/';
  }
  TempIn temp(deep);
  try {
    pack::TPackLz pack(nullptr);
    FAIL() << "made " << pack.TempFile();
  } catch (const pack::EPackException& e) {
#ifndef _WIN32
    EXPECT_NE(e.Message().find("longer than 256 characters"), std::string::npos) << e.Message();
#endif
  }
  // Nothing is left behind in the temporary directory.
  EXPECT_TRUE(std::filesystem::is_empty(deep));
}
