// Packages split into volumes on removable disks: the writer's cuts, the disk prompt,
// and the reader's checks of each continuation volume.
#include <gtest/gtest.h>

#include <filesystem>

#include "pack/cpack.h"
#include "pack/lfiles.h"
#include "pack_test_util.h"
#include "support/fake_drives.h"
#include "support/scripted_dialogs.h"

using namespace packtest;
using testing_support::RandomBytes;
using testing_support::ReadFileBytes;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;
namespace fs = std::filesystem;

namespace {

uint32_t Get32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}

class VolumeTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    // The test environment's A: is a real floppy drive: the drive probe's answer for
    // it is the system's own, and every other drive letter is a fixed disk.
    const std::string scratch = dir.Path().substr(0, dir.Path().size() - 1);
    floppy_ = "A:\\" + scratch.substr(scratch.find_last_of("\\/") + 1);
#else
    floppy_ = dir / "floppy";
#endif
    drives.Set(floppy_, platform::DriveType::Removable);
    ui.fallback = platform::kIdOk;
    pack::CreateDirectories(dir / "src");
    pack::CreateDirectories(floppy_);
    for (const auto& [name, data] : members) WriteFileBytes(dir / ("src/" + name), data);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(floppy_, ec);
  }
  std::string Disk(int k) { return dir / ("disk" + std::to_string(k)); }
  std::string Drive() { return floppy_ + "/P.PCK"; }

  // Moves a disk's file between drives (a rename cannot cross drive letters).
  static void MoveFile(const std::string& from, const std::string& to) {
    fs::remove(to);
    fs::copy_file(from, to);
    fs::remove(from);
  }

  // Writes the sources as volumes of at most volumeSize bytes; each full disk is taken
  // out of the drive (to Disk(k)) when the next one is asked for, except that the
  // first prompt is answered once without changing the disk. Returns the volume count.
  int WriteVolumes(int64_t volumeSize, bool digests = false) {
    int disks = 0;
    bool unchanged = true;
    ui.onShow = [&](const auto&) {
      if (std::exchange(unchanged, false)) return;
      MoveFile(Drive(), Disk(++disks));
    };
    pack::TCustomPack writer(nullptr);
    writer.SetDirectory(dir / "src");
    writer.Items = {"*.*"};
    writer.SetPackFileName(Drive());
    writer.VolumeSize = volumeSize;
    writer.WriteDigests = digests;
    EXPECT_TRUE(writer.WritePackage()) << writer.LastError();
    MoveFile(Drive(), Disk(++disks));
    ui.onShow = nullptr;
    writes = ui.shown;
    ui.shown.clear();
    return disks;
  }

  // Replaces the drive's file by a disk's. (Removed first: the Windows runtime's
  // copy_file refuses to overwrite even when asked to.)
  void PutInDrive(const std::string& disk) {
    fs::remove(Drive());
    fs::copy_file(disk, Drive());
  }

  // The reader's drive: the disk asked for by the prompt is put in, or the next of
  // `order` when one is given.
  void InsertOnPrompt(std::vector<std::string> order = {}) {
    PutInDrive(Disk(1));
    ui.onShow = [this, order, next = std::size_t{0}](const auto& shown) mutable {
      const std::string disk =
          next < order.size() ? order[next++] : Disk(std::stoi(shown.text.substr(26)));
      PutInDrive(disk);
    };
    pack.SetPackFileName(Drive());
    pack.SetDirectory(dir / "out");
  }

  ScratchDir dir;
  std::string floppy_;  // the removable drive's folder
  testing_support::FakeDrives drives;
  testing_support::ScriptedDialogs ui;
  RecordingPack pack;
  std::vector<testing_support::ScriptedDialogs::Shown> writes;  // the writer's prompts
  const std::vector<std::pair<std::string, Bytes>> members = {{"A.DBF", RandomBytes(700, 1)},
                                                              {"B.TXT", {7}},
                                                              {"C.TXT", {}},
                                                              {"D.DBF", RandomBytes(300, 2)},
                                                              {"E.TXT", RandomBytes(2500, 3)}};
};

}  // namespace

