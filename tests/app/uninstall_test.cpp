// The installation's whole life natively: the program installs (silently), then the
// uninstaller it copied runs with /UNINSTALL, from a copy of itself (the doubles' "run and
// wait" runs the program again with the copy's command line). One table of scenarios:
// what was installed, what happened to the machine meanwhile, how the uninstall was
// answered, and what is left afterwards, in the folders, the registry and Program Manager.
// The scenarios the run under Wine has too come from their shared table
// (support/removal_scenarios.h); those only a native run can set up are in a table here.
#ifndef _WIN32
#include "app/core/uninstall.h"

#include <filesystem>

#include "app/core/script.h"
#include "install/step_shared.h"
#include "install/uninstall_record.h"
#include "platform/text.h"
#include "program_fixture.h"
#include "support/removal_scenarios.h"

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

class Lifetime : public Program, public testing_support::RemovalMachine {
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
  // The installation, silent, and what it registered.
  void InstallAndCheckTheEntry(int exitCode) {
    dialogs_.fallback = platform::kIdOk;
    ASSERT_EQ(Run({"/S"}), exitCode) << Log();
    EXPECT_EQ(EntryText("DisplayName"), "QEN 2005");
    EXPECT_EQ(EntryText("UninstallString"), "\"" + kUninstaller + "\" /UNINSTALL");
    EXPECT_EQ(EntryText("QuietUninstallString"), "\"" + kUninstaller + "\" /UNINSTALL /S");
    EXPECT_EQ(EntryText("Publisher"), "Instituto Tavo");
    EXPECT_TRUE(fs::exists("C:/QEN2005/Uninstall.exe"));
  }

 public:
  // ---- the shared scenarios' machine ----
  void HideDiskTwo() override { fs::remove("DISK2/APP.PCK"); }
  void ChangeTable() override {
    testing_support::WriteFileBytes("C:/QEN2005/BD.DAT", {'m', 'i', 'n', 'e'});
  }
  void CountEngineElsewhere() override {
    std::string reason;
    for (const std::string& f : kEngineFiles) {
      const std::string path = kEngineDirUpper + "\\" + f;
      install::SetSharedCount(path, install::SharedCount(path) + 1, reason);
    }
  }
  void DamageRecord() override { testing_support::FlipMiddleBit("C:/QEN2005/UNINSTAL.DAT"); }
  void ExpectNothingLeft() override {
    EXPECT_TRUE(fs::is_empty("C:")) << "left on C:";
    EXPECT_EQ(registry_.Text("SOFTWARE\\Ondrel\\Database Engine", "DLLPATH"), "<absent>");
    EXPECT_FALSE(registry_.HasKey("SOFTWARE\\Ondrel"));
    EXPECT_FALSE(registry_.HasKey(app::kUninstallEntryKey));
    for (const std::string& f : kEngineFiles)
      EXPECT_EQ(install::SharedCount(kEngineDirUpper + "\\" + f), 0u) << f;
    const std::vector<std::string> commands = progman_.Commands();
    if (std::find(commands.begin(), commands.end(), "[CreateGroup(TAVO)]\r\n") != commands.end()) {
      EXPECT_EQ(commands.back(), "[DeleteGroup(TAVO)]\r\n");
    }
    EXPECT_TRUE(Log().find("removed the uninstall entry") != std::string::npos);
  }
  void ExpectOnlyTheChangedTable() override {
    EXPECT_EQ(testing_support::ReadFileBytes("C:/QEN2005/BD.DAT"),
              (testing_support::Bytes{'m', 'i', 'n', 'e'}));
    std::vector<std::string> left;
    for (const auto& e : fs::recursive_directory_iterator("C:/QEN2005"))
      left.push_back(e.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"BD.DAT"});
    EXPECT_FALSE(fs::exists(kEngineFolder));
    EXPECT_FALSE(registry_.HasKey(app::kUninstallEntryKey));
    EXPECT_NE(Log().find("kept because it was changed: C:\\QEN2005\\BD.DAT"), std::string::npos);
  }
  void ExpectTheEngineKept() override {
    for (const std::string& f : kEngineFiles) {
      EXPECT_TRUE(fs::exists(kEngineFolder + "/" + f)) << f;
      EXPECT_EQ(install::SharedCount(kEngineDirUpper + "\\" + f), 1u) << f;
    }
    EXPECT_EQ(registry_.Text("SOFTWARE\\Ondrel\\Database Engine", "DLLPATH"), kEngineDir);
    EXPECT_FALSE(fs::exists("C:/QEN2005"));
    EXPECT_FALSE(registry_.HasKey(app::kUninstallEntryKey));
    EXPECT_EQ(progman_.Commands().back(), "[DeleteGroup(TAVO)]\r\n");
  }
  void ExpectStillInstalled() override {
    EXPECT_TRUE(fs::exists("C:/QEN2005/APP.DAT"));
    EXPECT_TRUE(fs::exists(kEngineFolder + "/DBAPI.DAT"));
    EXPECT_TRUE(registry_.HasKey(app::kUninstallEntryKey));
    EXPECT_EQ(copies_, 0);
    EXPECT_NE(Log().find(" est\xe1 danificado ("), std::string::npos);
  }
  void ExpectItInstallsAgain() override {
    EXPECT_EQ(Run({"/S"}), app::kExitCompleted) << Log();
    EXPECT_TRUE(fs::exists("C:/QEN2005/APP.DAT"));
    // A second record, not one that grew from the first.
    const install::UninstallRecord record = install::ReadUninstallRecord("C:/QEN2005/UNINSTAL.DAT");
    EXPECT_EQ(record.State, install::RecordState::Valid);
    EXPECT_EQ(std::count_if(record.Steps.begin(), record.Steps.end(),
                            [](const install::RecordStep& step) {
                              return std::holds_alternative<install::ProgramStep>(step);
                            }),
              1);
  }
};

