// QEN2005.EXE: the demonstration application that the installer puts in C:\QEN2005.
// One window that names the application and says what it is; the "Fechar" button, the
// Enter and Escape keys and the close box all close it.
#include <windows.h>

namespace {

// Texts in Windows-1252 (octal escapes, \363 an o with acute accent), turned into UTF-16 at the
// window boundary so that they show alike whatever the system's ANSI code page is.
constexpr const char* kTitle = "M\363dulo Quarvel - QEN 2005";
constexpr const char* kMessage =
    "M\363dulo Quarvel - QEN 2005\r\n\r\n"
    "Esta \351 a aplica\347\343o de demonstra\347\343o instalada pelo programa de "
    "instala\347\343o do TAVO. Ela apenas mostra esta janela.\r\n\r\n"
    "Ajuda e Leiame: grupo TAVO do menu Iniciar.\r\n"
    "Tabelas de exemplo: C:\\QEN2005\\DADOS";
constexpr const char* kClose = "&Fechar";
constexpr wchar_t kWindowClass[] = L"TFrmQen2005";

constexpr int kClientWidth = 400, kClientHeight = 180, kMargin = 16;
constexpr int kButtonWidth = 88, kButtonHeight = 26;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr int kIdMessage = 100;

// A text of the window as UTF-16. Every text here is far shorter than the buffer; one
// that did not fit would show empty.
struct WideText {
  explicit WideText(const char* text) {
    if (::MultiByteToWideChar(1252, 0, text, -1, chars, kCapacity) == 0) chars[0] = L'\0';
  }
  static constexpr int kCapacity = 512;
  wchar_t chars[kCapacity];
};

void AddControls(HWND window, HINSTANCE instance) {
  const auto font = reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT));
  HWND message = ::CreateWindowExW(
      0, L"STATIC", WideText(kMessage).chars, WS_CHILD | WS_VISIBLE | SS_LEFT, kMargin, kMargin,
      kClientWidth - 2 * kMargin, kClientHeight - 3 * kMargin - kButtonHeight, window,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdMessage)), instance, nullptr);
  HWND close = ::CreateWindowExW(
      0, L"BUTTON", WideText(kClose).chars, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
      kClientWidth - kMargin - kButtonWidth, kClientHeight - kMargin - kButtonHeight, kButtonWidth,
      kButtonHeight, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), instance,
      nullptr);
  ::SendMessageW(message, WM_SETFONT, font, FALSE);
  ::SendMessageW(close, WM_SETFONT, font, FALSE);
  ::SetFocus(close);
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      // The button (IDOK, also Enter) and Escape (IDCANCEL) close the window.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        ::DestroyWindow(window);
        return 0;
      }
      break;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcW(window, msg, wParam, lParam);
}

// The window's outer rectangle for the client size, centred in the work area.
RECT CentredFrame() {
  RECT frame = {0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  RECT work = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int left = work.left + (work.right - work.left - width) / 2;
  const int top = work.top + (work.bottom - work.top - height) / 2;
  return {left, top, left + width, top + height};
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int cmdShow) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  if (!::RegisterClassW(&wc)) return 1;

  const RECT frame = CentredFrame();
  HWND window = ::CreateWindowExW(kExStyle, kWindowClass, WideText(kTitle).chars, kStyle,
                                  frame.left, frame.top, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  AddControls(window, instance);
  ::ShowWindow(window, cmdShow);
  ::UpdateWindow(window);

  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // Tab, Enter and Escape work as in a dialog.
    if (!::IsDialogMessageW(window, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}
