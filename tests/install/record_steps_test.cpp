// Each step of the installation's record, done and undone at the install layer: the
// step done through the record the engine is given (or the operation that writes it),
// what the record holds then, what happens to the machine meanwhile, and what the
// uninstaller leaves. Real files in a scratch folder made current (the application
// folder QEN2005 and the engine's ODE in it), the registry, Program Manager and the shell
// replaced by doubles. Then the
// record's own operations in their frame, and an engine without a record.
#include <filesystem>
#include <functional>

#include "install/install_record.h"
#include "install/run_observer.h"
#include "install/step_shared.h"
#include "install/uninstaller.h"
#include "install_test_util.h"
#include "platform/forwarding_files.h"
#include "platform/system.h"
#include "support/test_files.h"

namespace installtest {
namespace {

namespace fs = std::filesystem;
using platform::RegRoot;
using testing_support::Bytes;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

const Bytes kOld = {'o', 'l', 'd'}, kNew = {'n', 'e', 'w'}, kMine = {'m', 'i', 'n', 'e'};
const std::string kRecordPath = "QEN2005\\UNINSTAL.DAT";
const std::string kEngineFile = "ODE\\DBAPI.DAT";

install::UninstallEntry Entry(const std::string& key, const std::string& name) {
  install::UninstallEntry entry;
  entry.Key = key;
  entry.DisplayName = name;
  return entry;
}

platform::TDigest128 DigestOf(const Bytes& bytes) {
  return platform::TContentHash::Of(bytes.data(), bytes.size());
}

// What the record keeps, as the log gets it.
struct Notes : install::TRunObserver {
  std::vector<std::string> lines;
  void Noted(const std::string& text) override { lines.push_back(text); }
  bool Has(const std::string& text) const {
    for (const std::string& line : lines)
      if (line.find(text) != std::string::npos) return true;
    return false;
  }
};

// A files port that refuses to delete one file, as Windows refuses a running program's.
class RefusedDelete : public platform::ForwardingFiles {
 public:
  explicit RefusedDelete(std::string path) : path_(std::move(path)) {}
  bool Delete(const std::string& path) override {
    return path != path_ && ForwardingFiles::Delete(path);
  }

 private:
  std::string path_;
  platform::ScopedPort<platform::FileSystem> installed_{*this};
};

class RecordSteps : public EngineTest {
 public:  // the rows look at it
  using EngineTest::progman_;
  using EngineTest::registry_;
  testing_support::ScratchCurrentDir here_;
  Notes notes_;
  std::optional<install::InstallRecord> record_;  // closed before the uninstall
  install::TInstallItem& item_ = AddItem();
  std::optional<RefusedDelete> refused_;

