#include "app/core/install_recorder.h"

#include <exception>

#include "install/shared_files.h"
#include "pack/lfiles.h"
#include "platform/digest.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/le_bytes.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace app {
namespace {

// `path` lies in `folder` (compared as the system compares names); `relative` gets the rest.
bool Below(const std::string& path, const std::string& folder, std::string& relative) {
  if (folder.empty()) return false;
  std::string base = folder;
  if (!platform::IsSeparator(base.back())) base += '\\';
  if (path.size() <= base.size() || !platform::SameFolded(path.substr(0, base.size()), base))
    return false;
  relative = path.substr(base.size());
  return true;
}

std::string WithSeparator(const std::string& folder) {
  return !folder.empty() && platform::IsSeparator(folder.back()) ? folder : folder + "\\";
}

std::vector<uint8_t> Text(const std::string& text) { return platform::ZeroTerminated(text); }
std::vector<uint8_t> Number(uint32_t value) {
  std::vector<uint8_t> data;
  platform::le::Put32(data, value);
  return data;
}

}  // namespace

TInstallRecorder::TInstallRecorder(TInstallerObserver& report, std::string programPath)
    : report_(report), program_(std::move(programPath)) {}

TInstallRecorder::~TInstallRecorder() = default;

void TInstallRecorder::FoldersChosen(const std::string& target, const std::string& dbapi) {
  target_ = target;
  dbapi_ = dbapi;
}

void TInstallRecorder::Add(install::TRecordKind kind, const std::vector<std::string>& fields) {
  if (!record_) return;
  try {
    record_->Add(kind, fields);
  } catch (const std::exception& e) {
    if (!recordFailed_) report_.Noted("uninstall record: " + platform::Describe(e));
    recordFailed_ = true;
  }
}

void TInstallRecorder::MakeFolders(const std::string& path) {
  for (const std::string& part : pack::MissingFolders(path)) {
    if (!platform::FileSystemPort().CreateDirectory(part)) return;
    pendingFolders_.push_back(part);
  }
}

void TInstallRecorder::InstallationStarting() {
  // The record lives in the application folder, which is made first if need be.
  MakeFolders(target_);
  const std::string path = WithSeparator(target_) + kRecordName;
  try {
    record_ = std::make_unique<install::TUninstallRecordWriter>(path);
  } catch (const std::exception& e) {
    report_.Noted("uninstall record: " + platform::Describe(e) +
                  "; the installation is not recorded");
  }
  for (const std::string& folder : pendingFolders_) Add(install::TRecordKind::Folder, {folder});
  pendingFolders_.clear();
  if (!record_) return;
  report_.Noted("uninstall record: " + path);
  CopyUninstaller();
  WriteEntry();
}

void TInstallRecorder::InstallationEnded(int) {
  if (record_) WriteEntry();  // with the size of what was installed
  record_.reset();
}

void TInstallRecorder::CopyUninstaller() {
  const std::string copy = WithSeparator(target_) + kUninstallerName;
  platform::FileSystem& files = platform::FileSystemPort();
  if (platform::SameFolded(files.FullPath(program_), files.FullPath(copy))) return;
  std::string reason;
  files.Delete(copy);  // an older installation's
  if (!platform::CopyFileTo(program_, copy, reason)) {
    report_.Noted("the uninstaller cannot be copied: " + reason);
    return;
  }
  Add(install::TRecordKind::Program, {copy});
  report_.Noted("uninstaller: " + copy);
}

void TInstallRecorder::WriteEntry() {
  platform::Registry& registry = platform::RegistryPort();
  const std::string key = kUninstallEntryKey;
  const std::string full =
      std::string(platform::RootName(platform::RegRoot::LocalMachine)) + "\\" + key;
  auto entry = registry.Create(platform::RegRoot::LocalMachine, key);
  if (!entry) {
    report_.Noted("the uninstall entry " + full + " cannot be made: " + registry.FailureReason());
    return;
  }
  const std::string uninstaller =
      platform::Quoted(WithSeparator(target_) + kUninstallerName) + " /UNINSTALL";
  const struct {
    const char* name;
    platform::RegType type;
    std::vector<uint8_t> data;
  } values[] = {
      {"DisplayName", platform::RegType::Sz, Text(kDisplayName)},
      {"UninstallString", platform::RegType::Sz, Text(uninstaller)},
      {"QuietUninstallString", platform::RegType::Sz, Text(uninstaller + " /S")},
      {"InstallLocation", platform::RegType::Sz, Text(target_)},
      {"DisplayIcon", platform::RegType::Sz, Text(WithSeparator(target_) + "QEN2005.EXE")},
      {"Publisher", platform::RegType::Sz, Text(kPublisher)},
      {"DisplayVersion", platform::RegType::Sz, Text(kDisplayVersion)},
      {"EstimatedSize", platform::RegType::Dword,
       Number(static_cast<uint32_t>((installedBytes_ + 1023) / 1024))},
      {"NoModify", platform::RegType::Dword, Number(1)},
      {"NoRepair", platform::RegType::Dword, Number(1)},
  };
  for (const auto& v : values) {
    const bool ok = entry->Set(v.name, v.type, v.data);
    report_.RegistryValueWritten(full, v.name, v.type, v.data, ok,
                                 ok ? std::string() : entry->FailureReason());
  }
  if (!entryRecorded_) Add(install::TRecordKind::Entry, {key});
  entryRecorded_ = true;
}

