// TFrmInstala: the installer's only window: the two destination folders, read-only, the
// pie gauge, and the two buttons. It hosts a run of the program (program.h), which
// fills its folder fields and moves its gauge; its install button runs the installation
// the program hands it, once.

#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/core/program.h"
#include "app/ui/gdi.h"
#include "platform/component.h"

namespace app {

class TGauge;

// Control identifiers.
enum : int {
  kIdImage1 = 100,
  kIdLabel4,
  kIdLabel1,
  kIdLabel2,
  kIdEdtTarget,
  kIdLabel8,
  kIdEdtDBAPI,
  kIdLabel3,
  kIdBitBtnInstala,
  kIdBitBtnSair,
};

// The window's texts (Windows-1252).
namespace text {
inline constexpr const char* kCaption =
    "Aplica\xe7\xe3o para instala\xe7\xe3o do m\xf3"
    "dulo quarvel";
}  // namespace text

class TFrmInstala : public platform::TComponent, public TSessionHost {
 public:
  // Creates the window and its controls and the gauge, hidden. Raises when the window
  // cannot be made.
  explicit TFrmInstala(HINSTANCE instance);
  ~TFrmInstala() override;

  // What the install button runs; it returns the run's exit code.
  std::function<int()> OnInstall;
  void BitBtnInstalaClick();
  // Runs OnInstall at once, both buttons disabled, once the window shows, and closes the
  // window when it returns (the uninstall), under another caption.
  void RunNow(const std::string& caption, const std::string& action, const std::string& exit);
  // Shows the window, centred; the program's message loop runs until it closes.
  void Show(int cmdShow);
  // The exit code of the run the install button made, kExitCanceled before one.
  int ExitCode() const { return exitCode_; }
  HWND Handle() const { return handle_; }

  TGauge& Gauge1;

  // TSessionHost: the folder fields and the gauge.
  std::string TargetText() override;
  std::string DbapiText() override;
  int32_t GaugeProgress() override;
  void SetGaugeProgress(int32_t value) override;
  void SetTargetText(const std::string& text) override;
  void SetDbapiText(const std::string& text) override;

 private:
  static constexpr UINT kRunNowMessage = WM_APP + 1;
  static LRESULT CALLBACK WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  void CreateControls();
  HWND AddControl(const char* cls, const char* text, DWORD style, int id, int left, int top,
                  int width, int height, HFONT font, DWORD exStyle = 0);
  // Widens a label to its text when the face draws wider than it was laid out for.
  static void FitWidth(HWND label);
  void Paint();
  void DrawButton(const DRAWITEMSTRUCT& item);
  static std::string TextOf(HWND control);

  HINSTANCE instance_;
  HWND handle_ = nullptr;
  HWND edtTarget_ = nullptr, edtDBAPI_ = nullptr;
  HWND bitBtnInstala_ = nullptr, bitBtnSair_ = nullptr;
  gdi::Brush teal_;
  gdi::Font formFont_, labelFont11_, labelFont13_, labelFont16_;
  gdi::Bitmap emblem_;
  bool running_ = false;
  int exitCode_ = kExitCanceled;
};

}  // namespace app
