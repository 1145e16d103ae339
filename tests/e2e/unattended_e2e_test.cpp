// The installer run unattended, as a deployment script runs it: Install.exe with /S,
// /IGNOREERRORS, /LOG, /DIR and /DBAPIDIR from a copy of the demo medium under Wine, its
// exit code, its log, and what it leaves on the machine. A silent run never shows a
// window; the test watches for one the whole time.
#ifdef _WIN32
#include <algorithm>
#include <filesystem>

#include "e2e/installer_session.h"
#include "support/win32_registry.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;
using testing_support::QueryText;

const std::string kEngineKey = "SOFTWARE\\Ondrel\\Database Engine";

class Unattended : public InstallerSession {
 protected:
  std::string log_ = scratch_.Path() + "install.log";

  // Runs Install.exe with `args` to its end, noting whether any window of it became
  // visible. Returns the exit code.
  int RunSilently(const std::string& args) {
    Launch(args + " \"/LOG=" + log_ + "\"");
    sawWindow_ = false;
    WaitUntil(
        [&] {
          if (WaitForWindow(pid_, "", 0ms) || WaitForMessageBox(pid_, 0ms).found())
            sawWindow_ = true;
          return !process_->Running();
        },
        120s);
    return WaitExit();
  }
  std::string Log() const {
    const auto bytes = testing_support::ReadFileBytes(log_);
    return std::string(bytes.begin(), bytes.end());
  }
  bool Logged(const std::string& text) const { return Log().find(text) != std::string::npos; }
  static std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size())
      ++n;
    return n;
  }

  bool sawWindow_ = false;
};

TEST_F(Unattended, ASilentRunInstallsWhatTheWindowWould) {
  EXPECT_EQ(RunSilently("/S"), 0);
  EXPECT_FALSE(sawWindow_);
  ExpectInstalled("C:\\QEN2005", DefaultEngineFolder());
  // Its log, one event a line.
  const std::string log = Log();
  for (const std::string& line : std::vector<std::string>{
           " Install 1.0 started at ", " command line: /S /LOG=", " source folder: " + Disk1(),
           " Windows folder: C:\\windows", " system folder: C:\\windows\\system32",
           " database engine folder: " + DefaultEngineFolder(), " application folder: C:\\QEN2005",
           " item InstallItemDBAPI \"\"", " gauge 10", " gauge 100", " item InstallItemAPP \"\"",
           " Updating registry",
           " registry HKEY_LOCAL_MACHINE\\SOFTWARE\\Ondrel\\Database Engine RESOURCE = \"0009\" "
           "(REG_SZ)",
           " Program Manager command [AddItem(C:\\QEN2005\\QEN2005.EXE,QEN 2005,,,)]\\r\\n handed "
           "over",
           " message (Information): Installation completed with success -> OK (by /S)",
           " result: installation completed (exit code 0)"})
    EXPECT_NE(log.find(line), std::string::npos) << line;
  // Every line starts with a time stamp and ends with CR LF.
  std::size_t lines = 0;
  for (std::size_t at = 0; at < log.size(); ++lines) {
    const std::size_t end = log.find("\r\n", at);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(log.substr(at, 2), "20");
    EXPECT_EQ(log[at + 10], ' ');
    at = end + 2;
  }
  EXPECT_GT(lines, 40u);
}

