#include "install/install.h"

#include "install/dbengine.h"
#include "install/install_item.h"
#include "install/install_messages.h"
#include "install/registry.h"
#include "install/run_observer.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/shell.h"
#include "platform/shortstring.h"
#include "platform/system.h"
#include "platform/text.h"

namespace install {

TInstall::TInstall(platform::TComponent* AOwner) : platform::TComponent(AOwner) { DiscoverPaths(); }

TInstall::~TInstall() { ShowProgMan(platform::kSwRestore); }

void TInstall::SetSourceDir(const std::string& value) { sourceDir_ = platform::ShortString(value); }
void TInstall::SetDbapiConfigFile(const std::string& value) {
  dbapiConfigFile_ = platform::ShortString(value);
}
void TInstall::SetDbapiDir(const std::string& value) { dbapiDir_ = platform::ShortString(value); }
void TInstall::SetOlapiPath(const std::string& value) { olapiPath_ = platform::ShortString(value); }
void TInstall::SetWindowsDir(const std::string& value) {
  windowsDir_ = platform::ShortString(value);
}
void TInstall::SetSystemDir(const std::string& value) { systemDir_ = platform::ShortString(value); }
void TInstall::SetCommonFilesDir(const std::string& value) {
  commonFilesDir_ = platform::ShortString(value);
}
void TInstall::SetSharedFilesDir(const std::string& value) {
  sharedFilesDir_ = platform::ShortString(value);
}

// Paths from the system, then from the registry where its keys can be opened; a key
// that opens replaces its fields even with empty text when a value is missing.
void TInstall::DiscoverPaths() {
  CurrentDisk = 1;
  taskCountValid_ = false;
  taskCount_ = 0;
  items_.clear();

  platform::SystemFolders& folders = platform::SystemFoldersPort();
  SetSourceDir(platform::FolderPart(folders.ProgramPath()));
  SetWindowsDir(folders.WindowsDirectory());
  SetSystemDir(folders.SystemDirectory());
  SetCommonFilesDir(JoinPath(windowsDir_, "Common Files"));

  TRegistry reg;
  reg.SetRootKey(platform::RegRoot::LocalMachine);
  if (reg.OpenKey("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion", false)) {
    SetCommonFilesDir(reg.ReadString("CommonFilesDir"));
    reg.CloseKey();
  }
  SetDbapiDir(JoinPath(commonFilesDir_, "Ondrel Shared\\ODE"));
  SetDbapiConfigFile(JoinPath(dbapiDir_, "DBAPI32.CFG"));
  SetOlapiPath(dbapiDir_);
  if (reg.OpenKey(kDatabaseEngineKey, false)) {
    SetDbapiDir(reg.ReadString("DLLPath"));
    SetDbapiConfigFile(reg.ReadString("CONFIGFILE01"));
    reg.CloseKey();
  }
  if (reg.OpenKey(kOlw32Key, false)) {
    SetOlapiPath(reg.ReadString("OLAPIPATH"));
    reg.CloseKey();
  }
  if (reg.OpenKey("\\SOFTWARE\\Microsoft\\Shared Tools", false)) {
    SetSharedFilesDir(reg.ReadString("SharedFilesDir"));
    reg.CloseKey();
  }
  if (sharedFilesDir_.empty()) SetSharedFilesDir(JoinPath(commonFilesDir_, "Microsoft Shared"));
}

void TInstall::AddItem(TInstallItem& Item) {
  taskCountValid_ = false;
  items_.push_back({Item.Title, &Item});
  Item.Engine = this;
}

bool TInstall::Execute() {
  CurrentDisk = 1;
  if (BeforeExecute) BeforeExecute(this, TaskCount());
  bool result = true;
  for (const ListedItem& listed : items_) {
    result = listed.Item->Execute(false);
    if (!result) break;
  }
  if (AfterExecute)
    AfterExecute(this, result);
  else if (result)
    platform::DialogsPort().Show(platform::DialogKind::Information, "", msg::kCompleted,
                                 platform::Buttons::Ok);
  else
    platform::DialogsPort().Show(platform::DialogKind::Error, "", msg::kCanceled,
                                 platform::Buttons::Ok);
  return result;
}

int32_t TInstall::TaskCount() {
  if (taskCountValid_) return taskCount_;
  taskCount_ = 0;
  for (const ListedItem& listed : items_) listed.Item->Execute(true);
  taskCountValid_ = true;
  return taskCount_;
}

namespace {

// "\DISK%d\" for a disk, at most 10 characters.
std::string DiskTag(int32_t disk) { return platform::Fmt(msg::kDiskTag, disk).substr(0, 10); }

}  // namespace

bool TInstall::ChangeDisk(int32_t diskNum, const std::string& diskFileID) {
  bool ok = true;
  const std::string oldTag = DiskTag(CurrentDisk), newTag = DiskTag(diskNum);
  const std::size_t n = oldTag.size();
  if (sourceDir_.size() >= n &&
      platform::SameFolded(sourceDir_.substr(sourceDir_.size() - n), oldTag))
    SetSourceDir(sourceDir_.substr(0, sourceDir_.size() - n) + newTag);
  for (;;) {
    if (!ok) break;
    if (platform::FileSystemPort().FileExists(JoinPath(sourceDir_, diskFileID))) break;
    Observer().DiskWanted(diskNum, diskFileID, sourceDir_);
    const int answer = platform::DialogsPort().Show(platform::DialogKind::Warning, "",
                                                    platform::Fmt(msg::kInsertDisk, diskNum),
                                                    platform::Buttons::OkCancel);
    if (answer == platform::kIdCancel &&
        platform::DialogsPort().Show(platform::DialogKind::Confirmation, "", msg::kConfirmTerminate,
                                     platform::Buttons::YesNo) == platform::kIdYes)
      ok = false;
  }
  CurrentDisk = diskNum;
  return ok;
}

TRunObserver& NoObserver() {
  static TRunObserver nobody;
  return nobody;
}

void TInstall::ShowProgMan(int cmdShow) {
  platform::ShellPort().ShowWindowOfClass("PROGMAN", cmdShow);
}

}  // namespace install
