// The pieces of pck's package engine that hold rules of their own, one by one: disk
// folders, members under one name, the progress arithmetic, the files to pack in the
// package's code page and the failure lines composed from the engine's record.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>

#include "pack/pack_failure.h"
#include "pack/volume_prefix.h"
#include "platform/text.h"
#include "support/test_files.h"
#include "tools/pck/byte_progress.h"
#include "tools/pck/disk_folders.h"
#include "tools/pck/failure_text.h"
#include "tools/pck/pack_list.h"
#include "tools/pck/repeated_names.h"
#include "tools/pck/shown.h"
#include "tools/pck/source_walk.h"
#include "tools/pck/unix_meta.h"

namespace {

using pack::FailedFile;
using pack::FailureKind;
using Names = platform::NamedMessage::Names;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;

// ---- disk folders ----------------------------------------------------------------------

TEST(DiskFolders, AreDiskAndANumberFrom1To99999AndTheSetGoesOnBesideThem) {
  const auto disk = pck::FindDiskFolder("C:\\MEDIA\\disk07\\APP.PCK");
  ASSERT_TRUE(disk);
  EXPECT_EQ(disk->Parent, "C:\\MEDIA\\");
  EXPECT_EQ(disk->Number, 7);
  // The next volume's folder keeps the word as written, with the number plain.
  EXPECT_EQ(disk->VolumePath(8), "C:\\MEDIA\\disk8\\APP.PCK");
  EXPECT_TRUE(pck::FindDiskFolder("DISK1\\A.PCK"));
  EXPECT_TRUE(pck::FindDiskFolder("C:DISK99999\\A.PCK"));
  for (const char* path :
       {"C:\\DISK0\\A.PCK", "C:\\DISK123456\\A.PCK", "C:\\DISK\\A.PCK", "C:\\DISKA\\A.PCK",
        "C:\\DISK1\\", "C:\\MEDIA\\A.PCK", "A.PCK", "\\A.PCK", "C:\\DISK-1\\A.PCK"})
    EXPECT_FALSE(pck::FindDiskFolder(path)) << path;
}

TEST(DiskFolders, ASetCountsTheVolumesThatCarryTheFirstOnesStamp) {
  ScratchDir dir;
  const auto volume = [&](int disk, double stamp, uint16_t number, std::size_t size) {
    std::filesystem::create_directories(dir / ("DISK" + std::to_string(disk)));
    const pack::TVolumePrefix prefix{{'P', 'C', 'K', '1', '1'}, 2, stamp, number};
    std::vector<uint8_t> bytes = prefix.Bytes();
    bytes.resize(size, 0);
    WriteFileBytes(dir / ("DISK" + std::to_string(disk) + "/A.PCK"), bytes);
  };
  volume(1, 45000.5, 1, 100);
  volume(2, 45000.5, 2, 60);
  volume(3, 44000.5, 3, 1000);  // an older set's: not this one's
  const std::string first = platform::WithBackslashes(platform::FromHostPath(dir / "DISK1/A.PCK"));
  EXPECT_EQ(pck::VolumeSetSize(first), 160);
  // Written again in two volumes, the older third volume goes; one of the new set stays.
  pck::RemoveStaleVolumes(first, 2, 45000.5);
  EXPECT_FALSE(testing_support::PathExists(dir / "DISK3/A.PCK"));
  EXPECT_TRUE(testing_support::PathExists(dir / "DISK2/A.PCK"));
  // Outside a disk folder the set is its one file.
  WriteFileBytes(dir / "ONE.PCK", std::vector<uint8_t>(33, 1));
  EXPECT_EQ(pck::VolumeSetSize(platform::FromHostPath(dir / "ONE.PCK")), 33);
  EXPECT_EQ(pck::SetPaths(platform::FromHostPath(dir / "ONE.PCK")).size(), 1u);
  EXPECT_EQ(pck::SetPaths(first).size(), 100u);
}

// ---- members under one name ------------------------------------------------------------

TEST(RepeatedNames, AreFoundAfterSeparatorsAndAsTheSystemComparesLetterCase) {
  std::vector<pck::MemberInfo> members(6);
  members[0].Name = "SUB\\A.TXT";
  members[1].Name = "\\SUB\\.\\A.TXT";  // the same file
  members[2].Name = "sub/a.txt";        // the same file where letter case does not count
  members[3].Name = "..\\A.TXT";        // refused on extraction: replaces nothing
  members[4].Name = "..\\A.TXT";
  members[5].Name = "B.TXT";
  std::vector<std::pair<std::size_t, std::size_t>> expected = {{1, 0}};
  if (pck::kSystemFoldsCase) expected.push_back({2, 0});
  EXPECT_EQ(pck::RepeatedNames(members), expected);
  EXPECT_EQ(pck::NameKey("\\x\\.\\y.txt", false), "x\\y.txt");
  EXPECT_EQ(pck::NameKey("x/Y.txt", true), "X\\Y.TXT");
}

TEST(RepeatedNames, ARestoredMemberNamesTheOneItReplaced) {
  pck::RestoredNames restored([](const std::string&, const std::string&) { return false; });
  EXPECT_EQ(restored.Restore("A.TXT", "out/A.TXT"), std::nullopt);
  EXPECT_EQ(restored.Restore("B.TXT", "out/B.TXT"), std::nullopt);
  EXPECT_EQ(restored.Restore(".\\A.TXT", "out/A.TXT"), "A.TXT");
  // The next one replaces the one that replaced it.
  EXPECT_EQ(restored.Restore("A.TXT", "out/A.TXT"), ".\\A.TXT");
  // A name in other letters is another file where the files say so (or the system
  // folds case, and then it is the same name anyway).
  const auto other = restored.Restore("a.txt", "out/a.txt");
  EXPECT_EQ(other, pck::kSystemFoldsCase ? std::optional<std::string>("A.TXT") : std::nullopt);
}

TEST(RepeatedNames, ACaseOnlyRepeatOnAFolderThatFoldsCaseIsReported) {
  // The file system answers that A.TXT and a.txt are one file, as a case-folding one does.
  std::vector<std::pair<std::string, std::string>> asked;
  pck::RestoredNames restored([&](const std::string& a, const std::string& b) {
    asked.emplace_back(a, b);
    return true;
  });
  EXPECT_EQ(restored.Restore("SUB\\A.TXT", "out/SUB/A.TXT"), std::nullopt);
  EXPECT_EQ(restored.Restore("sub\\a.txt", "out/sub/a.txt"), "SUB\\A.TXT");
  // Only names equal without regard to case are compared as files.
  EXPECT_EQ(restored.Restore("B.TXT", "out/B.TXT"), std::nullopt);
  if (!pck::kSystemFoldsCase) {
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], std::make_pair(std::string("out/SUB/A.TXT"), std::string("out/sub/a.txt")));
  }
  // The later spelling is the one a third member is found to replace.
  EXPECT_EQ(restored.Restore("Sub\\A.txt", "out/Sub/A.txt"), "sub\\a.txt");
}

