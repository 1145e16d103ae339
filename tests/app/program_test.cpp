// The whole program natively, through the entry Install.exe runs: the real options,
// log, engine, script and packages, with the registry, Program Manager and message boxes
// replaced by doubles and the window by one that presses the install button. Every
// scenario runs from one table, with the window and silently (/S), and is checked for its
// exit code, the message boxes a person saw, its log and what it left on disk.
//
// Works in a scratch folder made current, where folders named "C:" and "D:" stand for
// the drives: the default folders ("C:\QEN2005", "C:\WINDOWS\Common Files\...") then
// lie below it. On Windows those are real drives; there the end-to-end tests run the
// real Install.exe.
#ifndef _WIN32
#include "app/core/program.h"

#include <filesystem>
#include <functional>

#include "program_fixture.h"
#include "support/no_temp_files.h"

namespace apptest {
namespace {

namespace fs = std::filesystem;

// ---- one table of scenarios, each run with the window and silently ------------------

enum class Mode { Window, Silent };

struct Scenario {
  const char* name;
  std::vector<std::string> args = {};          // besides /S and /LOG
  std::function<void(Program&)> prepare = {};  // before the run
  bool tempFolderGone = false;                 // no staging folder can be made
  std::vector<int> answers = {};               // the person's answers in the window
  int exitCode = app::kExitCompleted;          // the same in both modes
  std::vector<std::string> boxes = {};         // what the window run shows, in order (starts)
  std::vector<std::string> logged = {};        // lines of both runs' logs
  std::vector<std::string> loggedSilent = {};  // lines of the silent run's log only
  std::vector<std::string> present = {}, absent = {};  // files afterwards
  bool windowShown = true;                             // the window run reaches the window
};

const std::string kDecompressError = "Error while decompressing ";
const std::string kOpenRecordError =
    "Error while opening the uninstall record C:\\QEN2005\\UNINSTAL.DAT";
// A folder where the uninstall record goes: the record cannot be written.
void RecordInTheWay(Program&) { fs::create_directories("C:/QEN2005/UNINSTAL.DAT"); }

void DamageAll(Program&) {
  for (const auto& [disk, name] : kMediumPackages) DamagePackage(std::string(disk) + "/" + name);
}
const std::string kEngineFiles = "C:/WINDOWS/COMMON FILES/ONDREL SHARED/ODE/";

const Scenario kScenarios[] = {
    {.name = "InstallsEverything",
     .answers = {platform::kIdOk},
     .boxes = {kCompleted},
     .logged = {"application folder: C:\\QEN2005", "item InstallItemDBAPI \"\"",
                "  Decompressing .\\DISK1\\DBAPI.PCK to " + kEngineDirUpper, "gauge 100",
                "item InstallItemGrupoIcons succeeded",
                "result: installation completed (exit code 0)"},
     .loggedSilent = {"message (Information): " + kCompleted + " -> OK (by /S)"},
     .present = {"C:/QEN2005/HELP.DAT", "C:/QEN2005/BD.DAT", "C:/QEN2005/APP.DAT",
                 kEngineFiles + "DBSQL32.DAT"}},
    {.name = "IgnoreOnEveryErrorRunsEveryItem",
     .args = {"/IGNOREERRORS"},
     .prepare = DamageAll,
     .answers = std::vector<int>(6, platform::kIdIgnore),
     .boxes = {kDecompressError, kDecompressError, kDecompressError, kDecompressError,
               kDecompressError, kDecompressError, kCompleted},
     .logged = {"item InstallItemGrupoIcons succeeded", "gauge 100"},
     .loggedSilent = {"-> Ignore (by /S)"},
     .absent = {"C:/QEN2005/HELP.DAT"}},
    {.name = "GivingUpOnDiskTwoEndsTheRunAfterTheFirstDisk",
     .prepare = [](Program&) { fs::remove("DISK2/APP.PCK"); },
     .answers = {platform::kIdCancel, platform::kIdNo, platform::kIdCancel, platform::kIdYes,
                 platform::kIdOk},
     .exitCode = app::kExitCanceled,
     .boxes = {kInsertDisk2, kSure, kInsertDisk2, kSure, kCanceled},
     .logged = {"disk 2 wanted: APP.PCK is not in .\\DISK2\\", "gauge 80",
                "item InstallItemAPP failed: the run ends (disk 2 was not inserted"},
     .loggedSilent = {"message (Warning): " + kInsertDisk2 + " -> Cancel (by /S)",
                      "message (Confirm): " + kSure + " -> Yes (by /S)"},
     .present = {"C:/QEN2005/BD.DAT"},
     .absent = {"C:/QEN2005/APP.DAT", kEngineFiles + "DBSQL32.DAT"}},
    {.name = "AnInstalledEngineRefusesAndWritesNothing",
     .prepare =
         [](Program& p) {
           fs::create_directories("ODE");
           testing_support::WriteFileBytes("ODE/dbapi32.dll", {0});
           p.registry_.SetText(kEngineKey, "DLLPATH", "ODE");
         },
     .exitCode = app::kExitRefused,
     .boxes = {app::kRefusal},
     .logged = {"a database engine is already installed", "result: refused (exit code 2)"},
     .absent = {"C:/QEN2005"},
     .windowShown = false},
    {.name = "ChosenFoldersForTheApplicationAndTheEngine",
     .args = {"/DIR=D:\\APPS\\QEN", "/DBAPIDIR=D:\\ODE"},
     .boxes = {kCompleted},
     .logged = {"application folder: D:\\APPS\\QEN", "database engine folder used: D:\\ODE",
                "registry HKEY_LOCAL_MACHINE\\" + kEngineKey + " DLLPATH = \"D:\\ODE\" (REG_SZ)",
                "[AddItem(D:\\APPS\\QEN\\Leiame.txt,QEN 2005 Leiame,,,)]"},
     .present = {"D:/APPS/QEN/APP.DAT", "D:/ODE/LD.DAT"},
     .absent = {"C:/QEN2005"}},
    {.name = "ARegistryReadErrorIsAStartUpFailure",
     .prepare =
         [](Program& p) {
           p.registry_.SetRaw(kEngineKey, "DLLPath", platform::RegType::Dword, {1, 0, 0, 0});
         },
     .exitCode = app::kExitStartFailed,
     .boxes = {"Invalid data type for 'DLLPath'"},
     .logged = {"start-up failed: Invalid data type for 'DLLPath'",
                "result: start-up failed (exit code 3)"},
     .loggedSilent = {"message (Error): Invalid data type for 'DLLPath' -> OK (by /S)"},
     .absent = {"C:/QEN2005"},
     .windowShown = false},
    {.name = "AFailureBeforeTheAttemptsIsReportedAndEndsTheRun",
     .tempFolderGone = true,
     .exitCode = app::kExitCanceled,
     .boxes = {"Cannot create a staging"},
     .logged = {"  failed: " + kDecompressError + ".\\DISK1\\DBAPI.PCK",
                "item InstallItemDBAPI failed: the run ends (Cannot create a staging",
                "failure: Cannot create a staging", "result: installation canceled (exit code 1)"},
     .absent = {kEngineFiles + "DBAPI.DAT"}},
    {.name = "ARegistryValueRefusedOnceIsRetriedAndNamed",
     .args = {"/IGNOREERRORS"},
     .prepare = [](Program& p) { p.registry_.FailSets("DLLPATH", 1); },
     .answers = {platform::kIdRetry},
     .boxes = {"Error updating registry", kCompleted},
     .logged = {"registry HKEY_LOCAL_MACHINE\\" + kEngineKey + " DLLPATH = \"" + kEngineDir +
                    "\" (REG_SZ) FAILED (the value is refused (test))",
                "  attempt failed: Error updating registry (HKEY_LOCAL_MACHINE\\" + kEngineKey +
                    ": Failed to set data for 'DLLPATH' (the value is refused (test)))"},
     .loggedSilent = {"-> Ignore (by /S)"},
     .present = {"C:/QEN2005/APP.DAT"}},
    // The record's steps are operations like any other: a record that cannot be opened
    // ends the run when given up (under /S at once), and is ignored with /IGNOREERRORS;
    // then the installation goes on unrecorded, without an uninstaller or an entry.
    {.name = "ARecordThatCannotBeOpenedEndsTheRun",
     .prepare = RecordInTheWay,
     .answers = {platform::kIdAbort, platform::kIdOk},
     .exitCode = app::kExitCanceled,
     .boxes = {kOpenRecordError, kCanceled},
     .logged = {"item InstallItemRecord \"\"", "  Creating folder C:\\QEN2005",
                "  Opening the uninstall record C:\\QEN2005\\UNINSTAL.DAT",
                "  attempt failed: " + kOpenRecordError +
                    " (Cannot write the uninstall record C:\\QEN2005\\UNINSTAL.DAT",
                "item InstallItemRecord failed: the run ends",
                "result: installation canceled (exit code 1)"},
     .loggedSilent = {"message (Error): " + kOpenRecordError + " -> Abort (by /S)"},
     .absent = {kEngineFiles + "DBAPI.DAT", "C:/QEN2005/Uninstall.exe"}},
    {.name = "ARecordThatCannotBeOpenedIsIgnoredWithIgnoreErrors",
     .args = {"/IGNOREERRORS"},
     .prepare = RecordInTheWay,
     .answers = {platform::kIdIgnore},
     .boxes = {kOpenRecordError, kCompleted},
     .logged = {"item InstallItemRecord succeeded", "result: installation completed (exit code 0)"},
     .loggedSilent = {"message (Error): " + kOpenRecordError + " -> Ignore (by /S)"},
     .present = {"C:/QEN2005/APP.DAT", kEngineFiles + "DBAPI.DAT"},
     .absent = {"C:/QEN2005/Uninstall.exe"}},
    {.name = "WithoutAdministratorRightsNothingIsTouched",
     .prepare = [](Program& p) { p.SetAdministrator(false); },
     .exitCode = app::kExitNotAdministrator,
     .boxes = {app::kNotAdministrator},
     .logged = {"start-up failed: the program runs without administrator rights",
                "result: refused: no administrator rights (exit code 740)"},
     .absent = {"C:/QEN2005", "C:/WINDOWS"},
     .windowShown = false},
    {.name = "NoProgramManagerIsNamedAsTheCause",
     .args = {"/IGNOREERRORS"},
     .prepare = [](Program& p) { p.progman_.answering.clear(); },
     .answers = std::vector<int>(4, platform::kIdIgnore),
     .boxes = {"Error while creating group \"TAVO\"", "Error while creating program icon for",
               "Error while creating program icon for", "Error while creating program icon for",
               kCompleted},
     .logged = {"Program Manager command [CreateGroup(TAVO)]\\r\\n NOT handed over (no Program "
                "Manager took a DDE conversation",
                "  failed: Error while creating group \"TAVO\" (ignored) (no Program Manager",
                "; nor as a shortcut: Cannot make the Start Menu folder of the group TAVO ("},
     .present = {"C:/QEN2005/APP.DAT"}},
};

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }

class ProgramScenario : public Program,
                        public ::testing::WithParamInterface<std::tuple<Scenario, Mode>> {};

TEST_P(ProgramScenario, EndsAsExpected) {
  const auto& [s, mode] = GetParam();
  const bool silent = mode == Mode::Silent;
  if (s.prepare) s.prepare(*this);
  std::optional<testing_support::NoTempFiles> noTemp;
  if (s.tempFolderGone) noTemp.emplace();
  for (const int answer : s.answers) dialogs_.Answer(answer);
  dialogs_.fallback = platform::kIdOk;

  std::vector<std::string> args = s.args;
  if (silent) args.insert(args.begin(), "/S");
  EXPECT_EQ(Run(args), s.exitCode);

  // A silent run shows nothing; the window run shows exactly these boxes.
  if (silent) {
    EXPECT_TRUE(dialogs_.shown.empty()) << dialogs_.shown.front().text;
    EXPECT_FALSE(window_.opened);
  } else {
    std::vector<std::string> texts = Texts();
    ASSERT_EQ(texts.size(), s.boxes.size()) << (texts.empty() ? "" : texts.back());
    for (std::size_t i = 0; i < texts.size(); ++i)
      EXPECT_EQ(texts[i].substr(0, s.boxes[i].size()), s.boxes[i]);
    EXPECT_EQ(window_.shown, s.windowShown);
  }
  for (const std::string& line : s.logged) EXPECT_TRUE(Logged(line)) << line << "\n" << Log();
  if (silent)
    for (const std::string& line : s.loggedSilent) EXPECT_TRUE(Logged(line)) << line;
  else
    EXPECT_FALSE(Logged("(by /S)"));
  for (const std::string& f : s.present) EXPECT_TRUE(fs::exists(f)) << f;
  for (const std::string& f : s.absent) EXPECT_FALSE(fs::exists(f)) << f;
}

INSTANTIATE_TEST_SUITE_P(Table, ProgramScenario,
                         ::testing::Combine(::testing::ValuesIn(kScenarios),
                                            ::testing::Values(Mode::Window, Mode::Silent)),
                         [](const ::testing::TestParamInfo<std::tuple<Scenario, Mode>>& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) == Mode::Silent ? "_Silent" : "_Window");
                         });

