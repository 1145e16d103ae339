// Doubles of the shell ports. RecordingProgMan stands for Program Manager's DDE server
// and the shell: it records every connect attempt, every execute transaction's bytes,
// every program start and every show-window command. A test says which service/topic
// pairs answer, whether starting a program brings a server up, and how many execute
// transactions fail to start; it writes shortcuts as small files. FixedFolders answers
// chosen system folders and Start Menu folders, and whether the user is an administrator.
// Both are installed for their lifetime.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/shell.h"

namespace testing_support {

class RecordingProgMan : public platform::DdeClient, public platform::Shell {
 public:
  RecordingProgMan() = default;
  RecordingProgMan(const RecordingProgMan&) = delete;
  RecordingProgMan& operator=(const RecordingProgMan&) = delete;

  // ---- behaviour ----
  // Pairs that answer a connect; by default only PROGMAN/PROGMAN.
  std::set<std::pair<std::string, std::string>> answering{{"PROGMAN", "PROGMAN"}};
  // Starting a program succeeds and brings up a server for these pairs.
  bool startSucceeds = false;
  std::set<std::pair<std::string, std::string>> answeringAfterStart;
  // The next this many execute transactions fail to start.
  int failExecutes = 0;

  // ---- records ----
  std::vector<std::pair<std::string, std::string>> connects;  // every attempt
  std::vector<std::string> started;                           // command lines
  std::vector<std::vector<uint8_t>> executed;                 // data of started transactions
  std::vector<std::pair<std::string, int>> shown;             // window class, show command
  int openConversations = 0;

  // The commands handed over, as text without their terminating zero byte.
  std::vector<std::string> Commands() const;

  // ---- the ports ----
  std::unique_ptr<platform::DdeConversation> Connect(const std::string& service,
                                                     const std::string& topic) override;
  void ShowWindowOfClass(const std::string& windowClass, int cmdShow) override {
    shown.emplace_back(windowClass, cmdShow);
  }
  bool StartMinimised(const std::string& commandLine) override;
  // A program run and waited for: recorded, and answered by `run` (-1 when unset).
  int RunAndWait(const std::string& commandLine) override {
    ran.push_back(commandLine);
    return run ? run(commandLine) : -1;
  }
  bool DeleteAtRestart(const std::string& path) override {
    atRestart.push_back(path);
    return true;
  }
  // A shortcut: recorded and, unless `shortcutsFail` holds a reason, written as a small
  // file (its target) through the files port, where the shell would write it.
  bool CreateShortcut(const platform::Shortcut& link, std::string& reason) override;
  std::function<int(const std::string&)> run;
  std::vector<std::string> ran, atRestart;
  std::vector<platform::Shortcut> shortcuts;
  std::string shortcutsFail;

 private:
  class Conversation;
  platform::ScopedPort<platform::DdeClient> dde_{*this};
  platform::ScopedPort<platform::Shell> shell_{*this};
};

class FixedFolders : public platform::SystemFolders {
 public:
  FixedFolders(std::string program, std::string windows, std::string system)
      : program_(std::move(program)), windows_(std::move(windows)), system_(std::move(system)) {}
  FixedFolders(const FixedFolders&) = delete;
  FixedFolders& operator=(const FixedFolders&) = delete;

  std::string ProgramPath() override { return program_; }
  std::string WindowsDirectory() override { return windows_; }
  std::string SystemDirectory() override { return system_; }
  std::string ProgramsMenu(bool allUsers) override { return allUsers ? commonMenu : userMenu; }
  bool UserIsAdministrator() override { return administrator; }

  std::string commonMenu = "C:\\ProgramData\\Start Menu\\Programs";
  std::string userMenu = "C:\\Users\\admin\\Start Menu\\Programs";
  bool administrator = true;

 private:
  std::string program_, windows_, system_;
  platform::ScopedPort<platform::SystemFolders> installed_{*this};
};

}  // namespace testing_support
