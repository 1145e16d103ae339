// Hashing a file's content, the one loop every layer uses: of a path through a files
// port, or of what is left of an open file.
#include <gtest/gtest.h>

#include "platform/digest.h"
#include "platform/files.h"
#include "platform/forwarding_files.h"
#include "support/test_files.h"

namespace {

using testing_support::Bytes;
using testing_support::ScratchDir;

class CountingOpens : public platform::ForwardingFiles {
 public:
  std::unique_ptr<platform::File> Open(const std::string& path, platform::Access access,
                                       platform::Share share,
                                       platform::Disposition disposition) override {
    ++opens;
    return ForwardingFiles::Open(path, access, share, disposition);
  }
  int opens = 0;
};

TEST(DigestOfFile, IsTheDigestOfTheContentFromWhereTheFileStands) {
  ScratchDir dir;
  const Bytes content = testing_support::SampleText(200000, 3);  // several reads' worth
  testing_support::WriteFileBytes(dir / "F.BIN", content);
  const auto whole = platform::DigestOfFile(dir / "F.BIN");
  ASSERT_TRUE(whole);
  EXPECT_EQ(*whole, platform::TContentHash::Of(content.data(), content.size()));

  auto file =
      platform::FileSystemPort().Open(dir / "F.BIN", platform::Access::Read, platform::Share::Read,
                                      platform::Disposition::OpenExisting);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->Seek(1000));
  const auto rest = platform::DigestOfFile(*file);
  ASSERT_TRUE(rest);
  EXPECT_EQ(*rest, platform::TContentHash::Of(content.data() + 1000, content.size() - 1000));

  EXPECT_FALSE(platform::DigestOfFile(dir / "MISSING.BIN"));
  // Through the port it is given.
  CountingOpens port;
  EXPECT_EQ(platform::DigestOfFile(dir / "F.BIN", &port), whole);
  EXPECT_EQ(port.opens, 1);
}

}  // namespace
