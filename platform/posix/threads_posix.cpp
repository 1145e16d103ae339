// POSIX side of the threads port: pthreads and unnamed semaphores.
#include <pthread.h>
#include <sched.h>
#include <semaphore.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/exceptions.h"
#include "platform/threads.h"

namespace platform {
namespace {

extern "C" void* RunBody(void* arg) {
  (*static_cast<std::function<void()>*>(arg))();
  return nullptr;
}

}  // namespace

struct Thread::Impl {
  std::function<void()> Body;
  pthread_t Handle{};
};

Thread::Thread(std::function<void()> body) : impl_(std::make_unique<Impl>()) {
  impl_->Body = std::move(body);
  // The new thread starts with the signals that end a run blocked, and keeps them so.
  sigset_t blocked, saved;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGINT);
  sigaddset(&blocked, SIGTERM);
  ::pthread_sigmask(SIG_BLOCK, &blocked, &saved);
  const int error = ::pthread_create(&impl_->Handle, nullptr, RunBody, &impl_->Body);
  ::pthread_sigmask(SIG_SETMASK, &saved, nullptr);
  if (error != 0)
    throw Exception(std::string("Cannot start a thread"), std::string(std::strerror(error)));
}

Thread::~Thread() { ::pthread_join(impl_->Handle, nullptr); }

struct Mutex::Impl {
  pthread_mutex_t Handle = PTHREAD_MUTEX_INITIALIZER;
};

Mutex::Mutex() : impl_(std::make_unique<Impl>()) {}
Mutex::~Mutex() { ::pthread_mutex_destroy(&impl_->Handle); }
void Mutex::Lock() { ::pthread_mutex_lock(&impl_->Handle); }
void Mutex::Unlock() { ::pthread_mutex_unlock(&impl_->Handle); }

struct Semaphore::Impl {
  sem_t Handle{};
};

Semaphore::Semaphore(int initial) : impl_(std::make_unique<Impl>()) {
  ::sem_init(&impl_->Handle, 0, static_cast<unsigned>(initial));
}
Semaphore::~Semaphore() { ::sem_destroy(&impl_->Handle); }
void Semaphore::Post() { ::sem_post(&impl_->Handle); }
void Semaphore::Wait() {
  while (::sem_wait(&impl_->Handle) != 0 && errno == EINTR) {
  }
}

int ProcessorCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return count;
  }
  const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<int>(online) : 1;
}

}  // namespace platform