// ---- the scenarios the run under Wine has too ------------------------------------------

class SharedRemoval : public Lifetime,
                      public ::testing::WithParamInterface<testing_support::RemovalScenario> {};

TEST_P(SharedRemoval, EndsAsExpected) {
  const testing_support::RemovalScenario& s = GetParam();
  testing_support::MakeChange(*this, s.beforeInstall);
  InstallAndCheckTheEntry(s.installed);
  testing_support::MakeChange(*this, s.beforeUninstall);
  dialogs_.shown.clear();
  EXPECT_EQ(Uninstall(true), s.exitCode) << Log();
  EXPECT_TRUE(dialogs_.shown.empty());
  if (s.exitCode != app::kExitStartFailed) {
    EXPECT_EQ(copies_, 1) << "run from a copy of itself";
  }
  testing_support::ExpectLeft(*this, s);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SharedRemoval, ::testing::ValuesIn(testing_support::kRemovalScenarios),
    [](const ::testing::TestParamInfo<testing_support::RemovalScenario>& info) {
      return std::string(info.param.name);
    });

// ---- the scenarios only a native run sets up -------------------------------------------

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

const Scenario kScenarios[] = {
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
    {.name = "TheWindowAsksOnceAndEndsWithAMessage",
     .silent = false,
     .answers = {platform::kIdYes, platform::kIdOk},
     .check =
         [](Lifetime& t) {
           t.ExpectNothingLeft();
           EXPECT_EQ(t.window_.caption, app::kUninstallCaption);
           // A removal window: none of the installer's button texts.
           EXPECT_EQ(t.window_.buttons,
                     (std::vector<std::string>{"&Remover o Sistema", "&Sair da remo\xe7\xe3o"}));
           EXPECT_EQ(t.window_.TargetText(), "C:\\QEN2005");
           EXPECT_EQ(t.window_.DbapiText(), kEngineDirUpper);
           ASSERT_EQ(t.dialogs_.shown.size(), 2u);
           EXPECT_EQ(t.dialogs_.shown[0].text, app::kConfirmRemove);
           EXPECT_EQ(t.dialogs_.shown[1].text, "O QEN 2005 foi removido.");
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
  InstallAndCheckTheEntry(s.installed);
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

TEST_F(Lifetime, WithoutARecordNothingIsTouched) {
  FixedFolders elsewhere("D:\\Uninstall.exe", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(app::RunProgram({"/UNINSTALL", "/S", "/LOG=run.log"}, window_), app::kExitStartFailed);
  EXPECT_NE(Log().find("O registro de desinstala\xe7\xe3o D:\\UNINSTAL.DAT n\xe3o foi encontrado"),
            std::string::npos)
      << Log();
}

}  // namespace
}  // namespace apptest
#endif
