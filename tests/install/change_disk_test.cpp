// Changing disks: the source folder's "\DISKn\" tail moves to the new disk's, and the
// user is asked for the disk until its file is there or gives up. Real files in a
// scratch folder stand for the medium.
#include <filesystem>

#include "install_test_util.h"
#include "support/test_files.h"

namespace installtest {
namespace {

using testing_support::ScratchDir;

class ChangeDisk : public EngineTest {
 protected:
  ScratchDir medium_;

  // The medium's folder as the engine names folders: `\` before each name.
  std::string Base() const {
    const std::string& p = medium_.Path();
    return p.substr(0, p.size() - 1) + "\\";
  }
  // A folder of the medium, made, as the engine names it: ending with `\`.
  std::string Folder(const std::string& name) {
    std::filesystem::create_directories(medium_ / name);
    return Base() + name + "\\";
  }
  void PutFile(const std::string& folder, const std::string& name) {
    testing_support::WriteFileBytes(medium_ / (folder + "/" + name), {1});
  }
};

TEST_F(ChangeDisk, TheDiskTagMovesToTheSiblingFolder) {
  Engine().SetSourceDir(Folder("DISK1"));
  Folder("DISK2");
  PutFile("DISK2", "APP.PCK");
  EXPECT_TRUE(Engine().ChangeDisk(2, "APP.PCK"));
  EXPECT_EQ(Engine().SourceDir(), Base() + "DISK2\\");
  EXPECT_EQ(Engine().CurrentDisk, 2);
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(ChangeDisk, TheTagIsComparedInUpperCase) {
  Engine().SetSourceDir(Folder("disk1"));
  Folder("DISK2");
  PutFile("DISK2", "APP.PCK");
  EXPECT_TRUE(Engine().ChangeDisk(2, "APP.PCK"));
  EXPECT_EQ(Engine().SourceDir(), Base() + "DISK2\\");
}

TEST_F(ChangeDisk, AFolderWithoutTheTagStaysAndIsSearchedForTheFile) {
  const std::string setup = Folder("SETUP");
  PutFile("SETUP", "APP.PCK");
  Engine().SetSourceDir(setup);
  EXPECT_TRUE(Engine().ChangeDisk(2, "APP.PCK"));
  EXPECT_EQ(Engine().SourceDir(), setup);
  EXPECT_EQ(Engine().CurrentDisk, 2);
  // Only the current disk's tag is looked for: from disk 2, a folder ending in \DISK1\ stays.
  Engine().SetSourceDir("X:\\DISK1\\");
  dialogs_.Answer(platform::kIdCancel);
  dialogs_.Answer(platform::kIdYes);
  EXPECT_FALSE(Engine().ChangeDisk(3, "F"));
  EXPECT_EQ(Engine().SourceDir(), "X:\\DISK1\\");
}

TEST_F(ChangeDisk, TheUserIsAskedUntilTheFileIsThere) {
  Engine().SetSourceDir(Folder("DISK1"));
  Folder("DISK2");
  // OK without the disk asks again; Cancel then No asks again; the file then appears.
  dialogs_.Answer(platform::kIdOk);
  dialogs_.Answer(platform::kIdCancel);
  dialogs_.Answer(platform::kIdNo);
  dialogs_.Answer(platform::kIdOk);
  dialogs_.onShow = [this](const ScriptedDialogs::Shown&) {
    if (dialogs_.shown.size() == 4) PutFile("DISK2", "APP.PCK");
  };
  EXPECT_TRUE(Engine().ChangeDisk(2, "APP.PCK"));
  ASSERT_EQ(dialogs_.shown.size(), 4u);
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{"Please, Insert Disk 2", "Please, Insert Disk 2",
                                      "Are you sure you want to terminate this installation?",
                                      "Please, Insert Disk 2"}));
  EXPECT_EQ(dialogs_.shown[0].kind, platform::DialogKind::Warning);
  EXPECT_EQ(dialogs_.shown[0].buttons, platform::Buttons::OkCancel);
  EXPECT_EQ(dialogs_.shown[2].kind, platform::DialogKind::Confirmation);
  EXPECT_EQ(dialogs_.shown[2].buttons, platform::Buttons::YesNo);
}

TEST_F(ChangeDisk, CancelThenYesGivesUpAndStillMovesToTheDisk) {
  Engine().SetSourceDir(Folder("DISK1"));
  dialogs_.Answer(platform::kIdCancel);
  dialogs_.Answer(platform::kIdYes);
  EXPECT_FALSE(Engine().ChangeDisk(2, "APP.PCK"));
  EXPECT_EQ(Engine().CurrentDisk, 2);
  EXPECT_EQ(dialogs_.shown.size(), 2u);
}

TEST_F(ChangeDisk, TagsAreCutToTenCharacters) {
  // Disk 12345's tag is \DISK12345 without its closing backslash.
  Engine().SetSourceDir("X:\\SET\\DISK1\\");
  dialogs_.Answer(platform::kIdCancel);
  dialogs_.Answer(platform::kIdYes);
  Engine().ChangeDisk(12345, "F");
  EXPECT_EQ(Engine().SourceDir(), "X:\\SET\\DISK12345");
  EXPECT_EQ(dialogs_.shown[0].text, "Please, Insert Disk 12345");
  // From there, the cut tag is what is looked for and replaced.
  dialogs_.Answer(platform::kIdCancel);
  dialogs_.Answer(platform::kIdYes);
  Engine().ChangeDisk(2, "F");
  EXPECT_EQ(Engine().SourceDir(), "X:\\SET\\DISK2\\");
}

TEST_F(ChangeDisk, ASourceFolderShorterThanTheTagStays) {
  Engine().SetSourceDir("X:\\");
  dialogs_.Answer(platform::kIdCancel);
  dialogs_.Answer(platform::kIdYes);
  EXPECT_FALSE(Engine().ChangeDisk(2, "F"));
  EXPECT_EQ(Engine().SourceDir(), "X:\\");
}

TEST_F(ChangeDisk, ItemsAskForTheirDiskBeforeTheirHandlerRuns) {
  Engine().SetSourceDir(Folder("DISK1"));
  Folder("DISK2");
  PutFile("DISK2", "APP.PCK");
  std::vector<std::string> seen;
  auto note = [&](install::TInstallItem& item, const std::string& name) {
    item.OnExecute = [&, name](platform::TObject*, bool& Continue) {
      seen.push_back(name + " " + std::to_string(Engine().CurrentDisk));
      Continue = true;
    };
  };
  install::TInstallItem& one = AddItem();
  one.DiskNum = 1;
  one.DiskFileID = "MISSING.PCK";  // the current disk: never checked
  note(one, "one");
  install::TInstallItem& two = AddItem();
  two.DiskNum = 2;
  two.DiskFileID = "APP.PCK";
  note(two, "two");
  install::TInstallItem& none = AddItem();
  none.DiskNum = 0;  // needs no disk
  note(none, "none");
  EXPECT_TRUE(Engine().Execute());
  EXPECT_EQ(seen, (std::vector<std::string>{"one 1", "two 2", "none 2"}));
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Installation completed with success"}));
}

TEST_F(ChangeDisk, GivingUpFailsTheItemWithoutRunningItsHandler) {
  Engine().SetSourceDir(Folder("DISK1"));
  install::TInstallItem& item = AddItem();
  item.DiskNum = 2;
  item.DiskFileID = "APP.PCK";
  bool ran = false;
  item.OnExecute = [&](platform::TObject*, bool& Continue) { Continue = ran = true; };
  dialogs_.Answer(platform::kIdCancel);
  dialogs_.Answer(platform::kIdYes);
  EXPECT_FALSE(Engine().Execute());
  EXPECT_FALSE(ran);
  EXPECT_EQ(Engine().CurrentDisk, 2);
  EXPECT_EQ(Texts().back(), "Installation canceled");
}

TEST_F(ChangeDisk, DisabledItemsAndCountingNeverAskForADisk) {
  Engine().SetSourceDir(Folder("DISK1"));
  install::TInstallItem& disabled = AddItem();
  disabled.DiskNum = 2;
  disabled.DiskFileID = "APP.PCK";
  disabled.Enabled = false;
  install::TInstallItem& counted = AddItem();
  counted.DiskNum = 3;
  counted.DiskFileID = "APP.PCK";
  counted.OnExecute = [](platform::TObject*, bool& Continue) { Continue = true; };
  EXPECT_EQ(Engine().TaskCount(), 0);
  EXPECT_TRUE(disabled.Execute(false));
  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_EQ(Engine().CurrentDisk, 1);
}

}  // namespace
}  // namespace installtest
