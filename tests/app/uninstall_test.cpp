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
#include "install/dbengine.h"
#include "install/step_shared.h"
#include "install/uninstall_record.h"
#include "platform/digest.h"
#include "platform/forwarding_files.h"
#include "platform/system.h"
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
// The Start Menu Programs folders of all users and of the user, as the doubles name them.
const std::string kMenu = "C:/ProgramData/Start Menu/Programs";
const std::string kUserMenu = "C:/Users/admin/Start Menu/Programs";

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

// A file a running program holds open: the system refuses to delete it.
class HeldOpen : public platform::ForwardingFiles {
 public:
  // `unreadable`: held so that nobody may even read it.
  explicit HeldOpen(std::string path, bool unreadable = false)
      : path_(std::move(path)), unreadable_(unreadable) {}
  std::unique_ptr<platform::File> Open(const std::string& path, platform::Access access,
                                       platform::Share share,
                                       platform::Disposition disposition) override {
    held_ = unreadable_ && platform::SameFolded(path, path_);
    return held_ ? nullptr : Inner().Open(path, access, share, disposition);
  }
  bool Delete(const std::string& path) override {
    held_ = platform::SameFolded(path, path_);
    return !held_ && Inner().Delete(path);
  }
  std::string FailureReason() override {
    return held_ ? "the process cannot access the file" : Inner().FailureReason();
  }

 private:
  std::string path_;
  bool unreadable_, held_ = false;
  platform::ScopedPort<platform::FileSystem> installed_{*this};
};

// The access rights asked for, granted.
class AccessRights : public platform::ForwardingFiles {
 public:
  std::vector<std::pair<std::string, platform::AccessRule>> asked;
  bool SetAccess(const std::string& path, platform::AccessRule rule) override {
    asked.emplace_back(path, rule);
    return true;
  }
  bool Asked(const std::string& path, platform::AccessRule rule) const {
    return std::find(asked.begin(), asked.end(), std::pair{path, rule}) != asked.end();
  }

 private:
  platform::ScopedPort<platform::FileSystem> installed_{*this};
};

// An uninstall record with a line added by someone who can compute its checks.
void ExtendRecord(const install::RecordStep& step) {
  install::RecordWriter("C:/QEN2005/UNINSTAL.DAT").Add(step);
}

