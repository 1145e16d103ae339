// The silent installer run natively: the real engine and script over a medium of real
// packages, with the registry, Program Manager and message boxes replaced by doubles,
// answered by the silent run's fixed answers and logged. Works in a scratch folder made
// current, where folders named "C:" and "D:" stand for the drives: the default folders
// ("C:\QEN2005", "C:\WINDOWS\Common Files\...") then lie below it. On Windows those are
// real drives; there the end-to-end tests run the same cases with the real Install.exe.
#ifndef _WIN32
#include <filesystem>

#include "app/core/install_log.h"
#include "app/core/session.h"
#include "app/core/session_ports.h"
#include "install/install_test_util.h"
#include "support/no_temp_files.h"
#include "support/test_files.h"
#include "test_medium.h"

namespace apptest {
namespace {

namespace fs = std::filesystem;
using installtest::FixedFolders;

const std::string kEngineKey = "SOFTWARE\\Ondrel\\Database Engine";
const std::string kEngineDir = "C:\\WINDOWS\\Common Files\\Ondrel Shared\\ODE";

class SilentRun : public installtest::EngineTest {
 protected:
  testing_support::ScratchDir dir_;
  fs::path previous_ = fs::current_path();
  std::unique_ptr<FixedFolders> medium_;

  void SetUp() override {
    fs::current_path(dir_.Path());
    WriteTestMedium();
    fs::create_directories("C:");
    fs::create_directories("D:");
    medium_ = std::make_unique<FixedFolders>(".\\DISK1\\INSTALL.EXE", "C:\\WINDOWS",
                                             "C:\\WINDOWS\\SYSTEM");
  }
  void TearDown() override {
    medium_.reset();
    fs::current_path(previous_);
  }

