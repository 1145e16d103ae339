#include "app/core/run_dialogs.h"

#include "app/core/run_log.h"

namespace app {

TRunDialogs::TRunDialogs(plat::Dialogs& shown, TInstallerObserver& observer, bool silent,
                         bool ignoreErrors)
    : shown_(shown), observer_(observer), silent_(silent), ignoreErrors_(ignoreErrors) {}

int TRunDialogs::SilentAnswer(plat::Buttons buttons, bool ignoreErrors) {
  switch (buttons) {
    case plat::Buttons::Ok:
      return plat::kIdOk;
    case plat::Buttons::OkCancel:
    case plat::Buttons::RetryCancel:
    case plat::Buttons::YesNoCancel:
      return plat::kIdCancel;
    case plat::Buttons::AbortRetryIgnore:
      return ignoreErrors ? plat::kIdIgnore : plat::kIdAbort;
    case plat::Buttons::AbortRetry:
      return plat::kIdAbort;
    case plat::Buttons::YesNo:
      return plat::kIdYes;
  }
  return plat::kIdCancel;
}

int TRunDialogs::Show(plat::DialogKind kind, const std::string& caption, const std::string& text,
                      plat::Buttons buttons) {
  const int answer =
      silent_ ? SilentAnswer(buttons, ignoreErrors_) : shown_.Show(kind, caption, text, buttons);
  observer_.MessageAnswered(kind, text, answer, silent_);
  return answer;
}

}  // namespace app