#ifndef _WIN32
TEST(RepeatedNames, TheHostTellsOneFileFromTwo) {
  const std::string dir = ::testing::TempDir() + "pck_same_file";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::ofstream(dir + "/a.txt") << "a";
  std::ofstream(dir + "/b.txt") << "b";
  std::filesystem::create_hard_link(dir + "/a.txt", dir + "/hard.txt");
  EXPECT_TRUE(pck::SameHostFile(dir + "/a.txt", dir + "/hard.txt"));
  EXPECT_FALSE(pck::SameHostFile(dir + "/a.txt", dir + "/b.txt"));
  EXPECT_FALSE(pck::SameHostFile(dir + "/a.txt", dir + "/missing.txt"));
  std::filesystem::remove_all(dir);
}
#endif

// ---- progress ----------------------------------------------------------------------------

TEST(ByteProgress, CountsTheSetWithoutWhatLiesBeforeThePackage) {
  pck::ByteProgress progress(1000, 40);  // the package starts 40 bytes into its file
  EXPECT_EQ(progress.Read(40, 1), 0);
  EXPECT_EQ(progress.Read(240, 0), 200);  // before the prefix is read the volume is 0
  EXPECT_FALSE(progress.InMember());
  progress.MemberStarts(300, 1);
  ASSERT_TRUE(progress.InMember());
  // A member counts its package bytes as the driver takes them, never more than stored.
  EXPECT_EQ(progress.Restoring(50, 100), 310);
  EXPECT_EQ(progress.Restoring(5000, 100), 360);
  progress.VolumeDone(540, 1);            // 500 bytes of the set
  EXPECT_EQ(progress.Read(100, 2), 600);  // the next volume has no offset
  progress.VolumeDone(100, 2);
  EXPECT_EQ(progress.Read(0, 3), 600);
}