  // Runs the program's silent path as the command line would, with a log.
  int Run(std::vector<std::string> args) {
    args.push_back("/LOG=run.log");
    const app::TInstallOptions options = app::ParseOptions(args);
    EXPECT_EQ(options.Unknown, "");
    app::TInstallLog log(options.LogPath);
    app::TRunDialogs dialogs(&log, options.Silent, options.IgnoreErrors);
    app::TLoggingRegistry registry(log);
    app::TLoggingDde dde(log);
    const plat::ScopedPort<plat::Dialogs> useDialogs(dialogs);
    const plat::ScopedPort<plat::Registry> useRegistry(registry);
    const plat::ScopedPort<plat::DdeClient> useDde(dde);
    return app::RunSilent(options, &log);
  }
  static std::string Log() {
    const auto bytes = testing_support::ReadFileBytes("run.log");
    return std::string(bytes.begin(), bytes.end());
  }
  static bool Logged(const std::string& text) { return Log().find(text) != std::string::npos; }
};

TEST_F(SilentRun, InstallsEverythingWithoutShowingAnything) {
  EXPECT_EQ(Run({"/S"}), app::kExitCompleted);
  EXPECT_TRUE(dialogs_.shown.empty());
  for (const char* f : {"C:/QEN2005/HELP.DAT", "C:/QEN2005/BD.DAT", "C:/QEN2005/APP.DAT"})
    EXPECT_TRUE(fs::exists(f)) << f;
  EXPECT_TRUE(fs::exists("C:/WINDOWS/COMMON FILES/ONDREL SHARED/ODE/DBSQL32.DAT"));
  EXPECT_EQ(registry_.writes.size(), 11u);
  EXPECT_EQ(registry_.Text(kEngineKey, "DLLPATH"), kEngineDir);
  EXPECT_EQ(progman_.Commands().size(), 4u);
  EXPECT_EQ(progman_.Commands()[1], "[AddItem(C:\\QEN2005\\QEN2005.EXE,QEN 2005,,,)]\r\n");

  // The log tells the whole story, one event a line.
  const std::string log = Log();
  for (const std::string& line : std::vector<std::string>{
           "Install 1.0 started at ",
           "source folder: .\\DISK1\\",
           "Windows folder: C:\\WINDOWS",
           "system folder: C:\\WINDOWS\\SYSTEM",
           "database engine folder: " + kEngineDir,
           "database engine configuration file: " + kEngineDir + "\\DBAPI32.CFG",
           "application folder: C:\\QEN2005",
           "item InstallItemDBAPI \"\"",
           "  Decompressing .\\DISK1\\DBAPI.PCK to C:\\WINDOWS\\COMMON FILES\\ONDREL SHARED\\ODE",
           "gauge 10",
           "gauge 40",
           "gauge 85",
           "gauge 100",
           "registry HKEY_LOCAL_MACHINE\\SOFTWARE\\Ondrel\\Database Engine DLLPATH = \"" +
               kEngineDir + "\" (REG_SZ)",
           "  Updating registry",
           "Program Manager command [CreateGroup(TAVO)]\\r\\n handed over",
           "  Creating Program Icon for \"C:\\QEN2005\\Leiame.txt\"",
           "item InstallItemGrupoIcons succeeded",
           "message (Information): Installation completed with success -> OK (by /S)",
           "result: installation completed (exit code 0)"})
    EXPECT_NE(log.find(line), std::string::npos) << line;
  // The items in their run order.
  EXPECT_LT(log.find("item InstallItemDBAPI"), log.find("item InstallItemLD"));
  EXPECT_LT(log.find("item InstallItemDBSQL32"), log.find("item InstallItemGrupoIcons"));
}

TEST_F(SilentRun, AFailedOperationEndsTheRun) {
  DamagePackage("DISK1/LD.PCK");
  EXPECT_EQ(Run({"/S"}), app::kExitCanceled);
  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_TRUE(
      Logged("message (Error): Error while decompressing .\\DISK1\\LD.PCK to " +
             std::string("C:\\WINDOWS\\COMMON FILES\\ONDREL SHARED\\ODE -> Abort (by /S)")));
  EXPECT_TRUE(Logged("  failed: Error while decompressing .\\DISK1\\LD.PCK"));
  EXPECT_TRUE(Logged("result: installation canceled (exit code 1)"));
  EXPECT_FALSE(Logged("item InstallItemHELP"));  // the items after it did not run
  EXPECT_FALSE(fs::exists("C:/QEN2005"));
  EXPECT_TRUE(registry_.writes.empty());
}

TEST_F(SilentRun, IgnoreErrorsRunsEveryItem) {
  for (const auto& [disk, name] : kMediumPackages) DamagePackage(std::string(disk) + "/" + name);
  EXPECT_EQ(Run({"/IGNOREERRORS", "/s"}), app::kExitCompleted);
  const std::string log = Log();
  std::size_t ignored = 0;
  for (std::size_t at = 0; (at = log.find("-> Ignore (by /S)", at)) != std::string::npos; ++at)
    ++ignored;
  EXPECT_EQ(ignored, 6u);
  EXPECT_TRUE(Logged("item InstallItemGrupoIcons succeeded"));
  EXPECT_EQ(registry_.writes.size(), 11u);
}

TEST_F(SilentRun, AMissingDiskFailsAtOnce) {
  fs::remove("DISK2/APP.PCK");
  EXPECT_EQ(Run({"/S"}), app::kExitCanceled);
  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_TRUE(Logged("message (Warning): Please, Insert Disk 2 -> Cancel (by /S)"));
  EXPECT_TRUE(
      Logged("message (Confirm): Are you sure you want to terminate this installation? "
             "-> Yes (by /S)"));
  EXPECT_TRUE(Logged("gauge 80"));
  EXPECT_FALSE(Logged("gauge 85"));
}

TEST_F(SilentRun, AnInstalledEngineRefusesAndWritesNothing) {
  fs::create_directories("ODE");
  testing_support::WriteFileBytes("ODE/dbapi32.dll", {0});
  registry_.SetText(kEngineKey, "DLLPATH", "ODE");
  EXPECT_EQ(Run({"/S"}), app::kExitRefused);
  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_TRUE(registry_.writes.empty());
  EXPECT_TRUE(fs::is_empty("C:"));
  EXPECT_TRUE(Logged("a database engine is already installed"));
  EXPECT_TRUE(Logged("result: refused (exit code 2)"));
}

TEST_F(SilentRun, ChosenFoldersForTheApplicationAndTheEngine) {
  EXPECT_EQ(Run({"/S", "/DIR=D:\\APPS\\QEN", "/DBAPIDIR=D:\\ODE"}), app::kExitCompleted);
  EXPECT_TRUE(fs::exists("D:/APPS/QEN/APP.DAT"));
  EXPECT_TRUE(fs::exists("D:/ODE/LD.DAT"));
  EXPECT_TRUE(fs::is_empty("C:"));
  EXPECT_EQ(registry_.Text(kEngineKey, "DLLPATH"), "D:\\ODE");
  EXPECT_EQ(progman_.Commands()[3], "[AddItem(D:\\APPS\\QEN\\Leiame.txt,QEN 2005 Leiame,,,)]\r\n");
}

TEST_F(SilentRun, ARelativeFolderIsTakenFromTheCurrentFolder) {
  // Only the folder field is looked at: a full path, so the shortcuts name real places.
  Run({"/S", "/DIR=APPS", "/DBAPIDIR=D:\\ODE"});
  const std::string log = Log();
  const std::size_t at = log.find("application folder: ");
  ASSERT_NE(at, std::string::npos);
  EXPECT_NE(log.substr(at, 100).find("APPS"), std::string::npos);
  EXPECT_EQ(log.find("application folder: APPS"), std::string::npos);
}

TEST_F(SilentRun, AFailureNoOperationCatchesFailsTheRun) {
  testing_support::NoTempFiles temp;  // the package engine cannot make its staging file
  EXPECT_EQ(Run({"/S"}), app::kExitCanceled);
  EXPECT_TRUE(Logged("failure: Cannot create a staging"));
  EXPECT_TRUE(Logged("result: installation canceled (exit code 1)"));
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(SilentRun, ARegistryReadErrorIsAStartUpFailure) {
  registry_.SetRaw(kEngineKey, "DLLPath", plat::RegType::Dword, {1, 0, 0, 0});
  EXPECT_EQ(Run({"/S"}), app::kExitStartFailed);
  EXPECT_TRUE(Logged("start-up failed: Invalid data type for 'DLLPath'"));
  EXPECT_TRUE(dialogs_.shown.empty());
}

}  // namespace
}  // namespace apptest
#endif
