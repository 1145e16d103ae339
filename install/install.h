// TInstall: the install engine. At construction it finds the folders an installation
// needs (the package source folder, the Windows and system directories, the common and
// shared files directories, and the database engine's directory, configuration file
// and OLAPI path). It keeps the ordered list of install items the installation script
// registers, runs them one after another until one fails, moves the source folder from
// one disk folder to the next (\DISK1\ -> \DISK2\) asking for the disk until its file is
// there, counts the tasks a run would perform, and restores the Program Manager window
// when it is destroyed. The items do the real work (install_item.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/component.h"
#include "platform/paths.h"

namespace install {

class TInstallItem;
class TRunObserver;
class InstallRecord;
TRunObserver& NoObserver();

using TInstallBefore = std::function<void(platform::TObject* Sender, int32_t TaskCount)>;
using TInstallAfter = std::function<void(platform::TObject* Sender, bool Success)>;

// dir and name with one `\` between them, unless dir is empty (name alone) or already
// ends with `\`; a leading `\` of name stays (platform/paths.h, beside the package
// engine's CombinePath).
using platform::JoinPath;

class TInstall : public platform::TComponent {
 public:
  // Discovers the paths. A registry value of the wrong type raises ERegistryException
  // ("Invalid data type for '%s'"), which construction does not catch.
  explicit TInstall(platform::TComponent* AOwner);
  ~TInstall() override;

  // Registers an item to run after those registered before; the item's Engine becomes
  // this engine. The item stays the caller's.
  void AddItem(TInstallItem& Item);
  // Runs every item in order until one fails; then tells BeforeExecute/AfterExecute or
  // shows "Installation completed with success" / "Installation canceled". True when
  // every item succeeded.
  bool Execute();
  // Tasks a run would perform, counted by running every item in counting mode; counted
  // once until the next AddItem.
  int32_t TaskCount();
  // Moves SourceDir to the folder of disk diskNum and asks for the disk until
  // diskFileID is found there. False when the user gave up. CurrentDisk becomes diskNum
  // in either case.
  virtual bool ChangeDisk(int32_t diskNum, const std::string& diskFileID);
  // Applies a show command to the Program Manager window, if there is one.
  void ShowProgMan(int cmdShow);

  // Called by items in counting mode, one per task.
  void CountTask() { ++taskCount_; }

  // Who is told of the run as it goes (run_observer.h); nobody unless set. Not owned.
  TRunObserver& Observer() const;
  void SetObserver(TRunObserver* observer) { observer_ = observer; }
  // The installation's record of itself (install_record.h), which the items' operations
  // write their steps through; none unless set, and then nothing is recorded. Not owned.
  InstallRecord* Record() const { return record_; }
  void SetRecord(InstallRecord* record) { record_ = record; }

  // ---- paths (each at most 255 characters; longer values are cut) ----
  const std::string& SourceDir() const { return sourceDir_; }
  void SetSourceDir(const std::string& value);
  const std::string& DbapiConfigFile() const { return dbapiConfigFile_; }
  void SetDbapiConfigFile(const std::string& value);
  const std::string& DbapiDir() const { return dbapiDir_; }
  void SetDbapiDir(const std::string& value);
  const std::string& OlapiPath() const { return olapiPath_; }
  void SetOlapiPath(const std::string& value);
  const std::string& WindowsDir() const { return windowsDir_; }
  void SetWindowsDir(const std::string& value);
  const std::string& SystemDir() const { return systemDir_; }
  void SetSystemDir(const std::string& value);
  const std::string& CommonFilesDir() const { return commonFilesDir_; }
  void SetCommonFilesDir(const std::string& value);
  const std::string& SharedFilesDir() const { return sharedFilesDir_; }
  void SetSharedFilesDir(const std::string& value);

  // Number of the disk whose folder SourceDir names.
  int32_t CurrentDisk = 1;
  // Registered items in run order, with the titles they had when added.
  struct ListedItem {
    std::string Title;
    TInstallItem* Item;
  };
  const std::vector<ListedItem>& Items() const { return items_; }
  bool TaskCountValid() const { return taskCountValid_; }

  // ---- published events ----
  TInstallBefore BeforeExecute;
  TInstallAfter AfterExecute;

 private:
  void DiscoverPaths();

  std::string sourceDir_, dbapiConfigFile_, dbapiDir_, olapiPath_;
  std::string windowsDir_, systemDir_, commonFilesDir_, sharedFilesDir_;
  bool taskCountValid_ = false;
  int32_t taskCount_ = 0;
  std::vector<ListedItem> items_;
  TRunObserver* observer_ = nullptr;
  InstallRecord* record_ = nullptr;
};

inline TRunObserver& TInstall::Observer() const { return observer_ ? *observer_ : NoObserver(); }

}  // namespace install