// ---- what the table does not say -----------------------------------------------------

TEST_F(Program, TheLogTellsAWholeRunInOrder) {
  EXPECT_EQ(Run({"/S"}), app::kExitCompleted);
  const std::string log = Log();
  std::size_t at = 0;
  for (const std::string& line : std::vector<std::string>{
           "Install 1.0 started at ",
           "command line: /S /LOG=run.log",
           "source folder: .\\DISK1\\",
           "Windows folder: C:\\WINDOWS",
           "system folder: C:\\WINDOWS\\SYSTEM",
           "database engine folder: " + kEngineDir,
           "database engine configuration file: " + kEngineDir + "\\DBAPI32.CFG",
           "application folder: C:\\QEN2005",
           "item InstallItemDBAPI",
           "gauge 10",
           "  done",
           "gauge 20",
           "item InstallItemDBAPI succeeded",
           "item InstallItemLD",
           "  Updating registry",
           "registry HKEY_LOCAL_MACHINE\\" + kEngineKey + " DLLPATH = \"" + kEngineDir +
               "\" (REG_SZ)",
           "item InstallItemHELP",
           "item InstallItemBD",
           "item InstallItemAPP",
           "gauge 85",
           "item InstallItemDBSQL32",
           "item InstallItemGrupoIcons",
           "Program Manager command [CreateGroup(TAVO)]\\r\\n handed over",
           "  Creating Program Icon for \"C:\\QEN2005\\Leiame.txt\"",
           "message (Information): " + kCompleted + " -> OK (by /S)",
           "result: installation completed (exit code 0)"}) {
    const std::size_t found = log.find(line, at);
    ASSERT_NE(found, std::string::npos) << "not in order: " << line << "\n" << log;
    at = found + line.size();
  }
  std::size_t engineValues = 0;
  for (const auto& w : registry_.writes) engineValues += w.key.find("Ondrel") != std::string::npos;
  EXPECT_EQ(engineValues, 11u);
  EXPECT_EQ(progman_.Commands().size(), 4u);
}

