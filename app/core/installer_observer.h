// What a run of the installer program reports as it goes: the engine's events (each item,
// each operation's status and outcome with its cause, disks asked for, registry values,
// Program Manager commands, what the installation's record keeps) and the program's own
// (the folders found and chosen, the gauge, each message box with its answer and who gave
// it, start-up failures, what an uninstall removes and keeps, the result).
// TInstallerObserver does nothing with them: it is the observer of a run that nobody
// watches. Observers only watch: nothing the run does depends on them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "install/run_observer.h"
#include "platform/system.h"

namespace install {
class TInstall;
}

namespace app {

class TInstallerObserver : public install::TRunObserver {
 public:
  // The program started with these arguments.
  virtual void ProgramStarted(const std::vector<std::string>& /*args*/) {}
  // The engine found its folders.
  virtual void FoldersFound(const install::TInstall& /*engine*/) {}
  // The start-up filled the folder fields: the folders the run installs into.
  virtual void FoldersChosen(const std::string& /*target*/, const std::string& /*dbapi*/) {}
  // A database engine is installed: the installation is refused.
  virtual void EngineFound() {}
  virtual void GaugeMoved(int32_t /*progress*/) {}
  // A message box was answered, by the user or (silent) by the run's fixed answers.
  virtual void MessageAnswered(platform::DialogKind /*kind*/, const std::string& /*text*/,
                               int /*answer*/, bool /*silent*/) {}
  // The program could not start (the registry could not be read, the window not made).
  virtual void StartUpFailed(const std::string& /*cause*/) {}
  // A failure no operation caught ended the run.
  virtual void RunFailed(const std::string& /*cause*/) {}
  // The program ends with this exit code.
  virtual void Finished(int /*exitCode*/) {}
};

}  // namespace app
