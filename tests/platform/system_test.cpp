// Temporary files, the process error mode and drive types through their ports.
#include "platform/system.h"

#include "port_test_util.h"

namespace port_tests {
namespace {

std::string BaseName(const std::string& path) {
  const auto cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

using PlatformTemp = PortTest;

TEST_F(PlatformTemp, DirectoryExistsAndEndsWithSeparator) {
  const std::string dir = plat::TempFilesPort().Directory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), kSep);
  EXPECT_TRUE(fs_.DirectoryExists(dir));
}

TEST_F(PlatformTemp, CreateUniqueMakesDistinctEmptyFilesWithThePrefix) {
  auto& temp = plat::TempFilesPort();
  const std::string first = temp.CreateUnique(dir_.Path(), "PCK");
  const std::string second = temp.CreateUnique(dir_.Path(), "PCK");
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_NE(first, second);
  for (const auto& path : {first, second}) {
    EXPECT_TRUE(fs_.FileExists(path)) << path;
    EXPECT_EQ(Content(path), "");
    // The file system decides the case of the rest of the name.
    EXPECT_EQ(Upper(BaseName(path)).rfind("PCK", 0), 0u) << path;
    EXPECT_EQ(fs_.FullPath(path), path);
    EXPECT_EQ(Upper(fs_.FullPath(path)).rfind(Upper(dir_.Path()), 0), 0u) << path;
  }
  // The name is free for the caller to write and delete.
  auto f = fs_.Open(first, plat::Access::Write, plat::Share::None, plat::Disposition::CreateAlways);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Write("x", 1), 1);
  f.reset();
  EXPECT_TRUE(fs_.Delete(first));
}

TEST_F(PlatformTemp, CreateUniqueFailsInAMissingDirectory) {
  EXPECT_EQ(plat::TempFilesPort().CreateUnique(At("missing") + kSep, "PCK"), "");
}

TEST(PlatformErrorMode, SetReturnsThePreviousMode) {
  auto& mode = plat::ErrorModePort();
  const uint32_t original = mode.Set(plat::kSemFailCriticalErrors);
  EXPECT_EQ(mode.Set(original), plat::kSemFailCriticalErrors);
  EXPECT_EQ(mode.Set(original), original);
}

TEST(PlatformDrives, TypesOfKnownDrives) {
  auto& drives = plat::DrivesPort();
#ifdef _WIN32
  // The test prefix maps A: as a floppy drive.
  EXPECT_EQ(drives.TypeOf("A:"), plat::DriveType::Removable);
  EXPECT_EQ(drives.TypeOf("A:\\"), plat::DriveType::Removable);
  EXPECT_EQ(drives.TypeOf("C:"), plat::DriveType::Fixed);
  EXPECT_EQ(drives.TypeOf("c:\\"), plat::DriveType::Fixed);
  // A letter nothing is mapped to.
  EXPECT_EQ(drives.TypeOf("Q:"), plat::DriveType::NoRootDir);
#else
  EXPECT_EQ(drives.TypeOf(TEST_BUILD_DIR), plat::DriveType::Fixed);
  EXPECT_EQ(drives.TypeOf(std::string(TEST_BUILD_DIR) + "/no/such/dir"), plat::DriveType::Fixed);
#endif
}

}  // namespace
}  // namespace port_tests
