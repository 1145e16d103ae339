#include "app/core/uninstall.h"

#include "app/core/install_recorder.h"
#include "install/uninstall_record.h"
#include "install/uninstaller.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/text.h"

namespace app {
namespace {

constexpr const char* kRecordMissing = "The uninstall record %s is missing: nothing was removed.";
constexpr const char* kRecordDamaged =
    "The uninstall record %s is damaged (%s): nothing was removed.";
constexpr const char* kRemoved = "QEN 2005 was removed.";
constexpr const char* kNotRemoved = "QEN 2005 could not be removed completely.";

std::string Lines(const std::string& title, const std::vector<std::string>& items) {
  if (items.empty()) return {};
  std::string text = "\r\n\r\n" + title;
  for (const std::string& item : items) text += "\r\n" + item;
  return text;
}

// A copy of `program` in the temporary folder, under a name of its own that runs as a
// program; empty when none could be made.
std::string CopyToTemp(const std::string& program, std::string& reason) {
  platform::TempFiles& temp = platform::TempFilesPort();
  const std::string dir = temp.Directory();
  const std::string reserved = dir.empty() ? std::string() : temp.CreateUnique(dir, "QUN");
  if (reserved.empty()) {
    reason = "no file can be made in the temporary folder " + dir;
    return {};
  }
  const std::string copy = reserved + ".EXE";
  const bool made = platform::CopyFileTo(program, copy, reason);
  platform::FileSystemPort().Delete(reserved);
  return made ? copy : std::string();
}

// Removes a file that may be in use as a running program: deleted, or where the system
// keeps a running program's file (Windows), renamed into the temporary folder and
// deleted at the next restart.
bool RemoveProgramFile(const std::string& path, std::string& how) {
  platform::FileSystem& files = platform::FileSystemPort();
  if (!files.FileExists(path) || files.Delete(path)) {
    how = "removed " + path;
    return true;
  }
  platform::TempFiles& temp = platform::TempFilesPort();
  const std::string dir = temp.Directory();
  const std::string reserved = dir.empty() ? std::string() : temp.CreateUnique(dir, "QUN");
  if (reserved.empty() || !files.Rename(path, reserved)) {
    how = "cannot remove " + path + ": " + files.FailureReason();
    return false;
  }
  platform::ShellPort().DeleteAtRestart(reserved);
  how = "removed " + path + " (moved to " + reserved + ", deleted at the next restart)";
  return true;
}

// The folder the record names as the application's (the folder of its uninstaller, or
// of the record itself).
std::string ApplicationFolder(const install::TUninstallRecord& record, const std::string& path) {
  for (const install::TRecordLine& line : record.Lines)
    if (line.Kind == install::TRecordKind::Program) return platform::FolderPart(line.Fields[0]);
  return platform::FolderPart(path);
}

// The steps undone, the record and the uninstaller removed, the final message.
int Uninstall(const install::TUninstallRecord& record, const std::string& recordPath,
              TInstallerObserver& observer, TSessionHost* host) {
  install::TUninstaller uninstaller(record.Lines);
  uninstaller.OnNote = [&observer](const std::string& text) { observer.Noted(text); };
  uninstaller.OnProgress = [&observer, host](int done, int total) {
    const int32_t percent = total > 0 ? static_cast<int32_t>(int64_t{done} * 100 / total) : 100;
    if (host) host->SetGaugeProgress(percent);
    observer.GaugeMoved(percent);
  };
  install::TUninstallOutcome outcome = uninstaller.Run();

  // The record and the uninstaller were in use until now.
  std::string how;
  for (const install::TRecordLine& line : record.Lines)
    if (line.Kind == install::TRecordKind::Program) {
      (RemoveProgramFile(line.Fields[0], how) ? outcome.Removed : outcome.Failed)
          .push_back(line.Fields[0]);
      observer.Noted(how);
    }
  if (platform::FileSystemPort().Delete(recordPath)) {
    observer.Noted("removed the uninstall record " + recordPath);
  } else {
    outcome.Failed.push_back(recordPath + ": " + platform::FileSystemPort().FailureReason());
    observer.Noted("cannot remove the uninstall record " + recordPath + ": " +
                   platform::FileSystemPort().FailureReason());
  }
  uninstaller.RemoveEmptyFolders();

  const bool complete = outcome.Failed.empty();
  std::string text = complete ? kRemoved : kNotRemoved;
  text += Lines("Kept because they were changed:", outcome.Changed);
  text += Lines("Kept because another program uses them:", outcome.InUse);
  text += Lines("Put back as they were before the installation:", outcome.Restored);
  text += Lines("Could not be removed:", outcome.Failed);
  platform::DialogsPort().Show(
      complete ? platform::DialogKind::Information : platform::DialogKind::Error, "", text,
      platform::Buttons::Ok);
  return complete ? kExitCompleted : kExitCanceled;
}

}  // namespace

int RunUninstaller(const TInstallOptions& options, TWindowRunner& window,
                   TInstallerObserver& observer) {
  const std::string program = platform::SystemFoldersPort().ProgramPath();
  const bool isCopy = !options.RecordPath.empty();
  const std::string recordPath =
      isCopy ? options.RecordPath : platform::FolderPart(program) + kRecordName;
  const install::TUninstallRecord record = install::ReadUninstallRecord(recordPath);
  if (record.State != install::TRecordState::Valid) {
    const std::string text = record.State == install::TRecordState::Missing
                                 ? platform::Fmt(kRecordMissing, recordPath)
                                 : platform::Fmt(kRecordDamaged, recordPath, record.Problem);
    observer.StartUpFailed(text);
    platform::DialogsPort().Show(platform::DialogKind::Error, "", text, platform::Buttons::Ok);
    return kExitStartFailed;
  }
  observer.Noted("uninstall record: " + recordPath + ", " + std::to_string(record.Lines.size()) +
                 " steps" +
                 (record.CutShort ? " (its last step, cut short by a crash, left out)" : ""));

  if (!isCopy) {
    // The work is done by a copy in the temporary folder, so that this program, in the
    // folder that goes, can go too; its outcome is this program's.
    std::string reason;
    const std::string copy = CopyToTemp(program, reason);
    if (!copy.empty()) {
      const std::string command =
          platform::Quoted(copy) + " /UNINSTALL " + platform::Quoted("/RECORD=" + recordPath) +
          (options.Silent ? " /S" : "") +
          (options.LogPath.empty() ? "" : " " + platform::Quoted("/LOG=" + options.LogPath));
      observer.Noted("running the uninstaller from a copy: " + command);
      const int code = platform::ShellPort().RunAndWait(command);
      if (!platform::FileSystemPort().Delete(copy)) platform::ShellPort().DeleteAtRestart(copy);
      if (code >= 0) {
        observer.Noted("the copy ended with exit code " + std::to_string(code));
        return code;
      }
      reason = "it could not be started";
    }
    observer.Noted("the uninstaller works from where it is: no copy in the temporary folder (" +
                   reason + ")");
  }

  if (platform::DialogsPort().Show(platform::DialogKind::Confirmation, "", kConfirmRemove,
                                   platform::Buttons::YesNo) != platform::kIdYes) {
    observer.Noted("nothing removed: the removal was declined");
    return kExitCanceled;
  }
  if (options.Silent) return Uninstall(record, recordPath, observer, nullptr);
  // The folder fields as the installer showed them: without a closing separator.
  const auto shown = [](std::string folder) {
    if (folder.size() > 1 && platform::IsSeparator(folder.back())) folder.pop_back();
    return folder;
  };
  TSessionHost& host = window.Open();
  host.SetTargetText(shown(ApplicationFolder(record, recordPath)));
  for (const install::TRecordLine& line : record.Lines)
    if (line.Kind == install::TRecordKind::Shared) {
      host.SetDbapiText(shown(platform::FolderPart(line.Fields[0])));
      break;
    }
  return window.RunNow(kUninstallCaption,
                       [&] { return Uninstall(record, recordPath, observer, &host); });
}

}  // namespace app
