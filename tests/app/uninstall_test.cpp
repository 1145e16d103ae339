// The installation's whole life natively: the program installs (silently), then the
// uninstaller it copied runs with /UNINSTALL, from a copy of itself (the doubles' "run and
// wait" runs the program again with the copy's command line). One table of scenarios:
// what was installed, what happened to the machine meanwhile, how the uninstall was
// answered, and what is left afterwards, in the folders, the registry and Program Manager.
#ifndef _WIN32
#include "app/core/uninstall.h"

#include <filesystem>

#include "app/core/script.h"
#include "install/step_shared.h"
#include "install/uninstall_record.h"
#include "platform/text.h"
#include "program_fixture.h"

namespace apptest {
namespace {

namespace fs = std::filesystem;

const std::string kUninstaller = "C:\\QEN2005\\Uninstall.exe";
const std::string kEngineFolder = "C:/WINDOWS/COMMON FILES/ONDREL SHARED/ODE";
const std::vector<std::string> kEngineFiles = {"DBAPI.DAT", "LD.DAT", "DBSQL32.DAT"};
const std::string kSharedPath = kEngineDirUpper + "\\DBAPI.DAT";

// The arguments of a command line as the uninstaller writes it: quoted or bare words.
std::vector<std::string> Arguments(const std::string& line) {
  std::vector<std::string> args;
  std::string word;
  bool quoted = false, any = false;
  for (const char c : line) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
      if (any) args.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) args.push_back(word);
  return args;
}

class Lifetime : public Program {
 public:  // the scenarios look at it
  using EngineTest::dialogs_;
  using Program::Log;
  using Program::window_;
  int copies_ = 0;