TEST(ByteProgress, CountsWrittenSourcesAndLabelsTheMember) {
  pck::ByteProgress progress(300);
  EXPECT_EQ(progress.Writing(70), 70);
  progress.SourceDone(100);
  EXPECT_EQ(progress.Writing(0), 100);
  EXPECT_EQ(progress.Writing(25), 125);
  EXPECT_EQ(pck::NumberedLabel("A.TXT", 3, 7), "[3/7] A.TXT");
  EXPECT_EQ(pck::NumberedLabel("A.TXT", 3, 0), "[3] A.TXT");
  EXPECT_EQ(pck::NumberedLabel("A.TXT", 0, 7), "A.TXT");
  EXPECT_EQ(pck::NumberedLabel("", 2, 7), "");
}

// ---- the files to pack in the package's code page ------------------------------------------

#ifndef _WIN32
class PackList : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(pck::UsePackageText("CP1252", error)) << error;
    for (const char* name : {"Ação.txt", "Acao.txt", "日本.txt", "back\\slash.txt", "B.DAT"})
      WriteFileBytes(dir / name, {'x'});
  }
  std::string Base() { return platform::FromHostPath(dir.Path()); }
  static std::string Bare(const std::string& path) {
    return path.substr(platform::FolderPart(path).size());
  }
  std::vector<std::string> Names(const pck::FilesToPack& files) {
    std::vector<std::string> names;
    for (const std::string& path : files.List) names.push_back(Bare(path));
    std::sort(names.begin(), names.end());
    return names;
  }
  ScratchDir dir;
};

TEST_F(PackList, PatternsMatchNamesInTheCodePageAndUnstorableNamesAreKeptApart) {
  // "A?ao.*" in the package's text: `?` is one character, whatever its length in UTF-8.
  const pck::FilesToPack files =
      pck::WalkSources(pck::PackageText(), Base(), {"A?ão.*", "*.txt"}, {"*.DAT"}).Files;
  EXPECT_EQ(Names(files), (std::vector<std::string>{"Acao.txt", "Ação.txt"}));
  ASSERT_EQ(files.Unstorable.size(), 2u);
  std::vector<std::string> causes;
  for (const pck::ShownFailure& f : files.Unstorable) causes.push_back(f.Cause);
  std::sort(causes.begin(), causes.end());
  EXPECT_EQ(causes[0].rfind("the name cannot be written in CP1252: ", 0), 0u) << causes[0];
  EXPECT_EQ(causes[1], "the name holds \\, which a package takes as a separator");
}

TEST_F(PackList, TwoFilesOfOneNameWithoutLetterCaseAreRefused) {
  WriteFileBytes(dir / "AÇÃO.TXT", {'y'});
  const pck::FilesToPack files = pck::WalkSources(pck::PackageText(), Base(), {"A*.*"}, {}).Files;
  ASSERT_EQ(files.List.size(), 3u);
  const auto refused = pck::SameOrUnstorableNames(
      files.List, pck::PackageText(),
      [&](const std::string& path) { return *pck::PackageText().ToPackage(Bare(path)); });
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_NE(refused[0].Cause.find("in the package, where letter case does not count"),
            std::string::npos)
      << refused[0].Cause;
}

TEST_F(PackList, TheRawCodePageKeepsEachFileOnceAndNoBackslashInAName) {
  std::string error;
  ASSERT_TRUE(pck::UsePackageText("raw", error)) << error;
  const pck::FilesToPack files =
      pck::WalkSources(pck::PackageText(), Base(), {"B.DAT", "b*", "*.DAT"}, {}).Files;
  EXPECT_EQ(Names(files), (std::vector<std::string>{"B.DAT"}));
  ASSERT_EQ(files.Unstorable.size(), 1u);  // back\slash.txt, found by b*
  EXPECT_EQ(files.Unstorable[0].Cause, "the name holds \\, which a package takes as a separator");
  ASSERT_TRUE(pck::UsePackageText("CP1252", error)) << error;
}
#endif

// ---- failure lines -------------------------------------------------------------------------

pack::PackFailure Failure(FailureKind kind, platform::NamedMessage message, FailedFile file,
                          std::string member = {}, std::string reason = {}) {
  pack::PackFailure f;
  f.Kind = kind;
  f.Member = std::move(member);
  f.Message = std::move(message);
  if (f.Message.What == Names::Path) f.Path = f.Message.Name;
  f.File = file;
  f.Reason = std::move(reason);
  return f;
}