TEST_F(VolumeTest, DigestsOfASetWhoseFirstDiskLeftTheDriveEarly) {
  // The members' digests are taken before anything is written; the directory's comes
  // too late for the first disk, whose line keeps its dashes ("not recorded").
  const int count = WriteVolumes(800, true);
  ASSERT_GT(count, 2);
  InsertOnPrompt();
  ASSERT_TRUE(pack.Extract()) << pack.LastError();
  ASSERT_EQ(pack.Digests().Members.size(), members.size());
  EXPECT_EQ(pack.Digests().Members.at(5),
            platform::TContentHash::Of(members[4].second.data(), members[4].second.size()));
  EXPECT_TRUE(pack.Digests().DirectoryLine);
  EXPECT_FALSE(pack.Digests().Directory);
  for (const auto& [name, data] : members) EXPECT_EQ(ReadFileBytes(dir / ("out/" + name)), data);
}

TEST_F(VolumeTest, ASourceChangedAfterItsDigestWasTakenFailsTheSet) {
  // The digests are taken before anything is written: E.TXT changes while the first disk
  // is taken out, so its stored digest would not be its content's.
  int disks = 0;
  bool unchanged = true;
  ui.onShow = [&](const auto&) {
    if (std::exchange(unchanged, false)) return;
    MoveFile(Drive(), Disk(++disks));
    WriteFileBytes(dir / "src/E.TXT", {1, 2, 3});
  };
  pack::TCustomPack writer(nullptr);
  writer.SetDirectory(dir / "src");
  writer.Items = {"*.*"};
  writer.SetPackFileName(Drive());
  writer.VolumeSize = 800;
  writer.WriteDigests = true;
  EXPECT_FALSE(writer.WritePackage());
  EXPECT_NE(writer.LastError().find("E.TXT changed while the package was written"),
            std::string::npos)
      << writer.LastError();
}

TEST_F(VolumeTest, TheDiskPromptNamesTheNextVolume) {
  const int count = WriteVolumes(600);
  // The first prompt was asked twice: the disk in the drive still held volume 1.
  ASSERT_EQ(writes.size(), static_cast<std::size_t>(count));
  EXPECT_EQ(writes[0].text, "Please, insert next disk [2]");
  EXPECT_EQ(writes[1].text, "Please, insert next disk [2]");
  EXPECT_EQ(writes[2].text, "Please, insert next disk [3]");
  EXPECT_EQ(writes[0].caption, "Information");
  EXPECT_EQ(writes[0].kind, platform::DialogKind::Information);
  EXPECT_EQ(writes[0].buttons, platform::Buttons::OkCancel);
}

TEST_F(VolumeTest, EveryVolumeEndsInsideMemberDataAndReadsBack) {
  for (int64_t volumeSize : {67, 68, 70, 83, 97, 250, 600, 1000}) {
    SCOPED_TRACE(volumeSize);
    const int count = WriteVolumes(volumeSize);
    // Join the volumes' streams, noting where each volume ends.
    Bytes stream;
    std::vector<std::size_t> cuts;
    const Bytes first = ReadFileBytes(Disk(1));
    for (int k = 1; k <= count; ++k) {
      const Bytes v = ReadFileBytes(Disk(k));
      ASSERT_LE(v.size(), static_cast<std::size_t>(volumeSize));
      EXPECT_EQ(Bytes(v.begin(), v.begin() + 13), Bytes(first.begin(), first.begin() + 13));
      EXPECT_EQ(v[13] | (v[14] << 8), k);
      if (k > 1) cuts.push_back(stream.size());
      stream.insert(stream.end(), v.begin() + 15, v.end());
    }
    ASSERT_EQ(Get32(stream, 0), members.size());
    std::size_t at = 11;
    std::vector<std::pair<std::size_t, std::size_t>> data;
    for (std::size_t i = 0; i < members.size(); ++i) {
      ASSERT_LE(at + 11, stream.size());
      const std::size_t start = at + 11 + stream[at + 10];
      data.emplace_back(start, start + Get32(stream, at));
      at = data.back().second;
    }
    EXPECT_EQ(at, stream.size());
    for (std::size_t cut : cuts) {
      bool inside = false;
      for (const auto& [from, to] : data) inside |= from < cut && cut < to;
      EXPECT_TRUE(inside) << "volume cut at stream byte " << cut;
    }

    std::filesystem::remove_all(dir / "out");
    InsertOnPrompt();
    ASSERT_TRUE(pack.Extract()) << pack.LastError();
    EXPECT_EQ(ui.shown.size(), static_cast<std::size_t>(count - 1));
    ui.shown.clear();
    for (const auto& [name, bytes] : members)
      EXPECT_EQ(ReadFileBytes(dir / ("out/" + name)), bytes);
  }
}

