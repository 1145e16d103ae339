#include "app/core/session.h"

#include <exception>

#include "app/core/run_log.h"
#include "install/dbengine.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/text.h"

namespace app {
namespace {

// A chosen folder as a full path, so that files, registry values and shortcuts agree
// whatever the current folder: one with a drive ("D:\Apps") or a network path stays
// as it is, a relative one is taken from the current folder.
std::string FullFolder(const std::string& folder) {
  const bool drive = folder.size() >= 3 && folder[1] == ':' && platform::IsSeparator(folder[2]);
  const bool network = folder.rfind("\\\\", 0) == 0;
  if (drive || network) return folder;
  const std::string full = platform::FileSystemPort().FullPath(folder);
  return full.empty() ? folder : full;
}

}  // namespace

bool StartUp(install::TInstall& engine, TInstallScript& script, TSessionHost& host,
             const TInstallOptions& options, TInstallerObserver& observer) {
  bool proceed = true;
  if (install::DatabaseEnginePresent()) {
    observer.EngineFound();
    platform::DialogsPort().Show(platform::DialogKind::Error, "", kRefusal, platform::Buttons::Ok);
    // The program ends; the rest of the start-up still runs.
    proceed = false;
  }
  host.SetTargetText(options.TargetDir.empty() ? kDefaultTargetDir : FullFolder(options.TargetDir));
  script.Register();
  host.SetDbapiText(options.DbapiDir.empty() ? engine.DbapiDir() : FullFolder(options.DbapiDir));
  observer.FoldersChosen(host.TargetText(), host.DbapiText());
  return proceed;
}

int RunInstallation(install::TInstall& engine, TInstallScript& script,
                    TInstallerObserver& observer) {
  bool completed = false;
  try {
    completed = engine.Execute();
  } catch (const std::exception& e) {
    // A failure no operation caught (the staging folder could not be made, say).
    observer.RunFailed(platform::Describe(e));
    platform::DialogsPort().Show(platform::DialogKind::Error, "", e.what(), platform::Buttons::Ok);
  }
  // Also after a run that was canceled or failed: what it did do is registered.
  script.RunEnded();
  return completed ? kExitCompleted : kExitCanceled;
}

}  // namespace app