  void SetUp() override {
    fs::create_directories("QEN2005");
    fs::create_directories("ODE");
    record_.emplace("QEN2005", "ODE", notes_);
    record_->Open(kRecordPath);
    Engine().SetRecord(&*record_);
  }
  // A member's content put in place at `path` as the unpacking does it.
  void Place(const std::string& path, const Bytes& content) {
    record_->KeepCopy(path, DigestOf(content));
    WriteFileBytes(platform::ToHostPath(path), content);
    record_->FilePlaced(path, DigestOf(content), static_cast<int64_t>(content.size()));
  }
  std::vector<std::string> Kinds() const {
    std::vector<std::string> kinds;
    // The engine's folder, which the record names when it is opened, is left out.
    for (const auto& step : install::ReadUninstallRecord(kRecordPath).Steps)
      if (!std::holds_alternative<install::EngineStep>(step))
        kinds.push_back(install::RecordKindName(step));
    return kinds;
  }
};

struct StepCase {
  const char* name;
  std::function<void(RecordSteps&)> before = {};   // the machine before the step
  std::function<void(RecordSteps&)> doing;         // the step, and what it did at once
  std::vector<std::string> recorded;               // the kinds of the steps recorded
  std::function<void(RecordSteps&)> between = {};  // the machine before the uninstall
  std::function<void(RecordSteps&, const install::TUninstallOutcome&)> undone;
};

bool Holds(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

const StepCase kCases[] = {
    {.name = "FoldersMadeGoOnceEmpty",
     .doing = [](RecordSteps& t) { t.record_->MakeFolders("QEN2005\\DADOS\\SUB"); },
     .recorded = {"folder", "folder"},
     .undone =
         [](RecordSteps&, const install::TUninstallOutcome& o) {
           EXPECT_FALSE(fs::exists("QEN2005/DADOS"));
           EXPECT_TRUE(Holds(o.Removed, "QEN2005\\DADOS\\SUB"));
         }},
    {.name = "AFolderThatHoldsWhatWasKeptStays",
     .doing = [](RecordSteps& t) { t.record_->MakeFolders("QEN2005\\DADOS"); },
     .recorded = {"folder"},
     .between = [](RecordSteps&) { WriteFileBytes("QEN2005/DADOS/MINE.DAT", kMine); },
     .undone =
         [](RecordSteps&, const install::TUninstallOutcome& o) {
           EXPECT_TRUE(fs::exists("QEN2005/DADOS/MINE.DAT"));
           EXPECT_TRUE(o.Removed.empty());
           EXPECT_TRUE(o.Failed.empty());
         }},
    {.name = "TheUninstallerCopyGoes",
     .before =
         [](RecordSteps&) {
           WriteFileBytes("INSTALL.EXE", {'M', 'Z'});
         },
     .doing =
         [](RecordSteps& t) {
           t.record_->CopyProgram("INSTALL.EXE", "QEN2005\\Uninstall.exe");
           EXPECT_EQ(ReadFileBytes("QEN2005/Uninstall.exe"), (Bytes{'M', 'Z'}));
           EXPECT_TRUE(t.notes_.Has("uninstaller: QEN2005\\Uninstall.exe"));
           // Run from there already, the program is not copied onto itself.
           t.record_->CopyProgram("QEN2005\\Uninstall.exe", "QEN2005\\Uninstall.exe");
         },
     .recorded = {"program"},
     .undone =
         [](RecordSteps& t, const install::TUninstallOutcome& o) {
           EXPECT_FALSE(fs::exists("QEN2005/Uninstall.exe"));
           EXPECT_TRUE(Holds(o.Removed, "QEN2005\\Uninstall.exe"));
           EXPECT_TRUE(t.progman_.atRestart.empty());
         }},
    {.name = "ARunningUninstallerIsMovedAwayAndDeletedAtTheNextRestart",
     .before =
         [](RecordSteps&) {
           WriteFileBytes("INSTALL.EXE", {'M', 'Z'});
         },
     .doing = [](RecordSteps& t) { t.record_->CopyProgram("INSTALL.EXE", "QEN2005\\U.EXE"); },
     .recorded = {"program"},
     .between = [](RecordSteps& t) { t.refused_.emplace("QEN2005\\U.EXE"); },
     .undone =
         [](RecordSteps& t, const install::TUninstallOutcome& o) {
           t.refused_.reset();
           EXPECT_FALSE(fs::exists("QEN2005/U.EXE"));
           EXPECT_TRUE(o.Failed.empty());
           ASSERT_EQ(t.progman_.atRestart.size(), 1u);
           const std::string moved = t.progman_.atRestart[0];
           EXPECT_EQ(ReadFileBytes(platform::ToHostPath(moved)), (Bytes{'M', 'Z'}));
           fs::remove(platform::ToHostPath(moved));
         }},
    {.name = "TheEntryGoesWithTheSizeOfWhatWasInstalled",
     .doing =
         [](RecordSteps& t) {
           t.Place("QEN2005\\A.DAT", Bytes(3000, 'a'));
           t.record_->WriteEntry(Entry("SOFTWARE\\Uninstall\\TEST", "Test"));
           EXPECT_EQ(t.registry_.Text("SOFTWARE\\Uninstall\\TEST", "DisplayName"), "Test");
           const auto* size = t.registry_.Find("SOFTWARE\\Uninstall\\TEST", "EstimatedSize");
           ASSERT_NE(size, nullptr);
           EXPECT_EQ(size->Data, (std::vector<uint8_t>{3, 0, 0, 0}));  // KB, rounded up
           // Written again, it is recorded once.
           t.record_->WriteEntry(Entry("SOFTWARE\\Uninstall\\TEST", "Test"));
         },
     .recorded = {"file", "entry"},
     .undone =
         [](RecordSteps& t, const install::TUninstallOutcome& o) {
           EXPECT_FALSE(t.registry_.HasKey("SOFTWARE\\Uninstall\\TEST"));
           EXPECT_FALSE(fs::exists("QEN2005/A.DAT"));
           // The entry goes last.
           EXPECT_EQ(o.Removed.back(), "HKEY_LOCAL_MACHINE\\SOFTWARE\\Uninstall\\TEST");
         }},
    {.name = "KeysMadeGoWithTheirValuesAKeyThatWasThereStays",
     .before = [](RecordSteps& t) { t.registry_.AddKey("SOFTWARE\\OLD"); },
     .doing =
         [](RecordSteps& t) {
           EXPECT_TRUE(
               t.item_.WriteRegString(RegRoot::LocalMachine, "SOFTWARE\\NEW\\SUB", "a", "1"));
           EXPECT_TRUE(t.item_.WriteRegString(RegRoot::LocalMachine, "SOFTWARE\\OLD", "b", "2"));
         },
     .recorded = {"key", "key", "value", "value"},
     .undone =
         [](RecordSteps& t, const install::TUninstallOutcome&) {
           EXPECT_FALSE(t.registry_.HasKey("SOFTWARE\\NEW"));
           EXPECT_TRUE(t.registry_.HasKey("SOFTWARE\\OLD"));
           EXPECT_EQ(t.registry_.Text("SOFTWARE\\OLD", "b"), "<absent>");
         }},
    {.name = "AValueTakesItsKeyOnlyWhenTheInstallationMadeIt",
     // Values without their keys' steps: whether the key goes is the value's `existed`.
     .before =
         [](RecordSteps& t) {
           t.registry_.SetText("SOFTWARE\\MADE", "v", "1");
           t.registry_.SetText("SOFTWARE\\THERE", "v", "1");
           t.registry_.SetText("SOFTWARE\\SHARED", "v", "1");
           t.registry_.SetText("SOFTWARE\\SHARED", "other", "1");
         },
     .doing =
         [](RecordSteps& t) {
           t.record_->Add(install::ValueStep{RegRoot::LocalMachine, "SOFTWARE\\MADE", "v", false});
           t.record_->Add(install::ValueStep{RegRoot::LocalMachine, "SOFTWARE\\THERE", "v", true});
           t.record_->Add(
               install::ValueStep{RegRoot::LocalMachine, "SOFTWARE\\SHARED", "v", false});
         },
     .recorded = {"value", "value", "value"},
     .undone =
         [](RecordSteps& t, const install::TUninstallOutcome& o) {
           EXPECT_FALSE(t.registry_.HasKey("SOFTWARE\\MADE"));
           EXPECT_TRUE(t.registry_.HasKey("SOFTWARE\\THERE"));
           EXPECT_EQ(t.registry_.Text("SOFTWARE\\THERE", "v"), "<absent>");
           EXPECT_EQ(t.registry_.Text("SOFTWARE\\SHARED", "other"), "1");
           EXPECT_TRUE(Holds(o.Removed, "HKEY_LOCAL_MACHINE\\SOFTWARE\\MADE"));
         }},
    {.name = "AReplacedFileIsKeptAndPutBack",
     .before = [](RecordSteps&) { WriteFileBytes("QEN2005/A.DAT", kOld); },
     .doing =
         [](RecordSteps& t) {
           t.Place("QEN2005\\A.DAT", kNew);
           EXPECT_EQ(ReadFileBytes("QEN2005/BACKUP/A.DAT"), kOld);
           EXPECT_TRUE(t.notes_.Has(
               "kept a copy of QEN2005\\A.DAT as QEN2005\\BACKUP\\A.DAT (it is replaced)"));
           // The same content again needs no copy.
           t.Place("QEN2005\\A.DAT", kNew);
         },
     .recorded = {"folder", "backup", "file", "file"},
     .undone =
         [](RecordSteps&, const install::TUninstallOutcome& o) {
           EXPECT_EQ(ReadFileBytes("QEN2005/A.DAT"), kOld);
           EXPECT_FALSE(fs::exists("QEN2005/BACKUP"));
           EXPECT_EQ(o.Restored, std::vector<std::string>{"QEN2005\\A.DAT"});
         }},
    {.name = "AFileTheUserChangedIsKeptAndSoIsTheCopy",
     .before = [](RecordSteps&) { WriteFileBytes("QEN2005/A.DAT", kOld); },
     .doing = [](RecordSteps& t) { t.Place("QEN2005\\A.DAT", kNew); },
     .recorded = {"folder", "backup", "file"},
     .between = [](RecordSteps&) { WriteFileBytes("QEN2005/A.DAT", kMine); },
     .undone =
         [](RecordSteps& t, const install::TUninstallOutcome& o) {
           EXPECT_EQ(ReadFileBytes("QEN2005/A.DAT"), kMine);
           EXPECT_EQ(ReadFileBytes("QEN2005/BACKUP/A.DAT"), kOld);
           EXPECT_EQ(o.Changed, std::vector<std::string>{"QEN2005\\A.DAT"});
           EXPECT_TRUE(o.Restored.empty());
           (void)t;
         }},
    {.name = "AnEngineFileIsSharedAndGoesWithItsCount",
     .before = [](RecordSteps&) { WriteFileBytes("ODE/DBAPI.DAT", kOld); },
     .doing =
         [](RecordSteps& t) {
           t.Place(kEngineFile, kNew);
           t.Place(kEngineFile, kNew);  // counted once per run
           EXPECT_EQ(install::SharedCount(kEngineFile), 1u);
           EXPECT_EQ(ReadFileBytes("ODE.BACKUP/DBAPI.DAT"), kOld);  // beside the engine's
           EXPECT_TRUE(t.notes_.Has("shared file " + kEngineFile + " counted: 1"));
         },
     .recorded = {"folder", "backup", "file", "shared", "file"},
     .undone =
         [](RecordSteps& t, const install::TUninstallOutcome& o) {
           EXPECT_EQ(install::SharedCount(kEngineFile), 0u);
           EXPECT_EQ(t.registry_.Find(install::kSharedDllsKey, kEngineFile), nullptr);
           EXPECT_EQ(ReadFileBytes("ODE/DBAPI.DAT"), kOld);
           EXPECT_FALSE(fs::exists("ODE.BACKUP"));
           EXPECT_FALSE(o.EngineKept);
         }},
    {.name = "WhileAnotherProductCountsTheEngineItsFilesAndValuesStay",
     .before = [](RecordSteps& t) { t.registry_.AddKey("SOFTWARE"); },
     .doing =
         [](RecordSteps& t) {
           t.Place(kEngineFile, kNew);
           EXPECT_TRUE(
               t.item_.WriteRegString(RegRoot::LocalMachine, "SOFTWARE\\Ondrel", "DLLPATH", "ODE"));
         },
     .recorded = {"file", "shared", "key", "value"},
     .between =
         [](RecordSteps&) {
           std::string reason;
           install::SetSharedCount(kEngineFile, 2, reason);
         },
     .undone =
         [](RecordSteps& t, const install::TUninstallOutcome& o) {
           EXPECT_TRUE(o.EngineKept);
           EXPECT_EQ(o.InUse, std::vector<std::string>{kEngineFile});
           EXPECT_EQ(ReadFileBytes("ODE/DBAPI.DAT"), kNew);
           EXPECT_EQ(install::SharedCount(kEngineFile), 1u);
           EXPECT_EQ(t.registry_.Text("SOFTWARE\\Ondrel", "DLLPATH"), "ODE");
         }},
    {.name = "TheGroupGoesWithItsIcons",
     .doing =
         [](RecordSteps& t) {
           EXPECT_TRUE(t.item_.CreateGroup("TAVO"));
           EXPECT_TRUE(t.item_.CreateIcon("QEN 2005", "QEN2005", "QEN2005.EXE"));
           const auto steps = install::ReadUninstallRecord(kRecordPath).Steps;
           EXPECT_EQ(std::get<install::IconStep>(steps.back()),
                     (install::IconStep{"TAVO", "QEN 2005", "QEN2005\\QEN2005.EXE"}));
         },
     .recorded = {"group", "icon"},
     .undone =
         [](RecordSteps& t, const install::TUninstallOutcome& o) {
           EXPECT_EQ(t.progman_.Commands().back(), "[DeleteGroup(TAVO)]\r\n");
           EXPECT_TRUE(Holds(o.Removed, "Program Manager group TAVO"));
         }},
    {.name = "AGroupThatCannotBeRemovedIsNamed",
     .doing = [](RecordSteps& t) { EXPECT_TRUE(t.item_.CreateGroup("TAVO")); },
     .recorded = {"group"},
     .between = [](RecordSteps& t) { t.progman_.answering.clear(); },
     .undone =
         [](RecordSteps&, const install::TUninstallOutcome& o) {
           ASSERT_EQ(o.Failed.size(), 1u);
           EXPECT_EQ(o.Failed[0].rfind("Program Manager group TAVO: ", 0), 0u) << o.Failed[0];
         }},
};

class RecordStepCase : public RecordSteps, public ::testing::WithParamInterface<StepCase> {};

TEST_P(RecordStepCase, IsDoneAndUndone) {
  const StepCase& c = GetParam();
  if (c.before) c.before(*this);
  c.doing(*this);
  EXPECT_EQ(Kinds(), c.recorded);
  if (c.between) c.between(*this);
  // The installation has ended: its record is closed.
  Engine().SetRecord(nullptr);
  record_.reset();
  install::TUninstaller uninstaller(install::ReadUninstallRecord(kRecordPath).Steps);
  uninstaller.Run();
  const install::TUninstallOutcome outcome = uninstaller.Finish(kRecordPath);
  EXPECT_FALSE(fs::exists("QEN2005/UNINSTAL.DAT"));
  c.undone(*this, outcome);
}

void PrintTo(const StepCase& c, std::ostream* os) { *os << c.name; }

INSTANTIATE_TEST_SUITE_P(Table, RecordStepCase, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<StepCase>& info) {
                           return std::string(info.param.name);
                         });

// ---- the record's own operations, in the operation frame ------------------------------

TEST_F(RecordSteps, ARecordThatCannotBeOpenedIsAFailureToRetryOrIgnore) {
  install::InstallRecord record("APP", "ODE", notes_);
  Engine().SetRecord(&record);
  fs::create_directories("APP/UNINSTAL.DAT");  // a folder where the record goes
  dialogs_.Answer(platform::kIdRetry);
  dialogs_.Answer(platform::kIdIgnore);
  EXPECT_TRUE(item_.MakeFolder("APP\\SUB"));
  EXPECT_TRUE(item_.OpenRecord("APP\\UNINSTAL.DAT"));
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "Error while opening the uninstall record APP\\UNINSTAL.DAT",
                         "Error while opening the uninstall record APP\\UNINSTAL.DAT"}));
  EXPECT_EQ(dialogs_.shown[0].buttons, platform::Buttons::AbortRetryIgnore);
  EXPECT_NE(item_.ErrorCause.find("Cannot write the uninstall record APP\\UNINSTAL.DAT"),
            std::string::npos)
      << item_.ErrorCause;
  // Ignored, the installation goes on unrecorded: no uninstaller, no entry.
  WriteFileBytes("INSTALL.EXE", {'M', 'Z'});
  EXPECT_TRUE(item_.CopyUninstaller("INSTALL.EXE", "APP\\Uninstall.exe"));
  EXPECT_TRUE(item_.RegisterUninstallEntry(Entry("SOFTWARE\\E", "E")));
  EXPECT_FALSE(fs::exists("APP/Uninstall.exe"));
  EXPECT_FALSE(registry_.HasKey("SOFTWARE\\E"));
  EXPECT_EQ(dialogs_.shown.size(), 2u);
  Engine().SetRecord(&*record_);
}

