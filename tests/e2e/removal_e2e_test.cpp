// The installation's whole life under Wine, driven as a person or a script would: the
// real Install.exe installs from a copy of the medium, Wine's own list of installed
// programs ("uninstaller --list", a client nobody here wrote) shows the entry, and the
// entry's QuietUninstallString removes it again. The scenarios are those of the native
// lifetime table, from their shared table (support/removal_scenarios.h): what happened to
// the machine before and between the two, and what must be left afterwards. The
// interactive uninstall (its question, its gauge, its final message) is driven through
// its window.
#ifdef _WIN32
#include <filesystem>

#include "e2e/installer_session.h"
#include "platform/text.h"
#include "support/removal_scenarios.h"
#include "support/win32_registry.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;
using testing_support::QueryRaw;
using testing_support::QueryText;

const std::string kEntry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QEN2005";
const std::string kShared = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const std::string kEngineKey = "SOFTWARE\\Ondrel\\Database Engine";
const std::string kTable = "C:\\QEN2005\\DADOS\\CLIENTES.DAT";

uint32_t Count(const std::string& path) {
  const auto v = QueryRaw(kShared, path);
  return v.found && v.data.size() == 4
             ? v.data[0] | v.data[1] << 8 | v.data[2] << 16 | v.data[3] << 24
             : 0;
}
void SetCount(const std::string& path, uint32_t count) {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kShared.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ::RegSetValueExA(key, path.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), 4);
  ::RegCloseKey(key);
}

class Removal : public InstallerSession {
 public:  // the scenarios look at it
  using InstallerSession::Disk2;
  using InstallerSession::ExpectedEngineFiles;
  using InstallerSession::ExpectInstalled;
  using InstallerSession::medium_;
  // Runs a whole command line to its end; its exit code (-1: it did not end in time).
  static int RunLine(const std::string& line, const std::string& output = "") {
    return Process::FromCommandLine(line, output)->Wait(120s);
  }
  // What Wine's list of installed programs shows.
  std::string InstalledPrograms() {
    const std::string out = scratch_.Path() + "list.txt";
    RunLine("uninstaller.exe --list", out);
    const auto bytes = testing_support::ReadFileBytes(out);
    return std::string(bytes.begin(), bytes.end());
  }
  int InstallSilently() {
    Launch("/S");
    return WaitExit();
  }
  // The engine's files, as the installation put them.
  std::vector<std::string> EngineFiles() {
    std::vector<std::string> files;
    for (const auto& [name, info] : ExpectedEngineFiles())
      files.push_back(platform::UpperAscii(DefaultEngineFolder() + "\\" + name));
    return files;
  }
  bool StartMenuGroup() { return fs::exists(ProgramsFolder() + "\\TAVO"); }
};

// Everything the installation put on the machine is gone.
void EverythingGone(Removal& t) {
  EXPECT_FALSE(fs::exists("C:\\QEN2005"));
  EXPECT_FALSE(fs::exists(DefaultEngineFolder()));
  EXPECT_EQ(QueryText(kEngineKey, "DLLPATH"), "<absent>");
  for (const std::string& f : t.EngineFiles()) EXPECT_EQ(Count(f), 0u) << f;
  EXPECT_EQ(QueryText(kEntry, "DisplayName"), "<absent>");
  EXPECT_EQ(t.InstalledPrograms().find("QEN 2005"), std::string::npos);
  EXPECT_TRUE(WaitUntil([&] { return !t.StartMenuGroup(); }, 20s)) << "the TAVO group";
}

