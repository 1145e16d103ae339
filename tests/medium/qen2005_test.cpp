// QEN2005.EXE, the program the medium installs: a GUI program of this build's machine
// that, started for real, shows one window with the application's name and what it is,
// closed by its button, by Escape or by the close box.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/test_files.h"

namespace {

using testing_support::Bytes;
using testing_support::ReadFileBytes;

// The program under test: its host path reaches Windows programs through the Z: drive.
std::string ProgramPath() {
  std::string exe = QEN2005_EXE;
  if (!exe.empty() && exe[0] == '/') exe = "Z:" + exe;
  std::replace(exe.begin(), exe.end(), '/', '\\');
  return exe;
}

// ---- the file -----------------------------------------------------------------------

uint32_t Le(const Bytes& b, std::size_t at, int size) {
  if (at + size > b.size()) throw std::out_of_range("PE field beyond the end of the file");
  uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i) v = v << 8 | b[at + i];
  return v;
}

struct PeImage {
  uint16_t machine = 0, characteristics = 0, magic = 0, subsystem = 0;
};

// The fields of a PE image's COFF and optional headers this test checks.
PeImage ReadPe(const Bytes& b) {
  if (Le(b, 0, 2) != 0x5A4D) throw std::runtime_error("no MZ header");
  const std::size_t coff = Le(b, 0x3C, 4) + 4;
  if (Le(b, coff - 4, 4) != 0x00004550) throw std::runtime_error("no PE signature");
  PeImage pe;
  pe.machine = static_cast<uint16_t>(Le(b, coff, 2));
  pe.characteristics = static_cast<uint16_t>(Le(b, coff + 18, 2));
  pe.magic = static_cast<uint16_t>(Le(b, coff + 20, 2));
  pe.subsystem = static_cast<uint16_t>(Le(b, coff + 20 + 68, 2));
  return pe;
}

// That the runtime is linked in shows when the program starts below: one that needed a
// MinGW runtime DLL would not start under Wine, which has none of them.
TEST(Qen2005File, IsAGuiProgramOfThisMachine) {
  const PeImage pe = ReadPe(ReadFileBytes(ProgramPath()));
  if (sizeof(void*) == 8) {
    EXPECT_EQ(pe.machine, 0x8664);  // x86-64
    EXPECT_EQ(pe.magic, 0x20B);     // PE32+
  } else {
    EXPECT_EQ(pe.machine, 0x14C);  // i386
    EXPECT_EQ(pe.magic, 0x10B);    // PE32
  }
  EXPECT_EQ(pe.subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
  EXPECT_TRUE(pe.characteristics & IMAGE_FILE_EXECUTABLE_IMAGE);
  EXPECT_FALSE(pe.characteristics & IMAGE_FILE_DLL);
}

// ---- the running program -------------------------------------------------------------

std::wstring WindowText(HWND window) {
  wchar_t text[1024] = {};
  ::GetWindowTextW(window, text, 1024);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  ::GetClassNameW(window, name, 256);
  return name;
}

template <class Done>
bool WaitFor(Done done, int seconds = 20) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// How the window is closed.
enum class Closing { Button, Escape, CloseBox };

const char* NameOf(Closing how) {
  switch (how) {
    case Closing::Button:
      return "Button";
    case Closing::Escape:
      return "Escape";
    default:
      return "CloseBox";
  }
}
void PrintTo(Closing how, std::ostream* os) { *os << NameOf(how); }

// Enumeration callbacks: the first visible top-level window of a process; every child
// window into a list.
struct WindowSearch {
  DWORD pid;
  HWND found;
};
BOOL CALLBACK FindVisibleOfProcess(HWND window, LPARAM search) {
  auto* s = reinterpret_cast<WindowSearch*>(search);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid != s->pid || !::IsWindowVisible(window)) return TRUE;
  s->found = window;
  return FALSE;
}
BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}

class Qen2005Window : public ::testing::TestWithParam<Closing> {
 protected:
  void SetUp() override {
    std::string command = ProgramPath();
    command.insert(command.begin(), '"');
    command.push_back('"');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    ASSERT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &si, &process_))
        << command << ": error " << ::GetLastError();
    ASSERT_TRUE(WaitFor([this] { return (window_ = FindOwnWindow()) != nullptr; }))
        << "no window appeared";
    ::EnumChildWindows(window_, CollectChild, reinterpret_cast<LPARAM>(&children_));
  }

  void TearDown() override {
    if (process_.hProcess) {
      if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
        ::TerminateProcess(process_.hProcess, 99);
      ::CloseHandle(process_.hThread);
      ::CloseHandle(process_.hProcess);
    }
  }

  // The visible top-level window of the started process.
  HWND FindOwnWindow() {
    WindowSearch search{process_.dwProcessId, nullptr};
    ::EnumWindows(FindVisibleOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  HWND ChildOfClass(const wchar_t* cls) {
    for (HWND c : children_)
      if (_wcsicmp(ClassOf(c).c_str(), cls) == 0) return c;
    return nullptr;
  }

  // The exit code once the process has ended within 20 seconds; -1 when it has not.
  long ExitCode() {
    if (::WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<long>(code);
  }

  PROCESS_INFORMATION process_ = {};
  HWND window_ = nullptr;
  std::vector<HWND> children_;
};

TEST_P(Qen2005Window, SaysWhatItIsAndCloses) {
  EXPECT_EQ(WindowText(window_), L"M\u00f3dulo Quarvel - QEN 2005");
  HWND message = ChildOfClass(L"Static");
  HWND button = ChildOfClass(L"Button");
  ASSERT_NE(message, nullptr);
  ASSERT_NE(button, nullptr);
  const std::wstring text = WindowText(message);
  EXPECT_NE(text.find(L"aplica\u00e7\u00e3o de demonstra\u00e7\u00e3o instalada"),
            std::wstring::npos);
  EXPECT_EQ(WindowText(button), L"&Fechar");
  EXPECT_TRUE(::IsWindowEnabled(button));

  switch (GetParam()) {
    case Closing::Button:
      ::PostMessageW(window_, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
      break;
    case Closing::Escape:
      // Posted to the focused button, as a key press reaches it: the message loop turns
      // it into the window's cancel command.
      ::PostMessageW(button, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
      break;
    case Closing::CloseBox:
      ::PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
  }
  EXPECT_EQ(ExitCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(Closing, Qen2005Window,
                         ::testing::Values(Closing::Button, Closing::Escape, Closing::CloseBox),
                         [](const ::testing::TestParamInfo<Closing>& info) {
                           return std::string(NameOf(info.param));
                         });

}  // namespace
