#include "app/ui/window_runner.h"

#include <string>

#include "app/ui/uinstalador.h"

namespace app {

TWin32WindowRunner::TWin32WindowRunner(HINSTANCE instance, int cmdShow)
    : instance_(instance), cmdShow_(cmdShow) {}

TWin32WindowRunner::~TWin32WindowRunner() = default;

TSessionHost& TWin32WindowRunner::Open() {
  form_ = std::make_unique<TFrmInstala>(instance_);
  return *form_;
}

int TWin32WindowRunner::Run(const std::function<int()>& install) {
  form_->OnInstall = install;
  form_->Show(cmdShow_);
  return Loop();
}

int TWin32WindowRunner::RunNow(const TWindowTexts& texts, const std::function<int()>& work) {
  form_->OnInstall = work;
  // Caption, button texts and states are set before the window shows, so it never looks like the
  // installer's own.
  form_->RunNow(texts.Caption, texts.Action, texts.Exit);
  form_->Show(cmdShow_);
  return Loop();
}

int TWin32WindowRunner::Loop() {
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (form_->Handle() && ::IsDialogMessageA(form_->Handle(), &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  form_->OnInstall = nullptr;
  return form_->ExitCode();
}

}  // namespace app
