// The message boxes of a run of the installer program. Each goes to the dialogs port the
// run found (the system's message boxes, or a test's), or under /S to nobody: then it gets
// the silent run's fixed answer without being shown. Either way the observer learns the
// box, its answer and who gave it. The program entry installs it for the run.
#pragma once

#include <string>

#include "platform/system.h"

namespace app {

class TInstallerObserver;

class TRunDialogs : public platform::Dialogs {
 public:
  TRunDialogs(platform::Dialogs& shown, TInstallerObserver& observer, bool silent,
              bool ignoreErrors);
  TRunDialogs(const TRunDialogs&) = delete;
  TRunDialogs& operator=(const TRunDialogs&) = delete;

  int Show(platform::DialogKind kind, const std::string& caption, const std::string& text,
           platform::Buttons buttons) override;
  void ProcessMessages() override { shown_.ProcessMessages(); }

  // The fixed answer of a silent run: a failed operation is aborted (ignored with
  // ignoreErrors, where Ignore is offered), a disk prompt is canceled and the question
  // that follows answered Yes, a plain message acknowledged.
  static int SilentAnswer(platform::Buttons buttons, bool ignoreErrors);

 private:
  platform::Dialogs& shown_;
  TInstallerObserver& observer_;
  bool silent_, ignoreErrors_;
};

}  // namespace app
