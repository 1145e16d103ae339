// The whole program natively, through the entry Install.exe runs: the real options, log,
// engine, script and packages, with the registry, Program Manager and message boxes
// replaced by doubles and the window by one that presses the install button (or, for an
// uninstall, runs its work). Works in a scratch folder made current, where folders named
// "C:" and "D:" stand for the drives: the default folders ("C:\QEN2005",
// "C:\WINDOWS\Common Files\...") then lie below it. On Windows those are real drives;
// there the end-to-end tests run the real Install.exe.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/core/program.h"
#include "install/install_test_util.h"
#include "support/test_files.h"
#include "test_medium.h"

namespace apptest {

namespace fs = std::filesystem;
using installtest::FixedFolders;

inline const std::string kEngineKey = "SOFTWARE\\Ondrel\\Database Engine";
inline const std::string kEngineDir = "C:\\WINDOWS\\Common Files\\Ondrel Shared\\ODE";
inline const std::string kEngineDirUpper = "C:\\WINDOWS\\COMMON FILES\\ONDREL SHARED\\ODE";
inline const std::string kLdError =
    "Error while decompressing .\\DISK1\\LD.PCK to " + kEngineDirUpper;
inline const std::string kCompleted = "Installation completed with success";
inline const std::string kCanceled = "Installation canceled";
inline const std::string kInsertDisk2 = "Please, Insert Disk 2";
inline const std::string kSure = "Are you sure you want to terminate this installation?";

// The installer window as a test drives it: the folder fields and the gauge in memory;
// once shown it presses the install button (unless told not to) and is closed.
class ScriptedWindow : public app::TWindowRunner, public app::TSilentHost {
 public:
  bool pressInstall = true;
  bool opened = false, shown = false;

  app::TSessionHost& Open() override {
    opened = true;
    return *this;
  }
  int Run(const std::function<int()>& install) override {
    shown = true;
    return pressInstall ? install() : app::kExitCanceled;
  }
  int RunNow(const app::TWindowTexts& texts, const std::function<int()>& work) override {
    shown = true;
    caption = texts.Caption;
    buttons = {texts.Action, texts.Exit};
    return work();
  }
  std::string caption;
  std::vector<std::string> buttons;
};

class Program : public installtest::EngineTest {
 public:
  // What a scenario prepares.
  using EngineTest::progman_;
  using EngineTest::registry_;
  // Whether the user running the program has administrator rights.
  void SetAdministrator(bool yes) { medium_.administrator = yes; }

 protected:
  testing_support::ScratchCurrentDir here_;
  FixedFolders medium_{".\\DISK1\\INSTALL.EXE", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"};
  ScriptedWindow window_;

  void SetUp() override {
    WriteTestMedium();
    // The program itself, which the installation copies as its uninstaller.
    testing_support::WriteFileBytes("DISK1/INSTALL.EXE", {'M', 'Z', '!'});
    fs::create_directories("C:");
    fs::create_directories("D:");
  }

  // Runs the program as the command line would, with a log.
  int Run(std::vector<std::string> args) {
    args.push_back("/LOG=run.log");
    return app::RunProgram(args, window_);
  }
  static std::string Log() {
    if (!fs::exists("run.log")) return {};
    const auto bytes = testing_support::ReadFileBytes("run.log");
    return std::string(bytes.begin(), bytes.end());
  }
  static bool Logged(const std::string& text) { return Log().find(text) != std::string::npos; }
};

}  // namespace apptest
