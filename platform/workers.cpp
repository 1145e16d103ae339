#include "platform/workers.h"

#include <cassert>

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
    for (std::size_t i = 0; i < threads_.size(); ++i) queue_.push_back(nullptr);
  }
  for (std::size_t i = 0; i < threads_.size(); ++i) waiting_.Post();
  threads_.clear();  // each joins
}

void WorkerPool::Submit(Job& job) {
  assert(!job.handedOver_);
  job.handedOver_ = true;
  {
    const MutexLock lock(mutex_);
    queue_.push_back(&job);
  }
  waiting_.Post();
}

void WorkerPool::Serve() {
  for (;;) {
    waiting_.Wait();
    Job* job = nullptr;
    {
      const MutexLock lock(mutex_);
      job = queue_.front();
      queue_.pop_front();
    }
    if (!job) return;
    job->Run();
  }
}

}  // namespace platform
