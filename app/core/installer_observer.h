// What a run of the installer program reports as it goes: the engine's events (each item,
// each operation's status and outcome with its cause, disks asked for, registry values,
// Program Manager commands, what lands on the machine) and the program's own (the folders
// found and chosen, the gauge, each message box with its answer and who gave it, start-up
// failures, the start and end of the installation, what an uninstall removes and keeps,
// the result). TInstallerObserver does nothing with them: it is the observer of a run that
// nobody watches. TObservers hands every event to several (the log, the uninstall record).
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
  // The installation begins (the install button, or /S) and has ended, with its exit code.
  virtual void InstallationStarting() {}
  virtual void InstallationEnded(int /*exitCode*/) {}
  // A failure no operation caught ended the run.
  virtual void RunFailed(const std::string& /*cause*/) {}
  // Something worth a line of its own: a copy kept of a file being replaced, a step of
  // the record, a removal or what was kept and why.
  virtual void Noted(const std::string& /*text*/) {}
  // The program ends with this exit code.
  virtual void Finished(int /*exitCode*/) {}
};

class TObservers final : public TInstallerObserver {
 public:
  void Add(TInstallerObserver& observer) { all_.push_back(&observer); }

  void ProgramStarted(const std::vector<std::string>& args) override {
    for (auto* o : all_) o->ProgramStarted(args);
  }
  void FoldersFound(const install::TInstall& engine) override {
    for (auto* o : all_) o->FoldersFound(engine);
  }
  void FoldersChosen(const std::string& target, const std::string& dbapi) override {
    for (auto* o : all_) o->FoldersChosen(target, dbapi);
  }
  void EngineFound() override {
    for (auto* o : all_) o->EngineFound();
  }
  void GaugeMoved(int32_t progress) override {
    for (auto* o : all_) o->GaugeMoved(progress);
  }
  void MessageAnswered(platform::DialogKind kind, const std::string& text, int answer,
                       bool silent) override {
    for (auto* o : all_) o->MessageAnswered(kind, text, answer, silent);
  }
  void StartUpFailed(const std::string& cause) override {
    for (auto* o : all_) o->StartUpFailed(cause);
  }
  void InstallationStarting() override {
    for (auto* o : all_) o->InstallationStarting();
  }
  void InstallationEnded(int exitCode) override {
    for (auto* o : all_) o->InstallationEnded(exitCode);
  }
  void RunFailed(const std::string& cause) override {
    for (auto* o : all_) o->RunFailed(cause);
  }
  void Noted(const std::string& text) override {
    for (auto* o : all_) o->Noted(text);
  }
  void Finished(int exitCode) override {
    for (auto* o : all_) o->Finished(exitCode);
  }

  void ItemStarted(const install::TInstallItem& item) override {
    for (auto* o : all_) o->ItemStarted(item);
  }
  void ItemEnded(const install::TInstallItem& item, bool succeeded,
                 const std::string& cause) override {
    for (auto* o : all_) o->ItemEnded(item, succeeded, cause);
  }
  void OperationStarted(const install::TInstallItem& item, const std::string& status) override {
    for (auto* o : all_) o->OperationStarted(item, status);
  }
  void AttemptFailed(const install::TInstallItem& item, const std::string& message,
                     const std::string& cause) override {
    for (auto* o : all_) o->AttemptFailed(item, message, cause);
  }
  void OperationEnded(const install::TInstallItem& item, int32_t errorAction,
                      const std::string& message, const std::string& cause) override {
    for (auto* o : all_) o->OperationEnded(item, errorAction, message, cause);
  }
  void DiskWanted(int32_t disk, const std::string& file, const std::string& folder) override {
    for (auto* o : all_) o->DiskWanted(disk, file, folder);
  }
  void RegistryValueWritten(const std::string& key, const std::string& name, platform::RegType type,
                            const std::vector<uint8_t>& data, bool ok,
                            const std::string& reason) override {
    for (auto* o : all_) o->RegistryValueWritten(key, name, type, data, ok, reason);
  }
  void ProgManCommandSent(const std::string& command, bool handedOver,
                          const std::string& cause) override {
    for (auto* o : all_) o->ProgManCommandSent(command, handedOver, cause);
  }
  void FolderCreated(const std::string& folder) override {
    for (auto* o : all_) o->FolderCreated(folder);
  }
  void FilePlacing(const std::string& path, const platform::TDigest128& digest,
                   int64_t size) override {
    for (auto* o : all_) o->FilePlacing(path, digest, size);
  }
  void FilePlaced(const std::string& path, const platform::TDigest128& digest,
                  int64_t size) override {
    for (auto* o : all_) o->FilePlaced(path, digest, size);
  }
  void KeyCreated(const std::string& root, const std::string& path) override {
    for (auto* o : all_) o->KeyCreated(root, path);
  }
  void GroupCreated(const std::string& name) override {
    for (auto* o : all_) o->GroupCreated(name);
  }
  void IconCreated(const std::string& caption, const std::string& programPath) override {
    for (auto* o : all_) o->IconCreated(caption, programPath);
  }

 private:
  std::vector<TInstallerObserver*> all_;
};

}  // namespace app
