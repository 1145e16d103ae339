#include "app/ui/window_runner.h"

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
