#include "install/uninstaller.h"

#include <algorithm>
#include <map>

#include "install/install_messages.h"
#include "install/progman.h"
#include "install/shared_files.h"
#include "platform/digest.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace install {
namespace {

bool Holds(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

TUninstaller::TUninstaller(std::vector<TRecordLine> lines) : lines_(std::move(lines)) {}

void TUninstaller::Note(const std::string& text) {
  if (OnNote) OnNote(text);
}

void TUninstaller::Removed(const std::string& what, const std::string& note) {
  outcome_.Removed.push_back(what);
  Note(note);
}

void TUninstaller::Failed(const std::string& what, const std::string& action,
                          const std::string& reason) {
  outcome_.Failed.push_back(what + ": " + reason);
  Note("cannot " + action + ": " + reason);
}

bool TUninstaller::RemoveFolder(const std::string& folder) {
  platform::FileSystem& files = platform::FileSystemPort();
  if (!files.DirectoryExists(folder) || !files.RemoveDirectory(folder)) return false;
  Note("removed folder " + folder);
  return true;
}

TUninstallOutcome TUninstaller::Run() {
  // Before anything goes: does another product still count a shared file? Each of our
  // installations counted it once.
  std::map<std::string, uint32_t> ours;
  for (const TRecordLine& line : lines_)
    if (line.Kind == TRecordKind::Shared) ++ours[line.Fields[0]];
  for (const auto& [path, count] : ours)
    if (SharedCount(path) > count) engineInUse_ = true;
  outcome_.EngineKept = engineInUse_;
  if (engineInUse_)
    Note("another product uses the database engine: its files, folder and values stay");

  const int total = static_cast<int>(lines_.size()) + 1;
  int done = 0;
  std::string entry;
  for (auto line = lines_.rbegin(); line != lines_.rend(); ++line) {
    switch (line->Kind) {
      case TRecordKind::File:
        RemoveFile(*line);
        break;
      case TRecordKind::Backup:
        PutBackCopy(*line);
        break;
      case TRecordKind::Shared:
        DropShared(*line);
        break;
      case TRecordKind::Value:
        RemoveValue(*line);
        break;
      case TRecordKind::Key:
        RemoveKey(*line);
        break;
      case TRecordKind::Folder:  // only when empty: what was kept keeps its folder
        if (RemoveFolder(line->Fields[0])) outcome_.Removed.push_back(line->Fields[0]);
        break;
      case TRecordKind::Group:
        RemoveGroup(*line);
        break;
      case TRecordKind::Entry:
        entry = line->Fields[0];
        break;
      case TRecordKind::Icon:     // goes with its group
      case TRecordKind::Program:  // in use: the program removes it
        break;
    }
    if (OnProgress) OnProgress(++done, total);
  }
  if (!entry.empty()) RemoveEntry(entry);
  if (OnProgress) OnProgress(total, total);
  return outcome_;
}

std::vector<std::string> TUninstaller::RemoveEmptyFolders() {
  std::vector<std::string> removed;
  for (auto line = lines_.rbegin(); line != lines_.rend(); ++line)
    if (line->Kind == TRecordKind::Folder && RemoveFolder(line->Fields[0]))
      removed.push_back(line->Fields[0]);
  return removed;
}

void TUninstaller::RemoveFile(const TRecordLine& line) {
  const std::string& path = line.Fields[0];
  const std::string key = platform::UpperAscii(path);
  if (Holds(handledFiles_, key)) return;  // recorded again by a later attempt
  handledFiles_.push_back(key);
  platform::FileSystem& files = platform::FileSystemPort();
  if (Holds(sharedKept_, key)) {
    outcome_.InUse.push_back(path);
    Note("kept " + path + ": another product uses it");
    return;
  }
  if (!files.FileExists(path)) return;
  const auto now = platform::DigestOfFile(path);
  if (!now || now->Hex() != line.Fields[2]) {
    outcome_.Changed.push_back(path);
    Note("kept because it was changed: " + path);
    return;
  }
  uint16_t attr = 0;
  if (files.GetAttributes(path, attr) && (attr & platform::kAttrReadOnly))
    files.SetAttributes(path, static_cast<uint16_t>(attr & ~platform::kAttrReadOnly));
  if (!files.Delete(path)) return Failed(path, "remove " + path, files.FailureReason());
  Removed(path, "removed " + path);
}

void TUninstaller::PutBackCopy(const TRecordLine& line) {
  const std::string &path = line.Fields[0], &copy = line.Fields[1];
  platform::FileSystem& files = platform::FileSystemPort();
  if (!files.FileExists(copy)) return;
  if (files.FileExists(path)) {
    Note("the copy of " + path + " stays at " + copy + ": the file there was kept");
    return;
  }
  if (!files.Rename(copy, path))
    return Failed(copy, "put back " + copy + " as " + path, files.FailureReason());
  outcome_.Restored.push_back(path);
  Note("put back " + path + " from " + copy);
}

void TUninstaller::DropShared(const TRecordLine& line) {
  const std::string& path = line.Fields[0];
  const uint32_t count = SharedCount(path);
  const uint32_t left = count > 0 ? count - 1 : 0;
  std::string reason;
  if (!SetSharedCount(path, left, reason))
    Failed(path + " (its count)", "lower the count of " + path, reason);
  const std::string key = platform::UpperAscii(path);
  if (left > 0) {
    if (!Holds(sharedKept_, key)) sharedKept_.push_back(key);
    Note("shared file " + path + " still counted: " + std::to_string(left));
  } else {
    Note("shared file " + path + " counted by nobody now");
  }
}

void TUninstaller::RemoveValue(const TRecordLine& line) {
  if (engineInUse_) return;
  platform::RegRoot root;
  if (!platform::RootFromName(line.Fields[0], root)) return;
  const auto key = platform::RegistryPort().Open(root, line.Fields[1]);
  if (!key) return;  // gone already
  const std::string what = line.Fields[0] + "\\" + line.Fields[1] + " " + line.Fields[2];
  platform::RegValue value;
  if (!key->Query(line.Fields[2], value)) return;
  if (!key->DeleteValue(line.Fields[2]))
    return Failed(what, "remove the value " + what, key->FailureReason());
  Removed(what, "removed the value " + what);
}

void TUninstaller::RemoveKey(const TRecordLine& line) {
  if (engineInUse_) return;
  platform::RegRoot root;
  if (!platform::RootFromName(line.Fields[0], root)) return;
  platform::Registry& registry = platform::RegistryPort();
  const std::string what = line.Fields[0] + "\\" + line.Fields[1];
  {
    const auto key = registry.Open(root, line.Fields[1]);
    if (!key) return;  // gone already
    if (!key->IsEmpty()) {
      Note("the key " + what + " stays: something else is in it");
      return;
    }
  }
  if (!registry.DeleteKey(root, line.Fields[1]))
    return Failed(what, "remove the key " + what, registry.FailureReason());
  Removed(what, "removed the key " + what);
}

void TUninstaller::RemoveGroup(const TRecordLine& line) {
  const std::string command = platform::Fmt(msg::kDeleteGroupCommand, line.Fields[0]);
  const std::string what = "Program Manager group " + line.Fields[0];
  std::string cause;
  if (ProgManExecute(command, cause) != 0) return Failed(what, "remove the " + what, cause);
  Removed(what,
          "Program Manager command " + command.substr(0, command.size() - 2) + " handed over");
}

void TUninstaller::RemoveEntry(const std::string& key) {
  platform::Registry& registry = platform::RegistryPort();
  if (!registry.Open(platform::RegRoot::LocalMachine, key)) return;
  const std::string what =
      std::string(platform::RootName(platform::RegRoot::LocalMachine)) + "\\" + key;
  if (!registry.DeleteKey(platform::RegRoot::LocalMachine, key))
    return Failed(what, "remove the uninstall entry " + what, registry.FailureReason());
  Removed(what, "removed the uninstall entry " + what);
}

}  // namespace install
