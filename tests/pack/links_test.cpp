// Extracting into a prepared target directory that holds symbolic links: to
// directories, to files and to nothing, at several depths. Nothing outside the target
// is written, truncated, made or given other attributes, by the base engine (members
// taken raw) and by the compressed one (members restored by the driver) alike; a
// refusal names the member and the reason.
#include "support/links.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "pack/cpacklz.h"
#include "pack_test_util.h"
#include "support/fake_drives.h"

using namespace packtest;
using testing_support::ReadFileBytes;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;

namespace {

constexpr const char* kNoLinks = "this system cannot make symbolic links here";

class LinksTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    pack::CreateDirectories(dir / "outside");
    pack::CreateDirectories(dir / "target/a/b");
    WriteFileBytes(dir / "outside/victim.txt", {'o', 'l', 'd'});
    before_ = Outside();
  }

  bool Link(const std::string& target, const std::string& link, bool directory) {
    return testing_support::MakeSymlink(dir / target, dir / link, directory);
  }

  // Extracts a package holding the member `name` (read-only, content "new") into
  // target; the errors reported are kept.
  bool Extract(const std::string& name) {
    const Bytes content = {'n', 'e', 'w'};
    const Bytes stored =
        GetParam() ? Compressed(content, compress::TCompressMode::Good, dir) : content;
    Bytes package = Prefix("PCK11", 40000.5, 1);
    Append(package, V2Header(1));
    Append(package, Record(static_cast<int32_t>(stored.size()), name, platform::kAttrReadOnly));
    Append(package, stored);
    WriteFileBytes(dir / "P.PCK", package);
    std::unique_ptr<pack::TCustomPack> pack;
    if (GetParam())
      pack = std::make_unique<pack::TPackLz>(nullptr);
    else
      pack = std::make_unique<pack::TCustomPack>(nullptr);
    pack->SetPackFileName(dir / "P.PCK");
    pack->SetDirectory(dir / "target");
    errors.clear();
    pack->OnError = [this](platform::TObject*, const platform::Exception& e, const std::string&) {
      errors.push_back(platform::Describe(e));
    };
    return pack->Extract();
  }

  // Every file below outside: name, content and read-only bit.
  std::map<std::string, std::string> Outside() const {
    std::map<std::string, std::string> seen;
    for (const std::string& name : Listing(dir / "outside")) {
      const std::string path = dir / ("outside/" + name);
      uint16_t attr = 0;
      platform::FileSystemPort().GetAttributes(path, attr);
      const Bytes bytes =
          platform::FileSystemPort().DirectoryExists(path) ? Bytes{} : ReadFileBytes(path);
      seen[name] = std::string(bytes.begin(), bytes.end()) +
                   ((attr & platform::kAttrReadOnly) ? " (read-only)" : "");
    }
    return seen;
  }

  ScratchDir dir;
  testing_support::FakeDrives drives;
  std::vector<std::string> errors;
  std::map<std::string, std::string> before_;
};

}  // namespace

TEST_P(LinksTest, ADirectoryLinkOnTheWayIsRefusedAtEveryDepth) {
  if (!Link("outside", "target/dlink", true)) GTEST_SKIP() << kNoLinks;
  if (!Link("outside", "target/a/b/deep", true)) GTEST_SKIP() << kNoLinks;
  for (const std::string name : {"dlink\\victim.txt", "dlink\\sub\\evil.txt",
                                 "a\\b\\deep\\victim.txt", "a/b/deep/c/d/evil.txt"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(Extract(name));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(name), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find(platform::kReasonLinkOnPath), std::string::npos) << errors[0];
    EXPECT_EQ(Outside(), before_);
  }
}

TEST_P(LinksTest, ALinkAtTheMembersOwnPlaceIsNeverFollowed) {
  if (!Link("outside/victim.txt", "target/victim-link", false)) GTEST_SKIP() << kNoLinks;
  if (!Link("outside/made.txt", "target/a/dangling", false)) GTEST_SKIP() << kNoLinks;
  if (!Link("outside", "target/a/b/dir-link", true)) GTEST_SKIP() << kNoLinks;
  const bool replacedFile = Extract("victim-link");
  const bool replacedDangling = Extract("a\\dangling");
  const bool replacedDirectory = Extract("a\\b\\dir-link");
  EXPECT_EQ(Outside(), before_);
#ifndef _WIN32
  // The link is removed and the member written in its place, read-only as stored.
  EXPECT_TRUE(replacedFile);
  EXPECT_TRUE(replacedDangling);
  EXPECT_TRUE(replacedDirectory);
  for (const char* name : {"victim-link", "a/dangling", "a/b/dir-link"})
    EXPECT_EQ(ReadFileBytes(dir / ("target/" + std::string(name))), (Bytes{'n', 'e', 'w'}));
#else
  // Under Wine a host link to a file looks like the file; it is recognised and refused.
  if (testing_support::UnderWine()) {
    EXPECT_FALSE(replacedFile);
  }
  EXPECT_FALSE(replacedDirectory);
  static_cast<void>(replacedDangling);
#endif
}

INSTANTIATE_TEST_SUITE_P(Engines, LinksTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Compressed" : "Raw"; });
