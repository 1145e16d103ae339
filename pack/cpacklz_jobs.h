// The slots and workers of TCustomPackLz with Jobs above 1 (cpacklz_jobs.cpp).
#pragma once

#include <deque>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "compress/lzrw1.h"
#include "pack/cpacklz.h"
#include "platform/files.h"
#include "platform/interrupt.h"
#include "platform/workers.h"

namespace pack {

struct TCustomPackLz::Slot {
  compress::Tlzrw1 Driver{nullptr};
  // Reading: the member handed over; its Staging is the slot's staging file, also while
  // the slot is free.
  MemberInFlight Member;
  platform::RemoveOnInterrupt StagingGuard;
  std::unique_ptr<platform::Job> Work;
  // Reading: the member's new content could not be prepared (nothing was started).
  std::exception_ptr Early;
  // Writing: the source packed into the staging file, the staging file the driver is
  // given, and the source's digest taken on the way.
  std::string Source;
  // Reading: the member's target.
  std::string Target;
  std::unique_ptr<platform::File> Output;
  std::unique_ptr<StreamTally> Tally = std::make_unique<StreamTally>();
  bool Busy = false;

  void Free() {
    Busy = false;
    Work.reset();
    Early = nullptr;
    Output.reset();
  }
};

class TCustomPackLz::Pipeline {
 public:
  explicit Pipeline(int jobs) : Pool(jobs) {}
  ~Pipeline() {
    for (const auto& slot : Slots) {
      if (slot->Work) slot->Work->Wait();
      slot->Member.Target.reset();
      slot->Output.reset();
      // A slot's staging file goes with it (the engine's goes with the engine).
      platform::FileSystemPort().Delete(slot->Member.Staging);
    }
  }

  // Declared before the pool, so that the pool (and its threads) ends first.
  std::vector<std::unique_ptr<Slot>> Slots;
  platform::WorkerPool Pool;
  std::deque<Slot*> Order;  // in flight, in the package's order
  std::vector<std::string> Planned;
  std::vector<int64_t> PlannedSizes;
  std::size_t Next = 0;  // the next planned source to start packing
};

}  // namespace pack