TEST_F(Unattended, AChangedByteEndsASilentRunAndTheLogNamesTheMember) {
  const auto expected = ExpectedApplicationFiles();
  ASSERT_TRUE(FlipAByteInAStoredBlock(Disk2() + "APP.PCK"));
  // A file from before, where the damaged member goes: it stays as it was.
  fs::create_directories("C:\\QEN2005");
  testing_support::WriteFileBytes("C:\\QEN2005\\QEN2005.RES", {'o', 'l', 'd'});
  EXPECT_EQ(RunSilently("/S"), 1);
  EXPECT_FALSE(sawWindow_);
  EXPECT_TRUE(
      Logged("member QEN2005.RES: content does not match the package's digest "
             "(digest mismatch"))
      << Log();
  EXPECT_TRUE(Logged("message (Error): Error while decompressing "));
  EXPECT_TRUE(Logged("-> Abort (by /S)"));
  EXPECT_TRUE(Logged("item InstallItemAPP failed: the run ends"));
  EXPECT_FALSE(Logged("item InstallItemDBSQL32"));  // the run ended at the failed item
  EXPECT_TRUE(Logged("result: installation canceled (exit code 1)"));
  EXPECT_EQ(testing_support::ReadFileBytes("C:\\QEN2005\\QEN2005.RES"),
            (testing_support::Bytes{'o', 'l', 'd'}));
  fs::remove("C:\\QEN2005\\QEN2005.RES");
  ExpectNothingDamaged("C:\\QEN2005", expected);
}

TEST_F(Unattended, IgnoreErrorsRunsEveryItem) {
  for (const std::string p : {"DISK1\\DBAPI.PCK", "DISK1\\LD.PCK", "DISK1\\HELP.PCK",
                              "DISK1\\BD.PCK", "DISK2\\APP.PCK", "DISK2\\DBSQL32.PCK"})
    Damage(medium_ + p);
  EXPECT_EQ(RunSilently("/s /ignoreerrors"), 0);
  EXPECT_FALSE(sawWindow_);
  const std::string log = Log();
  EXPECT_EQ(Count(log, "-> Ignore (by /S)"), 6u);
  EXPECT_EQ(Count(log, " (ignored)"), 6u);
  EXPECT_TRUE(Logged("item InstallItemGrupoIcons succeeded"));
  EXPECT_TRUE(Logged("result: installation completed (exit code 0)"));
  EXPECT_EQ(QueryText(kEngineKey, "RESOURCE"), "0009");
}

TEST_F(Unattended, AMissingDiskTwoFailsAtOnce) {
  fs::rename(Disk2(), medium_ + "LATER");
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(RunSilently("/S"), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 30s);
  EXPECT_FALSE(sawWindow_);
  EXPECT_TRUE(Logged("message (Warning): Please, Insert Disk 2 -> Cancel (by /S)"));
  EXPECT_TRUE(Logged("-> Yes (by /S)"));
  EXPECT_FALSE(fs::exists("C:\\QEN2005\\QEN2005.EXE"));
}

TEST_F(Unattended, AnInstalledEngineIsRefusedSilently) {
  const std::string ode = scratch_.Path() + "ODE";
  fs::create_directories(ode);
  testing_support::WriteFileBytes(ode + "\\dbcore.dll", {'M', 'Z'});
  ASSERT_TRUE(testing_support::SetRegText(kEngineKey, "DLLPATH", ode));
  EXPECT_EQ(RunSilently("/S"), 2);
  EXPECT_FALSE(sawWindow_);
  EXPECT_FALSE(fs::exists("C:\\QEN2005"));
  EXPECT_EQ(QueryText(kEngineKey, "RESOURCE"), "<absent>");
  EXPECT_TRUE(Logged("result: refused (exit code 2)"));
}

// Run by a process whose token has the Administrators group for denying only (what a
// user who is no administrator, or one not elevated, has): the installer says so in the
// log, touches nothing and ends with its own exit code.
TEST_F(Unattended, WithoutAdministratorRightsNothingIsTouched) {
  HANDLE own = nullptr;
  ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, &own));
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  ASSERT_TRUE(::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &admins));
  SID_AND_ATTRIBUTES disabled{admins, 0};
  HANDLE restricted = nullptr;
  const bool made =
      ::CreateRestrictedToken(own, 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted) != 0;
  ::FreeSid(admins);
  ::CloseHandle(own);
  ASSERT_TRUE(made) << "error " << ::GetLastError();
  std::string command = "\"" + Disk1() + "Install.exe\" /S \"/LOG=" + log_ + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(::CreateProcessAsUserA(restricted, nullptr, command.data(), nullptr, nullptr, FALSE,
                                     0, nullptr, Disk1().c_str(), &si, &pi))
      << "error " << ::GetLastError();
  ::CloseHandle(restricted);
  ::CloseHandle(pi.hThread);
  ::WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 0;
  ::GetExitCodeProcess(pi.hProcess, &code);
  ::CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 740u) << Log();
  EXPECT_TRUE(Logged("start-up failed: the program runs without administrator rights"));
  EXPECT_TRUE(Logged("result: refused: no administrator rights (exit code 740)"));
  EXPECT_FALSE(fs::exists("C:\\QEN2005"));
  EXPECT_EQ(QueryText(kEngineKey, "RESOURCE"), "<absent>");
}

