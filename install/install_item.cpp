#include "install/install_item.h"

#include "install/install.h"
#include "platform/system.h"

namespace inst {

TInstallItem::TInstallItem(sys::TComponent* AOwner) : sys::TComponent(AOwner) {}

bool TInstallItem::Execute(bool CountOnly) {
  Counting = CountOnly;
  bool Continue = false;
  // An item needs its disk only when it has one and the engine is on another. An item
  // that was never added to an engine has no disk to change.
  if (Enabled && DiskNum != 0 && Engine && DiskNum != Engine->CurrentDisk && !CountOnly) {
    if (!Engine->ChangeDisk(DiskNum, DiskFileID)) return false;
  }
  if (Enabled && OnExecute) {
    OnExecute(this, Continue);
    return Continue;
  }
  return true;
}

bool TInstallItem::IsCounting() {
  if (Counting && Enabled && Engine) Engine->CountTask();
  return Counting;
}

void TInstallItem::DoBeforeExecute(const std::string& ItemMsg) {
  if (BeforeExecute) BeforeExecute(this, Title, ItemMsg);
  plat::ProcessMessages();
}

void TInstallItem::DoAfterExecute(int32_t ErrorAction) {
  if (AfterExecute) AfterExecute(this, ErrorAction, ErrorMsg);
  plat::ProcessMessages();
}

bool TInstallItem::CheckResult(bool& Success, const std::string& Msg, int32_t& ErrorAction) {
  plat::ProcessMessages();
  if (Success) {
    ErrorMsg.clear();
    ErrorAction = kActionNone;
    return true;
  }
  ErrorMsg = Msg;
  const plat::Buttons buttons =
      Critical ? plat::Buttons::AbortRetry : plat::Buttons::AbortRetryIgnore;
  const int answer = plat::DialogsPort().Show(plat::DialogKind::Error, "", Msg, buttons);
  ErrorAction = answer;
  Success = answer == plat::kIdIgnore;
  return answer == plat::kIdAbort || answer == plat::kIdIgnore;
}

bool TInstallItem::Attempt(const std::function<bool()>& attempt, const std::string& errorMsg) {
  bool success = true;
  int32_t errorAction = kActionNone;
  for (;;) {
    try {
      success = attempt();
    } catch (...) {
      success = false;
    }
    if (CheckResult(success, errorMsg, errorAction)) break;
  }
  DoAfterExecute(errorAction);
  return success;
}

}  // namespace inst
