// Windows side of the threads port: _beginthreadex (so the C runtime knows the thread),
// critical sections and semaphores, as Windows 2000 and XP have them.
#include <windows.h>
#include <process.h>

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
  std::function<void()> body;
  HANDLE thread = nullptr;
};

Thread::Thread(std::function<void()> body) : impl_(std::make_unique<Impl>()) {
  impl_->body = std::move(body);
  const uintptr_t handle = ::_beginthreadex(nullptr, 0, RunBody, &impl_->body, 0, nullptr);
  if (handle == 0)
    throw Exception(std::string("Cannot start a thread"), win32::ErrorText(::GetLastError()));
  impl_->thread = reinterpret_cast<HANDLE>(handle);
}

Thread::~Thread() {
  ::WaitForSingleObject(impl_->thread, INFINITE);
  ::CloseHandle(impl_->thread);
}

struct Mutex::Impl {
  CRITICAL_SECTION section;
};

Mutex::Mutex() : impl_(std::make_unique<Impl>()) { ::InitializeCriticalSection(&impl_->section); }
Mutex::~Mutex() { ::DeleteCriticalSection(&impl_->section); }
void Mutex::Lock() { ::EnterCriticalSection(&impl_->section); }
void Mutex::Unlock() { ::LeaveCriticalSection(&impl_->section); }

struct Semaphore::Impl {
  HANDLE semaphore = nullptr;
};

Semaphore::Semaphore(int initial) : impl_(std::make_unique<Impl>()) {
  impl_->semaphore = ::CreateSemaphoreA(nullptr, initial, LONG_MAX, nullptr);
  if (!impl_->semaphore)
    throw Exception(std::string("Cannot make a semaphore"), win32::ErrorText(::GetLastError()));
}
Semaphore::~Semaphore() { ::CloseHandle(impl_->semaphore); }
void Semaphore::Post() { ::ReleaseSemaphore(impl_->semaphore, 1, nullptr); }
void Semaphore::Wait() { ::WaitForSingleObject(impl_->semaphore, INFINITE); }

int ProcessorCount() {
  SYSTEM_INFO info;
  ::GetSystemInfo(&info);
  return info.dwNumberOfProcessors > 0 ? static_cast<int>(info.dwNumberOfProcessors) : 1;
}

}  // namespace platform
