// Message boxes and the message pump of the Windows dialogs port, driven for real: a
// helper thread finds the message box, checks it and presses a button.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/system.h"
#include "support/helper_thread.h"

namespace port_tests {
namespace {

struct SeenBox {
  bool found = false;
  std::string text;
  std::vector<int> buttons;  // ids of the present answer buttons
  bool hasIcon = false;
};

HWND WaitForBox(const char* title) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    // Visible once its initialisation (title, buttons) is complete.
    HWND box = ::FindWindowA("#32770", title);
    if (box && ::IsWindowVisible(box)) return box;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return nullptr;
}

BOOL CALLBACK NoteIcon(HWND child, LPARAM seen) {
  char cls[16] = {};
  ::GetClassNameA(child, cls, sizeof cls);
  const LONG style = ::GetWindowLongA(child, GWL_STYLE);
  if (lstrcmpiA(cls, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON &&
      ::SendMessageA(child, STM_GETICON, 0, 0) != 0)
    reinterpret_cast<SeenBox*>(seen)->hasIcon = true;
  return TRUE;
}

using testing_support::HelperThread;

// Waits for the message box titled `title`, records what it shows and answers `press`.
HelperThread Answer(const char* title, int press, SeenBox& seen) {
  return HelperThread([title, press, &seen] {
    HWND box = WaitForBox(title);
    if (!box) return;
    seen.found = true;
    char text[256] = {};
    ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    seen.text = text;
    for (int id = platform::kIdOk; id <= platform::kIdNo; ++id)
      if (::GetDlgItem(box, id)) seen.buttons.push_back(id);
    ::EnumChildWindows(box, NoteIcon, reinterpret_cast<LPARAM>(&seen));
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(press, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, press)));
  });
}

TEST(PlatformDialogs, MessageBoxShowsTheButtonSetAndReturnsTheAnswer) {
  SeenBox seen;
  HelperThread helper = Answer("Disk error", platform::kIdRetry, seen);
  const int answer =
      platform::DialogsPort().Show(platform::DialogKind::Error, "Disk error",
                                   "Cannot read A:", platform::Buttons::AbortRetryIgnore);
  helper.Join();
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(answer, platform::kIdRetry);
  EXPECT_EQ(seen.text, "Cannot read A:");
  EXPECT_EQ(seen.buttons,
            (std::vector<int>{platform::kIdAbort, platform::kIdRetry, platform::kIdIgnore}));
  EXPECT_TRUE(seen.hasIcon);
}

TEST(PlatformDialogs, EmptyCaptionTakesTheKindsTitle) {
  const struct {
    platform::DialogKind kind;
    const char* title;
    platform::Buttons buttons;
    int press;
    std::vector<int> expected;
  } cases[] = {
      {platform::DialogKind::Confirmation,
       "Confirm",
       platform::Buttons::YesNo,
       platform::kIdNo,
       {platform::kIdYes, platform::kIdNo}},
      {platform::DialogKind::Warning,
       "Warning",
       platform::Buttons::OkCancel,
       platform::kIdCancel,
       {platform::kIdOk, platform::kIdCancel}},
      {platform::DialogKind::Information,
       "Information",
       platform::Buttons::Ok,
       platform::kIdOk,
       {platform::kIdOk}},
      {platform::DialogKind::Warning,
       "Warning",
       platform::Buttons::YesNoCancel,
       platform::kIdYes,
       {platform::kIdCancel, platform::kIdYes, platform::kIdNo}},
      {platform::DialogKind::Error,
       "Error",
       platform::Buttons::RetryCancel,
       platform::kIdRetry,
       {platform::kIdCancel, platform::kIdRetry}},
  };
  for (const auto& c : cases) {
    SeenBox seen;
    HelperThread helper = Answer(c.title, c.press, seen);
    const int answer = platform::DialogsPort().Show(c.kind, "", "Question", c.buttons);
    helper.Join();
    ASSERT_TRUE(seen.found) << c.title;
    EXPECT_EQ(answer, c.press) << c.title;
    EXPECT_EQ(seen.buttons, c.expected) << c.title;
  }
}

// Shows a box with `buttons`, notes the answer buttons present and the sum of the left
// edge of the first and the right edge of the last (twice the row's middle), answers Abort.
struct ButtonRow {
  std::vector<int> ids;
  int edges = 0;
};
ButtonRow ShowAndMeasure(const char* title, platform::Buttons buttons) {
  ButtonRow row;
  HelperThread helper([&] {
    HWND box = WaitForBox(title);
    if (!box) return;
    for (int id = platform::kIdOk; id <= platform::kIdNo; ++id)
      if (::GetDlgItem(box, id)) row.ids.push_back(id);
    RECT first{}, last{};
    ::GetWindowRect(::GetDlgItem(box, row.ids.front()), &first);
    ::GetWindowRect(::GetDlgItem(box, row.ids.back()), &last);
    row.edges = first.left + last.right;
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(platform::kIdAbort, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, platform::kIdAbort)));
  });
  EXPECT_EQ(platform::DialogsPort().Show(platform::DialogKind::Error, title, "Failed", buttons),
            platform::kIdAbort);
  helper.Join();
  return row;
}

TEST(PlatformDialogs, AbortRetryHasNoIgnoreAndItsTwoButtonsStandWhereTheThreeDid) {
  const ButtonRow three = ShowAndMeasure("Three", platform::Buttons::AbortRetryIgnore);
  const ButtonRow two = ShowAndMeasure("Two", platform::Buttons::AbortRetry);
  EXPECT_EQ(three.ids,
            (std::vector<int>{platform::kIdAbort, platform::kIdRetry, platform::kIdIgnore}));
  EXPECT_EQ(two.ids, (std::vector<int>{platform::kIdAbort, platform::kIdRetry}));
  // Both rows have the same middle, give or take a pixel of rounding.
  EXPECT_NEAR(two.edges, three.edges, 2);
  // The box after it is a full Abort/Retry/Ignore one again.
  EXPECT_EQ(ShowAndMeasure("Again", platform::Buttons::AbortRetryIgnore).ids, three.ids);
}

std::atomic<int> g_delivered{0};
LRESULT CALLBACK CountingProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP) {
    g_delivered += static_cast<int>(wp);
    return 0;
  }
  return ::DefWindowProcA(w, msg, wp, lp);
}

class PlatformMessagePump : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "PortTestCounter";
    ::RegisterClassA(&wc);
    window_ = ::CreateWindowA("PortTestCounter", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              wc.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    g_delivered = 0;
  }
  void TearDown() override {
    if (window_) ::DestroyWindow(window_);
  }
  HWND window_ = nullptr;
};

TEST_F(PlatformMessagePump, DeliversPendingMessages) {
  for (int i = 1; i <= 3; ++i) ASSERT_TRUE(::PostMessageA(window_, WM_APP, i, 0));
  EXPECT_EQ(g_delivered, 0);
  platform::DialogsPort().ProcessMessages();
  EXPECT_EQ(g_delivered, 6);
  platform::DialogsPort().ProcessMessages();  // nothing pending: returns at once
  EXPECT_EQ(g_delivered, 6);
}

TEST_F(PlatformMessagePump, LeavesAQuitRequestForTheMessageLoop) {
  ::PostQuitMessage(5);
  ASSERT_TRUE(::PostMessageA(window_, WM_APP, 1, 0));
  platform::DialogsPort().ProcessMessages();
  EXPECT_EQ(g_delivered, 1);
  MSG msg;
  ASSERT_TRUE(::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 5u);
  EXPECT_FALSE(::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

}  // namespace
}  // namespace port_tests
#endif
