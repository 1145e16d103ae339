// Threads for work spread over the processor's cores: a thread, a mutex, a counting
// semaphore, and how many processors there are. Only the pck tool starts threads; the
// installer runs on one.
//
// POSIX: pthreads and semaphores. A thread started here takes no SIGINT or SIGTERM: they
// reach the thread that started the run, where the interrupt clean-up waits while a file
// is made and registered (platform/interrupt.h). Windows: _beginthreadex, critical
// sections and semaphores, all there since Windows 2000, so the programs still start on XP.
#pragma once

#include <functional>
#include <memory>

namespace platform {

class Thread {
 public:
  // Starts `body` on a new thread; raises platform::Exception when none can be started.
  // An exception that leaves `body` ends the process, as one leaving main would.
  explicit Thread(std::function<void()> body);
  // Waits for the thread to end.
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

class Mutex {
 public:
  Mutex();
  ~Mutex();
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;
  void Lock();
  void Unlock();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Holds a mutex for as long as it lives.
class MutexLock {
 public:
  explicit MutexLock(Mutex& mutex) : mutex_(mutex) { mutex_.Lock(); }
  ~MutexLock() { mutex_.Unlock(); }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

 private:
  Mutex& mutex_;
};

// A count that Post raises and Wait lowers, waiting while it is 0.
class Semaphore {
 public:
  explicit Semaphore(int initial = 0);
  ~Semaphore();
  Semaphore(const Semaphore&) = delete;
  Semaphore& operator=(const Semaphore&) = delete;
  void Post();
  void Wait();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The processors the process may run on (at least 1).
int ProcessorCount();

}  // namespace platform