TEST_F(VolumeTest, UnselectedMembersAreSkippedAcrossVolumes) {
  const int count = WriteVolumes(400);
  InsertOnPrompt();
  pack.Items = {"*.TXT"};
  ASSERT_TRUE(pack.Extract()) << pack.LastError();
  EXPECT_EQ(ui.shown.size(), static_cast<std::size_t>(count - 1));
  EXPECT_EQ(Listing(dir / "out"), (std::vector<std::string>{"B.TXT", "C.TXT", "E.TXT"}));
  EXPECT_EQ(ReadFileBytes(dir / "out/E.TXT"), members[4].second);
}

TEST_F(VolumeTest, CancelledPromptFailsTheMemberAfterOnError) {
  WriteVolumes(600);
  InsertOnPrompt();
  ui.fallback = platform::kIdCancel;
  EXPECT_FALSE(pack.Extract());
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].text, "Please, insert next disk [2]");
  EXPECT_EQ(pack.log.back(), "Error \\A.DBF Disk 2 was not inserted");
  EXPECT_EQ(pack.LastError(), "member A.DBF: Disk 2 was not inserted");
}

TEST_F(VolumeTest, AFixedDiskIsNeverAskedForTheNextVolume) {
  WriteVolumes(600);
  fs::copy_file(Disk(1), dir / "P.PCK");
  pack.SetPackFileName(dir / "P.PCK");
  pack.SetDirectory(dir / "out");
  EXPECT_FALSE(pack.Extract());
  EXPECT_TRUE(ui.shown.empty());

  // Nor is one written there.
  pack::TCustomPack writer(nullptr);
  writer.SetDirectory(dir / "src");
  writer.Items = {"*.*"};
  writer.SetPackFileName(dir / "W.PCK");
  writer.VolumeSize = 600;
  EXPECT_FALSE(writer.WritePackage());
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(writer.LastError(), "Volume 2 of the package is not available");
}

TEST_F(VolumeTest, WrongNumberOrStampIsRefusedAndAskedAgain) {
  WriteVolumes(600);
  Bytes otherStamp = ReadFileBytes(Disk(2));
  otherStamp[5] ^= 1;
  WriteFileBytes(dir / "other", otherStamp);
  InsertOnPrompt({Disk(3), dir / "other", Disk(2)});
  ASSERT_TRUE(pack.Extract()) << pack.LastError();
  ASSERT_GE(ui.shown.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ui.shown[i].text, "Please, insert next disk [2]");
  EXPECT_EQ(ReadFileBytes(dir / "out/E.TXT"), members[4].second);
}

TEST_F(VolumeTest, VolumeSizeTooSmallIsRefusedBeforeWriting) {
  pack::TCustomPack writer(nullptr);
  writer.SetDirectory(dir / "src");
  writer.Items = {"*.*"};
  writer.SetPackFileName(Drive());
  for (int64_t size : {25, 40, 60}) {  // header; first record; the records after B.TXT
    writer.VolumeSize = size;
    EXPECT_FALSE(writer.WritePackage());
    EXPECT_EQ(writer.LastError(),
              "Volume size " + std::to_string(size) + " is too small for this package");
  }
  EXPECT_FALSE(testing_support::PathExists(Drive()));
  // 15 + 1 + the 51 bytes that must follow A.DBF's data: B.TXT, C.TXT and D.DBF's
  // record with one byte of its data.
  writer.VolumeSize = 67;
  int disks = 0;
  ui.onShow = [&](const auto&) { MoveFile(Drive(), Disk(++disks)); };
  EXPECT_TRUE(writer.WritePackage()) << writer.LastError();
  EXPECT_GT(disks, 50);
}
