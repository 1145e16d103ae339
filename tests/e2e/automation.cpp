#include "e2e/automation.h"

#include <stdexcept>

namespace e2e {

Process::Process(const std::string& exe, const std::string& args) {
  std::string folder = exe.substr(0, exe.find_last_of('\\') + 1);
  std::string command = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  if (!::CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &info_))
    throw std::runtime_error("cannot start " + exe + " (error " + std::to_string(::GetLastError()) +
                             ")");
}

std::unique_ptr<Process> Process::FromCommandLine(const std::string& commandLine,
                                                  const std::string& output) {
  std::unique_ptr<Process> p(new Process());
  STARTUPINFOA si{};
  si.cb = sizeof si;
  HANDLE out = INVALID_HANDLE_VALUE;
  if (!output.empty()) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    out = ::CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = out;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  }
  std::string line = commandLine;
  const BOOL started =
      ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, out != INVALID_HANDLE_VALUE, 0,
                       nullptr, nullptr, &si, &p->info_);
  if (out != INVALID_HANDLE_VALUE) ::CloseHandle(out);
  if (!started)
    throw std::runtime_error("cannot start " + commandLine + " (error " +
                             std::to_string(::GetLastError()) + ")");
  return p;
}

Process::~Process() {
  if (info_.hProcess) {
    if (Running()) {
      ::TerminateProcess(info_.hProcess, 99);
      ::WaitForSingleObject(info_.hProcess, 5000);
    }
    ::CloseHandle(info_.hProcess);
    ::CloseHandle(info_.hThread);
  }
}

bool Process::Running() const { return ::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

int Process::Wait(std::chrono::milliseconds timeout) {
  if (::WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    ::TerminateProcess(info_.hProcess, 99);
    ::WaitForSingleObject(info_.hProcess, 5000);
    return -1;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(info_.hProcess, &code);
  return static_cast<int>(code);
}

std::string TextOf(HWND window) {
  // Asked of the window itself: for a control of another program the system's own copy
  // of the text is not the control's (an edit keeps its text to itself). Read as UTF-16
  // and converted, so the bytes do not depend on this program's code page.
  DWORD_PTR n = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &n)) return {};
  std::wstring wide(static_cast<std::size_t>(n) + 1, L'\0');
  DWORD_PTR got = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data()),
                             SMTO_ABORTIFHUNG, 5000, &got))
    return {};
  wide.resize(static_cast<std::size_t>(got));
  if (wide.empty()) return {};
  const int size = ::WideCharToMultiByte(1252, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(1252, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
  return text;
}

std::string ClassOf(HWND window) {
  char name[128] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

SIZE ClientSize(HWND window) {
  RECT r{};
  ::GetClientRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

namespace {

struct Search {
  DWORD pid;
  std::string cls;
  bool messageBox;
  HWND found = nullptr;
};

BOOL CALLBACK FindTopLevel(HWND w, LPARAM p) {
  auto& s = *reinterpret_cast<Search*>(p);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(w, &pid);
  if ((s.pid && pid != s.pid) || !::IsWindowVisible(w)) return TRUE;
  const std::string cls = ClassOf(w);
  const bool isBox = cls == "#32770";
  if (s.messageBox ? isBox : (s.cls.empty() ? !isBox : cls == s.cls)) {
    s.found = w;
    return FALSE;
  }
  return TRUE;
}

HWND FindWindowOf(DWORD pid, const std::string& cls, bool messageBox) {
  Search s{pid, cls, messageBox};
  ::EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

BOOL CALLBACK CollectChild(HWND w, LPARAM p) {
  auto& list = *reinterpret_cast<std::vector<HWND>*>(p);
  list.push_back(w);
  return TRUE;
}

}  // namespace

HWND WaitForWindow(DWORD pid, const std::string& cls, std::chrono::milliseconds timeout) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindWindowOf(pid, cls, false)) != nullptr; }, timeout);
  return found;
}

std::vector<Control> Children(HWND parent) {
  std::vector<HWND> all;
  ::EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&all));
  std::vector<Control> out;
  for (HWND w : all) {
    if (::GetParent(w) != parent) continue;  // direct children only
    Control c;
    c.handle = w;
    c.cls = ClassOf(w);
    c.text = TextOf(w);
    c.id = ::GetDlgCtrlID(w);
    ::GetWindowRect(w, &c.rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&c.rect), 2);
    c.enabled = ::IsWindowEnabled(w) != 0;
    c.visible = ::IsWindowVisible(w) != 0;
    out.push_back(c);
  }
  return out;
}

Control ChildByText(HWND parent, const std::string& text) {
  for (const Control& c : Children(parent))
    if (c.text == text) return c;
  return {};
}

void Click(HWND button) {
  ::PostMessageA(::GetParent(button), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

ShownBox WaitForMessageBox(DWORD pid, std::chrono::milliseconds timeout) {
  ShownBox box;
  // A box counts once its buttons are in place: it is visible then.
  if (!WaitUntil([&] { return (box.handle = FindWindowOf(pid, "", true)) != nullptr; }, timeout))
    return {};
  ::Sleep(50);  // let it finish its layout
  box.title = TextOf(box.handle);
  box.text = TextOf(::GetDlgItem(box.handle, 0xFFFF));
  for (int id = IDOK; id <= IDNO; ++id)
    if (HWND b = ::GetDlgItem(box.handle, id); b && ::IsWindowVisible(b)) box.buttons.push_back(id);
  return box;
}

void Answer(const ShownBox& box, int id) {
  HWND button = ::GetDlgItem(box.handle, id);
  ::PostMessageA(box.handle, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  WaitUntil([&] { return !::IsWindow(box.handle) || !::IsWindowVisible(box.handle); }, 10s);
}

}  // namespace e2e
