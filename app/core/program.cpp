#include "app/core/program.h"

#include <exception>
#include <memory>
#include <optional>

#include "app/core/install_log.h"
#include "app/core/run_dialogs.h"
#include "app/core/run_log.h"
#include "app/core/uninstall.h"
#include "install/install_record.h"
#include "platform/component.h"
#include "platform/exceptions.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace app {
namespace {

void ShowMessage(platform::DialogKind kind, const std::string& text) {
  platform::DialogsPort().Show(kind, "", text, platform::Buttons::Ok);
}

// Every way the program fails to start ends here, with or without a window: the cause
// to the log, the message to the user (under /S to nobody).
int StartFailed(TInstallerObserver& observer, const std::exception& e) {
  observer.StartUpFailed(platform::Describe(e));
  ShowMessage(platform::DialogKind::Error, e.what());
  return kExitStartFailed;
}

// The installer once the options are understood: the engine (which finds its folders),
// the host of the run, the script, the start-up, and the installation.
int RunInstaller(const TInstallOptions& options, TWindowRunner& window,
                 TInstallerObserver& observer) {
  // Stands for the window that owns the engine and the items.
  platform::TComponent owner(nullptr);
  install::TInstall* engine = nullptr;
  try {
    engine = &platform::TComponent::CreateOwned<install::TInstall>(owner);
  } catch (const std::exception& e) {
    // A registry value of the wrong type: the window is never shown.
    return StartFailed(observer, e);
  }
  engine->SetObserver(&observer);
  observer.FoldersFound(*engine);

  TSilentHost silent;
  TSessionHost* host = &silent;
  if (!options.Silent) {
    try {
      host = &window.Open();
    } catch (const std::exception& e) {
      return StartFailed(observer, e);
    }
  }
  TInstallScript script(owner, *engine, *host, observer);
  try {
    if (!StartUp(*engine, script, *host, options, observer)) return kExitRefused;
  } catch (const std::exception& e) {
    return StartFailed(observer, e);
  }
  // The installation's record of itself, in the folders the start-up chose; the script's
  // record item opens it, and the operations write their steps through it.
  install::InstallRecord record(host->TargetText(), host->DbapiText(), observer);
  engine->SetRecord(&record);
  const auto install = [&] { return RunInstallation(*engine, script, observer); };
  return options.Silent ? install() : window.Run(install);
}

}  // namespace

int RunProgram(const std::vector<std::string>& args, TWindowRunner& window) {
  const TInstallOptions options = ParseOptions(args);
  const bool installing = options.Unknown.empty() && !options.Help;

  // The log, when one is asked for; without it the run's events go to nobody.
  std::unique_ptr<TInstallLog> logFile;
  std::optional<platform::EInOutError> logFailure;
  if (installing && !options.LogPath.empty()) {
    try {
      logFile = std::make_unique<TInstallLog>(options.LogPath);
    } catch (const platform::EInOutError& e) {
      logFailure = e;
    }
  }
  TInstallerObserver nobody;
  std::optional<TRunLog> log;
  if (logFile) log.emplace(*logFile);
  // Everything the run reports goes to the log.
  TInstallerObserver& observer = log ? *log : nobody;

  // Every message box of the run goes through here. A silent run (/S) shows none: each
  // gets the fixed answer of a silent run. Either way each is logged with its answer.
  TRunDialogs dialogs(platform::DialogsPort(), observer, options.Silent, options.IgnoreErrors);
  const platform::ScopedPort<platform::Dialogs> useDialogs(dialogs);

  if (!options.Unknown.empty()) {
    ShowMessage(platform::DialogKind::Error, UnknownOptionMessage(options.Unknown));
    return kExitUsage;
  }
  if (options.Help) {
    ShowMessage(platform::DialogKind::Information, kOptionsHelp);
    return kExitCompleted;
  }
  if (logFailure) return StartFailed(observer, *logFailure);
  observer.ProgramStarted(args);
  // Before anything is touched: the machine-wide installation, and its removal, need
  // administrator rights.
  int code = kExitNotAdministrator;
  if (!platform::SystemFoldersPort().UserIsAdministrator()) {
    observer.StartUpFailed(kNoteNotAdministrator);
    ShowMessage(platform::DialogKind::Error, kNotAdministrator);
  } else {
    code = options.Uninstall ? RunUninstaller(options, window, observer)
                             : RunInstaller(options, window, observer);
  }
  observer.Finished(code);
  return code;
}

}  // namespace app
