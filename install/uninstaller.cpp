#include "install/uninstaller.h"

#include <map>

#include "install/install_messages.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/shell.h"

namespace install {

TUninstaller::TUninstaller(std::vector<RecordStep> steps)
    : steps_(std::move(steps)), context_([this](const std::string& text) {
        if (OnNote) OnNote(text);
      }) {}

TUninstallOutcome TUninstaller::Run() {
  // Before anything goes: does another product still count a shared file? Each of our
  // installations counted it once.
  std::map<std::string, uint32_t> ours;
  for (const RecordStep& step : steps_)
    if (const auto* shared = std::get_if<SharedStep>(&step)) ++ours[shared->Path];
  for (const auto& [path, count] : ours)
    if (SharedCount(path) > count) context_.EngineInUse = true;
  context_.Outcome.EngineKept = context_.EngineInUse;
  if (context_.EngineInUse) context_.Note(msg::kNoteEngineInUse);

  const int total = static_cast<int>(steps_.size()) + 1;
  int done = 0;
  const EntryStep* entry = nullptr;
  for (auto step = steps_.rbegin(); step != steps_.rend(); ++step) {
    if (const auto* e = std::get_if<EntryStep>(&*step))
      entry = e;                                           // goes last
    else if (!std::holds_alternative<ProgramStep>(*step))  // in use: goes in Finish
      std::visit([this](const auto& s) { Undo(s, context_); }, *step);
    if (OnProgress) OnProgress(++done, total);
  }
  if (entry) Undo(*entry, context_);
  if (OnProgress) OnProgress(total, total);
  return context_.Outcome;
}

TUninstallOutcome TUninstaller::Finish(const std::string& recordPath) {
  for (const RecordStep& step : steps_)
    if (const auto* program = std::get_if<ProgramStep>(&step)) Undo(*program, context_);
  platform::FileSystem& files = platform::FileSystemPort();
  if (files.Delete(recordPath))
    context_.Note(platform::Fmt(msg::kNoteRemovedRecord, recordPath));
  else
    context_.Failed(recordPath, platform::Fmt(msg::kActionRemoveRecord, recordPath),
                    files.FailureReason());
  for (auto step = steps_.rbegin(); step != steps_.rend(); ++step)
    if (const auto* folder = std::get_if<FolderStep>(&*step))
      if (!RemoveEmptyFolder(folder->Path, context_)) FolderAtRestart(folder->Path);
  return context_.Outcome;
}

void TUninstaller::FolderAtRestart(const std::string& folder) {
  // A folder that holds a file removed at the next restart goes after it (the system
  // takes them in the order given, the files first), when it exists still.
  if (!platform::FileSystemPort().DirectoryExists(folder)) return;
  for (const std::string& file : context_.Outcome.AtRestart)
    if (WithinFolder(file, folder)) {
      if (platform::ShellPort().DeleteAtRestart(folder))
        context_.Note(platform::Fmt(msg::kNoteFolderAtRestart, folder));
      return;
    }
}

}  // namespace install
