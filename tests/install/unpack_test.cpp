// Unpacking a package file inside the operation frame: upper-cased paths in the
// messages and in the package engine, one package engine for all attempts, the
// progress handler handed on, and real packages written by our own writer. The test
// works in a scratch folder made current, with upper-case relative paths, so that
// upper-casing keeps the paths valid on file systems that respect case.
#include <algorithm>
#include <filesystem>

#include "install/install_record.h"
#include "install/run_observer.h"
#include "install/step_shared.h"
#include "install_test_util.h"
#include "pack/cpacklz.h"
#include "platform/system.h"
#include "support/forwarding_temp.h"
#include "support/test_files.h"

namespace installtest {
namespace {

using testing_support::Bytes;
using testing_support::ReadFileBytes;
using testing_support::SampleText;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;

// Counts the staging folders made, that is the compressed package engines created.
class CountingTemp : public testing_support::ForwardingTemp {
 public:
  // Each compressed package engine makes one private staging folder.
  std::string CreatePrivateDirectory(const std::string& dir, const std::string& prefix) override {
    ++made;
    return ForwardingTemp::CreatePrivateDirectory(dir, prefix);
  }
  int made = 0;
};

class Unpack : public EngineTest {
 protected:
  testing_support::ScratchCurrentDir here_;
  CountingTemp temp_;
  install::TInstallItem& item_ = AddItem();
  std::vector<std::string> status_, outcomes_;

  void SetUp() override {
    std::filesystem::create_directories("SRC");
    std::filesystem::create_directories("DISK1");
    WriteFileBytes("SRC/LEIAME.TXT", SampleText(5000));
    WriteFileBytes("SRC/DATA.BIN", testing_support::RandomBytes(70000, 7));
    WritePackage("DISK1\\APP.PCK");
    temp_.made = 0;
    item_.BeforeExecute = [this](platform::TObject*, const std::string&, const std::string& msg) {
      status_.push_back(msg);
    };
    item_.AfterExecute = [this](platform::TObject*, int32_t action, const std::string& msg) {
      outcomes_.push_back(std::to_string(action) + " " + msg);
    };
  }

  static void WritePackage(const std::string& name) {
    pack::TPackLz writer(nullptr);
    writer.SetDirectory("SRC");
    writer.Items = {"*.*"};
    writer.SetPackFileName(name);
    ASSERT_TRUE(writer.WritePackage()) << writer.LastError();
  }
};

TEST_F(Unpack, ExtractsEveryMemberAndReportsUpperCasedPaths) {
  EXPECT_TRUE(item_.UnpackLz("disk1", "app.pck", "target"));
  EXPECT_EQ(ReadFileBytes("TARGET/LEIAME.TXT"), SampleText(5000));
  EXPECT_EQ(ReadFileBytes("TARGET/DATA.BIN"), testing_support::RandomBytes(70000, 7));
  EXPECT_EQ(status_, std::vector<std::string>{"Decompressing DISK1\\APP.PCK to TARGET"});
  EXPECT_EQ(outcomes_, std::vector<std::string>{"0 "});
  EXPECT_EQ(temp_.made, 1);
}

TEST_F(Unpack, OnlyLettersAToZAreUpperCased) {
  // "\xe7\xe3o" upper-cased is "\xe7\xe3O": the accented letters stay as they are.
  std::filesystem::create_directories("DISK1/\xe7\xe3O");
  std::filesystem::copy_file("DISK1/APP.PCK", "DISK1/\xe7\xe3O/APP.PCK");
  EXPECT_TRUE(item_.UnpackLz("disk1\\\xe7\xe3o\\", "app.pck", "t\xe9st"));
  EXPECT_EQ(status_.back(), "Decompressing DISK1\\\xe7\xe3O\\APP.PCK to T\xe9ST");
  EXPECT_TRUE(testing_support::PathExists("T\xe9ST/LEIAME.TXT"));
}

TEST_F(Unpack, AMissingPackageFailsAndRetryFindsItOnceItIsThere) {
  std::filesystem::rename("DISK1/APP.PCK", "APP.PCK");
  dialogs_.Answer(platform::kIdRetry);
  dialogs_.onShow = [](const ScriptedDialogs::Shown&) {
    std::filesystem::rename("APP.PCK", "DISK1/APP.PCK");
  };
  EXPECT_TRUE(item_.UnpackLz("DISK1\\", "APP.PCK", "C_QEN"));
  EXPECT_EQ(Texts(), std::vector<std::string>{"Error while decompressing DISK1\\APP.PCK to C_QEN"});
  EXPECT_EQ(outcomes_, std::vector<std::string>{"0 "});
  EXPECT_TRUE(testing_support::PathExists("C_QEN/DATA.BIN"));
  EXPECT_EQ(temp_.made, 1);  // the retry used the same package engine
}

TEST_F(Unpack, ADamagedPackageIsIgnoredOrAborted) {
  Bytes pack = ReadFileBytes("DISK1/APP.PCK");
  pack.resize(pack.size() / 2);
  WriteFileBytes("DISK1/APP.PCK", pack);
  dialogs_.Answer(platform::kIdIgnore);
  EXPECT_TRUE(item_.UnpackLz("DISK1\\", "APP.PCK", "OUT"));
  EXPECT_EQ(outcomes_.back(), "5 Error while decompressing DISK1\\APP.PCK to OUT");
  dialogs_.Answer(platform::kIdAbort);
  EXPECT_FALSE(item_.UnpackLz("DISK1\\", "APP.PCK", "OUT"));
  EXPECT_EQ(outcomes_.back(), "3 Error while decompressing DISK1\\APP.PCK to OUT");
}

// The unpacking writes its steps through the engine's record inside its attempt: a copy
// of a file being replaced that cannot be kept, or a shared file whose count cannot be
// raised, fails the attempt like any failure, with Abort, Retry and Ignore.
TEST_F(Unpack, ARecordStepThatCannotBeDoneFailsTheAttempt) {
  install::InstallRecord record("OUT", "ODE", install::NoObserver());
  record.Open("UNINSTAL.DAT");
  Engine().SetRecord(&record);
  std::filesystem::create_directories("OUT/BACKUP/LEIAME.TXT");  // where its copy would go
  WriteFileBytes("OUT/LEIAME.TXT", {'o', 'l', 'd'});
  dialogs_.Answer(platform::kIdRetry);
  dialogs_.Answer(platform::kIdAbort);
  EXPECT_FALSE(item_.UnpackLz("DISK1\\", "APP.PCK", "OUT"));
  EXPECT_EQ(Texts(),
            std::vector<std::string>(2, "Error while decompressing DISK1\\APP.PCK to OUT"));
  EXPECT_EQ(dialogs_.shown[0].buttons, platform::Buttons::AbortRetryIgnore);
  EXPECT_NE(item_.ErrorCause.find("Cannot keep a copy of OUT\\LEIAME.TXT before it is replaced"),
            std::string::npos)
      << item_.ErrorCause;
  EXPECT_EQ(ReadFileBytes("OUT/LEIAME.TXT"), (Bytes{'o', 'l', 'd'}));  // not replaced

  registry_.Deny(install::kSharedDllsKey);
  dialogs_.Answer(platform::kIdIgnore);
  EXPECT_TRUE(item_.UnpackLz("DISK1\\", "APP.PCK", "ODE"));
  EXPECT_NE(item_.ErrorCause.find("Cannot raise the count of the shared file ODE\\"),
            std::string::npos)
      << item_.ErrorCause;
  Engine().SetRecord(nullptr);
  // Recorded: what landed, and no count that was not raised.
  std::vector<std::string> kinds;
  for (const auto& step : install::ReadUninstallRecord("UNINSTAL.DAT").Steps)
    kinds.push_back(install::RecordKindName(step));
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "shared"), 0);
  EXPECT_GE(std::count(kinds.begin(), kinds.end(), "file"), 2);
}

