// A thread that runs one function beside the test and is joined before the test goes on:
// the Windows tests answer a message box from it while the test waits inside the box.
// The runtime the Windows programs are built with (win32 threads, so that they start on
// Windows XP) has no std::thread; this is the platform's own thread.
#pragma once
#ifdef _WIN32
#include <gtest/gtest.h>
#include <process.h>
#include <windows.h>

#include <functional>
#include <utility>

namespace testing_support {

class HelperThread {
 public:
  explicit HelperThread(std::function<void()> body) : body_(std::move(body)) {
    handle_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Run, this, 0, nullptr));
    if (!handle_) ADD_FAILURE() << "cannot start a helper thread (errno " << errno << ")";
  }
  // The thread runs on this object: it stays where it was made.
  HelperThread(const HelperThread&) = delete;
  HelperThread& operator=(const HelperThread&) = delete;
  ~HelperThread() { Join(); }

  void Join() {
    if (!handle_) return;
    ::WaitForSingleObject(handle_, INFINITE);
    ::CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  static unsigned __stdcall Run(void* self) {
    static_cast<HelperThread*>(self)->body_();
    return 0;
  }

  std::function<void()> body_;
  HANDLE handle_ = nullptr;
};

}  // namespace testing_support
#endif
