#include "app/core/session.h"

#include <exception>

#include "app/core/install_log.h"
#include "install/dbengine.h"
#include "install/registry.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/text.h"

namespace app {
namespace {

// A chosen folder as a full path, so that files, registry values and shortcuts agree
// whatever the current folder: one with a drive ("D:\Apps") or a network path stays
// as it is, a relative one is taken from the current folder.
std::string FullFolder(const std::string& folder) {
  const bool drive = folder.size() >= 3 && folder[1] == ':' && sys::IsSeparator(folder[2]);
  const bool network = folder.rfind("\\\\", 0) == 0;
  if (drive || network) return folder;
  const std::string full = plat::FileSystemPort().FullPath(folder);
  return full.empty() ? folder : full;
}

// The folder fields and the gauge of a run without a window.
class TSilentHost : public TSessionHost {
 public:
  std::string TargetText() override { return target_; }
  std::string DbapiText() override { return dbapi_; }
  int32_t GaugeProgress() override { return progress_; }
  void SetGaugeProgress(int32_t value) override {
    // The window's gauge keeps its value within 0..100; so does this one.
    progress_ = value < 0 ? 0 : (value > 100 ? 100 : value);
  }
  void SetTargetText(const std::string& text) override { target_ = text; }
  void SetDbapiText(const std::string& text) override { dbapi_ = text; }

 private:
  std::string target_, dbapi_;
  int32_t progress_ = 0;
};

}  // namespace

void LogStart(TInstallLog& log, const inst::TInstall& engine) {
  log.Write(std::string(kInstallerVersion) + " started at " + TInstallLog::LocalTimeStamp());
  log.Write("source folder: " + engine.SourceDir());
  log.Write("Windows folder: " + engine.WindowsDir());
  log.Write("system folder: " + engine.SystemDir());
  log.Write("database engine folder: " + engine.DbapiDir());
  log.Write("database engine configuration file: " + engine.DbapiConfigFile());
}

bool StartUp(inst::TInstall& engine, TInstallScript& script, TSessionHost& host,
             const TInstallOptions& options, TInstallLog* log) {
  bool proceed = true;
  if (inst::DatabaseEnginePresent()) {
    if (log) log->Write("a database engine is already installed: the installation is refused");
    plat::DialogsPort().Show(plat::DialogKind::Error, "", kRefusal, plat::Buttons::Ok);
    // The program ends; the rest of the start-up still runs.
    proceed = false;
  }
  host.SetTargetText(options.TargetDir.empty() ? kDefaultTargetDir : FullFolder(options.TargetDir));
  script.Register();
  host.SetDbapiText(options.DbapiDir.empty() ? engine.DbapiDir() : FullFolder(options.DbapiDir));
  if (log) {
    log->Write("application folder: " + host.TargetText());
    log->Write("database engine folder used: " + host.DbapiText());
    if (!proceed) log->Write("result: refused (exit code 2)");
  }
  return proceed;
}

int RunInstallation(inst::TInstall& engine, TInstallLog* log) {
  bool completed = false;
  try {
    completed = engine.Execute();
  } catch (const std::exception& e) {
    // A failure no operation caught (the staging file could not be made, say).
    if (log) log->Write(std::string("failure: ") + e.what());
    plat::DialogsPort().Show(plat::DialogKind::Error, "", e.what(), plat::Buttons::Ok);
  }
  const int code = completed ? kExitCompleted : kExitCanceled;
  if (log)
    log->Write(completed ? "result: installation completed (exit code 0)"
                         : "result: installation canceled (exit code 1)");
  return code;
}

int RunSilent(const TInstallOptions& options, TInstallLog* log) {
  // A registry read error while the engine discovers its paths or in the presence test.
  const auto startFailed = [log](const std::exception& e) {
    if (log) {
      log->Write(std::string("start-up failed: ") + e.what());
      log->Write("result: start-up failed (exit code 3)");
    }
    return kExitStartFailed;
  };
  sys::TComponent owner(nullptr);
  inst::TInstall* engine = nullptr;
  try {
    engine = &sys::TComponent::CreateOwned<inst::TInstall>(owner);
  } catch (const std::exception& e) {
    return startFailed(e);
  }
  if (log) LogStart(*log, *engine);
  TSilentHost host;
  TInstallScript script(owner, *engine, host);
  if (log) script.AttachLog(*log);
  try {
    if (!StartUp(*engine, script, host, options, log)) return kExitRefused;
  } catch (const std::exception& e) {
    return startFailed(e);
  }
  return RunInstallation(*engine, log);
}

}  // namespace app
