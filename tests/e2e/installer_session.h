// One run of the real Install.exe from a copy of the demo medium: the test starts it,
// works its window and message boxes through the automation helpers, and looks at the
// machine afterwards. The machine is cleaned before and after.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "e2e/automation.h"
#include "e2e/gauge_view.h"
#include "e2e/machine.h"
#include "e2e/screenshot.h"
#include "support/test_files.h"

namespace e2e {

// The texts of the window and its answers (Windows-1252).
inline constexpr const char* kCaption =
    "Aplica\xe7\xe3o para instala\xe7\xe3o do m\xf3"
    "dulo quarvel";
inline constexpr const char* kInstall = "&Instalar o Sistema";
inline constexpr const char* kExit = "&Sair da instala\xe7\xe3o";

class InstallerSession : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Folders of the medium copy, ending with `\`.
  std::string Disk1() const { return medium_ + "DISK1\\"; }
  std::string Disk2() const { return medium_ + "DISK2\\"; }

  // Starts Install.exe from DISK1.
  void Launch(const std::string& args = "");
  // Starts it and waits for its window (null when none came).
  HWND Start(const std::string& args = "");
  HWND Window() const { return window_; }
  Control Button(const char* text) const { return ChildByText(window_, text); }
  // Presses "Instalar o Sistema".
  void PressInstall();
  // Waits for the next message box of the installer.
  ShownBox NextBox(std::chrono::milliseconds timeout = 60s);
  // Answers the box and expects one with `text` next; returns it.
  ShownBox ExpectBox(const std::string& text);
  // Presses "Sair da instalação" and returns the exit code.
  int Exit();
  // Waits for the program to end by itself and returns the exit code.
  int WaitExit();

  // The gauge as it is on the screen now.
  Image Gauge() const;
  // Whether the gauge's pie shows this percentage: sampled on a ring inside the disc,
  // blue up to the angle of the percentage clockwise from 12 o'clock, white after it.
  static testing::AssertionResult PieShows(const Image& gauge, int percent);

  // Saves a screenshot of the installer window, when a folder for them was named.
  void Snapshot(const std::string& name) const;
  // Saves one once the gauge shows part of the way (watched until a message box comes or
  // the timeout); false when the run went by too quickly to catch.
  bool SnapshotMidRun(const std::string& name, std::chrono::milliseconds timeout = 30s) const;

  // Checks what a complete installation leaves: every file of the packages with its
  // bytes and time in the application and engine folders, the eleven registry values,
  // and the "TAVO" Start Menu group with its three shortcuts (in `group`; by default the
  // user's Start Menu, where Program Manager puts it).
  void ExpectInstalled(const std::string& appDir, const std::string& engineDir,
                       std::string group = "");

  // `dir` holds nothing but the installation's record of itself and its uninstaller.
  static void ExpectOnlyTheRecord(const std::string& dir);
  // Every file below `dir` is one the packages hold, with the bytes they hold: nothing
  // damaged landed there (files may be missing).
  static void ExpectNothingDamaged(const std::string& dir,
                                   const std::map<std::string, FileInfo>& expected);

  // What the medium's packages hold, extracted by our own reader, by target folder.
  std::map<std::string, FileInfo> ExpectedApplicationFiles();
  std::map<std::string, FileInfo> ExpectedEngineFiles();
  std::map<std::string, FileInfo> Expected(const std::vector<std::string>& packages);

  testing_support::ScratchDir scratch_;
  std::string medium_;
  std::unique_ptr<Process> process_;
  HWND window_ = nullptr;
  DWORD pid_ = 0;
};

}  // namespace e2e