TEST(FailureText, NamesAreShownAsTheUserKnowsThem) {
#ifdef _WIN32
  const std::string sep = "\\";
#else
  const std::string sep = "/";
#endif
  const pck::FailureContext reading{false, "C:\\OUT", "SUB\\A.TXT"};
  // Reading, the staging file stands for the member it held.
  EXPECT_EQ(pck::ShownCause(Failure(FailureKind::Compressed,
                                    platform::Naming("Lzrw1 : %s : NOT A COMPRESSED FILE !",
                                                     "C:\\TMP\\PCK1\\PCK2.TMP"),
                                    FailedFile::Staging, "SUB\\A.TXT"),
                            reading),
            "Lzrw1 : SUB" + sep + "A.TXT : NOT A COMPRESSED FILE !");
  // A target: its folder as the system writes it, its member's name.
  EXPECT_EQ(
      pck::ShownCause(Failure(FailureKind::OpenFailed,
                              platform::Naming("Cannot create file %s", "C:\\OUT\\SUB\\A.TXT"),
                              FailedFile::Target, "SUB\\A.TXT", "is a directory"),
                      reading),
      "Cannot create file " + pck::Shown("C:\\OUT\\") + "SUB" + sep + "A.TXT (is a directory)");
  // A member's name from the message in the locale's text, its control characters escaped.
  EXPECT_EQ(pck::ShownCause(Failure(FailureKind::RefusedName,
                                    platform::Naming("Member name holds a control character: %s",
                                                     "a\x1B"
                                                     "b",
                                                     Names::Member),
                                    FailedFile::None,
                                    "a\x1B"
                                    "b"),
                            reading),
            "Member name holds a control character: a^[b");
}

TEST(FailureText, TheStagingFileIsSaidToBeInTheTemporaryFolderWhenItCouldNotBeFilled) {
  const auto staging = Failure(FailureKind::WriteFailed, platform::Naming("Write error"),
                               FailedFile::Staging, "DATA.BIN", "file too large");
  const std::string reading = pck::ShownCause(staging, {false, "", ""});
  EXPECT_EQ(reading.rfind("Write error (file too large) while it was copied into the staging "
                          "file; the staging file is in the temporary folder ",
                          0),
            0u)
      << reading;
  EXPECT_EQ(reading.substr(reading.size() - 9), " (TMPDIR)");
  // Writing, the driver's failure to write it names it, and where it is.
  const auto writing = Failure(FailureKind::Compressed,
                               platform::Naming("Lzrw1 : ERROR WRITING TO %s !", "/t/PCK1/PCK2"),
                               FailedFile::Staging);
  EXPECT_NE(pck::ShownCause(writing, {true, "", ""}).find("/t/PCK1/PCK2 !; the staging file is in"),
            std::string::npos);
  // Reading the package while a member's bytes go to the staging file: the package's
  // failure, not the folder's.
  EXPECT_EQ(pck::ShownCause(Failure(FailureKind::ReadFailed, platform::Naming("Read error"),
                                    FailedFile::None, "DATA.BIN", "input/output error"),
                            {false, "", ""}),
            "Read error (input/output error)");
  // The driver failing on a member's stored bytes is no fault of the folder.
  auto restoring = writing;
  restoring.Member = "DATA.BIN";
  EXPECT_EQ(pck::ShownCause(restoring, {false, "", ""}), "Lzrw1 : ERROR WRITING TO DATA.BIN !");
}

TEST(FailureText, ARunsLineNamesThePackageAsTheUserDid) {
  const pck::FailureContext context{false, "", ""};
  const auto notPackage =
      Failure(FailureKind::NotAPackage, platform::Naming("%s is not a package", "C:\\W\\P.PCK"),
              FailedFile::Package);
  EXPECT_EQ(pck::RunFailureLine("w/P.PCK", "C:\\W\\P.PCK", notPackage, context),
            "w/P.PCK is not a package");
  // Another volume is named as a path, after the package.
  EXPECT_EQ(pck::RunFailureLine("w/P.PCK", "C:\\W\\Q.PCK", notPackage, context),
            "w/P.PCK: " + pck::Shown("C:\\W\\P.PCK") + " is not a package");
  EXPECT_EQ(pck::RunFailureLine("P.PCK", "",
                                Failure(FailureKind::Password, platform::Naming("Invalid Password"),
                                        FailedFile::None),
                                context),
            "P.PCK: Invalid Password");
  EXPECT_EQ(pck::RunFailureLine("P.PCK", "", pack::PackFailure(), context),
            "P.PCK: not a package, or it cannot be read");
  EXPECT_EQ(pck::RunFailureLine("P.PCK", "",
                                Failure(FailureKind::Aborted, platform::Naming("Operation aborted"),
                                        FailedFile::None),
                                context),
            "P.PCK: not a package, or it cannot be read");
}

}  // namespace
