#include "app/core/uninstall.h"

#include "app/core/script.h"
#include "install/uninstall_record.h"
#include "install/uninstaller.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/text.h"

namespace app {
namespace {

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
    reason = platform::Fmt(kNoTempFile, dir);
    return {};
  }
  const std::string copy = reserved + ".EXE";
  const bool made = platform::CopyFileTo(program, copy, reason);
  platform::FileSystemPort().Delete(reserved);
  return made ? copy : std::string();
}

// The first step of a kind in the record.
template <class Step>
const Step* FirstStep(const install::UninstallRecord& record) {
  for (const install::RecordStep& step : record.Steps)
    if (const auto* found = std::get_if<Step>(&step)) return found;
  return nullptr;
}

// The folder the record names as the application's (the folder of its uninstaller, or
// of the record itself).
std::string ApplicationFolder(const install::UninstallRecord& record, const std::string& path) {
  const auto* program = FirstStep<install::ProgramStep>(record);
  return platform::FolderPart(program ? program->Path : path);
}

// The steps undone, the record and the uninstaller removed, the final message.
int Uninstall(const install::UninstallRecord& record, const std::string& recordPath,
              TInstallerObserver& observer, TSessionHost* host) {
  install::TUninstaller uninstaller(record.Steps);
  uninstaller.OnNote = [&observer](const std::string& text) { observer.Noted(text); };
  uninstaller.OnProgress = [&observer, host](int done, int total) {
    const int32_t percent = total > 0 ? static_cast<int32_t>(int64_t{done} * 100 / total) : 100;
    if (host) host->SetGaugeProgress(percent);
    observer.GaugeMoved(percent);
  };
  uninstaller.Run();
  // The record and the uninstaller were in use until now.
  const install::TUninstallOutcome outcome = uninstaller.Finish(recordPath);

  const bool complete = outcome.Failed.empty();
  std::string text = complete ? kRemoved : kNotRemoved;
  text += Lines(kKeptChanged, outcome.Changed);
  text += Lines(kKeptInUse, outcome.InUse);
  text += Lines(kPutBack, outcome.Restored);
  text += Lines(kCouldNotRemove, outcome.Failed);
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
  const install::UninstallRecord record = install::ReadUninstallRecord(recordPath);
  if (record.State != install::RecordState::Valid) {
    const std::string text = record.State == install::RecordState::Missing
                                 ? platform::Fmt(kRecordMissing, recordPath)
                                 : platform::Fmt(kRecordDamaged, recordPath, record.Problem);
    observer.StartUpFailed(text);
    platform::DialogsPort().Show(platform::DialogKind::Error, "", text, platform::Buttons::Ok);
    return kExitStartFailed;
  }
  observer.Noted(platform::Fmt(kNoteRecordRead, recordPath, record.Steps.size(),
                               record.CutShort ? kNoteCutShort : ""));

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
      observer.Noted(platform::Fmt(kNoteRunningCopy, command));
      const int code = platform::ShellPort().RunAndWait(command);
      if (!platform::FileSystemPort().Delete(copy)) platform::ShellPort().DeleteAtRestart(copy);
      if (code >= 0) {
        observer.Noted(platform::Fmt(kNoteCopyEnded, code));
        return code;
      }
      reason = kCopyNotStarted;
    }
    observer.Noted(platform::Fmt(kNoteNoCopy, reason));
  }

  if (platform::DialogsPort().Show(platform::DialogKind::Confirmation, "", kConfirmRemove,
                                   platform::Buttons::YesNo) != platform::kIdYes) {
    observer.Noted(kNoteDeclined);
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
  if (const auto* shared = FirstStep<install::SharedStep>(record))
    host.SetDbapiText(shown(platform::FolderPart(shared->Path)));
  return window.RunNow(kUninstallCaption,
                       [&] { return Uninstall(record, recordPath, observer, &host); });
}

}  // namespace app