void TInstallRecorder::FolderCreated(const std::string& folder) {
  Add(install::TRecordKind::Folder, {folder});
}

std::string TInstallRecorder::BackupPathFor(const std::string& path) {
  std::string relative, base;
  if (Below(path, dbapi_, relative)) {
    std::string folder = dbapi_;
    while (!folder.empty() && platform::IsSeparator(folder.back())) folder.pop_back();
    base = folder + ".BACKUP\\";
  } else {
    if (!Below(path, target_, relative)) relative = path.substr(platform::FolderPart(path).size());
    base = WithSeparator(target_) + "BACKUP\\";
  }
  std::string copy = base + relative;
  for (int n = 1; platform::FileSystemPort().FileExists(copy); ++n)
    copy = base + relative + "." + std::to_string(n);
  return copy;
}

void TInstallRecorder::FilePlacing(const std::string& path, const platform::TDigest128& digest,
                                   int64_t) {
  if (!platform::FileSystemPort().FileExists(path)) return;
  const auto older = platform::DigestOfFile(path);
  if (older && *older == digest) return;  // the same content: nothing is lost
  // Another content is about to replace it: a copy is kept first, or it is not replaced.
  const std::string copy = BackupPathFor(path);
  MakeFolders(platform::FolderPart(copy));
  for (const std::string& folder : pendingFolders_) Add(install::TRecordKind::Folder, {folder});
  pendingFolders_.clear();
  std::string reason;
  if (!platform::CopyFileTo(path, copy, reason))
    throw platform::EInOutError("Cannot keep a copy of " + path + " before it is replaced", reason);
  Add(install::TRecordKind::Backup, {path, copy});
  report_.Noted("kept a copy of " + path + " as " + copy + " (it is replaced)");
}

void TInstallRecorder::FilePlaced(const std::string& path, const platform::TDigest128& digest,
                                  int64_t size) {
  Add(install::TRecordKind::File, {path, std::to_string(size), digest.Hex()});
  installedBytes_ += size;
  std::string relative;
  // The database engine's files are shared by every product that uses the engine.
  if (!Below(path, dbapi_, relative) || !shared_.insert(platform::UpperAscii(path)).second) return;
  std::string reason;
  const uint32_t count = install::SharedCount(path) + 1;
  if (!install::SetSharedCount(path, count, reason)) {
    report_.Noted("shared file " + path + ": its count cannot be raised (" + reason + ")");
    return;
  }
  Add(install::TRecordKind::Shared, {path});
  report_.Noted("shared file " + path + " counted: " + std::to_string(count));
}

void TInstallRecorder::KeyCreated(const std::string& root, const std::string& path) {
  if (createdKeys_.insert(platform::UpperAscii(root + "\\" + path)).second)
    Add(install::TRecordKind::Key, {root, path});
}

void TInstallRecorder::RegistryValueWritten(const std::string& key, const std::string& name,
                                            platform::RegType, const std::vector<uint8_t>&, bool ok,
                                            const std::string&) {
  const std::size_t cut = key.find('\\');
  if (!ok || cut == std::string::npos) return;
  const bool existed = createdKeys_.count(platform::UpperAscii(key)) == 0;
  Add(install::TRecordKind::Value,
      {key.substr(0, cut), key.substr(cut + 1), name, existed ? "1" : "0"});
}

void TInstallRecorder::GroupCreated(const std::string& name) {
  lastGroup_ = name;
  Add(install::TRecordKind::Group, {name});
}

void TInstallRecorder::IconCreated(const std::string& caption, const std::string& programPath) {
  Add(install::TRecordKind::Icon, {lastGroup_, caption, programPath});
}

}  // namespace app