class Lifetime : public Program, public testing_support::RemovalMachine {
 public:  // the scenarios look at it
  std::optional<HeldOpen> heldOpen_;
  using EngineTest::dialogs_;
  bool administrator_ = true;  // the uninstalling user
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
      copy.administrator = administrator_;
      args.erase(args.begin());
      ++copies_;
      return app::RunProgram(args, window_);
    };
  }
  // Runs the uninstaller as the entry's command line does (with /S when silent).
  int Uninstall(bool silent) {
    FixedFolders installed(kUninstaller, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM");
    installed.administrator = administrator_;
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
    EXPECT_EQ(EntryText("InstallDate"),
              install::InstallDateText(platform::LocalTimeOf(std::time(nullptr))));
    const auto dword = [this](const char* name) {
      const platform::RegValue* v = registry_.Find(app::kUninstallEntryKey, name);
      return v && v->Type == platform::RegType::Dword && v->Data.size() == 4
                 ? static_cast<int64_t>(v->Data[0] | v->Data[1] << 8 | v->Data[2] << 16 |
                                        v->Data[3] << 24)
                 : -1;
    };
    EXPECT_EQ(dword("VersionMajor"), 2005);
    EXPECT_EQ(dword("VersionMinor"), 0);
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
    {.name = "WithoutProgramManagerTheShortcutsGoInTheAllUsersMenuAndGo",
     .beforeInstall =
         [](Lifetime& t) {
           t.progman_.answering.clear();
           fs::create_directories(kMenu);
         },
     .beforeUninstall =
         [](Lifetime& t) {
           for (const char* caption : app::kIconCaptions)
             EXPECT_TRUE(fs::exists(kMenu + "/TAVO/" + caption + ".lnk")) << caption;
           ASSERT_EQ(t.progman_.shortcuts.size(), 3u);
           EXPECT_EQ(t.progman_.shortcuts[0].Target, "C:\\QEN2005\\QEN2005.EXE");
           EXPECT_EQ(t.progman_.shortcuts[0].WorkingDir, "C:\\QEN2005");
           EXPECT_EQ(t.progman_.shortcuts[2].Path,
                     "C:\\ProgramData\\Start Menu\\Programs\\TAVO\\QEN 2005 Leiame.lnk");
           EXPECT_NE(Lifetime::Log().find(
                         "group TAVO made as the Start Menu folder "
                         "C:\\ProgramData\\Start Menu\\Programs\\TAVO: no Program Manager "
                         "took the command (no Program Manager took a DDE conversation"),
                     std::string::npos);
           EXPECT_NE(Lifetime::Log().find("program icon QEN 2005 Help made as the shortcut "
                                          "C:\\ProgramData\\Start Menu\\Programs\\TAVO\\"
                                          "QEN 2005 Help.lnk"),
                     std::string::npos);
         },
     .check =
         [](Lifetime& t) {
           EXPECT_TRUE(fs::is_empty(kMenu));
           EXPECT_FALSE(fs::exists("C:/QEN2005"));
           EXPECT_FALSE(t.registry_.HasKey(app::kUninstallEntryKey));
           EXPECT_NE(Lifetime::Log().find("removed the shortcut C:\\ProgramData\\Start "
                                          "Menu\\Programs\\TAVO\\QEN 2005.lnk"),
                     std::string::npos);
           EXPECT_TRUE(t.progman_.Commands().empty());  // no DeleteGroup without a group
         }},
    {.name = "WhereTheAllUsersMenuCannotBeMadeTheUsersOwnTakesTheShortcuts",
     .beforeInstall =
         [](Lifetime& t) {
           t.progman_.answering.clear();
           fs::create_directories("C:/ProgramData/Start Menu");
           testing_support::WriteFileBytes(kMenu, {'x'});  // no folder can be made there
           fs::create_directories(kUserMenu);
         },
     .beforeUninstall =
         [](Lifetime&) {
           EXPECT_TRUE(fs::exists(kUserMenu + "/TAVO/QEN 2005.lnk"));
           EXPECT_NE(Lifetime::Log().find("made as the Start Menu folder "
                                          "C:\\Users\\admin\\Start Menu\\Programs\\TAVO"),
                     std::string::npos);
         },
     .check = [](Lifetime&) { EXPECT_TRUE(fs::is_empty(kUserMenu)); }},
    {.name = "AFileInUseGoesAtTheNextRestart",
     .beforeUninstall = [](Lifetime& t) { t.heldOpen_.emplace("C:\\QEN2005\\APP.DAT"); },
     .silent = false,
     .answers = {platform::kIdYes, platform::kIdOk},
     .exitCode = app::kExitRestartNeeded,
     .check =
         [](Lifetime& t) {
           t.heldOpen_.reset();
           EXPECT_TRUE(fs::exists("C:/QEN2005/APP.DAT"));
           // The file first, then the folders that hold it.
           EXPECT_EQ(t.progman_.atRestart,
                     (std::vector<std::string>{"C:\\QEN2005\\APP.DAT", "C:\\QEN2005"}));
           ASSERT_EQ(t.dialogs_.shown.size(), 2u);
           EXPECT_EQ(t.dialogs_.shown[1].text,
                     "O QEN 2005 foi removido. Os arquivos em uso ser\xe3o removidos quando o "
                     "computador for reiniciado.\r\n\r\nRemovidos quando o computador for "
                     "reiniciado:\r\nC:\\QEN2005\\APP.DAT");
           EXPECT_NE(Lifetime::Log().find("C:\\QEN2005\\APP.DAT is in use (the process "
                                          "cannot access the file): it is removed at the next "
                                          "restart"),
                     std::string::npos);
           EXPECT_NE(Lifetime::Log().find("folder C:\\QEN2005 is removed at the next restart"),
                     std::string::npos);
           EXPECT_NE(Lifetime::Log().find("result: removed once the system restarts (exit code "
                                          "3010)"),
                     std::string::npos);
           EXPECT_FALSE(fs::exists("C:/QEN2005/BD.DAT"));
           EXPECT_FALSE(t.registry_.HasKey(app::kUninstallEntryKey));
         }},
    {.name = "AFileNobodyMayReadIsNotCheckedAndStays",
     .beforeUninstall = [](Lifetime& t) { t.heldOpen_.emplace("C:\\QEN2005\\APP.DAT", true); },
     .exitCode = app::kExitCanceled,
     .check =
         [](Lifetime& t) {
           t.heldOpen_.reset();
           EXPECT_TRUE(fs::exists("C:/QEN2005/APP.DAT"));
           EXPECT_TRUE(t.progman_.atRestart.empty());
           EXPECT_NE(Lifetime::Log().find("cannot check whether C:\\QEN2005\\APP.DAT was "
                                          "changed: the process cannot access the file"),
                     std::string::npos);
           EXPECT_EQ(Lifetime::Log().find("kept because it was changed: C:\\QEN2005\\APP.DAT"),
                     std::string::npos);
         }},
    {.name = "ARecordNamingAFileElsewhereIsRefusedAndChangesNothing",
     .beforeUninstall =
         [](Lifetime&) {
           testing_support::WriteFileBytes("C:/VICTIM.TXT", {'v'});
           ExtendRecord(install::FileStep{"C:\\QEN2005\\..\\VICTIM.TXT", 1,
                                          *platform::DigestOfFile("C:/VICTIM.TXT")});
         },
     .exitCode = app::kExitStartFailed,
     .check =
         [](Lifetime& t) {
           EXPECT_TRUE(fs::exists("C:/VICTIM.TXT"));
           t.ExpectStillInstalled();
           EXPECT_NE(Lifetime::Log().find(": C:\\QEN2005\\..\\VICTIM.TXT lies outside what the "
                                          "installation made): nada foi removido."),
                     std::string::npos)
               << Lifetime::Log();
         }},
    {.name = "ARecordPuttingACopyOverAnotherFileIsRefused",
     .beforeUninstall =
         [](Lifetime&) {
           fs::create_directories("C:/QEN2005/BACKUP");
           testing_support::WriteFileBytes("C:/QEN2005/BACKUP/EVIL.DLL", {'e'});
           ExtendRecord(install::BackupStep{"C:\\WINDOWS\\SYSTEM\\USER.DLL",
                                            "C:\\QEN2005\\BACKUP\\EVIL.DLL"});
         },
     .exitCode = app::kExitStartFailed,
     .check =
         [](Lifetime& t) {
           EXPECT_FALSE(fs::exists("C:/WINDOWS/SYSTEM/USER.DLL"));
           t.ExpectStillInstalled();
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

TEST_F(Lifetime, WithoutAdministratorRightsTheUninstallerTouchesNothing) {
  InstallAndCheckTheEntry(app::kExitCompleted);
  administrator_ = false;
  dialogs_.shown.clear();
  EXPECT_EQ(Uninstall(false), app::kExitNotAdministrator);
  EXPECT_EQ(copies_, 0);
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0], app::kNotAdministrator);
  EXPECT_TRUE(fs::exists("C:/QEN2005/APP.DAT"));
  EXPECT_TRUE(fs::exists("C:/QEN2005/UNINSTAL.DAT"));
  EXPECT_TRUE(registry_.HasKey(app::kUninstallEntryKey));
  EXPECT_NE(Log().find("result: refused: no administrator rights (exit code 740)"),
            std::string::npos);
}

TEST_F(Lifetime, TheFolderItMadeGetsItsRightsTheDataFolderLetsUsersModify) {
  {
    AccessRights rights;
    InstallAndCheckTheEntry(app::kExitCompleted);
    using platform::AccessRule;
    for (const std::string path :
         {"C:\\QEN2005", "C:\\QEN2005\\UNINSTAL.DAT", "C:\\QEN2005\\Uninstall.exe"})
      EXPECT_TRUE(rights.Asked(path, AccessRule::UsersReadExecute)) << path;
    EXPECT_TRUE(rights.Asked("C:\\QEN2005\\DADOS", AccessRule::UsersModify));
    EXPECT_NE(Log().find("access rights of C:\\QEN2005 set: Administrators and SYSTEM full "
                         "control, Users read and execute"),
              std::string::npos);
    EXPECT_NE(Log().find("access rights of C:\\QEN2005\\DADOS set: Administrators and SYSTEM "
                         "full control, Users modify"),
              std::string::npos);
    // The uninstaller's copy runs from a folder made for it alone, which users cannot change.
    rights.asked.clear();
    std::string ranFrom;
    progman_.run = [&](const std::string& command) {
      ranFrom = Arguments(command).front();
      return 0;
    };
    EXPECT_EQ(Uninstall(true), 0);
    const std::string folder = platform::FolderPart(ranFrom);
    EXPECT_EQ(ranFrom, folder + "Uninstall.exe");
    EXPECT_EQ(fs::path(folder.substr(0, folder.size() - 1)).filename().string().rfind("QUN", 0), 0u)
        << ranFrom;
    EXPECT_TRUE(rights.Asked(folder, platform::AccessRule::UsersReadExecute));
    EXPECT_FALSE(fs::exists(folder)) << "the copy's folder goes with it";
  }
}

TEST_F(Lifetime, AFolderThatWasThereKeepsItsRights) {
  fs::create_directories("C:/QEN2005/DADOS");
  AccessRights rights;
  InstallAndCheckTheEntry(app::kExitCompleted);
  for (const auto& [path, rule] : rights.asked) {
    EXPECT_NE(path, "C:\\QEN2005");
    EXPECT_NE(path, "C:\\QEN2005\\DADOS");
  }
  // What runs with administrator rights is protected all the same.
  EXPECT_TRUE(rights.Asked("C:\\QEN2005\\Uninstall.exe", platform::AccessRule::UsersReadExecute));
  EXPECT_TRUE(rights.Asked("C:\\QEN2005\\UNINSTAL.DAT", platform::AccessRule::UsersReadExecute));
  EXPECT_NE(Log().find("the folder C:\\QEN2005 was there before: its access rights are kept"),
            std::string::npos);
  EXPECT_NE(Log().find("the folder C:\\QEN2005\\DADOS was there before"), std::string::npos);
}

// The record as an installer of the first version wrote it: the same steps without the
// engine's folder, under the first version's header.
void RewriteAsFirstVersion() {
  const auto record = install::ReadUninstallRecord("C:/QEN2005/UNINSTAL.DAT");
  std::string text, check;
  const auto put = [&](const std::string& line) {
    const std::string chained = check + "\t" + line;
    check = platform::TContentHash::Of(chained.data(), chained.size()).Hex();
    text += line + "\t" + check + "\r\n";
  };
  put("QEN2005-UNINSTALL\t1");
  for (const install::RecordStep& step : record.Steps)
    if (!std::holds_alternative<install::EngineStep>(step)) put(install::RecordLineText(step));
  testing_support::WriteFileBytes("C:/QEN2005/UNINSTAL.DAT",
                                  testing_support::Bytes(text.begin(), text.end()));
}

TEST_F(Lifetime, AFirstVersionRecordTakesTheEngineFolderFromTheEnginesValue) {
  InstallAndCheckTheEntry(app::kExitCompleted);
  RewriteAsFirstVersion();
  ASSERT_EQ(install::ReadUninstallRecord("C:/QEN2005/UNINSTAL.DAT").Version, 1);
  EXPECT_EQ(Uninstall(true), app::kExitCompleted) << Log();
  ExpectNothingLeft();
}

TEST_F(Lifetime, AFirstVersionRecordWithoutTheEnginesValueCannotNameItsFiles) {
  InstallAndCheckTheEntry(app::kExitCompleted);
  RewriteAsFirstVersion();
  registry_.SetText(install::kDatabaseEngineKey, "DLLPATH", "C:\\ELSEWHERE");
  EXPECT_EQ(Uninstall(true), app::kExitStartFailed);
  EXPECT_NE(Log().find("lies outside what the installation made"), std::string::npos) << Log();
  EXPECT_TRUE(fs::exists(kEngineFolder + "/DBAPI.DAT"));
}

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