// The shared scenarios' machine: this Wine prefix.
class RemovalScenario : public Removal,
                        public testing_support::RemovalMachine,
                        public ::testing::WithParamInterface<testing_support::RemovalScenario> {
 public:
  void HideDiskTwo() override {
    fs::rename(Disk2(), medium_ + "LATER");
    hidden_ = true;
  }
  void ChangeTable() override { testing_support::WriteFileBytes(kTable, {'m', 'i', 'n', 'e'}); }
  void CountEngineElsewhere() override {
    for (const std::string& f : EngineFiles()) SetCount(f, Count(f) + 1);
  }
  void DamageRecord() override { testing_support::FlipMiddleBit("C:\\QEN2005\\UNINSTAL.DAT"); }
  void ExpectNothingLeft() override {
    if (hidden_) fs::rename(medium_ + "LATER", Disk2());  // for the list of the engine's files
    hidden_ = false;
    EverythingGone(*this);
  }
  void ExpectOnlyTheChangedTable() override {
    EXPECT_EQ(testing_support::ReadFileBytes(kTable), (testing_support::Bytes{'m', 'i', 'n', 'e'}));
    std::vector<std::string> left;
    for (const auto& [name, info] : FilesBelow("C:\\QEN2005")) left.push_back(name);
    EXPECT_EQ(left, std::vector<std::string>{"DADOS\\CLIENTES.DAT"});
    EXPECT_FALSE(fs::exists(DefaultEngineFolder()));
    EXPECT_EQ(QueryText(kEntry, "DisplayName"), "<absent>");
  }
  void ExpectTheEngineKept() override {
    for (const std::string& f : EngineFiles()) {
      EXPECT_TRUE(fs::exists(f)) << f;
      EXPECT_EQ(Count(f), 1u) << f;
    }
    EXPECT_NE(QueryText(kEngineKey, "DLLPATH"), "<absent>");
    EXPECT_FALSE(fs::exists("C:\\QEN2005"));
    EXPECT_EQ(QueryText(kEntry, "DisplayName"), "<absent>");
    EXPECT_TRUE(WaitUntil([&] { return !StartMenuGroup(); }, 20s));
  }
  void ExpectStillInstalled() override {
    ExpectInstalled("C:\\QEN2005", DefaultEngineFolder());
    EXPECT_EQ(QueryText(kEntry, "DisplayName"), "QEN 2005");
  }
  void ExpectItInstallsAgain() override {
    EXPECT_EQ(InstallSilently(), 0);
    EXPECT_TRUE(fs::exists("C:\\QEN2005\\QEN2005.EXE"));
  }

 private:
  bool hidden_ = false;
};

TEST_P(RemovalScenario, EndsAsExpected) {
  const testing_support::RemovalScenario& s = GetParam();
  testing_support::MakeChange(*this, s.beforeInstall);
  ASSERT_EQ(InstallSilently(), s.installed);
  // Registered, for Wine's own list of installed programs too.
  EXPECT_NE(InstalledPrograms().find("QEN 2005"), std::string::npos) << InstalledPrograms();
  const std::string quiet = QueryText(kEntry, "QuietUninstallString");
  EXPECT_EQ(quiet, "\"C:\\QEN2005\\Uninstall.exe\" /UNINSTALL /S");
  testing_support::MakeChange(*this, s.beforeUninstall);
  EXPECT_EQ(RunLine(quiet), s.exitCode);
  testing_support::ExpectLeft(*this, s);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RemovalScenario, ::testing::ValuesIn(testing_support::kRemovalScenarios),
    [](const ::testing::TestParamInfo<testing_support::RemovalScenario>& info) {
      return std::string(info.param.name);
    });

TEST_F(Removal, TheWindowAsksOnceShowsTheGaugeAndEndsWithAMessage) {
  ASSERT_EQ(InstallSilently(), 0);
  // The folder window the shell opened for the new group would lie over the screenshots.
  CloseFolderWindows("TAVO");
  auto uninstall = Process::FromCommandLine(QueryText(kEntry, "UninstallString"));
  // The question comes from the copy in the temporary folder: any box will do.
  ShownBox question = WaitForMessageBox(0, 60s);
  ASSERT_TRUE(question.found());
  DWORD pid = 0;
  ::GetWindowThreadProcessId(question.handle, &pid);
  pid_ = pid;
  window_ = question.handle;
  Snapshot("uninstall-question");
  EXPECT_EQ(question.text, "Remover o QEN 2005 e todos os seus componentes?");
  EXPECT_EQ(question.buttons, (std::vector<int>{IDYES, IDNO}));
  Answer(question, IDYES);
  window_ = WaitForWindow(pid_, "TFrmInstala", 30s);
  ASSERT_NE(window_, nullptr);
  EXPECT_EQ(TextOf(window_),
            "Remo\xe7\xe3o do m\xf3"
            "dulo quarvel");
  // A removal window: its own buttons, not the installer's.
  EXPECT_TRUE(ChildByText(window_, "&Remover o Sistema").handle != nullptr);
  EXPECT_TRUE(ChildByText(window_, "&Sair da remo\xe7\xe3o").handle != nullptr);
  EXPECT_FALSE(ChildByText(window_, kInstall).handle != nullptr);
  if (!SnapshotMidRun("uninstall-running"))
    std::printf("the uninstall went by too quickly for a screenshot mid-run\n");
  ShownBox done = NextBox();
  ASSERT_TRUE(done.found());
  Snapshot("uninstall-done");
  EXPECT_EQ(done.text, "O QEN 2005 foi removido.");
  EXPECT_TRUE(PieShows(Gauge(), 100));
  Answer(done, IDOK);
  EXPECT_EQ(uninstall->Wait(60s), 0);
  EverythingGone(*this);
}

}  // namespace
}  // namespace e2e
#endif
