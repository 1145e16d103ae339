#include "app/core/uninstall.h"

#include "app/core/script.h"
#include "app/core/uninstall_messages.h"
#include "install/dbengine.h"
#include "install/record_scope.h"
#include "install/uninstall_record.h"
#include "install/uninstaller.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/registry.h"
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

// A copy of `program` in a folder of the temporary folder made for it alone (no name
// anyone could plant beside it: the copy loads what lies in its own folder first);
// empty when none could be made. `folder` gets the folder.
std::string CopyToTemp(const std::string& program, std::string& folder, std::string& reason) {
  platform::TempFiles& temp = platform::TempFilesPort();
  const std::string dir = temp.Directory();
  folder = dir.empty() ? std::string() : temp.CreatePrivateDirectory(dir, "QUN");
  if (folder.empty()) {
    reason = platform::Fmt(kNoTempFolder, dir);
    return {};
  }
  // Nobody but administrators may change what runs with their rights (a file system
  // without access lists keeps the folder's own).
  platform::FileSystemPort().SetAccess(folder, platform::AccessRule::UsersReadExecute);
  const std::string copy = folder + kUninstallerName;
  if (platform::CopyFileTo(program, copy, reason)) return copy;
  temp.RemovePrivateDirectory(folder);
  return {};
}

// The copy and its folder, once it has ended.
void RemoveCopy(const std::string& copy, const std::string& folder, TInstallerObserver& observer) {
  platform::Shell& shell = platform::ShellPort();
  if (!platform::FileSystemPort().Delete(copy)) {
    shell.DeleteAtRestart(copy);
    observer.Noted(platform::Fmt(kNoteCopyAtRestart, copy));
  }
  if (!platform::TempFilesPort().RemovePrivateDirectory(folder)) {
    std::string path = folder;
    if (!path.empty() && platform::IsSeparator(path.back())) path.pop_back();
    shell.DeleteAtRestart(path);
  }
}

// What an installation of this product can have made, for the record at `recordPath`:
// its lines must lie there (install/record_scope.h).
install::RecordScope ProductScope(const install::UninstallRecord& record,
                                  const std::string& recordPath) {
  install::RecordScope scope;
  scope.Application = platform::FolderPart(recordPath);
  if (record.Version < 2) {
    // A first-version record names no engine folder: the product's own value does.
    std::string paths;
    if (const auto key = platform::RegistryPort().Open(platform::RegRoot::LocalMachine,
                                                       install::kDatabaseEngineKey)) {
      platform::RegValue value;
      if (key->Query("DLLPATH", value) && value.Type == platform::RegType::Sz)
        paths = platform::TextBeforeZero(value.Data);
    }
    const std::string first = paths.substr(0, paths.find(';'));
    if (!first.empty()) scope.Engines.push_back(first);
  }
  scope.RegistryKeys = {install::kDatabaseEngineKey, install::kOlw32Key};
  scope.EntryKey = kUninstallEntryKey;
  for (const bool allUsers : {true, false}) {
    const std::string menu = platform::SystemFoldersPort().ProgramsMenu(allUsers);
    if (!menu.empty()) scope.MenuFolders.push_back(menu);
  }
  scope.Group = kGroupName;
  scope.Captions.assign(kIconCaptions.begin(), kIconCaptions.end());
  return scope;
}

// The record at `recordPath`, refused as damaged when a line lies outside what the
// installation made.
install::UninstallRecord ReadRecord(const std::string& recordPath) {
  install::UninstallRecord record = install::ReadUninstallRecord(recordPath);
  if (record.State != install::RecordState::Valid) return record;
  const std::string outside = install::LineOutside(record.Steps, ProductScope(record, recordPath));
  if (!outside.empty()) {
    record.State = install::RecordState::Damaged;
    record.Steps.clear();
    record.Problem = outside;
  }
  return record;
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
  const bool restart = !outcome.AtRestart.empty();
  std::string text = !complete ? kNotRemoved : restart ? kRemovedAtRestart : kRemoved;
  text += Lines(kKeptChanged, outcome.Changed);
  text += Lines(kKeptInUse, outcome.InUse);
  text += Lines(kPutBack, outcome.Restored);
  text += Lines(kAtRestart, outcome.AtRestart);
  text += Lines(kCouldNotRemove, outcome.Failed);
  platform::DialogsPort().Show(
      complete ? platform::DialogKind::Information : platform::DialogKind::Error, "", text,
      platform::Buttons::Ok);
  return !complete ? kExitCanceled : restart ? kExitRestartNeeded : kExitCompleted;
}

}  // namespace

int RunUninstaller(const TInstallOptions& options, TWindowRunner& window,
                   TInstallerObserver& observer) {
  const std::string program = platform::SystemFoldersPort().ProgramPath();
  const bool isCopy = !options.RecordPath.empty();
  const std::string recordPath =
      isCopy ? options.RecordPath : platform::FolderPart(program) + kRecordName;
  const install::UninstallRecord record = ReadRecord(recordPath);
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
    std::string reason, folder;
    const std::string copy = CopyToTemp(program, folder, reason);
    if (!copy.empty()) {
      const std::string command =
          platform::Quoted(copy) + " /UNINSTALL " + platform::Quoted("/RECORD=" + recordPath) +
          (options.Silent ? " /S" : "") +
          (options.LogPath.empty() ? "" : " " + platform::Quoted("/LOG=" + options.LogPath));
      observer.Noted(platform::Fmt(kNoteRunningCopy, command));
      const int code = platform::ShellPort().RunAndWait(command);
      RemoveCopy(copy, folder, observer);
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
  return window.RunNow({kUninstallCaption, kRemoveButton, kExitRemovalButton},
                       [&] { return Uninstall(record, recordPath, observer, &host); });
}

}  // namespace app
