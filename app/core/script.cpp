#include "app/core/script.h"

#include "app/core/run_log.h"
#include "install/install_record.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace app {
namespace {

install::TInstallItem& NewItem(platform::TComponent& owner, const char* name, int32_t disk,
                               const char* diskFileID) {
  auto& item = platform::TComponent::CreateOwned<install::TInstallItem>(owner);
  item.Name = name;
  item.DiskNum = disk;
  item.DiskFileID = diskFileID;
  return item;
}

}  // namespace

install::UninstallEntry ProductEntry(const std::string& folder) {
  const std::string uninstaller =
      platform::Quoted(install::JoinPath(folder, kUninstallerName)) + " /UNINSTALL";
  return {.Key = kUninstallEntryKey,
          .DisplayName = kDisplayName,
          .UninstallString = uninstaller,
          .QuietUninstallString = uninstaller + " /S",
          .InstallLocation = folder,
          .DisplayIcon = install::JoinPath(folder, "QEN2005.EXE"),
          .Publisher = kPublisher,
          .DisplayVersion = kDisplayVersion,
          .VersionMajor = kVersionMajor,
          .VersionMinor = kVersionMinor};
}

TInstallScript::TInstallScript(platform::TComponent& owner, install::TInstall& engine,
                               TScriptHost& host, TInstallerObserver& observer)
    : InstallItemRecord(NewItem(owner, "InstallItemRecord", 0, "")),
      InstallItemLD(NewItem(owner, "InstallItemLD", 1, "LD.PCK")),
      InstallItemDBAPI(NewItem(owner, "InstallItemDBAPI", 1, "DBAPI.PCK")),
      InstallItemHELP(NewItem(owner, "InstallItemHELP", 1, "HELP.PCK")),
      InstallItemBD(NewItem(owner, "InstallItemBD", 1, "BD.PCK")),
      InstallItemAPP(NewItem(owner, "InstallItemAPP", 2, "APP.PCK")),
      InstallItemGrupoIcons(NewItem(owner, "InstallItemGrupoIcons", 0, "")),
      InstallItemDBSQL32(NewItem(owner, "InstallItemDBSQL32", 2, "DBSQL32.PCK")),
      engine_(engine),
      host_(host),
      observer_(observer) {
  // The record's item moves no gauge; each of its steps only after the one before.
  InstallItemRecord.OnExecute = [this](platform::TObject*, bool& Continue) {
    Continue = RecordInstallation(InstallItemRecord);
  };
  Unpacking(InstallItemDBAPI, "DBAPI.PCK", &TScriptHost::DbapiText, 10);
  Unpacking(InstallItemLD, "LD.PCK", &TScriptHost::DbapiText, 10,
            &TInstallScript::ConfigureDatabaseEngine);
  Unpacking(InstallItemHELP, "HELP.PCK", &TScriptHost::TargetText, 10);
  Unpacking(InstallItemBD, "BD.PCK", &TScriptHost::TargetText, 10);
  Unpacking(InstallItemAPP, "APP.PCK", &TScriptHost::TargetText, 5);
  Unpacking(InstallItemDBSQL32, "DBSQL32.PCK", &TScriptHost::DbapiText, 5);

  // The program group moves no gauge; each icon is made only after the one before.
  InstallItemGrupoIcons.OnExecute = [this](platform::TObject*, bool& Continue) {
    install::TInstallItem& item = InstallItemGrupoIcons;
    Continue = item.CreateGroup(kGroupName) &&
               item.CreateIcon(kIconCaptions[0], host_.TargetText(), "QEN2005.EXE") &&
               item.CreateIcon(kIconCaptions[1], host_.TargetText(), "QEN2005.HLP") &&
               item.CreateIcon(kIconCaptions[2], host_.TargetText(), "Leiame.txt");
  };
}

// The run order.
void TInstallScript::Register() {
  for (install::TInstallItem* item :
       {&InstallItemRecord, &InstallItemDBAPI, &InstallItemLD, &InstallItemHELP, &InstallItemBD,
        &InstallItemAPP, &InstallItemDBSQL32, &InstallItemGrupoIcons})
    engine_.AddItem(*item);
}

bool TInstallScript::RecordInstallation(install::TInstallItem& item) {
  // Without a record nothing is recorded, and nothing made for it.
  if (!engine_.Record()) return true;
  const std::string folder = host_.TargetText();
  recordedFolder_ = folder;
  return item.MakeFolder(folder, install::JoinPath(folder, kDataFolderName)) &&
         item.OpenRecord(install::JoinPath(folder, kRecordName)) &&
         item.CopyUninstaller(platform::SystemFoldersPort().ProgramPath(),
                              install::JoinPath(folder, kUninstallerName)) &&
         item.RegisterUninstallEntry(ProductEntry(folder));
}

void TInstallScript::RunEnded() {
  const install::InstallRecord* record = engine_.Record();
  if (record && record->IsOpen())
    InstallItemRecord.RegisterUninstallEntry(ProductEntry(recordedFolder_));
}

void TInstallScript::AdvanceGauge(int32_t step) {
  host_.SetGaugeProgress(host_.GaugeProgress() + step);
  observer_.GaugeMoved(host_.GaugeProgress());
}

void TInstallScript::Unpacking(install::TInstallItem& item, const char* package,
                               std::string (TScriptHost::*target)(), int32_t step,
                               Operations more) {
  item.OnExecute = [this, &item, package, target, step, more](platform::TObject*, bool& Continue) {
    AdvanceGauge(step);
    // The source folder and the destination are read when the operation is called.
    Continue = item.UnpackLz(engine_.SourceDir(), package, (host_.*target)()) &&
               (!more || (this->*more)(item));
    AdvanceGauge(step);
  };
}

bool TInstallScript::ConfigureDatabaseEngine(install::TInstallItem& item) {
  return item.ConfigureEngine(host_.DbapiText(), host_.DbapiText()) &&
         item.ConfigureTabula(true, "ANSI850");
}

}  // namespace app
