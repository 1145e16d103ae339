#include "app/core/script.h"

#include "app/core/install_log.h"

namespace app {
namespace {

inst::TInstallItem& NewItem(sys::TComponent& owner, const char* name, int32_t disk,
                            const char* diskFileID) {
  auto& item = sys::TComponent::CreateOwned<inst::TInstallItem>(owner);
  item.Name = name;
  item.DiskNum = disk;
  item.DiskFileID = diskFileID;
  return item;
}

}  // namespace

TInstallScript::TInstallScript(sys::TComponent& owner, inst::TInstall& engine, TScriptHost& host)
    : InstallItemLD(NewItem(owner, "InstallItemLD", 1, "LD.PCK")),
      InstallItemDBAPI(NewItem(owner, "InstallItemDBAPI", 1, "DBAPI.PCK")),
      InstallItemHELP(NewItem(owner, "InstallItemHELP", 1, "HELP.PCK")),
      InstallItemBD(NewItem(owner, "InstallItemBD", 1, "BD.PCK")),
      InstallItemAPP(NewItem(owner, "InstallItemAPP", 2, "APP.PCK")),
      InstallItemGrupoIcons(NewItem(owner, "InstallItemGrupoIcons", 0, "")),
      InstallItemDBSQL32(NewItem(owner, "InstallItemDBSQL32", 2, "DBSQL32.PCK")),
      engine_(engine),
      host_(host) {
  Unpacking(InstallItemDBAPI, "DBAPI.PCK", &TScriptHost::DbapiText, 10);
  Unpacking(InstallItemLD, "LD.PCK", &TScriptHost::DbapiText, 10,
            &TInstallScript::ConfigureDatabaseEngine);
  Unpacking(InstallItemHELP, "HELP.PCK", &TScriptHost::TargetText, 10);
  Unpacking(InstallItemBD, "BD.PCK", &TScriptHost::TargetText, 10);
  Unpacking(InstallItemAPP, "APP.PCK", &TScriptHost::TargetText, 5);
  Unpacking(InstallItemDBSQL32, "DBSQL32.PCK", &TScriptHost::DbapiText, 5);

  // The program group moves no gauge; each icon is made only after the one before.
  InstallItemGrupoIcons.OnExecute = [this](sys::TObject*, bool& Continue) {
    inst::TInstallItem& item = InstallItemGrupoIcons;
    Continue = item.CreateGroup("TAVO") &&
               item.CreateIcon("QEN 2005", host_.TargetText(), "QEN2005.EXE") &&
               item.CreateIcon("QEN 2005 Help", host_.TargetText(), "QEN2005.HLP") &&
               item.CreateIcon("QEN 2005 Leiame", host_.TargetText(), "Leiame.txt");
  };
}

std::array<inst::TInstallItem*, 7> TInstallScript::RunOrder() {
  return {&InstallItemDBAPI, &InstallItemLD,      &InstallItemHELP,      &InstallItemBD,
          &InstallItemAPP,   &InstallItemDBSQL32, &InstallItemGrupoIcons};
}

void TInstallScript::Register() {
  for (inst::TInstallItem* item : RunOrder()) engine_.AddItem(*item);
}

void TInstallScript::AdvanceGauge(int32_t step) {
  host_.SetGaugeProgress(host_.GaugeProgress() + step);
  if (log_) log_->Write("gauge " + std::to_string(host_.GaugeProgress()));
}

void TInstallScript::AttachLog(TInstallLog& log) {
  log_ = &log;
  for (inst::TInstallItem* item : RunOrder()) {
    const std::string name = item->Name;
    item->BeforeExecute = [&log](sys::TObject*, const std::string&, const std::string& msg) {
      log.Write("  " + msg);
    };
    item->AfterExecute = [&log](sys::TObject*, int32_t action, const std::string& msg) {
      log.Write(action == inst::kActionNone
                    ? std::string("  done")
                    : "  failed: " + msg + (action == inst::kActionIgnore ? " (ignored)" : ""));
    };
    inst::TIExecute work = std::move(item->OnExecute);
    item->OnExecute = [&log, item, name, work](sys::TObject* sender, bool& Continue) {
      if (item->Counting) return work(sender, Continue);
      log.Write("item " + name + " \"" + item->Title + "\"");
      work(sender, Continue);
      log.Write("item " + name + (Continue ? " succeeded" : " failed: the run ends"));
    };
  }
}

void TInstallScript::Unpacking(inst::TInstallItem& item, const char* package,
                               std::string (TScriptHost::*target)(), int32_t step,
                               Operations more) {
  item.OnExecute = [this, &item, package, target, step, more](sys::TObject*, bool& Continue) {
    AdvanceGauge(step);
    // The source folder and the destination are read when the operation is called.
    Continue = item.UnpackLz(engine_.SourceDir(), package, (host_.*target)()) &&
               (!more || (this->*more)(item));
    AdvanceGauge(step);
  };
}

bool TInstallScript::ConfigureDatabaseEngine(inst::TInstallItem& item) {
  return item.ConfigureEngine(host_.DbapiText(), host_.DbapiText()) &&
         item.ConfigureTabula(true, "ANSI850");
}

}  // namespace app
