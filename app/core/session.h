// The installer's start-up and its run, whatever hosts them: the start-up that the
// window's creation handler performs (refusal where a database engine is installed, the
// folder fields, the items' registration), the run that the install button starts, and
// the exit codes of the program.
#pragma once

#include <string>

#include "app/core/gauge_values.h"
#include "app/core/options.h"
#include "app/core/script.h"
#include "install/install.h"

namespace app {

class TInstallerObserver;

// How a run of the program ended, as its exit code.
inline constexpr int kExitCompleted = 0;    // the installation completed (Ignore included)
inline constexpr int kExitCanceled = 1;     // canceled, failed, or never started
inline constexpr int kExitRefused = 2;      // a database engine is already installed
inline constexpr int kExitStartFailed = 3;  // the registry could not be read, or the log opened
inline constexpr int kExitUsage = 87;       // an option not understood
// Run without administrator rights: nothing was touched (the system's "elevation
// required", which deployment tools know).
inline constexpr int kExitNotAdministrator = 740;
// The uninstall is complete once the system restarts: files in use go then (the code
// deployment tools know as "restart needed").
inline constexpr int kExitRestartNeeded = 3010;

inline constexpr const char* kInstallerVersion = "Install 1.0";
inline constexpr const char* kDefaultTargetDir = "C:\\QEN2005";
// The refusal, Windows-1252.
inline constexpr const char* kRefusal =
    "A CONFIGURA\xc7\xc3O DO SEU MICRO N\xc3O PERMITE A INSTALA\xc7\xc3O DO SISTEMA. \r"
    "FAVOR ENTRAR EM CONTATO COM O TAVO DO SEU ESTADO PARA SOLUCIONAR O PROBLEMA.";
// Without administrator rights, Windows-1252.
inline constexpr const char* kNotAdministrator =
    "A INSTALA\xc7\xc3O DO SISTEMA PRECISA DE DIREITOS DE ADMINISTRADOR. \r"
    "FAVOR EXECUTAR O PROGRAMA COMO ADMINISTRADOR. NADA FOI ALTERADO.";
inline constexpr const char* kNoteNotAdministrator =
    "the program runs without administrator rights (its token holds no enabled "
    "Administrators group): nothing was changed";

// What hosts a run: the script's folder fields and gauge, which the start-up fills in.
// The installer window is one host; a silent run has one without a window.
class TSessionHost : public TScriptHost {
 public:
  virtual void SetTargetText(const std::string& text) = 0;
  virtual void SetDbapiText(const std::string& text) = 0;
};

// A host without a window: the folder fields and the gauge kept in memory (a silent run's).
class TSilentHost : public TSessionHost {
 public:
  std::string TargetText() override { return target_; }
  std::string DbapiText() override { return dbapi_; }
  int32_t GaugeProgress() override { return gauge_.Progress(); }
  void SetGaugeProgress(int32_t value) override { gauge_.SetProgress(value); }
  void SetTargetText(const std::string& text) override { target_ = text; }
  void SetDbapiText(const std::string& text) override { dbapi_ = text; }

 private:
  std::string target_, dbapi_;
  TGaugeValues gauge_;
};

// The start-up: refuses where a database engine is installed (the refusal message),
// fills the folder fields (the chosen folders when the options name them), registers
// the script's items. False when the program is to end (refused). A registry read
// error of the presence test raises.
bool StartUp(install::TInstall& engine, TInstallScript& script, TSessionHost& host,
             const TInstallOptions& options, TInstallerObserver& observer);

// The run the install button starts: the engine's Execute, with whatever no operation
// caught shown as an error and counted as a failure, and then the script's end of the
// run (the uninstall entry's final values). Returns the exit code.
int RunInstallation(install::TInstall& engine, TInstallScript& script,
                    TInstallerObserver& observer);

}  // namespace app
