// Temporary files, the process error mode and drive types through their ports; under
// Wine, the shell's Start Menus, shortcuts and the administrator check.
#include "platform/system.h"

#include "platform/files.h"
#include "platform/shell.h"
#include "port_test_util.h"
#include "support/test_files.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

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
  const std::string dir = platform::TempFilesPort().Directory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), kSep);
  EXPECT_TRUE(fs_.DirectoryExists(dir));
}

TEST_F(PlatformTemp, CreateUniqueMakesDistinctEmptyFilesWithThePrefix) {
  auto& temp = platform::TempFilesPort();
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
  auto f = fs_.Open(first, platform::Access::Write, platform::Share::None,
                    platform::Disposition::CreateAlways);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Write("x", 1), 1);
  f.reset();
  EXPECT_TRUE(fs_.Delete(first));
}

TEST_F(PlatformTemp, CreateUniqueFailsInAMissingDirectory) {
  EXPECT_EQ(platform::TempFilesPort().CreateUnique(At("missing") + kSep, "PCK"), "");
}

#ifndef _WIN32
// A run killed outright leaves its private directory; a later run removes it, and only
// what can be nothing but such a leftover.
TEST_F(PlatformTemp, AbandonedPrivateDirectoriesGoAndNothingElse) {
  auto& temp = platform::TempFilesPort();
  const auto privateDir = [this](const std::string& name, mode_t mode, const char* file) {
    ::mkdir(At(name).c_str(), mode);
    ::chmod(At(name).c_str(), mode);
    if (file) Make(name + "/" + file, "staged");
  };
  const std::string live = temp.CreatePrivateDirectory(dir_.Path(), "PCK");  // marked: ours
  ASSERT_FALSE(live.empty());
  const std::string staging = temp.CreateUnique(live, "PCK");
  privateDir("PCKdead01", 0700, "PCKa1b2c3.tmp");   // a killed run's
  privateDir("PCKempty1", 0700, nullptr);           // killed before its first member
  privateDir("PCKother1", 0700, "notes.txt");       // holds what no run leaves
  privateDir("PCKwide01", 0755, "PCKa1b2c3.tmp");   // not private
  privateDir("PCKlonger1", 0700, "PCKa1b2c3.tmp");  // not the name of one
  privateDir("target", 0700, "PCKa1b2c3.tmp");
  ASSERT_EQ(::symlink(At("target").c_str(), At("PCKlink01").c_str()), 0);  // never followed
  bool foreign = false;
  if (::geteuid() == 0) {  // another user's
    privateDir("PCKtheirs", 0700, "PCKa1b2c3.tmp");
    foreign = ::chown(At("PCKtheirs").c_str(), 65534, 65534) == 0;
  }

  EXPECT_EQ(temp.RemoveAbandoned(dir_.Path(), "PCK"), 2);
  EXPECT_FALSE(fs_.DirectoryExists(At("PCKdead01")));
  EXPECT_FALSE(fs_.DirectoryExists(At("PCKempty1")));
  for (const char* kept : {"PCKother1/notes.txt", "PCKwide01/PCKa1b2c3.tmp",
                           "PCKlonger1/PCKa1b2c3.tmp", "target/PCKa1b2c3.tmp"})
    EXPECT_TRUE(fs_.FileExists(At(kept))) << kept;
  if (foreign) {
    EXPECT_TRUE(fs_.FileExists(At("PCKtheirs/PCKa1b2c3.tmp")));
  }
  EXPECT_TRUE(fs_.FileExists(staging));

  // Its own removal drops the mark; nothing is left to clean.
  EXPECT_TRUE(fs_.Delete(staging));
  EXPECT_TRUE(temp.RemovePrivateDirectory(live));
  EXPECT_FALSE(fs_.DirectoryExists(live));
}
#endif

TEST(PlatformErrorMode, SetReturnsThePreviousMode) {
  auto& mode = platform::ErrorModePort();
  const uint32_t original = mode.Set(platform::kSemFailCriticalErrors);
  EXPECT_EQ(mode.Set(original), platform::kSemFailCriticalErrors);
  EXPECT_EQ(mode.Set(original), original);
}

TEST(PlatformDrives, TypesOfKnownDrives) {
  auto& drives = platform::DrivesPort();
#ifdef _WIN32
  // The test prefix maps A: as a floppy drive.
  EXPECT_EQ(drives.TypeOf("A:"), platform::DriveType::Removable);
  EXPECT_EQ(drives.TypeOf("A:\\"), platform::DriveType::Removable);
  EXPECT_EQ(drives.TypeOf("C:"), platform::DriveType::Fixed);
  EXPECT_EQ(drives.TypeOf("c:\\"), platform::DriveType::Fixed);
  // A letter nothing is mapped to.
  EXPECT_EQ(drives.TypeOf("Q:"), platform::DriveType::NoRootDir);
#else
  EXPECT_EQ(drives.TypeOf(TEST_BUILD_DIR), platform::DriveType::Fixed);
  const std::string missing = TEST_BUILD_DIR "/no/such/dir";
  EXPECT_EQ(drives.TypeOf(missing), platform::DriveType::Fixed);
#endif
}

}  // namespace
}  // namespace port_tests

#ifdef _WIN32
// What the installer asks of the system before it starts and when no Program Manager
// answers: Wine gives its programs an administrator's token, and names both Start Menu
// Programs folders; a shortcut the shell's link object writes is a shell link file.
TEST(PlatformShell, AdministratorStartMenusAndShortcuts) {
  platform::SystemFolders& folders = platform::SystemFoldersPort();
  EXPECT_TRUE(folders.UserIsAdministrator());
  for (const bool allUsers : {true, false}) {
    const std::string menu = folders.ProgramsMenu(allUsers);
    EXPECT_TRUE(platform::FileSystemPort().DirectoryExists(menu)) << menu;
  }
  EXPECT_NE(folders.ProgramsMenu(true), folders.ProgramsMenu(false));
  const testing_support::ScratchDir scratch;
  const std::string dir = scratch.Path();
  const platform::Shortcut link{dir + "QEN 2005.lnk", folders.ProgramPath(), dir, "QEN 2005"};
  std::string reason;
  ASSERT_TRUE(platform::ShellPort().CreateShortcut(link, reason)) << reason;
  const auto bytes = testing_support::ReadFileBytes(link.Path);
  // A shell link starts with its header's size, 0x4C, and the link class's identifier.
  ASSERT_GT(bytes.size(), 20u);
  EXPECT_EQ(bytes[0], 0x4C);
  EXPECT_EQ(bytes[4], 0x01);
  EXPECT_EQ(bytes[5], 0x14);
  EXPECT_FALSE(platform::ShellPort().CreateShortcut({dir + "missing\\x.lnk", "C:\\a.exe", dir, "x"},
                                                    reason));
  EXPECT_FALSE(reason.empty());
}
#endif
