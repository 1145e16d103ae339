// The installer window as the program entry uses it: made hidden when the program asks
// for its host, then shown and run until it is closed, its install button running the
// installation the program hands it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "app/core/program.h"

namespace app {

class TFrmInstala;

class TWin32WindowRunner : public TWindowRunner {
 public:
  TWin32WindowRunner(HINSTANCE instance, int cmdShow);
  ~TWin32WindowRunner() override;
  TSessionHost& Open() override;
  int Run(const std::function<int()>& install) override;
  int RunNow(const TWindowTexts& texts, const std::function<int()>& work) override;

 private:
  // The message loop until the window closes; the window's exit code.
  int Loop();
  HINSTANCE instance_;
  int cmdShow_;
  std::unique_ptr<TFrmInstala> form_;
};

}  // namespace app
