// Windows side of the threads port: _beginthreadex (so the C runtime knows the thread),
// critical sections and semaphores, as Windows 2000 and XP have them.
#include <process.h>
#include <windows.h>

#include <climits>

#include "platform/exceptions.h"
#include "platform/threads.h"
#include "platform/win32/error_win32.h"

namespace platform {
namespace {

unsigned __stdcall RunBody(void* arg) {
  (*static_cast<std::function<void()>*>(arg))();
  return 0;
}

}  // namespace

struct Thread::Impl {
  std::function<void()> Body;
  HANDLE Handle = nullptr;
};

Thread::Thread(std::function<void()> body) : impl_(std::make_unique<Impl>()) {
  impl_->Body = std::move(body);
  const uintptr_t handle = ::_beginthreadex(nullptr, 0, RunBody, &impl_->Body, 0, nullptr);
  if (handle == 0)
    throw Exception(std::string("Cannot start a thread"), win32::ErrorText(::GetLastError()));
  impl_->Handle = reinterpret_cast<HANDLE>(handle);
}

Thread::~Thread() {
  ::WaitForSingleObject(impl_->Handle, INFINITE);
  ::CloseHandle(impl_->Handle);
}

struct Mutex::Impl {
  CRITICAL_SECTION Section;
};

Mutex::Mutex() : impl_(std::make_unique<Impl>()) { ::InitializeCriticalSection(&impl_->Section); }
Mutex::~Mutex() { ::DeleteCriticalSection(&impl_->Section); }
void Mutex::Lock() { ::EnterCriticalSection(&impl_->Section); }
void Mutex::Unlock() { ::LeaveCriticalSection(&impl_->Section); }

struct Semaphore::Impl {
  HANDLE Handle = nullptr;
};

Semaphore::Semaphore(int initial) : impl_(std::make_unique<Impl>()) {
  impl_->Handle = ::CreateSemaphoreA(nullptr, initial, LONG_MAX, nullptr);
  if (!impl_->Handle)
    throw Exception(std::string("Cannot make a semaphore"), win32::ErrorText(::GetLastError()));
}
Semaphore::~Semaphore() { ::CloseHandle(impl_->Handle); }
void Semaphore::Post() { ::ReleaseSemaphore(impl_->Handle, 1, nullptr); }
void Semaphore::Wait() { ::WaitForSingleObject(impl_->Handle, INFINITE); }

int ProcessorCount() {
  SYSTEM_INFO info;
  ::GetSystemInfo(&info);
  return info.dwNumberOfProcessors > 0 ? static_cast<int>(info.dwNumberOfProcessors) : 1;
}

}  // namespace platform
