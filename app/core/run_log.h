// The installation log as the run's observer: every event (installer_observer.h) one
// line of the log.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/install_log.h"
#include "app/core/installer_observer.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace install {
class TInstall;
}

namespace app {

class TRunLog : public TInstallerObserver {
 public:
  explicit TRunLog(TInstallLog& log) : log_(log) {}

  void ProgramStarted(const std::vector<std::string>& args) override;
  void FoldersFound(const install::TInstall& engine) override;
  void FoldersChosen(const std::string& target, const std::string& dbapi) override;
  void EngineFound() override;
  void GaugeMoved(int32_t progress) override;
  void MessageAnswered(platform::DialogKind kind, const std::string& text, int answer,
                       bool silent) override;
  void StartUpFailed(const std::string& cause) override;
  void RunFailed(const std::string& cause) override;
  void Noted(const std::string& text) override;
  void Finished(int exitCode) override;

  void ItemStarted(const install::TInstallItem& item) override;
  void ItemEnded(const install::TInstallItem& item, bool succeeded,
                 const std::string& cause) override;
  void OperationStarted(const install::TInstallItem& item, const std::string& status) override;
  void AttemptFailed(const install::TInstallItem& item, const std::string& message,
                     const std::string& cause) override;
  void OperationEnded(const install::TInstallItem& item, int32_t errorAction,
                      const std::string& message, const std::string& cause) override;
  void DiskWanted(int32_t disk, const std::string& file, const std::string& folder) override;
  void RegistryValueWritten(const std::string& key, const std::string& name, platform::RegType type,
                            const std::vector<uint8_t>& data, bool ok,
                            const std::string& reason) override;
  void ProgManCommandSent(const std::string& command, bool handedOver,
                          const std::string& cause) override;

 private:
  TInstallLog& log_;
};

// How a value reads in the log: text as it is, a DWORD in decimal, other data in hex.
std::string DescribeValue(platform::RegType type, const std::vector<uint8_t>& data);

}  // namespace app