 protected:
  void SetUp() override {
    Program::SetUp();
    // The uninstaller's copy of itself runs as this program does, under its own name.
    progman_.run = [this](const std::string& command) {
      std::vector<std::string> args = Arguments(command);
      FixedFolders copy(args.front(), "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM");
      args.erase(args.begin());
      ++copies_;
      return app::RunProgram(args, window_);
    };
  }
  // Runs the uninstaller as the entry's command line does (with /S when silent).
  int Uninstall(bool silent) {
    FixedFolders installed(kUninstaller, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM");
    std::vector<std::string> args = {"/UNINSTALL", "/LOG=run.log"};
    if (silent) args.push_back("/S");
    return app::RunProgram(args, window_);
  }
  std::string EntryText(const std::string& name) const {
    return registry_.Text(app::kUninstallEntryKey, name);
  }
};

struct Scenario {
  const char* name;
  std::function<void(Lifetime&)> beforeInstall = {};
  int installed = app::kExitCompleted;
  std::function<void(Lifetime&)> beforeUninstall = {};
  bool silent = true;
  std::vector<int> answers = {};  // to the uninstaller's question and final message
  int exitCode = app::kExitCompleted;
  std::function<void(Lifetime&)> check = {};
};

void NothingLeft(Lifetime&) { EXPECT_TRUE(fs::is_empty("C:")) << "left on C:"; }

const Scenario kScenarios[] = {
    {.name = "EverythingGoesAndANewInstallationIsAllowed",
     .check =
         [](Lifetime& t) {
           NothingLeft(t);
           EXPECT_EQ(t.registry_.Text("SOFTWARE\\Ondrel\\Database Engine", "DLLPATH"), "<absent>");
           EXPECT_FALSE(t.registry_.HasKey("SOFTWARE\\Ondrel"));
           EXPECT_FALSE(t.registry_.HasKey(app::kUninstallEntryKey));
           EXPECT_EQ(install::SharedCount(kSharedPath), 0u);
           EXPECT_EQ(t.progman_.Commands().back(), "[DeleteGroup(TAVO)]\r\n");
           EXPECT_TRUE(Lifetime::Log().find("removed the uninstall entry") != std::string::npos);
         }},
    {.name = "AChangedTableIsKeptWithItsChanges",
     .beforeUninstall =
         [](Lifetime&) {
           testing_support::WriteFileBytes("C:/QEN2005/BD.DAT", {'m', 'i', 'n', 'e'});
         },
     .check =
         [](Lifetime&) {
           EXPECT_EQ(testing_support::ReadFileBytes("C:/QEN2005/BD.DAT"),
                     (testing_support::Bytes{'m', 'i', 'n', 'e'}));
           std::vector<std::string> left;
           for (const auto& e : fs::recursive_directory_iterator("C:/QEN2005"))
             left.push_back(e.path().filename().string());
           EXPECT_EQ(left, std::vector<std::string>{"BD.DAT"});
           EXPECT_FALSE(fs::exists(kEngineFolder));
           EXPECT_NE(Lifetime::Log().find("kept because it was changed: C:\\QEN2005\\BD.DAT"),
                     std::string::npos);
         }},
    {.name = "EngineFilesAnotherProductCountsStay",
     .beforeUninstall =
         [](Lifetime&) {
           std::string reason;
           for (const std::string& f : kEngineFiles)
             install::SetSharedCount(kEngineDirUpper + "\\" + f, 2, reason);
         },
     .check =
         [](Lifetime& t) {
           for (const std::string& f : kEngineFiles) {
             EXPECT_TRUE(fs::exists(kEngineFolder + "/" + f)) << f;
             EXPECT_EQ(install::SharedCount(kEngineDirUpper + "\\" + f), 1u) << f;
           }
           EXPECT_EQ(t.registry_.Text("SOFTWARE\\Ondrel\\Database Engine", "DLLPATH"), kEngineDir);
           EXPECT_FALSE(fs::exists("C:/QEN2005"));
           EXPECT_FALSE(t.registry_.HasKey(app::kUninstallEntryKey));
           EXPECT_EQ(t.progman_.Commands().back(), "[DeleteGroup(TAVO)]\r\n");
         }},
    {.name = "AnInstallationCanceledAtDiskTwoIsUndone",
     .beforeInstall = [](Lifetime&) { fs::remove("DISK2/APP.PCK"); },
     .installed = app::kExitCanceled,
     .check = NothingLeft},
    {.name = "AFileTheInstallationReplacedIsPutBack",
     .beforeInstall =
         [](Lifetime&) {
           fs::create_directories("C:/QEN2005");
           testing_support::WriteFileBytes("C:/QEN2005/HELP.DAT", {'o', 'l', 'd'});
         },
     .check =
         [](Lifetime&) {
           EXPECT_EQ(testing_support::ReadFileBytes("C:/QEN2005/HELP.DAT"),
                     (testing_support::Bytes{'o', 'l', 'd'}));
           EXPECT_FALSE(fs::exists("C:/QEN2005/BACKUP"));
           EXPECT_NE(Lifetime::Log().find("kept a copy of C:\\QEN2005\\HELP.DAT as "
                                          "C:\\QEN2005\\BACKUP\\HELP.DAT"),
                     std::string::npos);
           EXPECT_NE(Lifetime::Log().find("put back C:\\QEN2005\\HELP.DAT"), std::string::npos);
         }},
    {.name = "ADamagedRecordChangesNothing",
     .beforeUninstall =
         [](Lifetime&) { testing_support::FlipMiddleBit("C:/QEN2005/UNINSTAL.DAT"); },
     .exitCode = app::kExitStartFailed,
     .check =
         [](Lifetime& t) {
           EXPECT_TRUE(fs::exists("C:/QEN2005/APP.DAT"));
           EXPECT_TRUE(fs::exists(kEngineFolder + "/DBAPI.DAT"));
           EXPECT_TRUE(t.registry_.HasKey(app::kUninstallEntryKey));
           EXPECT_EQ(t.copies_, 0);
           EXPECT_NE(Lifetime::Log().find("is damaged"), std::string::npos);
         }},
    {.name = "TheWindowAsksOnceAndEndsWithAMessage",
     .silent = false,
     .answers = {platform::kIdYes, platform::kIdOk},
     .check =
         [](Lifetime& t) {
           NothingLeft(t);
           EXPECT_EQ(t.window_.caption, app::kUninstallCaption);
           EXPECT_EQ(t.window_.TargetText(), "C:\\QEN2005");
           EXPECT_EQ(t.window_.DbapiText(), kEngineDirUpper);
           ASSERT_EQ(t.dialogs_.shown.size(), 2u);
           EXPECT_EQ(t.dialogs_.shown[0].text, app::kConfirmRemove);
           EXPECT_EQ(t.dialogs_.shown[1].text, "QEN 2005 was removed.");
           EXPECT_EQ(t.window_.GaugeProgress(), 100);
         }},
    {.name = "NoRemovesNothing",
     .silent = false,
     .answers = {platform::kIdNo},
     .exitCode = app::kExitCanceled,
     .check =
         [](Lifetime& t) {
           EXPECT_TRUE(fs::exists("C:/QEN2005/APP.DAT"));
           EXPECT_TRUE(fs::exists(kUninstaller.substr(0, 2) + "/QEN2005/Uninstall.exe"));
           EXPECT_TRUE(t.registry_.HasKey(app::kUninstallEntryKey));
         }},
};

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }

class LifetimeScenario : public Lifetime, public ::testing::WithParamInterface<Scenario> {};

TEST_P(LifetimeScenario, EndsAsExpected) {
  const Scenario& s = GetParam();
  if (s.beforeInstall) s.beforeInstall(*this);
  dialogs_.fallback = platform::kIdOk;
  ASSERT_EQ(Run({"/S"}), s.installed) << Log();
  // What the installation registered.
  EXPECT_EQ(EntryText("DisplayName"), "QEN 2005");
  EXPECT_EQ(EntryText("UninstallString"), "\"" + kUninstaller + "\" /UNINSTALL");
  EXPECT_EQ(EntryText("QuietUninstallString"), "\"" + kUninstaller + "\" /UNINSTALL /S");
  EXPECT_EQ(EntryText("Publisher"), "Instituto Tavo");
  EXPECT_TRUE(fs::exists("C:/QEN2005/Uninstall.exe"));
  if (s.beforeUninstall) s.beforeUninstall(*this);
  dialogs_.shown.clear();
  for (const int answer : s.answers) dialogs_.Answer(answer);
  EXPECT_EQ(Uninstall(s.silent), s.exitCode) << Log();
  if (s.silent) {
    EXPECT_TRUE(dialogs_.shown.empty());
  }
  if (s.exitCode != app::kExitStartFailed) {
    EXPECT_EQ(copies_, 1) << "run from a copy of itself";
  }
  s.check(*this);
}

INSTANTIATE_TEST_SUITE_P(Table, LifetimeScenario, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(Lifetime, AfterAnUninstallTheInstallerRunsAgain) {
  ASSERT_EQ(Run({"/S"}), app::kExitCompleted);
  ASSERT_EQ(Uninstall(true), app::kExitCompleted) << Log();
  EXPECT_EQ(Run({"/S"}), app::kExitCompleted) << Log();
  EXPECT_TRUE(fs::exists("C:/QEN2005/APP.DAT"));
  // A second record, not one that grew from the first.
  EXPECT_EQ(install::ReadUninstallRecord("C:/QEN2005/UNINSTAL.DAT").State,
            install::RecordState::Valid);
}

TEST_F(Lifetime, WithoutARecordNothingIsTouched) {
  FixedFolders elsewhere("D:\\Uninstall.exe", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(app::RunProgram({"/UNINSTALL", "/S", "/LOG=run.log"}, window_), app::kExitStartFailed);
  EXPECT_NE(Log().find("The uninstall record D:\\UNINSTAL.DAT is missing"), std::string::npos)
      << Log();
}

}  // namespace
}  // namespace apptest
#endif
