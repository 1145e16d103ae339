// The operations of the installation's record of itself, each in the operation frame:
// a step that cannot be done is retried, ignored or ends the run like any other failure.
// What each step does is in its step's file (step_*.cpp).
#include "install/install_item.h"
#include "install/install_messages.h"
#include "install/install_record.h"
#include "platform/format.h"

namespace install {
namespace {

using TAttemptOf = std::function<bool(std::string& cause)>;

// An attempt that runs `step`; what it raises is the failure and its cause.
TAttemptOf Doing(const std::function<void()>& step) {
  return [step](std::string&) {
    step();
    return true;
  };
}

}  // namespace

bool TInstallItem::MakeFolder(const std::string& folder, const std::string& dataFolder) {
  InstallRecord* record = Record();
  if (!record) return true;
  return Operate(platform::Fmt(msg::kCreatingFolder, folder),
                 platform::Fmt(msg::kCreateFolderError, folder),
                 [&] { return Doing([&] { record->MakeApplicationFolder(folder, dataFolder); }); });
}

bool TInstallItem::OpenRecord(const std::string& path) {
  InstallRecord* record = Record();
  if (!record) return true;
  return Operate(platform::Fmt(msg::kOpeningRecord, path),
                 platform::Fmt(msg::kOpenRecordError, path),
                 [&] { return Doing([&] { record->Open(path); }); });
}

bool TInstallItem::CopyUninstaller(const std::string& program, const std::string& copy) {
  InstallRecord* record = Record();
  if (!record || (!Counting && !record->IsOpen())) return true;
  return Operate(platform::Fmt(msg::kCopyingUninstaller, copy),
                 platform::Fmt(msg::kCopyUninstallerError, copy),
                 [&] { return Doing([&] { record->CopyProgram(program, copy); }); });
}

bool TInstallItem::RegisterUninstallEntry(const UninstallEntry& entry) {
  InstallRecord* record = Record();
  if (!record || (!Counting && !record->IsOpen())) return true;
  return Operate(platform::Fmt(msg::kRegisteringEntry, entry.DisplayName),
                 platform::Fmt(msg::kRegisterEntryError, entry.DisplayName),
                 [&] { return Doing([&] { record->WriteEntry(entry); }); });
}

}  // namespace install
