// The engine makes members' targets and its staging file through the files port it is
// handed (TCustomPack::SetFiles), not through the one in use: a port handed in sees every
// target and the staging file, the one in use sees none of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "pack/cpacklz.h"
#include "pack_test_util.h"
#include "platform/forwarding_files.h"
#include "support/fake_drives.h"
#include "support/test_files.h"

using namespace packtest;
using testing_support::ReadFileBytes;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;

namespace {

// Every path a call names, as it is given.
class RecordingFiles : public platform::ForwardingFiles {
 public:
  std::unique_ptr<platform::File> Open(const std::string& path, platform::Access access,
                                       platform::Share share,
                                       platform::Disposition disposition) override {
    paths.insert(path);
    return ForwardingFiles::Open(path, access, share, disposition);
  }
  std::unique_ptr<platform::Replacement> CreateReplacement(const std::string& root,
                                                           const std::string& relative,
                                                           platform::Access access,
                                                           platform::Share share) override {
    paths.insert(pack::CombinePath(root, relative));
    return ForwardingFiles::CreateReplacement(root, relative, access, share);
  }
  bool Delete(const std::string& path) override {
    paths.insert(path);
    return ForwardingFiles::Delete(path);
  }
  bool SetAttributes(const std::string& path, uint16_t attr) override {
    paths.insert(path);
    return ForwardingFiles::SetAttributes(path, attr);
  }
  bool DirectoryExists(const std::string& path) override {
    paths.insert(path);
    return ForwardingFiles::DirectoryExists(path);
  }
  bool CreateDirectory(const std::string& path) override {
    paths.insert(path);
    return ForwardingFiles::CreateDirectory(path);
  }
  bool Saw(const std::string& part) const {
    return std::any_of(paths.begin(), paths.end(),
                       [&](const std::string& p) { return p.find(part) != std::string::npos; });
  }
  std::set<std::string> paths;
};

class FilesPortTest : public ::testing::Test {
 protected:
  ScratchDir dir;
  testing_support::FakeDrives drives;
  const Bytes first = testing_support::SampleText(20000, 1);
  const Bytes second = testing_support::SampleText(9000, 2);
  // Made before the one in use is replaced: it passes its calls on to the real files.
  RecordingFiles handed;
};

TEST_F(FilesPortTest, ExtractingMakesTargetsAndStagingOnlyThroughThePortHandedIn) {
  WriteFileBytes(dir / "P.PCK",
                 V2Package({{"SUB\\A.TXT", Compressed(first, compress::TCompressMode::Good, dir)},
                            {"B.TXT", Compressed(second, compress::TCompressMode::Fast, dir)}}));
  pack::TPackLz pack(nullptr);
  pack.SetPackFileName(dir / "P.PCK");
  pack.SetDirectory(dir / "out");
  pack.OnFolderCreated = [](platform::TObject*, const std::string&) {};
  pack.SetFiles(&handed);
  std::set<std::string> inUse;
  {
    RecordingFiles global;
    const platform::ScopedPort<platform::FileSystem> installed(global);
    ASSERT_TRUE(pack.Extract()) << pack.LastError();
    inUse = global.paths;
  }
  EXPECT_EQ(ReadFileBytes(dir / "out/SUB/A.TXT"), first);
  EXPECT_EQ(ReadFileBytes(dir / "out/B.TXT"), second);
  // Both targets and the staging file went through the port handed in.
  EXPECT_TRUE(handed.paths.count(pack::CombinePath(dir / "out", "SUB\\A.TXT")));
  EXPECT_TRUE(handed.paths.count(pack::CombinePath(dir / "out", "B.TXT")));
  EXPECT_TRUE(handed.paths.count(pack.TempFile()));
  // The one in use read the package, and saw nothing of the targets or the staging file.
  EXPECT_TRUE(std::find(inUse.begin(), inUse.end(), dir / "P.PCK") != inUse.end());
  for (const std::string& path : inUse) {
    EXPECT_EQ(path.find(dir / "out"), std::string::npos) << path;
    EXPECT_EQ(path.find(pack.StagingDirectory()), std::string::npos) << path;
  }
}

TEST_F(FilesPortTest, WritingStagesEverySourceThroughThePortHandedIn) {
  platform::FileSystemPort().CreateDirectory(dir / "src");
  WriteFileBytes(dir / "src/A.TXT", first);
  WriteFileBytes(dir / "src/B.TXT", second);
  pack::TPackLz pack(nullptr);
  pack.SetPackFileName(dir / "W.PCK");
  pack.SetDirectory(dir / "src");
  pack.Items = {"*.*"};
  pack.SetFiles(&handed);
  std::set<std::string> inUse;
  {
    RecordingFiles global;
    const platform::ScopedPort<platform::FileSystem> installed(global);
    ASSERT_TRUE(pack.WritePackage()) << pack.LastError();
    inUse = global.paths;
  }
  EXPECT_TRUE(handed.paths.count(pack.TempFile()));
  for (const std::string& path : inUse)
    EXPECT_EQ(path.find(pack.StagingDirectory()), std::string::npos) << path;

  // What was written reads back, through the port in use this time.
  pack::TPackLz reader(nullptr);
  reader.SetPackFileName(dir / "W.PCK");
  reader.SetDirectory(dir / "out");
  ASSERT_TRUE(reader.Extract()) << reader.LastError();
  EXPECT_EQ(ReadFileBytes(dir / "out/A.TXT"), first);
  EXPECT_EQ(ReadFileBytes(dir / "out/B.TXT"), second);
}

}  // namespace
