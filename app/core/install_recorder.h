// The installation's record of itself: as the run goes, every step that put something on
// the machine goes into the uninstall record in the application folder (UNINSTAL.DAT,
// install/uninstall_record.h); the uninstaller is copied beside it as Uninstall.exe and
// the installation is registered with the system's list of installed programs. The
// database engine's files are counted as shared files, and a file the run replaces with
// other content is first kept: copied into a backup folder, the copy recorded.
//
// What it cannot record it says to `report` (the log) and the installation goes on,
// except a copy that cannot be kept: then the file is not replaced.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/core/installer_observer.h"
#include "install/uninstall_record.h"

namespace app {

// The uninstall entry, below HKEY_LOCAL_MACHINE.
inline constexpr const char* kUninstallEntryKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QEN2005";
inline constexpr const char* kRecordName = "UNINSTAL.DAT";
inline constexpr const char* kUninstallerName = "Uninstall.exe";
inline constexpr const char* kDisplayName = "QEN 2005";
inline constexpr const char* kPublisher = "Instituto Tavo";
inline constexpr const char* kDisplayVersion = "2005";

class TInstallRecorder final : public TInstallerObserver {
 public:
  // `programPath`: the running program, copied as the uninstaller.
  TInstallRecorder(TInstallerObserver& report, std::string programPath);
  ~TInstallRecorder() override;

  void FoldersChosen(const std::string& target, const std::string& dbapi) override;
  void InstallationStarting() override;
  void InstallationEnded(int exitCode) override;

  void FolderCreated(const std::string& folder) override;
  void FilePlacing(const std::string& path, const platform::TDigest128& digest,
                   int64_t size) override;
  void FilePlaced(const std::string& path, const platform::TDigest128& digest,
                  int64_t size) override;
  void KeyCreated(const std::string& root, const std::string& path) override;
  void RegistryValueWritten(const std::string& key, const std::string& name, platform::RegType type,
                            const std::vector<uint8_t>& data, bool ok,
                            const std::string& reason) override;
  void GroupCreated(const std::string& name) override;
  void IconCreated(const std::string& caption, const std::string& programPath) override;

 private:
  void Add(install::TRecordKind kind, const std::vector<std::string>& fields);
  // Makes the folders of `path` that are missing, outermost first, recording each.
  void MakeFolders(const std::string& path);
  void CopyUninstaller();
  // The uninstall entry's values, with the estimated size of what was installed.
  void WriteEntry();
  // Where a copy of the file at `path` is kept: a backup folder in the application
  // folder, or beside the engine's folder for its files; a name not used yet.
  std::string BackupPathFor(const std::string& path);

  TInstallerObserver& report_;
  std::string program_, target_, dbapi_;
  std::unique_ptr<install::TUninstallRecordWriter> record_;
  bool recordFailed_ = false, entryRecorded_ = false;
  std::vector<std::string> pendingFolders_;  // made before the record could be opened
  std::set<std::string> createdKeys_, shared_;
  std::string lastGroup_;
  int64_t installedBytes_ = 0;
};

}  // namespace app
