// Wildcard search and full paths through the files port.
#include <filesystem>

#include "port_test_util.h"

namespace port_tests {
namespace {

using Strings = std::vector<std::string>;

class PlatformFind : public PortTest {
 protected:
  void SetUp() override {
    Make("a.txt", "aaaa");
    Make("B.TXT", "bb");
    Make("c.dat", "c");
    Make("noext", "");
    Make("h.txt", "hidden");
    ASSERT_TRUE(fs_.SetAttributes(At("h.txt"), platform::kAttrHidden | platform::kAttrArchive));
    Make("r.txt", "ro");
    ASSERT_TRUE(fs_.SetAttributes(At("r.txt"), platform::kAttrReadOnly));
    ASSERT_TRUE(fs_.CreateDirectory(At("sub.txt")));
  }

  Strings Find(const std::string& pattern, uint16_t mask) {
    return Names(fs_.Find(At(pattern), mask));
  }
};

TEST_F(PlatformFind, AttributeMaskSelectsEntries) {
  // Read-only and archive never exclude; hidden needs 0x02 in the mask, directories 0x10.
  EXPECT_EQ(Find("*.txt", 0x21), (Strings{"B.TXT", "a.txt", "r.txt"}));
  EXPECT_EQ(Find("*.txt", 0x00), (Strings{"B.TXT", "a.txt", "r.txt"}));
  EXPECT_EQ(Find("*.txt", 0x27), (Strings{"B.TXT", "a.txt", "h.txt", "r.txt"}));
  EXPECT_EQ(Find("*.txt", 0x31), (Strings{"B.TXT", "a.txt", "r.txt", "sub.txt"}));
  EXPECT_EQ(Find("*.txt", 0x37), (Strings{"B.TXT", "a.txt", "h.txt", "r.txt", "sub.txt"}));
}

TEST_F(PlatformFind, PatternsMatchWithoutRegardToCase) {
  EXPECT_EQ(Find("*.TXT", 0x21), (Strings{"B.TXT", "a.txt", "r.txt"}));
  EXPECT_EQ(Find("b.txt", 0x21), (Strings{"B.TXT"}));
  EXPECT_EQ(Find("?.dat", 0x21), (Strings{"c.dat"}));
  EXPECT_EQ(Find("*.*", 0x21), (Strings{"B.TXT", "a.txt", "c.dat", "noext", "r.txt"}));
  EXPECT_EQ(Find("*", 0x21), (Strings{"B.TXT", "a.txt", "c.dat", "noext", "r.txt"}));
  EXPECT_EQ(Find("*.zip", 0x37), Strings{});
  EXPECT_EQ(Names(fs_.Find(At("nowhere") + kSep + "*.*", 0x37)), Strings{});
}

TEST_F(PlatformFind, EntriesCarrySizeAndAttributes) {
  const auto found = fs_.Find(At("*.*"), 0x37);
  // "." and ".." are never reported.
  for (const auto& f : found) EXPECT_TRUE(f.Name != "." && f.Name != "..") << f.Name;
  auto entry = [&](const std::string& name) {
    for (const auto& f : found)
      if (f.Name == name) return f;
    ADD_FAILURE() << name << " not found";
    return platform::FoundFile{};
  };
  EXPECT_EQ(entry("a.txt").Size, 4);
  EXPECT_EQ(entry("noext").Size, 0);
  EXPECT_EQ(entry("h.txt").Attr, platform::kAttrHidden | platform::kAttrArchive);
  EXPECT_EQ(entry("r.txt").Attr & platform::kAttrReadOnly, platform::kAttrReadOnly);
  EXPECT_EQ(entry("sub.txt").Attr & platform::kAttrDirectory, platform::kAttrDirectory);
  EXPECT_EQ(entry("sub.txt").Size, 0);
}

// ---- full paths -----------------------------------------------------------------

class PlatformFullPath : public PortTest {
 protected:
  testing_support::ScratchCurrentDir here_;
  std::string Here(const std::string& name) const { return here_ / name; }
};

TEST_F(PlatformFullPath, RelativePathsStartAtTheCurrentDirectory) {
  // The scratch directory is already a full path ending with the separator.
  EXPECT_EQ(fs_.FullPath("x.txt"), Here("x.txt"));
  EXPECT_EQ(fs_.FullPath("sub\\x.txt"), Here(std::string("sub") + kSep + "x.txt"));
  EXPECT_EQ(fs_.FullPath("sub\\..\\y.txt"), Here("y.txt"));
  EXPECT_EQ(fs_.FullPath(".\\z.txt"), Here("z.txt"));
}

TEST_F(PlatformFullPath, FullPathsStayAsTheyAre) {
  EXPECT_EQ(fs_.FullPath(At("x.txt")), At("x.txt"));
  EXPECT_EQ(fs_.FullPath(At("a") + kSep + ".." + kSep + "b"), At("b"));
  EXPECT_EQ(fs_.FullPath(Here("x.txt")), Here("x.txt"));
}

}  // namespace
}  // namespace port_tests
