#include "app/ui/uinstalador.h"

#include "app/ui/artwork.h"
#include "app/ui/gauges.h"

namespace app {
namespace {

constexpr const char* kWindowClass = "TFrmInstala";
constexpr int kClientWidth = 380, kClientHeight = 416;
constexpr COLORREF kTeal = RGB(0, 128, 128), kYellow = RGB(255, 255, 0);
constexpr RECT kImage1 = {8, 16, 8 + 49, 16 + 33};
constexpr DWORD kStyle = WS_CAPTION | WS_CLIPCHILDREN;  // dialog border, no border icons
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

// A font of the window: a face at a character height in pixels, bold or not.
gdi::Font MakeFont(const char* face, int pixels, bool bold) {
  return gdi::Font(::CreateFontA(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                 DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}

bool IsLabel(int id) {
  return id == kIdLabel1 || id == kIdLabel2 || id == kIdLabel3 || id == kIdLabel4 ||
         id == kIdLabel8;
}

}  // namespace

TFrmInstala::TFrmInstala(HINSTANCE instance)
    : platform::TComponent(nullptr),
      Gauge1(CreateOwned<TGauge>(*this)),
      instance_(instance),
      teal_(::CreateSolidBrush(kTeal)),
      formFont_(MakeFont("MS Sans Serif", 11, false)),
      labelFont11_(MakeFont("MS Sans Serif", 11, true)),
      labelFont13_(MakeFont("MS Sans Serif", 13, true)),
      labelFont16_(MakeFont("MS Sans Serif", 16, true)) {
  Name = "FrmInstala";
  Gauge1.Name = "Gauge1";

  WNDCLASSA wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = teal_.Get();
  wc.lpszClassName = kWindowClass;
  ::RegisterClassA(&wc);  // fails harmlessly when a second window registers it again

  RECT frame = {0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  handle_ = ::CreateWindowExA(kExStyle, kWindowClass, text::kCaption, kStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                              nullptr, nullptr, instance_, this);
  if (!handle_) throw platform::Exception("Cannot create the installer window");
  CreateControls();

  gdi::WindowDc screen(handle_);
  emblem_ = gdi::Bitmap(MakeEmblem(screen.Get()));

  // The gauge: a pie in blue on the desktop colour, everything else at its defaults.
  Gauge1.SetParentWindow(handle_);
  Gauge1.SetBounds(198, 248, 163, 145);
  Gauge1.SetKind(gkPie);
  Gauge1.SetForeColor(clBlue);
  Gauge1.SetColor(clBackground);
  Gauge1.SetProgress(0);
}

TFrmInstala::~TFrmInstala() {
  if (handle_) {
    ::SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    ::DestroyWindow(handle_);
  }
}

HWND TFrmInstala::AddControl(const char* cls, const char* text, DWORD style, int id, int left,
                             int top, int width, int height, HFONT font, DWORD exStyle) {
  HWND control = ::CreateWindowExA(
      exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, left, top, width, height, handle_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
  ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

// Controls in tab order: the two edits (disabled, so skipped), then the two buttons.
void TFrmInstala::CreateControls() {
  edtTarget_ = AddControl("EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP | WS_DISABLED, kIdEdtTarget, 16,
                          136, 345, 21, formFont_.Get(), WS_EX_CLIENTEDGE);
  edtDBAPI_ = AddControl("EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP | WS_DISABLED, kIdEdtDBAPI, 16,
                         192, 345, 21, formFont_.Get(), WS_EX_CLIENTEDGE);
  bitBtnInstala_ = AddControl("BUTTON", "&Instalar o Sistema", BS_OWNERDRAW | WS_TABSTOP,
                              kIdBitBtnInstala, 16, 276, 152, 33, formFont_.Get());
  bitBtnSair_ = AddControl("BUTTON", "&Sair da instala\xe7\xe3o", BS_OWNERDRAW | WS_TABSTOP,
                           kIdBitBtnSair, 16, 336, 152, 33, formFont_.Get());
  AddControl("STATIC", "Instituto Tavo", SS_LEFT | SS_NOPREFIX, kIdLabel4, 64, 27, 309, 16,
             labelFont13_.Get());
  AddControl("STATIC",
             "M\xf3"
             "dulo Quarvel - QEN 2005",
             SS_CENTER | SS_NOPREFIX, kIdLabel1, 16, 64, 337, 24, labelFont16_.Get());
  // These three labels take the width of their text, as laid out for the face they
  // were designed with; where the system draws the face wider, they grow to fit.
  const DWORD fitted = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
  FitWidth(AddControl("STATIC", "Diret\xf3rio de instala\xe7\xe3o da aplica\xe7\xe3o", fitted,
                      kIdLabel2, 16, 120, 206, 13, labelFont11_.Get()));
  FitWidth(AddControl("STATIC", "Diret\xf3rio DBAPI", fitted, kIdLabel8, 16, 176, 86, 13,
                      labelFont11_.Get()));
  FitWidth(AddControl("STATIC", "Andamento do processo:", fitted, kIdLabel3, 198, 232, 141, 13,
                      labelFont11_.Get()));
}

void TFrmInstala::FitWidth(HWND label) {
  gdi::WindowDc dc(label);
  gdi::Selection font(dc.Get(), reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0)));
  const std::string text = TextOf(label);
  SIZE extent{};
  ::GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
  RECT r{};
  ::GetWindowRect(label, &r);
  if (extent.cx > r.right - r.left)
    ::SetWindowPos(label, nullptr, 0, 0, extent.cx, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFrmInstala::Show(int cmdShow) {
  // Centred on the screen.
  RECT r{};
  ::GetWindowRect(handle_, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  ::SetWindowPos(handle_, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (::GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::ShowWindow(handle_, cmdShow);
  ::UpdateWindow(handle_);
  ::SetFocus(bitBtnInstala_);
}

void TFrmInstala::BitBtnInstalaClick() {
  Gauge1.SetProgress(0);
  ::EnableWindow(bitBtnSair_, FALSE);
  ::EnableWindow(bitBtnInstala_, FALSE);
  running_ = true;
  if (OnInstall) exitCode_ = OnInstall();
  running_ = false;
  ::EnableWindow(bitBtnSair_, TRUE);
  ::SetFocus(bitBtnSair_);
}

void TFrmInstala::RunNow(const std::string& caption, const std::string& action,
                         const std::string& exit) {
  ::SetWindowTextA(handle_, caption.c_str());
  ::SetWindowTextA(bitBtnInstala_, action.c_str());
  ::SetWindowTextA(bitBtnSair_, exit.c_str());
  ::EnableWindow(bitBtnSair_, FALSE);
  ::EnableWindow(bitBtnInstala_, FALSE);
  ::PostMessageA(handle_, kRunNowMessage, 0, 0);
}

std::string TFrmInstala::TextOf(HWND control) {
  std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::string TFrmInstala::TargetText() { return TextOf(edtTarget_); }
std::string TFrmInstala::DbapiText() { return TextOf(edtDBAPI_); }
int32_t TFrmInstala::GaugeProgress() { return Gauge1.Progress(); }
void TFrmInstala::SetGaugeProgress(int32_t value) { Gauge1.SetProgress(value); }
void TFrmInstala::SetTargetText(const std::string& text) {
  ::SetWindowTextA(edtTarget_, text.c_str());
}
void TFrmInstala::SetDbapiText(const std::string& text) {
  ::SetWindowTextA(edtDBAPI_, text.c_str());
}

void TFrmInstala::Paint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(handle_, &ps);
  if (emblem_.Get()) {
    gdi::MemoryDc mem(::CreateCompatibleDC(dc));
    gdi::Selection keep(mem.Get(), emblem_.Get());
    ::SetStretchBltMode(dc, HALFTONE);
    ::SetBrushOrgEx(dc, 0, 0, nullptr);
    ::StretchBlt(dc, kImage1.left, kImage1.top, kImage1.right - kImage1.left,
                 kImage1.bottom - kImage1.top, mem.Get(), 0, 0, kEmblemWidth, kEmblemHeight,
                 SRCCOPY);
  }
  Gauge1.PaintOn(dc);
  ::EndPaint(handle_, &ps);
}

// The buttons with their glyphs: glyph and caption side by side, centred, the access
// key underlined, greyed when disabled.
void TFrmInstala::DrawButton(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool enabled = (item.itemState & ODS_DISABLED) == 0;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  ::DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  const std::string caption = TextOf(item.hwndItem);
  gdi::Selection font(dc, formFont_.Get());
  RECT measure = {0, 0, 0, 0};
  ::DrawTextA(dc, caption.c_str(), -1, &measure, DT_CALCRECT | DT_SINGLELINE);
  const int gap = 4, textWidth = measure.right, textHeight = measure.bottom;
  const int shift = pushed ? 1 : 0;
  const int left = (r.left + r.right - (kGlyphSize + gap + textWidth)) / 2 + shift;
  const int glyphTop = (r.top + r.bottom - kGlyphSize) / 2 + shift;
  if (item.CtlID == kIdBitBtnInstala)
    DrawInstallGlyph(dc, left, glyphTop, enabled);
  else
    DrawExitGlyph(dc, left, glyphTop, enabled);
  const int textLeft = left + kGlyphSize + gap;
  const int textTop = (r.top + r.bottom - textHeight) / 2 + shift;
  ::SetBkMode(dc, TRANSPARENT);
  RECT t = {textLeft, textTop, textLeft + textWidth, textTop + textHeight};
  if (!enabled) {
    // Greyed the classic way: a light copy one pixel down and right under a shadow.
    RECT light = t;
    ::OffsetRect(&light, 1, 1);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
    ::DrawTextA(dc, caption.c_str(), -1, &light, DT_SINGLELINE);
  }
  ::SetTextColor(dc, ::GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_BTNSHADOW));
  ::DrawTextA(dc, caption.c_str(), -1, &t, DT_SINGLELINE);
  if (item.itemState & ODS_FOCUS) {
    RECT f = r;
    ::InflateRect(&f, -4, -4);
    ::DrawFocusRect(dc, &f);
  }
}

LRESULT CALLBACK TFrmInstala::WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* form = static_cast<TFrmInstala*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    ::SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    form->handle_ = w;
  }
  auto* form = reinterpret_cast<TFrmInstala*>(::GetWindowLongPtrA(w, GWLP_USERDATA));
  return form ? form->OnMessage(msg, wp, lp) : ::DefWindowProcA(w, msg, wp, lp);
}

LRESULT TFrmInstala::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_CTLCOLORSTATIC: {
      // Labels: yellow on the window's teal. The disabled edits keep the system's look.
      const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(lp));
      if (!IsLabel(id)) break;
      HDC dc = reinterpret_cast<HDC>(wp);
      ::SetTextColor(dc, kYellow);
      ::SetBkColor(dc, kTeal);
      return reinterpret_cast<LRESULT>(teal_.Get());
    }
    case WM_DRAWITEM:
      DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED) {
        if (LOWORD(wp) == kIdBitBtnInstala && !running_) BitBtnInstalaClick();
        if (LOWORD(wp) == kIdBitBtnSair && !running_) ::PostMessageA(handle_, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    case kRunNowMessage:
      running_ = true;
      if (OnInstall) exitCode_ = OnInstall();
      running_ = false;
      ::DestroyWindow(handle_);
      return 0;
    case WM_CLOSE:
      // Closing in the middle of a run would pull the engine from under it.
      if (!running_) ::DestroyWindow(handle_);
      return 0;
    case WM_DESTROY:
      handle_ = nullptr;
      ::PostQuitMessage(exitCode_);
      return 0;
  }
  return ::DefWindowProcA(handle_, msg, wp, lp);
}

}  // namespace app