TEST_F(RecordSteps, TheRecordsOperationsRunInTheFrameAndRecordInOrder) {
  install::InstallRecord record("APP", "ODE", notes_);
  Engine().SetRecord(&record);
  std::vector<std::string> status;
  item_.BeforeExecute = [&](platform::TObject*, const std::string&, const std::string& msg) {
    status.push_back(msg);
  };
  WriteFileBytes("INSTALL.EXE", {'M', 'Z'});
  EXPECT_TRUE(item_.MakeFolder("APP"));  // before the record is open: it waits
  EXPECT_TRUE(item_.OpenRecord("APP\\UNINSTAL.DAT"));
  EXPECT_TRUE(item_.CopyUninstaller("INSTALL.EXE", "APP\\Uninstall.exe"));
  registry_.FailSets("Publisher", 1);  // refused once: retried
  dialogs_.Answer(platform::kIdRetry);
  EXPECT_TRUE(item_.RegisterUninstallEntry(Entry("SOFTWARE\\E", "E")));
  EXPECT_EQ(status, (std::vector<std::string>{"Creating folder APP",
                                              "Opening the uninstall record APP\\UNINSTAL.DAT",
                                              "Copying the uninstaller to APP\\Uninstall.exe",
                                              "Registering E with the installed programs"}));
  EXPECT_EQ(Texts(),
            std::vector<std::string>{"Error while registering E with the installed programs"});
  EXPECT_TRUE(notes_.Has("uninstall record: APP\\UNINSTAL.DAT"));
  EXPECT_EQ(registry_.Text("SOFTWARE\\E", "Publisher"), "");
  Engine().SetRecord(&*record_);
  EXPECT_EQ(install::ReadUninstallRecord("APP\\UNINSTAL.DAT").Steps,
            (std::vector<install::RecordStep>{
                install::FolderStep{"APP"}, install::EngineStep{"ODE"},
                install::ProgramStep{"APP\\Uninstall.exe"}, install::EntryStep{"SOFTWARE\\E"}}));
  // The access rights asked for, whether the file system keeps them or not (natively it
  // keeps none: logged, and the run went on).
  for (const std::string path : {"APP", "APP\\UNINSTAL.DAT", "APP\\Uninstall.exe"}) {
#ifdef _WIN32
    EXPECT_TRUE(notes_.Has("access rights of " + path + " ")) << path;
#else
    EXPECT_TRUE(notes_.Has("access rights of " + path +
                           " not set (this file system keeps no access lists): the run goes on"))
        << path;
#endif
  }
}

TEST_F(RecordSteps, WithoutARecordNothingIsRecordedMadeOrCounted) {
  Engine().SetRecord(nullptr);
  item_.OnExecute = [this](platform::TObject*, bool& Continue) {
    Continue = item_.MakeFolder("NONE") && item_.OpenRecord("NONE\\UNINSTAL.DAT") &&
               item_.CopyUninstaller("INSTALL.EXE", "NONE\\Uninstall.exe") &&
               item_.RegisterUninstallEntry(Entry("SOFTWARE\\E", "E"));
  };
  EXPECT_EQ(Engine().TaskCount(), 0);
  EXPECT_TRUE(item_.Execute(false));
  EXPECT_FALSE(fs::exists("NONE"));
  EXPECT_FALSE(registry_.HasKey("SOFTWARE\\E"));
  // The registry, Program Manager and a package's files record nothing either.
  EXPECT_TRUE(item_.WriteRegString(RegRoot::LocalMachine, "SOFTWARE\\N", "v", "1"));
  EXPECT_TRUE(item_.CreateGroup("TAVO"));
  EXPECT_TRUE(dialogs_.shown.empty());
}

}  // namespace
}  // namespace installtest
