// Windows side of the interrupt clean-up: a console control handler. It marks the run
// interrupted and gives the main thread time to stop at its next check, which deletes
// what it was writing on the way out; then it removes what is left and ends the process.
#include <windows.h>

#include "platform/interrupt.h"

namespace platform {
namespace detail {

std::string NativeInterruptPath(const std::string& path) { return path; }

void RemoveNow(const char* path, bool directory) noexcept {
  const DWORD attr = ::GetFileAttributesA(path);
  if (attr == INVALID_FILE_ATTRIBUTES) return;
  if (directory) {
    if ((attr & FILE_ATTRIBUTE_DIRECTORY) && !(attr & FILE_ATTRIBUTE_REPARSE_POINT))
      ::RemoveDirectoryA(path);
  } else if (!(attr & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    ::DeleteFileA(path);
  }
}

}  // namespace detail

namespace {

constexpr DWORD kGraceMs = 5000;

BOOL WINAPI OnConsoleControl(DWORD type) {
  const int status = type == CTRL_C_EVENT ? 130 : 143;
  detail::NoteInterrupt(status);
  // The main thread normally ends the process while this one waits.
  ::Sleep(kGraceMs);
  detail::RemoveRegistered();
  ::ExitProcess(static_cast<UINT>(status));
  return TRUE;
}

}  // namespace

InterruptsHeld::InterruptsHeld() : saved_{} {}
InterruptsHeld::~InterruptsHeld() = default;

void InstallInterruptCleanup() { ::SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

}  // namespace platform
