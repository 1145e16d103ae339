// Driving a running Windows program from outside, as a user would: start it, find its
// windows and controls, read their texts (as Windows-1252 bytes), positions and
// states, press buttons, and answer its message boxes.
#pragma once

#include <windows.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;

// A started program; the handles are closed when it goes (the program may live on).
class Process {
 public:
  // Starts `exe` with `args` in its own folder. Throws std::runtime_error on failure.
  Process(const std::string& exe, const std::string& args = "");
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Starts a whole command line as a script would (the program named first, quoted or
  // not); what it writes to its standard output goes to the file `output` when one is named.
  static std::unique_ptr<Process> FromCommandLine(const std::string& commandLine,
                                                  const std::string& output = "");

  DWORD Id() const { return info_.dwProcessId; }
  bool Running() const;
  // Waits for the program to end; its exit code, or -1 when it did not end in time (it
  // is then killed).
  int Wait(std::chrono::milliseconds timeout = 60s);

 private:
  Process() = default;
  PROCESS_INFORMATION info_{};
};

struct Control {
  HWND handle = nullptr;
  std::string cls;   // window class
  std::string text;  // Windows-1252
  int id = 0;
  RECT rect{};  // in the parent's client coordinates
  bool enabled = false, visible = false;
};

// The text of a window as Windows-1252 bytes.
std::string TextOf(HWND window);
std::string ClassOf(HWND window);
// Client-area size of a window.
SIZE ClientSize(HWND window);

// The first visible top-level window of the process with this class (empty: any class
// but a message box's), or null when none appears within the timeout.
HWND WaitForWindow(DWORD pid, const std::string& cls, std::chrono::milliseconds timeout = 30s);
// The direct children of a window, in z-order (the creation and tab order).
std::vector<Control> Children(HWND parent);
// The child whose text is `text`; a Control with a null handle when there is none.
Control ChildByText(HWND parent, const std::string& text);

// Presses a button of a window the way a click does: the parent is told that the
// button was clicked.
void Click(HWND button);

// A message box of the program under test.
struct ShownBox {
  HWND handle = nullptr;
  std::string title, text;
  std::vector<int> buttons;  // ids of the answer buttons present (OK 1 ... No 7)
  bool found() const { return handle != nullptr; }
};
// Waits for a message box of the process (0: of any process, for a program that starts
// another to ask). Null handle when none came in time.
ShownBox WaitForMessageBox(DWORD pid, std::chrono::milliseconds timeout = 60s);
// Presses the button with this id and waits until the box has gone.
void Answer(const ShownBox& box, int id);

// Waits until `done` holds, checking every 20 ms; false on timeout.
template <class Done>
bool WaitUntil(Done done, std::chrono::milliseconds timeout = 30s) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (done()) return true;
    ::Sleep(20);
  }
  return done();
}

}  // namespace e2e
