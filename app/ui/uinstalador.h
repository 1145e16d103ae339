// TFrmInstala: the installer's only window. It holds the install engine, the seven
// items of the installation script and the pie gauge; at start-up it refuses to run
// where a database engine is installed, otherwise it shows the two destination
// folders, read-only, and runs the installation when its install button is pressed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/core/options.h"
#include "app/core/script.h"
#include "app/core/session.h"
#include "app/ui/gdi.h"
#include "install/install.h"
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

class TFrmInstala : public sys::TComponent, private TSessionHost {
 public:
  // Creates the components (the engine first, which discovers its paths and may raise
  // a registry error), then the window and its controls, hidden. The options may name
  // the folders; the log, when there is one, gets the run's events.
  TFrmInstala(HINSTANCE instance, const TInstallOptions& options, TInstallLog* log);
  ~TFrmInstala() override;

  // The creation handler: the presence test, the folder fields, the items' registration.
  void FormCreate();
  void BitBtnInstalaClick();
  // Shows the window, centred; the program's message loop runs until it closes.
  void Show(int cmdShow);
  // True once the start-up asked the program to end (an engine was found).
  bool Terminating() const { return terminating_; }
  int ExitCode() const { return exitCode_; }
  HWND Handle() const { return handle_; }

  inst::TInstall& Install;
  TInstallScript Script;
  TGauge& Gauge1;

 private:
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

  // TSessionHost
  std::string TargetText() override;
  std::string DbapiText() override;
  int32_t GaugeProgress() override;
  void SetGaugeProgress(int32_t value) override;
  void SetTargetText(const std::string& text) override;
  void SetDbapiText(const std::string& text) override;

  HINSTANCE instance_;
  TInstallOptions options_;
  TInstallLog* log_;
  HWND handle_ = nullptr;
  HWND edtTarget_ = nullptr, edtDBAPI_ = nullptr;
  HWND bitBtnInstala_ = nullptr, bitBtnSair_ = nullptr;
  gdi::Brush teal_;
  gdi::Font formFont_, labelFont11_, labelFont13_, labelFont16_;
  gdi::Bitmap emblem_;
  bool running_ = false, terminating_ = false;
  int exitCode_ = kExitCanceled;
};

// The program: reads the command line; then either runs silently, or creates the
// window, runs its start-up and its message loop. Returns the exit code.
int RunInstaller(HINSTANCE instance, int cmdShow, const std::vector<std::string>& args);

}  // namespace app
