// A fixed set of worker threads (platform/threads.h) that run the jobs handed over, the
// heaviest waiting one first (so that a long job does not start last and hold up the end),
// jobs of one weight in the order they came. The one who hands a job over owns it and waits for it
// (Job::Wait); what a job raises is kept and raised again to its owner (Job::Rethrow), on the
// owner's thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "platform/threads.h"

namespace platform {

class Job {
 public:
  Job() = default;
  explicit Job(std::function<void()> body) : body_(std::move(body)) {}
  Job(const Job&) = delete;
  Job& operator=(const Job&) = delete;

  // Waits until the job has run (at once when it already has, or was never handed over).
  void Wait();
  // The job has run; after this, Rethrow and its effects may be looked at without Wait.
  bool Finished() const { return finished_.load(std::memory_order_acquire); }
  // The job raised something (after Wait).
  bool Failed() const { return error_ != nullptr; }
  // Raises what the job raised, if anything (after Wait).
  void Rethrow() const {
    if (error_) std::rethrow_exception(error_);
  }

 private:
  friend class WorkerPool;
  void Run() noexcept;

  std::function<void()> body_;
  std::exception_ptr error_;
  std::atomic<bool> finished_{false};
  bool handedOver_ = false, waited_ = false;
  Semaphore done_;
};

class WorkerPool {
 public:
  // `workers` threads (at least 1).
  explicit WorkerPool(int workers);
  // Runs the jobs still waiting, then ends the threads.
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int Workers() const { return static_cast<int>(threads_.size()); }
  // Hands `job` over, with its weight (how long it is expected to take, in any unit); it
  // must live until its Wait returns. A job is handed over once.
  void Submit(Job& job, int64_t weight = 0);

 private:
  void Serve();

  Mutex mutex_;
  struct Waiting {
    Job* Work;  // null asks a thread to stop
    int64_t Weight;
  };
  Semaphore waiting_;          // one count per entry of queue_
  std::deque<Waiting> queue_;  // guarded by mutex_, in the order handed over
  std::vector<std::unique_ptr<Thread>> threads_;
};

}  // namespace platform