TEST_F(Unpack, TheProgressHandlerIsHandedToThePackageEngine) {
  std::vector<std::string> files;
  int fromPackageEngine = 0, fromElsewhere = 0;
  item_.OnUnpack = [&](platform::TObject* s, const std::string& file, int32_t, bool&) {
    // The package engine raises it, not the item.
    ++(dynamic_cast<pack::TPackLz*>(s) ? fromPackageEngine : fromElsewhere);
    if (!file.empty() && (files.empty() || files.back() != file)) files.push_back(file);
  };
  EXPECT_TRUE(item_.UnpackLz("DISK1\\", "APP.PCK", "OUT"));
  EXPECT_GT(fromPackageEngine, 0);
  EXPECT_EQ(fromElsewhere, 0);
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"DATA.BIN", "LEIAME.TXT"}));
}

TEST_F(Unpack, CountingCreatesNoPackageEngineAndTouchesNoFile) {
  item_.OnExecute = [this](platform::TObject*, bool& Continue) {
    Continue = item_.UnpackLz("DISK1\\", "APP.PCK", "OUT") &&
               item_.UnpackLz("DISK9\\", "NONE.PCK", "OUT2");
  };
  EXPECT_EQ(Engine().TaskCount(), 2);
  EXPECT_EQ(temp_.made, 0);
  EXPECT_FALSE(testing_support::PathExists("OUT"));
  EXPECT_TRUE(status_.empty());
}

TEST_F(Unpack, ThePlainPackageEngineCanBeChosen) {
  // A package whose member is stored as it is, for the engine that does not decompress.
  Bytes raw = {'P', 'C', 'K', '1', '1',  0, 0,    0,    0,    0,    0, 0,   0,   1,   0,  // prefix
               1,   0,   0,   0,   0,    0, 0,    0,    0,    0,    0,  // one entry
               3,   0,   0,   0,   0x20, 0, 0x21, 0x6C, 0x5B, 0x2A, 5, 'R', 'A', 'W', '.',
               'T', 'x', 'y', 'z'};
  WriteFileBytes("DISK1/RAW.PCK", raw);
  EXPECT_TRUE(item_.Unpack(install::MakePack<pack::TCustomPack>, "DISK1", "RAW.PCK", "PLAIN"));
  EXPECT_EQ(ReadFileBytes("PLAIN/RAW.T"), (Bytes{'x', 'y', 'z'}));
  EXPECT_EQ(temp_.made, 0);
}

}  // namespace
}  // namespace installtest
