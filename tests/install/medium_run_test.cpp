// A whole run over a two-disk medium: packages written by our own writer into DISK1 and
// DISK2 folders, items on both disks, the disk-2 prompt answered once the disk's file
// is in place. Works in a scratch folder made current, with relative upper-case paths.
#include <filesystem>

#include "install_test_util.h"
#include "pack/cpacklz.h"
#include "support/test_files.h"

namespace installtest {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadFileBytes;
using testing_support::SampleText;
using testing_support::WriteFileBytes;

class MediumRun : public EngineTest {
 protected:
  testing_support::ScratchCurrentDir here_;
  std::vector<std::string> log_;

  void SetUp() override {
    for (const char* d : {"DISK1", "DISK2", "HOLD", "SRC/A", "SRC/B"}) fs::create_directories(d);
    WriteFileBytes("SRC/A/DBAPI32.DLL", SampleText(30000, 1));
    WriteFileBytes("SRC/B/QEN2005.EXE", SampleText(90000, 2));
    Pack("SRC\\A", "DISK1\\DBAPI.PCK");
    Pack("SRC\\B", "HOLD\\APP.PCK");  // disk 2 is not in the drive yet
    Engine().SetSourceDir(".\\DISK1\\");
  }

  static void Pack(const std::string& dir, const std::string& name) {
    pack::TPackLz writer(nullptr);
    writer.SetDirectory(dir);
    writer.Items = {"*.*"};
    writer.SetPackFileName(name);
    ASSERT_TRUE(writer.WritePackage()) << writer.LastError();
  }

  install::TInstallItem& Unpacker(int disk, const std::string& file, const std::string& target) {
    install::TInstallItem& item = AddItem();
    item.DiskNum = disk;
    item.DiskFileID = file;
    item.OnExecute = [this, &item, file, target](platform::TObject*, bool& Continue) {
      log_.push_back(file + " from " + Engine().SourceDir());
      Continue = item.UnpackLz(Engine().SourceDir(), file, target);
    };
    return item;
  }
};

TEST_F(MediumRun, PackagesComeFromBothDisksAfterThePrompt) {
  Unpacker(1, "DBAPI.PCK", "ODE");
  Unpacker(2, "APP.PCK", "QEN2005");
  dialogs_.Answer(platform::kIdOk);  // the prompt for disk 2, after the disk went in
  dialogs_.Answer(platform::kIdOk);  // the final message
  dialogs_.onShow = [](const ScriptedDialogs::Shown& box) {
    if (box.text == "Please, Insert Disk 2") fs::rename("HOLD/APP.PCK", "DISK2/APP.PCK");
  };
  EXPECT_TRUE(Engine().Execute());
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Please, Insert Disk 2",
                                               "Installation completed with success"}));
  EXPECT_EQ(log_,
            (std::vector<std::string>{"DBAPI.PCK from .\\DISK1\\", "APP.PCK from .\\DISK2\\"}));
  EXPECT_EQ(ReadFileBytes("ODE/DBAPI32.DLL"), SampleText(30000, 1));
  EXPECT_EQ(ReadFileBytes("QEN2005/QEN2005.EXE"), SampleText(90000, 2));
}

}  // namespace
}  // namespace installtest
