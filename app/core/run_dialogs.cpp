#include "app/core/run_dialogs.h"

#include "app/core/run_log.h"

namespace app {

TRunDialogs::TRunDialogs(platform::Dialogs& shown, TInstallerObserver& observer, bool silent,
                         bool ignoreErrors)
    : shown_(shown), observer_(observer), silent_(silent), ignoreErrors_(ignoreErrors) {}

int TRunDialogs::SilentAnswer(platform::Buttons buttons, bool ignoreErrors) {
  switch (buttons) {
    case platform::Buttons::Ok:
      return platform::kIdOk;
    case platform::Buttons::OkCancel:
    case platform::Buttons::RetryCancel:
    case platform::Buttons::YesNoCancel:
      return platform::kIdCancel;
    case platform::Buttons::AbortRetryIgnore:
      return ignoreErrors ? platform::kIdIgnore : platform::kIdAbort;
    case platform::Buttons::AbortRetry:
      return platform::kIdAbort;
    case platform::Buttons::YesNo:
      return platform::kIdYes;
  }
  return platform::kIdCancel;
}

int TRunDialogs::Show(platform::DialogKind kind, const std::string& caption,
                      const std::string& text, platform::Buttons buttons) {
  const int answer =
      silent_ ? SilentAnswer(buttons, ignoreErrors_) : shown_.Show(kind, caption, text, buttons);
  observer_.MessageAnswered(kind, text, answer, silent_);
  return answer;
}

}  // namespace app
