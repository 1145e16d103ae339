// The threads port and the worker pool: every job runs once and its owner sees what it
// did, the heaviest waiting job goes first, a job's failure reaches its owner, and a pool
// that goes finishes what was handed to it.
#include "platform/workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "platform/threads.h"

namespace {

TEST(WorkerPool, EveryJobRunsOnceAndItsOwnerSeesWhatItDid) {
  for (const int workers : {1, 2, 5}) {
    SCOPED_TRACE(workers);
    platform::WorkerPool pool(workers);
    EXPECT_EQ(pool.Workers(), workers);
    constexpr int kJobs = 200;
    std::vector<int> results(kJobs, 0);  // each written by one job, read after its Wait
    std::atomic<int> runs{0};
    std::vector<std::unique_ptr<platform::Job>> jobs;
    for (int i = 0; i < kJobs; ++i) {
      jobs.push_back(std::make_unique<platform::Job>([&results, &runs, i] {
        results[static_cast<std::size_t>(i)] = i * i;
        ++runs;
      }));
      pool.Submit(*jobs.back(), i % 7);
    }
    for (int i = 0; i < kJobs; ++i) {
      jobs[static_cast<std::size_t>(i)]->Wait();
      EXPECT_TRUE(jobs[static_cast<std::size_t>(i)]->Finished());
      EXPECT_FALSE(jobs[static_cast<std::size_t>(i)]->Failed());
      EXPECT_EQ(results[static_cast<std::size_t>(i)], i * i);
    }
    EXPECT_EQ(runs.load(), kJobs);
  }
}

TEST(WorkerPool, TheHeaviestWaitingJobGoesFirstAndEqualOnesInTheirOrder) {
  platform::WorkerPool pool(1);
  // The one worker is held while the others are handed over.
  platform::Semaphore gate;
  platform::Job holder([&gate] { gate.Wait(); });
  pool.Submit(holder, 1000);
  std::vector<int> order;
  platform::Mutex guard;
  struct Case {
    int id;
    int64_t weight;
  };
  const Case cases[] = {{1, 1}, {2, 5}, {3, 3}, {4, 5}, {5, 0}, {6, 3}};
  std::vector<std::unique_ptr<platform::Job>> jobs;
  for (const Case& c : cases) {
    jobs.push_back(std::make_unique<platform::Job>([&order, &guard, id = c.id] {
      const platform::MutexLock lock(guard);
      order.push_back(id);
    }));
    pool.Submit(*jobs.back(), c.weight);
  }
  gate.Post();
  for (auto& job : jobs) job->Wait();
  holder.Wait();
  EXPECT_EQ(order, (std::vector<int>{2, 4, 3, 6, 1, 5}));
}

TEST(WorkerPool, AJobsFailureReachesItsOwnerAndTheOthersRun) {
  platform::WorkerPool pool(2);
  platform::Job failing([] { throw std::runtime_error("member 3: disk full"); });
  platform::Job fine([] {});
  pool.Submit(failing);
  pool.Submit(fine);
  failing.Wait();
  fine.Wait();
  EXPECT_TRUE(failing.Failed());
  EXPECT_FALSE(fine.Failed());
  EXPECT_NO_THROW(fine.Rethrow());
  try {
    failing.Rethrow();
    ADD_FAILURE() << "nothing raised";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "member 3: disk full");
  }
}

TEST(WorkerPool, APoolThatGoesRunsWhatWasHandedToItAndAJobNeverHandedOverIsNoWait) {
  std::atomic<int> runs{0};
  std::vector<std::unique_ptr<platform::Job>> jobs;
  {
    platform::WorkerPool pool(2);
    for (int i = 0; i < 50; ++i) {
      jobs.push_back(std::make_unique<platform::Job>([&runs] { ++runs; }));
      pool.Submit(*jobs.back());
    }
  }
  EXPECT_EQ(runs.load(), 50);
  platform::Job idle([] {});
  idle.Wait();  // returns at once
  EXPECT_FALSE(idle.Finished());
}

TEST(Threads, AMutexKeepsCountsOfSeveralThreadsExactAndASemaphoreCountsEveryPost) {
  platform::Mutex mutex;
  platform::Semaphore done;
  long counter = 0;  // guarded by mutex
  constexpr int kThreads = 4, kRounds = 20000;
  {
    std::vector<std::unique_ptr<platform::Thread>> threads;
    for (int t = 0; t < kThreads; ++t)
      threads.push_back(std::make_unique<platform::Thread>([&] {
        for (int i = 0; i < kRounds; ++i) {
          const platform::MutexLock lock(mutex);
          ++counter;
        }
        done.Post();
      }));
    for (int t = 0; t < kThreads; ++t) done.Wait();  // one count per thread
  }
  EXPECT_EQ(counter, static_cast<long>(kThreads) * kRounds);
  EXPECT_GE(platform::ProcessorCount(), 1);
}

}  // namespace
