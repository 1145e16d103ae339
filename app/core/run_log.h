// What a run of the installer program reports as it goes: the engine's events (each
// item, each operation's status and outcome with its cause, disks asked for, registry
// values, Program Manager commands) and the program's own (the folders found and
// chosen, the gauge, each message box with its answer and who gave it, start-up
// failures, the result). TInstallerObserver does nothing with them: it is the observer
// of a run without /LOG. TRunLog writes each as one line of the installation log.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/install_log.h"
#include "install/run_observer.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace inst {
class TInstall;
}

namespace app {

class TInstallerObserver : public inst::TRunObserver {
 public:
  // The program started with these arguments.
  virtual void ProgramStarted(const std::vector<std::string>& /*args*/) {}
  // The engine found its folders.
  virtual void FoldersFound(const inst::TInstall& /*engine*/) {}
  // The start-up filled the folder fields: the folders the run installs into.
  virtual void FoldersChosen(const std::string& /*target*/, const std::string& /*dbapi*/) {}
  // A database engine is installed: the installation is refused.
  virtual void EngineFound() {}
  virtual void GaugeMoved(int32_t /*progress*/) {}
  // A message box was answered, by the user or (silent) by the run's fixed answers.
  virtual void MessageAnswered(plat::DialogKind /*kind*/, const std::string& /*text*/,
                               int /*answer*/, bool /*silent*/) {}
  // The program could not start (the registry could not be read, the window not made).
  virtual void StartUpFailed(const std::string& /*cause*/) {}
  // A failure no operation caught ended the run.
  virtual void RunFailed(const std::string& /*cause*/) {}
  // The program ends with this exit code.
  virtual void Finished(int /*exitCode*/) {}
};

class TRunLog : public TInstallerObserver {
 public:
  explicit TRunLog(TInstallLog& log) : log_(log) {}

  void ProgramStarted(const std::vector<std::string>& args) override;
  void FoldersFound(const inst::TInstall& engine) override;
  void FoldersChosen(const std::string& target, const std::string& dbapi) override;
  void EngineFound() override;
  void GaugeMoved(int32_t progress) override;
  void MessageAnswered(plat::DialogKind kind, const std::string& text, int answer,
                       bool silent) override;
  void StartUpFailed(const std::string& cause) override;
  void RunFailed(const std::string& cause) override;
  void Finished(int exitCode) override;

  void ItemStarted(const inst::TInstallItem& item) override;
  void ItemEnded(const inst::TInstallItem& item, bool succeeded, const std::string& cause) override;
  void OperationStarted(const inst::TInstallItem& item, const std::string& status) override;
  void AttemptFailed(const inst::TInstallItem& item, const std::string& message,
                     const std::string& cause) override;
  void OperationEnded(const inst::TInstallItem& item, int32_t errorAction,
                      const std::string& message, const std::string& cause) override;
  void DiskWanted(int32_t disk, const std::string& file, const std::string& folder) override;
  void RegistryValueWritten(const std::string& key, const std::string& name, plat::RegType type,
                            const std::vector<uint8_t>& data, bool ok,
                            const std::string& reason) override;
  void ProgManCommandSent(const std::string& command, bool handedOver,
                          const std::string& cause) override;

 private:
  TInstallLog& log_;
};

// How a value reads in the log: text as it is, a DWORD in decimal, other data in hex.
std::string DescribeValue(plat::RegType type, const std::vector<uint8_t>& data);

}  // namespace app
