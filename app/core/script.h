// The installation script: seven install items, the order they run in, and the
// handlers that unpack the six packages, configure the database engine, advance the
// gauge and create the Program Manager group with its three icons. Before them runs the
// script's own item for the installation's record of itself: the application folder
// made, the uninstall record opened in it, the uninstaller copied there and the
// uninstall entry written (each an operation in plain view; with no record given to
// the engine it does nothing), and once the run has ended the entry is written again
// with the size of what was installed. The script reads its destination folders and the
// gauge through its host, the installer window.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "install/install.h"
#include "install/install_item.h"
#include "install/step_entry.h"
#include "platform/component.h"

namespace app {

// The product as the system's list of installed programs shows it: its entry, below
// HKEY_LOCAL_MACHINE, and its values; the record and the uninstaller in its folder.
inline constexpr const char* kUninstallEntryKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QEN2005";
inline constexpr const char* kRecordName = "UNINSTAL.DAT";
inline constexpr const char* kUninstallerName = "Uninstall.exe";
inline constexpr const char* kDisplayName = "QEN 2005";
inline constexpr const char* kPublisher = "Instituto Tavo";
inline constexpr const char* kDisplayVersion = "2005";
inline constexpr uint32_t kVersionMajor = 2005;
inline constexpr uint32_t kVersionMinor = 0;
// The folder in the application folder where the application writes its tables: users
// may modify there.
inline constexpr const char* kDataFolderName = "DADOS";
// The Program Manager group the script makes, and the captions of its icons.
inline constexpr const char* kGroupName = "TAVO";
inline constexpr std::array<const char*, 3> kIconCaptions = {"QEN 2005", "QEN 2005 Help",
                                                             "QEN 2005 Leiame"};

// The uninstall entry of the product installed in `folder`.
install::UninstallEntry ProductEntry(const std::string& folder);

class TInstallerObserver;

// What the script needs of the window it sits in.
class TScriptHost {
 public:
  virtual ~TScriptHost() = default;
  // The current texts of the application and database-engine directory fields.
  virtual std::string TargetText() = 0;
  virtual std::string DbapiText() = 0;
  virtual int32_t GaugeProgress() = 0;
  virtual void SetGaugeProgress(int32_t value) = 0;
};

class TInstallScript {
 public:
  // Creates the items, owned by `owner` (the window), in their declared order. The
  // observer learns every move of the gauge.
  TInstallScript(platform::TComponent& owner, install::TInstall& engine, TScriptHost& host,
                 TInstallerObserver& observer);

  // Registers the items with the engine in their run order: the record's item first.
  void Register();
  // Once the run has ended, completed, canceled or failed: the uninstall entry written
  // again, with the size of what was installed (when the run's record was opened).
  void RunEnded();

  install::TInstallItem& InstallItemRecord;
  install::TInstallItem& InstallItemLD;
  install::TInstallItem& InstallItemDBAPI;
  install::TInstallItem& InstallItemHELP;
  install::TInstallItem& InstallItemBD;
  install::TInstallItem& InstallItemAPP;
  install::TInstallItem& InstallItemGrupoIcons;
  install::TInstallItem& InstallItemDBSQL32;

 private:
  // The handler of an item that unpacks `package` into the folder `target` gives, and
  // then runs `more` (further operations) if the unpack succeeded; it moves the gauge
  // by `step` before and after.
  using Operations = bool (TInstallScript::*)(install::TInstallItem& item);
  void Unpacking(install::TInstallItem& item, const char* package,
                 std::string (TScriptHost::*target)(), int32_t step, Operations more = nullptr);
  bool ConfigureDatabaseEngine(install::TInstallItem& item);
  bool RecordInstallation(install::TInstallItem& item);
  void AdvanceGauge(int32_t step);

  install::TInstall& engine_;
  TScriptHost& host_;
  TInstallerObserver& observer_;
  std::string recordedFolder_;  // the application folder the record's item used
};

}  // namespace app
