#include "platform/workers.h"

#include <cassert>
#include <cstdint>
#include <limits>

namespace platform {

void Job::Run() noexcept {
  try {
    if (body_) body_();
  } catch (...) {
    error_ = std::current_exception();
  }
  finished_.store(true, std::memory_order_release);
  done_.Post();
}

void Job::Wait() {
  if (!handedOver_ || waited_) return;
  done_.Wait();
  waited_ = true;
}

WorkerPool::WorkerPool(int workers) {
  for (int i = 0; i < (workers < 1 ? 1 : workers); ++i)
    threads_.push_back(std::make_unique<Thread>([this] { Serve(); }));
}

WorkerPool::~WorkerPool() {
  {
    const MutexLock lock(mutex_);
    // Behind every job still waiting.
    for (std::size_t i = 0; i < threads_.size(); ++i)
      queue_.push_back({nullptr, std::numeric_limits<int64_t>::min()});
  }
  for (std::size_t i = 0; i < threads_.size(); ++i) waiting_.Post();
  threads_.clear();  // each joins
}

void WorkerPool::Submit(Job& job, int64_t weight) {
  assert(!job.handedOver_);
  job.handedOver_ = true;
  {
    const MutexLock lock(mutex_);
    queue_.push_back({&job, weight});
  }
  waiting_.Post();
}

void WorkerPool::Serve() {
  for (;;) {
    waiting_.Wait();
    Job* job = nullptr;
    {
      const MutexLock lock(mutex_);
      auto heaviest = queue_.begin();
      for (auto it = queue_.begin(); it != queue_.end(); ++it)
        if (it->Weight > heaviest->Weight) heaviest = it;
      job = heaviest->Work;
      queue_.erase(heaviest);
    }
    if (!job) return;
    job->Run();
  }
}

}  // namespace platform
