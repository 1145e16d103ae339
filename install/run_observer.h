// What a run of the install engine tells whoever watches it (the installation log): each
// item as it starts and ends, each operation's status and outcome with the cause of a
// failure beside the fixed message the user sees, each disk asked for, each registry
// value written, each Program Manager command sent, and what the installation's record
// keeps. The events add nothing to what the items' own events (BeforeExecute,
// AfterExecute) mean; they run beside them. An observer only watches: what the run does
// is done by its operations, and what it records goes through its record
// (install_record.h).
//
// The base class does nothing: it is the observer of a run that nobody watches.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

  // Something worth a line of its own: what the installation's record keeps (a copy of
  // a file being replaced, a shared file counted, the record and the uninstaller), what
  // an uninstall removes and keeps and why.
  virtual void Noted(const std::string& /*text*/) {}
};

// The observer of a run nobody records.
TRunObserver& NoObserver();

}  // namespace install
