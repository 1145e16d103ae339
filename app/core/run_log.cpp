#include "app/core/run_log.h"

#include <cstdio>

#include "app/core/session.h"
#include "install/install.h"
#include "install/install_item.h"
#include "platform/le_bytes.h"
#include "platform/text.h"

namespace app {
namespace {

const char* KindName(platform::DialogKind kind) {
  switch (kind) {
    case platform::DialogKind::Warning:
      return "Warning";
    case platform::DialogKind::Error:
      return "Error";
    case platform::DialogKind::Information:
      return "Information";
    case platform::DialogKind::Confirmation:
      return "Confirm";
  }
  return "?";
}

const char* AnswerName(int id) {
  static const char* const kNames[] = {"none",  "OK",     "Cancel", "Abort",
                                       "Retry", "Ignore", "Yes",    "No"};
  return id >= 0 && id <= platform::kIdNo ? kNames[id] : "?";
}

const char* TypeName(platform::RegType type) {
  switch (type) {
    case platform::RegType::Sz:
      return "REG_SZ";
    case platform::RegType::ExpandSz:
      return "REG_EXPAND_SZ";
    case platform::RegType::Binary:
      return "REG_BINARY";
    case platform::RegType::Dword:
      return "REG_DWORD";
    default:
      return "other type";
  }
}

// " (cause)" after an event, nothing when there is none.
std::string Because(const std::string& cause) {
  return cause.empty() ? std::string() : " (" + cause + ")";
}

}  // namespace

std::string DescribeValue(platform::RegType type, const std::vector<uint8_t>& data) {
  if (type == platform::RegType::Sz || type == platform::RegType::ExpandSz)
    return '"' + platform::TextBeforeZero(data) + '"';
  if (type == platform::RegType::Dword && data.size() == 4)
    return std::to_string(platform::le::Get32(data.data()));
  std::string hex;
  for (const uint8_t b : data) {
    char two[4];
    std::snprintf(two, sizeof two, "%s%02X", hex.empty() ? "" : " ", b);
    hex += two;
  }
  return hex;
}

// ---- the program -----------------------------------------------------------------------

void TRunLog::ProgramStarted(const std::vector<std::string>& args) {
  log_.Write(std::string(kInstallerVersion) + " started at " + TInstallLog::LocalTimeStamp());
  std::string line = "command line:";
  for (const std::string& a : args) line += " " + a;
  log_.Write(line);
}

void TRunLog::FoldersFound(const install::TInstall& engine) {
  log_.Write("source folder: " + engine.SourceDir());
  log_.Write("Windows folder: " + engine.WindowsDir());
  log_.Write("system folder: " + engine.SystemDir());
  log_.Write("database engine folder: " + engine.DbapiDir());
  log_.Write("database engine configuration file: " + engine.DbapiConfigFile());
}

void TRunLog::FoldersChosen(const std::string& target, const std::string& dbapi) {
  log_.Write("application folder: " + target);
  log_.Write("database engine folder used: " + dbapi);
}

void TRunLog::EngineFound() {
  log_.Write("a database engine is already installed: the installation is refused");
}

void TRunLog::GaugeMoved(int32_t progress) { log_.Write("gauge " + std::to_string(progress)); }

void TRunLog::MessageAnswered(platform::DialogKind kind, const std::string& text, int answer,
                              bool silent) {
  log_.Write(std::string("message (") + KindName(kind) + "): " + text + " -> " +
             AnswerName(answer) + (silent ? " (by /S)" : " (by the user)"));
}

void TRunLog::StartUpFailed(const std::string& cause) { log_.Write("start-up failed: " + cause); }

void TRunLog::RunFailed(const std::string& cause) { log_.Write("failure: " + cause); }

void TRunLog::Noted(const std::string& text) { log_.Write(text); }

void TRunLog::Finished(int exitCode) {
  const char* what = "installation canceled";
  if (exitCode == kExitCompleted)
    what = "installation completed";
  else if (exitCode == kExitRefused)
    what = "refused";
  else if (exitCode == kExitStartFailed)
    what = "start-up failed";
  else if (exitCode == kExitNotAdministrator)
    what = "refused: no administrator rights";
  else if (exitCode == kExitRestartNeeded)
    what = "removed once the system restarts";
  log_.Write(std::string("result: ") + what + " (exit code " + std::to_string(exitCode) + ")");
}

// ---- the engine ------------------------------------------------------------------------

void TRunLog::ItemStarted(const install::TInstallItem& item) {
  log_.Write("item " + item.Name + " \"" + item.Title + "\"");
}

void TRunLog::ItemEnded(const install::TInstallItem& item, bool succeeded,
                        const std::string& cause) {
  log_.Write("item " + item.Name + (succeeded ? " succeeded" : " failed: the run ends") +
             Because(cause));
}

void TRunLog::OperationStarted(const install::TInstallItem&, const std::string& status) {
  log_.Write("  " + status);
}

void TRunLog::AttemptFailed(const install::TInstallItem&, const std::string& message,
                            const std::string& cause) {
  log_.Write("  attempt failed: " + message + Because(cause));
}

void TRunLog::OperationEnded(const install::TInstallItem&, int32_t errorAction,
                             const std::string& message, const std::string& cause) {
  if (errorAction == install::kActionNone) {
    log_.Write("  done");
    return;
  }
  log_.Write("  failed: " + message + (errorAction == install::kActionIgnore ? " (ignored)" : "") +
             Because(cause));
}

void TRunLog::DiskWanted(int32_t disk, const std::string& file, const std::string& folder) {
  log_.Write("disk " + std::to_string(disk) + " wanted: " + file + " is not in " + folder);
}

void TRunLog::RegistryValueWritten(const std::string& key, const std::string& name,
                                   platform::RegType type, const std::vector<uint8_t>& data,
                                   bool ok, const std::string& reason) {
  log_.Write("registry " + key + " " + name + " = " + DescribeValue(type, data) + " (" +
             TypeName(type) + ")" + (ok ? "" : " FAILED" + Because(reason)));
}

void TRunLog::ProgManCommandSent(const std::string& command, bool handedOver,
                                 const std::string& cause) {
  log_.Write("Program Manager command " + command +
             (handedOver ? " handed over" : " NOT handed over" + Because(cause)));
}

}  // namespace app
