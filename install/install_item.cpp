#include "install/install_item.h"

#include <exception>

#include "install/install.h"
#include "install/run_observer.h"
#include "platform/exceptions.h"
#include "platform/format.h"
#include "platform/system.h"

namespace install {

TInstallItem::TInstallItem(platform::TComponent* AOwner) : platform::TComponent(AOwner) {}

TRunObserver& TInstallItem::Observer() const { return Engine ? Engine->Observer() : NoObserver(); }

InstallRecord* TInstallItem::Record() const { return Engine ? Engine->Record() : nullptr; }

bool TInstallItem::Execute(bool CountOnly) {
  Counting = CountOnly;
  bool Continue = false;
  // An item needs its disk only when it has one and the engine is on another. An item
  // that was never added to an engine has no disk to change.
  if (Enabled && DiskNum != 0 && Engine && DiskNum != Engine->CurrentDisk && !CountOnly) {
    if (!Engine->ChangeDisk(DiskNum, DiskFileID)) {
      Observer().ItemEnded(*this, false,
                           platform::Fmt("disk %d was not inserted: %s is not in %s", DiskNum,
                                         DiskFileID, Engine->SourceDir()));
      return false;
    }
  }
  if (!Enabled || !OnExecute) return true;
  if (CountOnly) {
    OnExecute(this, Continue);
    return Continue;
  }
  Observer().ItemStarted(*this);
  try {
    OnExecute(this, Continue);
  } catch (const std::exception& e) {
    Observer().ItemEnded(*this, false, platform::Describe(e));
    throw;
  }
  Observer().ItemEnded(*this, Continue, Continue ? std::string() : ErrorCause);
  return Continue;
}

bool TInstallItem::IsCounting() {
  if (Counting && Enabled && Engine) Engine->CountTask();
  return Counting;
}

void TInstallItem::DoBeforeExecute(const std::string& ItemMsg) {
  if (BeforeExecute) BeforeExecute(this, Title, ItemMsg);
  platform::ProcessMessages();
}

void TInstallItem::DoAfterExecute(int32_t ErrorAction) {
  if (AfterExecute) AfterExecute(this, ErrorAction, ErrorMsg);
  platform::ProcessMessages();
}

bool TInstallItem::CheckResult(bool& Success, const std::string& Msg, int32_t& ErrorAction) {
  platform::ProcessMessages();
  if (Success) {
    ErrorMsg.clear();
    ErrorCause.clear();
    ErrorAction = kActionNone;
    return true;
  }
  ErrorMsg = Msg;
  const platform::Buttons buttons =
      Critical ? platform::Buttons::AbortRetry : platform::Buttons::AbortRetryIgnore;
  const int answer = platform::DialogsPort().Show(platform::DialogKind::Error, "", Msg, buttons);
  ErrorAction = answer;
  Success = answer == platform::kIdIgnore;
  return answer == platform::kIdAbort || answer == platform::kIdIgnore;
}

bool TInstallItem::Operate(const std::string& status, const std::string& errorMsg,
                           const std::function<TAttempt()>& prepare) {
  if (IsCounting()) return true;
  Observer().OperationStarted(*this, status);
  DoBeforeExecute(status);
  TAttempt attempt;
  try {
    attempt = prepare();
  } catch (const std::exception& e) {
    ErrorMsg = errorMsg;
    ErrorCause = platform::Describe(e);
    ReportOutcome(kActionAbort);
    throw;
  }
  return RetryUntilSettled(attempt, errorMsg);
}

bool TInstallItem::RetryUntilSettled(const TAttempt& attempt, const std::string& errorMsg) {
  bool success = true;
  int32_t errorAction = kActionNone;
  for (;;) {
    std::string cause;
    try {
      success = attempt(cause);
    } catch (const std::exception& e) {
      success = false;
      cause = platform::Describe(e);
    } catch (...) {
      // Whatever an attempt raises is a failed attempt, also what is not ours.
      success = false;
      cause = "unknown failure";
    }
    if (!success) {
      ErrorCause = cause;
      Observer().AttemptFailed(*this, errorMsg, cause);
    }
    if (CheckResult(success, errorMsg, errorAction)) break;
  }
  ReportOutcome(errorAction);
  return success;
}

void TInstallItem::ReportOutcome(int32_t errorAction) {
  Observer().OperationEnded(*this, errorAction, ErrorMsg, ErrorCause);
  DoAfterExecute(errorAction);
}

}  // namespace install
