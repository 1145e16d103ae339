// Path helpers of the package layer: joining, extensions, wildcard matching, file
// finishing, removable drives and directory chains.
#include "pack/lfiles.h"

#include <gtest/gtest.h>

#include "platform/exceptions.h"
#include "platform/files.h"
#include "support/fake_drives.h"
#include "support/test_files.h"

using namespace pack;
using testing_support::FakeDrives;
using testing_support::ScratchDir;

TEST(CombinePath, JoinsWithExactlyOneBackslash) {
  for (const char* dir : {"C:\\DATA", "C:\\DATA\\"})
    for (const char* name : {"X.DB", "\\X.DB"}) EXPECT_EQ(CombinePath(dir, name), "C:\\DATA\\X.DB");
  EXPECT_EQ(CombinePath("", "\\A\\B"), "A\\B");
  EXPECT_EQ(CombinePath("D", ""), "D\\");
  EXPECT_EQ(CombinePath("D", "\\\\S"), "D\\\\S");  // only one leading backslash is dropped
}

TEST(ExtensionPos, OnlyTheLastComponentHoldsTheExtension) {
  EXPECT_EQ(ExtensionPos("C:\\V1.2\\FILE"), 13);
  EXPECT_EQ(ExtensionPos("A.B.TXT"), 4);
  EXPECT_EQ(ExtensionPos("A:.TXT"), 3);
  EXPECT_EQ(ExtensionPos("A.B:C"), 6);
  EXPECT_EQ(ExtensionPos(""), 1);
}

TEST(MatchPattern, WalksStarsAndQuestionMarks) {
  EXPECT_TRUE(MatchPattern("A*", "A"));
  EXPECT_FALSE(MatchPattern("A**", "A"));  // more pattern after * never starts at the end
  EXPECT_TRUE(MatchPattern("A**", "AB"));
  EXPECT_TRUE(MatchPattern("*", ""));
  EXPECT_FALSE(MatchPattern("", "X"));
  EXPECT_TRUE(MatchPattern("a?c", "AbC"));
  EXPECT_FALSE(MatchPattern("A?C", "AC"));
  EXPECT_TRUE(MatchPattern("C:\\*\\X", "c:\\dir\\sub\\x"));  // * spans backslashes
  EXPECT_FALSE(MatchPattern("\xE9", "\xC9"));                // only a..z are folded
  // Many stars against a long name stay fast.
  EXPECT_FALSE(MatchPattern("*A*A*A*A*A*A*A*A*B", std::string(250, 'A')));
}

TEST(MatchFileName, MatchesNameAndExtensionParts) {
  EXPECT_TRUE(MatchFileName("*.DBF", "cadastro.dbf"));
  EXPECT_FALSE(MatchFileName("*", "README.TXT"));
  EXPECT_TRUE(MatchFileName("*", "README"));
  EXPECT_TRUE(MatchFileName("*.*", "README"));
  EXPECT_TRUE(MatchFileName("*.*", "README.TXT"));
  EXPECT_TRUE(MatchFileName("A?C.TXT", "ABC.TXT"));
  EXPECT_FALSE(MatchFileName("A?C.TXT", "AC.TXT"));
  EXPECT_TRUE(MatchFileName("C:\\Data\\*.DBF", "c:\\DATA\\x.dbf"));
  EXPECT_FALSE(MatchFileName("C:\\DATA\\*.DBF", "C:\\OTHER\\X.DBF"));
}

TEST(SetFileDateAttr, SetsTimeThenAttributesAndNamesAMissingFile) {
  ScratchDir dir;
  const std::string f = dir / "F.TXT";
  testing_support::WriteFileBytes(f, {1, 2, 3});
  const uint32_t dos =
      (uint32_t{19} << 25) | (7u << 21) | (14u << 16) | (10u << 11) | (30u << 5) | 5u;
  SetFileDateAttr(f, static_cast<int32_t>(dos), platform::kAttrReadOnly | platform::kAttrArchive);
  uint32_t got = 0;
  uint16_t attr = 0;
  ASSERT_TRUE(platform::FileSystemPort().GetDosTime(f, got));
  ASSERT_TRUE(platform::FileSystemPort().GetAttributes(f, attr));
  EXPECT_EQ(got, dos);
  EXPECT_TRUE(attr & platform::kAttrReadOnly);
  try {
    SetFileDateAttr(dir / "MISSING.TXT", 0, 0);
    FAIL() << "no exception";
  } catch (const platform::EInOutError& e) {
    EXPECT_NE(std::string(e.Message()).find("MISSING.TXT"), std::string::npos);
  }
}

TEST(IsRemovableDrive, AsksTheProbeAboutTheDrivePart) {
  FakeDrives drives;
#ifdef _WIN32
  const std::string floppy = "A:\\X.PCK", cd = "D:\\X.PCK", fixed = "C:\\X.PCK";
  drives.Set("A:", platform::DriveType::Removable);
  drives.Set("D:", platform::DriveType::CdRom);
#else
  ScratchDir dir;
  const std::string floppy = dir / "floppy\\X.PCK", cd = dir / "cd\\X.PCK",
                    fixed = dir / "fixed\\X.PCK";
  drives.Set(dir / "floppy", platform::DriveType::Removable);
  drives.Set(dir / "cd", platform::DriveType::CdRom);
#endif
  for (bool allowCd : {false, true}) EXPECT_TRUE(IsRemovableDrive(floppy, allowCd));
  EXPECT_FALSE(IsRemovableDrive(cd, false));
  EXPECT_TRUE(IsRemovableDrive(cd, true));
  EXPECT_FALSE(IsRemovableDrive(fixed, true));
#ifdef _WIN32
  EXPECT_EQ(drives.queried.back(), "C:");
#else
  EXPECT_EQ(drives.queried.back(), platform::FileSystemPort().FullPath(fixed));  // no drive letters
#endif
}

TEST(CreateDirectories, CreatesTheChainAndRefusesEmptyText) {
  ScratchDir dir;
  EXPECT_TRUE(CreateDirectories(dir / "A\\B/C\\"));
  EXPECT_TRUE(platform::FileSystemPort().DirectoryExists(dir / "A\\B\\C"));
  EXPECT_TRUE(CreateDirectories(dir / "A\\B"));  // already there
  EXPECT_TRUE(CreateDirectories("C:"));
  EXPECT_TRUE(CreateDirectories("\\"));
  testing_support::WriteFileBytes(dir / "FILE", {1});
  EXPECT_FALSE(CreateDirectories(dir / "FILE\\SUB"));
  try {
    CreateDirectories("");
    FAIL() << "no exception";
  } catch (const platform::Exception& e) {
    EXPECT_EQ(e.Message(), "Unable to create directory");
  }
}