TEST_F(Program, ARelativeFolderIsTakenFromTheCurrentFolder) {
  // Only the folder field is looked at: a full path, so the shortcuts name real places.
  EXPECT_EQ(Run({"/S", "/DIR=APPS", "/DBAPIDIR=D:\\ODE"}), app::kExitCompleted);
  const std::string full = platform::FileSystemPort().FullPath("APPS");
  EXPECT_NE(full, "APPS");
  EXPECT_TRUE(Logged("application folder: " + full));
}

TEST_F(Program, ClosingTheWindowWithoutInstallingWritesNothing) {
  window_.pressInstall = false;
  EXPECT_EQ(Run({}), app::kExitCanceled);
  EXPECT_TRUE(window_.shown);
  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_TRUE(registry_.writes.empty());
  EXPECT_FALSE(fs::exists("C:/QEN2005"));
  EXPECT_TRUE(Logged("result: installation canceled (exit code 1)"));
}

TEST_F(Program, UsageErrorsHelpAndAnUnopenableLogEndBeforeAnything) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string box;  // what the window run shows; nothing under /S
  } const cases[] = {
      {{"/X"}, app::kExitUsage, "/X"},
      {{"/?"}, app::kExitCompleted, "/IGNOREERRORS"},
      {{"/LOG=missing/install.log"}, app::kExitStartFailed, "Cannot open the log file"},
  };
  for (const Case& c : cases) {
    for (const bool silent : {false, true}) {
      dialogs_.shown.clear();
      std::vector<std::string> args = c.args;
      if (silent) args.push_back("/S");
      EXPECT_EQ(app::RunProgram(args, window_), c.exitCode) << args[0];
      if (silent) {
        EXPECT_TRUE(dialogs_.shown.empty()) << args[0];
      } else {
        ASSERT_EQ(dialogs_.shown.size(), 1u) << args[0];
        EXPECT_NE(dialogs_.shown[0].text.find(c.box), std::string::npos) << dialogs_.shown[0].text;
      }
    }
  }
  EXPECT_FALSE(window_.opened);
  EXPECT_FALSE(fs::exists("C:/QEN2005"));
  EXPECT_FALSE(fs::exists("missing"));
}

}  // namespace
}  // namespace apptest
#endif
