// Install.exe as a deployment tool runs it today: on 64-bit Windows (a 64-bit prefix,
// where the 32-bit program runs under WoW64) and with no shell to answer Program
// Manager's DDE conversation (Wine's null display driver: no desktop, as for a service
// or Server Core). The run installs unattended, the system's list shows the entry, the
// quiet uninstall removes everything, and a file a running program holds open goes at
// the next restart. These run only in that environment (tests/CMakeLists.txt sets it up).
#ifdef _WIN32
#include <filesystem>

#include "e2e/installer_session.h"
#include "support/win32_registry.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;
using testing_support::QueryText;

const std::string kEntry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QEN2005";
const std::string kShared = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const std::vector<std::string> kCaptions = {"QEN 2005", "QEN 2005 Help", "QEN 2005 Leiame"};

// A key as the 64-bit registry view holds it (the 32-bit programs' keys lie below
// SOFTWARE\Wow6432Node there).
bool KeyIn64BitView(const std::string& path) {
  HKEY key = nullptr;
  const LONG result =
      ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key);
  if (result == ERROR_SUCCESS) ::RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

class Deployment : public InstallerSession {
 protected:
  void SetUp() override {
    InstallerSession::SetUp();
    BOOL wow64 = FALSE;
    ::IsWow64Process(::GetCurrentProcess(), &wow64);
    ASSERT_TRUE(wow64) << "these tests run in the 64-bit prefix of tests/CMakeLists.txt";
  }
  std::string log_ = scratch_.Path() + "install.log";
  int InstallSilently() {
    Launch("/S \"/LOG=" + log_ + "\"");
    return process_->Wait(120s);
  }
  std::string Log() const {
    const auto bytes = testing_support::ReadFileBytes(log_);
    return std::string(bytes.begin(), bytes.end());
  }
  static int RunLine(const std::string& line, const std::string& output = "") {
    return Process::FromCommandLine(line, output)->Wait(120s);
  }
  // The system's list of installed programs, as its 64-bit lister shows it.
  std::string InstalledPrograms() {
    const std::string out = scratch_.Path() + "list.txt";
    RunLine("C:\\windows\\sysnative\\uninstaller.exe --list", out);
    const auto bytes = testing_support::ReadFileBytes(out);
    return std::string(bytes.begin(), bytes.end());
  }
  std::string MenuGroup() const { return CommonProgramsFolder() + "\\TAVO"; }
};

TEST_F(Deployment, WithoutAShellOn64BitWindowsItInstallsIsListedAndGoesAgain) {
  ASSERT_EQ(InstallSilently(), 0) << Log();
  const std::string log = Log();
  // No Program Manager: the group went into every user's Start Menu as shortcuts.
  EXPECT_NE(log.find("NOT handed over (no Program Manager took a DDE conversation"),
            std::string::npos);
  EXPECT_NE(log.find("group TAVO made as the Start Menu folder " + MenuGroup()), std::string::npos)
      << log;
  for (const std::string& caption : kCaptions)
    EXPECT_TRUE(fs::exists(MenuGroup() + "\\" + caption + ".lnk")) << caption;
  // Wine answers the administrator check as an administrator's token.
  EXPECT_EQ(log.find("without administrator rights"), std::string::npos);
  // The 32-bit program's folders and registry view.
  EXPECT_NE(DefaultEngineFolder().find("\\Program Files (x86)\\"), std::string::npos);
  ExpectInstalled("C:\\QEN2005", DefaultEngineFolder(), MenuGroup());
  EXPECT_EQ(QueryText(kEntry, "DisplayName"), "QEN 2005");
  EXPECT_TRUE(
      KeyIn64BitView("SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\"
                     "Uninstall\\QEN2005"));
  EXPECT_FALSE(KeyIn64BitView(kEntry));
  EXPECT_TRUE(KeyIn64BitView("SOFTWARE\\Wow6432Node\\Ondrel\\Database Engine"));
  const auto count = testing_support::QueryRaw(kShared, DefaultEngineFolder() + "\\DBAPI32.DLL");
  EXPECT_TRUE(count.found) << "the shared count, in the 32-bit view";
  EXPECT_EQ(QueryText(kEntry, "InstallDate").size(), 8u);
  EXPECT_NE(InstalledPrograms().find("QEN 2005"), std::string::npos) << InstalledPrograms();

  const std::string quiet = QueryText(kEntry, "QuietUninstallString");
  EXPECT_EQ(RunLine(quiet), 0);
  EXPECT_FALSE(fs::exists("C:\\QEN2005"));
  EXPECT_FALSE(fs::exists(DefaultEngineFolder()));
  EXPECT_FALSE(fs::exists(MenuGroup()));
  EXPECT_EQ(QueryText(kEntry, "DisplayName"), "<absent>");
  EXPECT_FALSE(testing_support::QueryRaw(kShared, DefaultEngineFolder() + "\\DBAPI32.DLL").found);
  EXPECT_EQ(InstalledPrograms().find("QEN 2005"), std::string::npos);
}

TEST_F(Deployment, AFileHeldOpenGoesAtTheNextRestart) {
  ASSERT_EQ(InstallSilently(), 0) << Log();
  // The application running: its file open as a running program's is, to be read but
  // neither written nor deleted by anyone else.
  const std::string held = "C:\\QEN2005\\Leiame.txt";
  HANDLE file = ::CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const std::string uninstallLog = scratch_.Path() + "uninstall.log";
  EXPECT_EQ(RunLine(QueryText(kEntry, "QuietUninstallString") + " \"/LOG=" + uninstallLog + "\""),
            3010);
  ::CloseHandle(file);
  const auto bytes = testing_support::ReadFileBytes(uninstallLog);
  const std::string log(bytes.begin(), bytes.end());
  EXPECT_NE(log.find(held + " is in use ("), std::string::npos) << log;
  EXPECT_NE(log.find("folder C:\\QEN2005 is removed at the next restart"), std::string::npos);
  EXPECT_TRUE(fs::exists(held));
  EXPECT_FALSE(fs::exists("C:\\QEN2005\\QEN2005.EXE"));
  EXPECT_EQ(QueryText(kEntry, "DisplayName"), "<absent>");
  // The restart: the system takes the files it was asked to remove, then the folder.
  EXPECT_EQ(RunLine("wineboot.exe -r"), 0);
  EXPECT_FALSE(fs::exists(held));
  EXPECT_FALSE(fs::exists("C:\\QEN2005"));
}

}  // namespace
}  // namespace e2e
#endif