TEST_F(Unattended, ChosenFolders) {
  const std::string app = "C:\\Apps\\Quarvel Demo", engine = "C:\\Apps\\ODE";
  EXPECT_EQ(RunSilently("/S \"/DIR=" + app + "\" /DBAPIDIR=" + engine), 0);
  RemoveTree("C:\\QEN2005");  // none was made; the check below needs the default gone
  ExpectInstalled(app, engine);
  // The shortcut leads into the chosen folder.
  const auto link = testing_support::ReadFileBytes(ProgramsFolder() + "\\TAVO\\QEN 2005.lnk");
  const std::string bytes(link.begin(), link.end());
  std::string upper = bytes;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_NE(upper.find("QUARVEL DEMO"), std::string::npos);
  RemoveTree("C:\\Apps");
}

TEST_F(Unattended, TheWindowShowsTheChosenFolderAndTheLogHasTheUsersAnswers) {
  Damage(Disk1() + "BD.PCK");
  ASSERT_NE(Start("/DIR=C:\\Quarvel \"/LOG=" + log_ + "\""), nullptr);
  EXPECT_EQ(Children(Window())[0].text, "C:\\Quarvel");
  PressInstall();
  ShownBox error = NextBox();
  ASSERT_TRUE(error.found());
  Answer(error, IDIGNORE);
  ShownBox done = NextBox();
  EXPECT_EQ(done.text, "Installation completed with success");
  Answer(done, IDOK);
  EXPECT_EQ(Exit(), 0);
  EXPECT_TRUE(Logged("-> Ignore (by the user)"));
  EXPECT_TRUE(Logged("-> OK (by the user)"));
  EXPECT_TRUE(fs::exists("C:\\Quarvel\\QEN2005.EXE"));
  RemoveTree("C:\\Quarvel");
}

TEST_F(Unattended, UnknownOptionsAndHelp) {
  // Interactive: a message names the option; nothing is installed.
  Launch("/Q");
  ShownBox unknown = NextBox();
  ASSERT_TRUE(unknown.found());
  EXPECT_EQ(unknown.text.rfind("Unknown option: /Q", 0), 0u) << unknown.text;
  Answer(unknown, IDOK);
  EXPECT_EQ(WaitExit(), 87);
  // Silent: no message at all.
  EXPECT_EQ(RunSilently("/S /DIR"), 87);
  EXPECT_FALSE(sawWindow_);
  EXPECT_FALSE(fs::exists(log_));  // nothing was started, not even the log

  Launch("/?");
  ShownBox help = NextBox();
  ASSERT_TRUE(help.found());
  EXPECT_NE(help.text.find("/IGNOREERRORS"), std::string::npos);
  Answer(help, IDOK);
  EXPECT_EQ(WaitExit(), 0);
  EXPECT_FALSE(fs::exists("C:\\QEN2005"));
}

TEST_F(Unattended, ALogThatCannotBeOpenedStopsTheStart) {
  Launch("\"/LOG=C:\\no such folder\\install.log\"");
  ShownBox error = NextBox();
  ASSERT_TRUE(error.found());
  EXPECT_NE(error.text.find("no such folder"), std::string::npos) << error.text;
  Answer(error, IDOK);
  EXPECT_EQ(WaitExit(), 3);
  Launch("/S \"/LOG=C:\\no such folder\\install.log\"");
  EXPECT_EQ(WaitExit(), 3);
}

}  // namespace
}  // namespace e2e
#endif
