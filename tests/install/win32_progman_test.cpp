// Program Manager commands over real DDE to the shell of the test prefix, which turns a
// group into a Start Menu folder and a program item into a shortcut to an existing
// target.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "install/install.h"
#include "install/install_item.h"
#include "install/progman.h"
#include "platform/system.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace installtest {
namespace {

namespace fs = std::filesystem;

std::string ProgramsFolder() {
  char path[MAX_PATH] = {};
  ::SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, path);
  return path;
}

// Waits, letting messages through, until `done` holds or 20 seconds have passed.
template <class Done>
bool WaitFor(Done done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    platform::ProcessMessages();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// Closes the folder window the shell opens for a new group.
void CloseFolderWindow(const std::string& title) {
  WaitFor([&] { return ::FindWindowA(nullptr, title.c_str()) != nullptr; });
  while (HWND w = ::FindWindowA(nullptr, title.c_str())) {
    ::PostMessageA(w, WM_CLOSE, 0, 0);
    if (!WaitFor([&] { return !::IsWindow(w); })) break;
  }
}

class RealProgMan : public ::testing::Test {
 protected:
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(ProgramsFolder() + "\\" + group_, ec);
  }
  std::string group_ = "InstallerTests " + std::to_string(::GetCurrentProcessId());
  testing_support::ScratchDir dir_;
};

TEST_F(RealProgMan, AGroupBecomesAFolderAndAnItemAShortcut) {
  const std::string folder = ProgramsFolder() + "\\" + group_;
  ASSERT_EQ(install::ProgManExecute("[CreateGroup(" + group_ + ")]\r\n"), 0);
  EXPECT_TRUE(WaitFor([&] { return fs::is_directory(folder); })) << folder;
  CloseFolderWindow(group_);

  const std::string target = dir_.Path() + "QEN2005.EXE";
  testing_support::WriteFileBytes(target, {'M', 'Z'});
  ASSERT_EQ(install::ProgManExecute("[AddItem(" + target + ",QEN 2005,,,)]\r\n"), 0);
  EXPECT_TRUE(WaitFor([&] { return fs::exists(folder + "\\QEN 2005.lnk"); }));
}

TEST_F(RealProgMan, TheItemOperationsSendTheirCommands) {
  testing_support::ScriptedDialogs dialogs;  // any error box would be answered Cancel
  platform::TComponent window(nullptr);
  install::TInstall engine(&window);
  auto& item = platform::TComponent::CreateOwned<install::TInstallItem>(window);
  engine.AddItem(item);
  const std::string dir = dir_.Path().substr(0, dir_.Path().size() - 1);
  testing_support::WriteFileBytes(dir_.Path() + "Leiame.txt", {'o', 'i'});
  ASSERT_TRUE(item.CreateGroup(group_));
  CloseFolderWindow(group_);
  ASSERT_TRUE(item.CreateIcon("QEN 2005 Leiame", dir, "Leiame.txt"));
  EXPECT_TRUE(dialogs.shown.empty());
  const std::string folder = ProgramsFolder() + "\\" + group_;
  EXPECT_TRUE(WaitFor([&] { return fs::exists(folder + "\\QEN 2005 Leiame.lnk"); }));
}

}  // namespace
}  // namespace installtest
#endif
