// The program: what Install.exe runs, on any platform. It reads the options, opens the
// log, sets up the message boxes for a run with its window or a silent one, runs the
// start-up and the installation and returns the exit code. The window is one host among
// others: the entry gets it through TWindowRunner and never needs to know what it is.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/core/session.h"

namespace app {

// The texts of a window that does its work at once (the removal's): its caption and the
// texts of its two buttons, which replace the installer's own.
struct TWindowTexts {
  std::string Caption, Action, Exit;
};

class TWindowRunner {
 public:
  virtual ~TWindowRunner() = default;
  // Makes the window, hidden, with its folder fields and gauge; raises when it cannot.
  virtual TSessionHost& Open() = 0;
  // Shows the window and runs it until it is closed; its install button runs `install`,
  // once. Returns the exit code: that of the installation, or kExitCanceled when the
  // window was closed without one.
  virtual int Run(const std::function<int()>& install) = 0;
  // Shows the window under the caption and button texts of `texts`, both buttons
  // disabled, runs `work` at once and closes the window when it is done; answers what
  // `work` answered (the uninstall).
  virtual int RunNow(const TWindowTexts& texts, const std::function<int()>& work) = 0;
};

// The whole program for the command-line arguments `args` (without the program name).
// `window` is used unless the options ask for a silent run (/S).
int RunProgram(const std::vector<std::string>& args, TWindowRunner& window);

}  // namespace app
