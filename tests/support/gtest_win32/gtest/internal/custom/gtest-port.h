// GoogleTest's port settings for the Windows test programs. Their runtime (win32 threads,
// so that the programs start on Windows XP; cmake/mingw-common.cmake) has no std::mutex
// or std::condition_variable, of which GoogleTest makes only its Notification; here it
// is a Win32 event. The rest of GoogleTest's threading on Windows is Win32 already.
#pragma once

#ifdef _WIN32
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
 public:
  Notification() : event_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { ::CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { ::SetEvent(event_); }
  void WaitForNotification() { ::WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace testing::internal
#endif
