// Win32 adapters of the small ports: drive types, temporary files, the process error
// mode, message boxes and the message pump.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/system.h"

namespace platform {
namespace {

class Win32Drives final : public Drives {
 public:
  DriveType TypeOf(const std::string& root) override {
    // The API wants the root directory: "A:\", "\\server\share\".
    std::string dir = root;
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
    const UINT type = ::GetDriveTypeA(dir.empty() ? nullptr : dir.c_str());
    return type <= static_cast<UINT>(DriveType::RamDisk) ? static_cast<DriveType>(type)
                                                         : DriveType::Unknown;
  }
};

class Win32Temp final : public TempFiles {
 public:
  std::string Directory() override {
    std::string dir(MAX_PATH + 1, '\0');
    DWORD n = ::GetTempPathA(static_cast<DWORD>(dir.size()), dir.data());
    if (n >= dir.size()) {  // too short: n is the size needed, zero included
      dir.assign(n, '\0');
      n = ::GetTempPathA(static_cast<DWORD>(dir.size()), dir.data());
      if (n >= dir.size()) return {};
    }
    dir.resize(n);
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    return dir;
  }

  std::string CreateUnique(const std::string& dir, const std::string& prefix) override {
    // The system takes a directory of at most MAX_PATH - 14 characters and a buffer of
    // MAX_PATH; with a longer one Wine still makes the file but returns its name cut.
    if (dir.size() > MAX_PATH - 14) return {};
    char name[MAX_PATH + 1] = {};
    // Unique number 0: the system picks one and creates the empty file.
    if (::GetTempFileNameA(dir.c_str(), prefix.c_str(), 0, name) == 0) return {};
    return name;
  }

  std::string CreatePrivateDirectory(const std::string& dir, const std::string& prefix) override {
    std::string base = dir;
    if (!base.empty() && base.back() != '\\' && base.back() != '/') base += '\\';
    // A new directory takes the rights of its parent: in the user's own temporary
    // directory, only that user may enter it.
    DWORD seed = ::GetTickCount() ^ (::GetCurrentProcessId() << 16);
    for (int attempt = 0; attempt < 100; ++attempt) {
      char number[16];
      std::snprintf(number, sizeof number, "%06lX", static_cast<unsigned long>(seed & 0xFFFFFF));
      const std::string path = base + prefix + number;
      if (::CreateDirectoryA(path.c_str(), nullptr)) return path + '\\';
      if (::GetLastError() != ERROR_ALREADY_EXISTS) return {};
      seed = seed * 1103515245u + 12345u;
    }
    return {};
  }

  bool RemovePrivateDirectory(const std::string& path) override {
    return ::RemoveDirectoryA(path.c_str()) != 0;
  }

  // A directory carries no mark of the process that made it here, so none is taken for
  // abandoned.
  int RemoveAbandoned(const std::string&, const std::string&) override { return 0; }
};

class Win32ErrorMode final : public ErrorMode {
 public:
  uint32_t Set(uint32_t mode) override { return ::SetErrorMode(mode); }
};

UINT IconOf(DialogKind kind) {
  switch (kind) {
    case DialogKind::Warning:
      return MB_ICONWARNING;
    case DialogKind::Error:
      return MB_ICONERROR;
    case DialogKind::Information:
      return MB_ICONINFORMATION;
    case DialogKind::Confirmation:
      return MB_ICONQUESTION;
  }
  return 0;
}

const char* TitleOf(DialogKind kind) {
  switch (kind) {
    case DialogKind::Warning:
      return "Warning";
    case DialogKind::Error:
      return "Error";
    case DialogKind::Information:
      return "Information";
    case DialogKind::Confirmation:
      return "Confirm";
  }
  return "";
}

UINT ButtonsOf(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
      return MB_OK;
    case Buttons::OkCancel:
      return MB_OKCANCEL;
    case Buttons::AbortRetryIgnore:
    case Buttons::AbortRetry:  // Ignore is taken out when the box opens
      return MB_ABORTRETRYIGNORE;
    case Buttons::YesNo:
      return MB_YESNO;
    case Buttons::YesNoCancel:
      return MB_YESNOCANCEL;
    case Buttons::RetryCancel:
      return MB_RETRYCANCEL;
  }
  return MB_OK;
}

// The system's message boxes have no Abort/Retry set. Such a box opens as
// Abort/Retry/Ignore; when it is activated, this hook removes the Ignore button and
// centres the other two where the three stood.
thread_local HHOOK t_dropIgnoreHook = nullptr;

LRESULT CALLBACK DropIgnoreButton(int code, WPARAM wParam, LPARAM lParam) {
  const HHOOK hook = t_dropIgnoreHook;
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wParam);
    char cls[16] = {};
    ::GetClassNameA(box, cls, sizeof cls);
    HWND abort = ::GetDlgItem(box, IDABORT), retry = ::GetDlgItem(box, IDRETRY);
    HWND ignore = ::GetDlgItem(box, IDIGNORE);
    if (lstrcmpA(cls, "#32770") == 0 && abort && retry && ignore) {
      RECT r{}, i{};
      ::GetWindowRect(retry, &r);
      ::GetWindowRect(ignore, &i);
      const int shift = (i.right - r.right) / 2;
      for (HWND button : {abort, retry}) {
        RECT b{};
        ::GetWindowRect(button, &b);
        ::MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&b), 2);
        ::SetWindowPos(button, nullptr, b.left + shift, b.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      ::DestroyWindow(ignore);
      ::UnhookWindowsHookEx(hook);
      t_dropIgnoreHook = nullptr;
    }
  }
  return ::CallNextHookEx(hook, code, wParam, lParam);
}

class Win32Dialogs final : public Dialogs {
 public:
  int Show(DialogKind kind, const std::string& caption, const std::string& text,
           Buttons buttons) override {
    // Modal to the active window of this thread, or to all of the thread's windows
    // when none is active.
    HWND owner = ::GetActiveWindow();
    UINT flags = ButtonsOf(buttons) | IconOf(kind) | (owner ? 0 : MB_TASKMODAL);
    const char* title = caption.empty() ? TitleOf(kind) : caption.c_str();
    if (buttons == Buttons::AbortRetry)
      t_dropIgnoreHook =
          ::SetWindowsHookExA(WH_CBT, DropIgnoreButton, nullptr, ::GetCurrentThreadId());
    const int answer = ::MessageBoxA(owner, text.c_str(), title, flags);
    if (t_dropIgnoreHook) {  // the box never became active
      ::UnhookWindowsHookEx(t_dropIgnoreHook);
      t_dropIgnoreHook = nullptr;
    }
    return answer;
  }

  void ProcessMessages() override {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // Leave the quit request for the program's message loop.
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
};

}  // namespace

Drives& NativeDrives() {
  static Win32Drives instance;
  return instance;
}
TempFiles& NativeTemp() {
  static Win32Temp instance;
  return instance;
}
ErrorMode& NativeErrorMode() {
  static Win32ErrorMode instance;
  return instance;
}
Dialogs& NativeDialogs() {
  static Win32Dialogs instance;
  return instance;
}

}  // namespace platform
