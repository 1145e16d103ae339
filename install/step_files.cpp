// The file steps: a copy kept of what a member replaces, the member's content in place,
// and how both are undone.
#include "install/install_messages.h"
#include "install/install_record.h"
#include "install/step_undo.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace install {
namespace {

std::string WithSeparator(const std::string& folder) {
  return !folder.empty() && platform::IsSeparator(folder.back()) ? folder : folder + "\\";
}

// Where a copy of the file at `path` is kept: beside the engine's folder for its files,
// in BACKUP\ in the application folder for the others; a name not used yet.
std::string BackupPathFor(const std::string& path, const std::string& target,
                          const std::string& dbapi) {
  std::string relative, base;
  if (PathBelow(path, dbapi, relative)) {
    std::string folder = dbapi;
    while (!folder.empty() && platform::IsSeparator(folder.back())) folder.pop_back();
    base = folder + ".BACKUP\\";
  } else {
    if (!PathBelow(path, target, relative))
      relative = path.substr(platform::FolderPart(path).size());
    base = WithSeparator(target) + "BACKUP\\";
  }
  std::string copy = base + relative;
  for (int n = 1; platform::FileSystemPort().FileExists(copy); ++n)
    copy = base + relative + "." + std::to_string(n);
  return copy;
}

}  // namespace

void InstallRecord::KeepCopy(const std::string& path, const platform::TDigest128& digest) {
  if (!platform::FileSystemPort().FileExists(path)) return;
  const auto older = platform::DigestOfFile(path);
  if (older && *older == digest) return;  // the same content: nothing is lost
  // Another content is about to replace it: a copy is kept first, or it is not replaced.
  const std::string copy = BackupPathFor(path, target_, dbapi_);
  MakeFolders(platform::FolderPart(copy));
  std::string reason;
  if (!platform::CopyFileTo(path, copy, reason))
    throw platform::EInOutError(platform::Fmt(msg::kCannotKeepCopy, path), reason);
  Add(BackupStep{path, copy});
  Note(platform::Fmt(msg::kNoteKeptCopy, path, copy));
}

void InstallRecord::FilePlaced(const std::string& path, const platform::TDigest128& digest,
                               int64_t size) {
  Add(FileStep{path, size, digest});
  installedBytes_ += size;
  // The database engine's files are shared by every product that uses the engine.
  std::string relative;
  if (PathBelow(path, dbapi_, relative)) CountShared(path);
}

void Undo(const FileStep& step, UndoContext& context) {
  const std::string& path = step.Path;
  if (!context.FirstTime(path)) return;  // recorded again by a later attempt
  platform::FileSystem& files = platform::FileSystemPort();
  if (context.SharedKept(path)) {
    context.Outcome.InUse.push_back(path);
    context.Note(platform::Fmt(msg::kNoteKeptInUse, path));
    return;
  }
  if (!files.FileExists(path)) return;
  // A file a program holds open without letting others read it cannot be checked: it
  // stays, named with the reason, rather than go unchecked (it may hold the user's data).
  auto file = files.Open(path, platform::Access::Read, platform::Share::ReadWrite,
                         platform::Disposition::OpenExisting);
  if (!file)
    return context.Failed(path, platform::Fmt(msg::kActionCheck, path), files.FailureReason());
  const auto now = platform::DigestOfFile(*file);
  file.reset();
  if (!now || *now != step.Digest) {
    context.Outcome.Changed.push_back(path);
    context.Note(platform::Fmt(msg::kNoteKeptChanged, path));
    return;
  }
  uint16_t attr = 0;
  if (files.GetAttributes(path, attr) && (attr & platform::kAttrReadOnly))
    files.SetAttributes(path, static_cast<uint16_t>(attr & ~platform::kAttrReadOnly));
  if (files.Delete(path)) return context.Removed(path, platform::Fmt(msg::kNoteRemoved, path));
  // Held open by a running program: removed when the system next starts.
  const std::string reason = files.FailureReason();
  if (!platform::ShellPort().DeleteAtRestart(path))
    return context.Failed(path, platform::Fmt(msg::kActionRemove, path), reason);
  context.Outcome.AtRestart.push_back(path);
  context.Note(platform::Fmt(msg::kNoteAtRestart, path, reason));
}

void Undo(const BackupStep& step, UndoContext& context) {
  const std::string &path = step.Path, &copy = step.Copy;
  platform::FileSystem& files = platform::FileSystemPort();
  if (!files.FileExists(copy)) return;
  if (files.FileExists(path)) {
    context.Note(platform::Fmt(msg::kNoteCopyStays, path, copy));
    return;
  }
  if (!files.Rename(copy, path))
    return context.Failed(copy, platform::Fmt(msg::kActionPutBack, copy, path),
                          files.FailureReason());
  context.Outcome.Restored.push_back(path);
  context.Note(platform::Fmt(msg::kNotePutBack, path, copy));
}

}  // namespace install
