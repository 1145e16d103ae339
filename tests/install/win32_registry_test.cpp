// The registry operations and the engine's path discovery on the real registry of the
// test prefix, read back with the Win32 API.
#ifdef _WIN32
#include "support/win32_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "install/dbengine.h"
#include "install/install.h"
#include "install/install_item.h"
#include "install/registry.h"
#include "platform/text.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace installtest {
namespace {

using testing_support::DeleteRegTree;
using testing_support::QueryRaw;
using testing_support::QueryText;

// Every test starts and ends without the database engine's keys.
class RealRegistry : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    DeleteRegTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Ondrel");
    DeleteRegTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\InstallerTests");
  }
  testing_support::ScriptedDialogs dialogs_;
  platform::TComponent window_{nullptr};
};

TEST_F(RealRegistry, TheElevenSettingsLandWithTheirTypes) {
  install::TInstall engine(&window_);
  auto& item = platform::TComponent::CreateOwned<install::TInstallItem>(window_);
  engine.AddItem(item);
  ASSERT_TRUE(item.ConfigureEngine("C:\\ODE", "C:\\ODE"));
  ASSERT_TRUE(item.ConfigureTabula(true, "ANSI850"));
  EXPECT_TRUE(dialogs_.shown.empty());
  const std::string e = "SOFTWARE\\Ondrel\\Database Engine";
  const std::string init = e + "\\Settings\\DRIVERS\\TABULA\\INIT";
  const std::string create = e + "\\Settings\\DRIVERS\\TABULA\\TABLE CREATE";
  EXPECT_EQ(QueryText(e, "DLLPATH"), "C:\\ODE");
  EXPECT_EQ(QueryText(e, "RESOURCE"), "0009");
  EXPECT_EQ(QueryText("SOFTWARE\\Ondrel\\OLW32", "OLAPIPATH"), "C:\\ODE");
  EXPECT_EQ(QueryText(init, "VERSION"), "4.0");
  EXPECT_EQ(QueryText(init, "TYPE"), "FILE");
  EXPECT_EQ(QueryText(init, "LANGDRIVER"), "ANSI850");
  EXPECT_EQ(QueryText(create, "LEVEL"), "7");
  EXPECT_EQ(QueryText(create, "BLOCK SIZE"), "2048");
  EXPECT_EQ(QueryText(create, "FILL FACTOR"), "95");
  EXPECT_EQ(QueryText(create, "STRICTINTEGRTY"), "TRUE");
  EXPECT_EQ(QueryText(e + "\\Settings\\SYSTEM\\INIT", "LOCAL SHARE"), "TRUE");
}

TEST_F(RealRegistry, ValueKindsGetTheirRegistryTypes) {
  install::TInstallItem item(&window_);
  const auto lm = platform::RegRoot::LocalMachine;
  const std::string key = "SOFTWARE\\InstallerTests\\Kinds";
  ASSERT_TRUE(item.WriteRegValue(lm, "\\" + key, "int", int32_t{0x01020304}));
  ASSERT_TRUE(item.WriteRegValue(lm, key, "bool", true));
  ASSERT_TRUE(item.WriteRegValue(lm, key, "real", 0.5));
  ASSERT_TRUE(item.WriteRegValue(lm, key, "none", std::monostate{}));
  const auto i = QueryRaw(key, "int"), b = QueryRaw(key, "bool"), r = QueryRaw(key, "real");
  EXPECT_EQ(i.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(i.data, (std::vector<uint8_t>{4, 3, 2, 1}));
  EXPECT_EQ(b.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(b.data, (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(r.type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(r.data, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0xE0, 0x3F}));
  EXPECT_FALSE(QueryRaw(key, "none").found);
}

TEST_F(RealRegistry, AccessorReadsTextAndRefusesOtherTypes) {
  install::TRegistry reg;
  reg.SetRootKey(platform::RegRoot::LocalMachine);
  ASSERT_FALSE(reg.OpenKey("\\SOFTWARE\\InstallerTests\\Read", false));  // open only
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\InstallerTests\\Read", true));
  reg.WriteString("Path", "C:\\ODE");
  reg.WriteInteger("Count", 3);
  EXPECT_EQ(reg.ReadString("path"), "C:\\ODE");  // names compare without regard to case
  EXPECT_EQ(reg.ReadString("Missing"), "");
  EXPECT_THROW(reg.ReadString("Count"), install::ERegistryException);
}

TEST_F(RealRegistry, TheEngineFindsItsPathsInTheRegistry) {
  {
    install::TInstall engine(&window_);
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(engine.WindowsDir(), windows);
    // The common files directory comes from the system's own key.
    EXPECT_FALSE(engine.CommonFilesDir().empty());
    EXPECT_EQ(engine.DbapiDir(), engine.CommonFilesDir() + "\\Ondrel Shared\\ODE");
    char program[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    EXPECT_EQ(engine.SourceDir(), platform::FolderPart(program));
  }
  testing_support::SetRegText("SOFTWARE\\Ondrel\\Database Engine", "DLLPath", "D:\\ODE");
  testing_support::SetRegText("SOFTWARE\\Ondrel\\OLW32", "OLAPIPATH", "D:\\OLAPI");
  install::TInstall engine(&window_);
  EXPECT_EQ(engine.DbapiDir(), "D:\\ODE");
  EXPECT_EQ(engine.DbapiConfigFile(), "");  // the key opened; the value is missing
  EXPECT_EQ(engine.OlapiPath(), "D:\\OLAPI");
}

TEST_F(RealRegistry, ThePresenceTestFindsAnInstalledEngine) {
  testing_support::ScratchDir dir;
  std::string ode = dir.Path() + "ODE";
  ::CreateDirectoryA(ode.c_str(), nullptr);
  EXPECT_FALSE(install::DatabaseEnginePresent());
  testing_support::SetRegText("SOFTWARE\\Ondrel\\Database Engine", "DLLPATH",
                              " " + ode + ";C:\\X ");
  EXPECT_FALSE(install::DatabaseEnginePresent());
  // File names compare without regard to case.
  testing_support::WriteFileBytes(ode + "\\DBAPI32.DLL", {0});
  EXPECT_TRUE(install::DatabaseEnginePresent());
}

}  // namespace
}  // namespace installtest
#endif
