// What a run of the install engine tells whoever keeps a record of it (the installation
// log): each item as it starts and ends, each operation's status and outcome with the
// cause of a failure beside the fixed message the user sees, each disk asked for, each
// registry value written and each Program Manager command sent. The events add nothing
// to what the items' own events (BeforeExecute, AfterExecute) mean; they run beside them.
//
// The base class does nothing: it is the observer of a run that nobody records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/digest.h"
#include "platform/registry.h"

namespace install {

class TInstallItem;

class TRunObserver {
 public:
  virtual ~TRunObserver() = default;

  // An item's Execute runs its handler (not in counting mode).
  virtual void ItemStarted(const TInstallItem& /*item*/) {}
  // The handler returned; `succeeded` is its Continue. `cause` is set when a failure no
  // operation caught left the item (its text).
  virtual void ItemEnded(const TInstallItem& /*item*/, bool /*succeeded*/,
                         const std::string& /*cause*/) {}

  // An operation reports its status text.
  virtual void OperationStarted(const TInstallItem& /*item*/, const std::string& /*status*/) {}
  // One attempt failed: the fixed message the error dialog shows, and the cause (which
  // file, value, member or service, and the system's reason).
  virtual void AttemptFailed(const TInstallItem& /*item*/, const std::string& /*message*/,
                             const std::string& /*cause*/) {}
  // The operation ended: ErrorAction 0 (succeeded), 3 (Abort: failed, given up) or 5
  // (Ignore: failed, carried on), with the item's ErrorMsg and ErrorCause.
  virtual void OperationEnded(const TInstallItem& /*item*/, int32_t /*errorAction*/,
                              const std::string& /*message*/, const std::string& /*cause*/) {}

  // The engine looks for the file that identifies disk `disk` in `folder`, and does not
  // find it: the user is asked for the disk.
  virtual void DiskWanted(int32_t /*disk*/, const std::string& /*file*/,
                          const std::string& /*folder*/) {}

  // A registry value was written (ok) or refused (with the system's reason); `key` is the
  // key's full name, its root included.
  virtual void RegistryValueWritten(const std::string& /*key*/, const std::string& /*name*/,
                                    platform::RegType /*type*/,
                                    const std::vector<uint8_t>& /*data*/, bool /*ok*/,
                                    const std::string& /*reason*/) {}
  // A Program Manager command was handed over, or not (with the cause).
  virtual void ProgManCommandSent(const std::string& /*command*/, bool /*handedOver*/,
                                  const std::string& /*cause*/) {}

  // What the installation puts on the machine, as it is done (the uninstall record).
  // A folder made for a package's member.
  virtual void FolderCreated(const std::string& /*folder*/) {}
  // A member's new content is about to replace whatever stands at `path`: an observer
  // may keep a copy of it first, or raise to keep it from being replaced.
  virtual void FilePlacing(const std::string& /*path*/, const platform::TDigest128& /*digest*/,
                           int64_t /*size*/) {}
  // A member's content is in place at `path`.
  virtual void FilePlaced(const std::string& /*path*/, const platform::TDigest128& /*digest*/,
                          int64_t /*size*/) {}
  // A registry key that was not there, made for a value (`root` as RootName gives it).
  virtual void KeyCreated(const std::string& /*root*/, const std::string& /*path*/) {}
  // A Program Manager group, and a program item in the group made last, handed over.
  virtual void GroupCreated(const std::string& /*name*/) {}
  virtual void IconCreated(const std::string& /*caption*/, const std::string& /*programPath*/) {}
};

// The observer of a run nobody records.
TRunObserver& NoObserver();

}  // namespace install
