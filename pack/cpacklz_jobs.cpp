// TCustomPackLz with workers (Jobs above 1): members are compressed and restored on worker
// threads while the calling thread writes and reads the package in order.
//
// Reading: once a member's stored bytes are in its staging file, the calling thread makes
// the file its new content goes to, beside the target (PrepareTarget: folders, in order, as
// one thread would), and hands the member to a slot, whose own driver restores the staging
// file into it on a worker. Between entries the calling thread finishes, in the package's
// order, the members whose restoring is done, exactly as CloseTarget finishes a member on
// one thread: the failure it came to, the digest check, putting the new content in place,
// and what the run reports of it. When every slot is in flight it waits for the oldest.
//
// Writing: the sources planned (PlanSources) are compressed ahead, each into its slot's
// staging file, at most InFlightFor(Jobs) at a time; the writer takes them in its order and
// copies each into the package as if it had compressed it itself.
//
// A worker touches only its slot: its driver, its staging file and the member's new
// content (both made, and registered for removal on interrupt, by the calling thread), and
// the files port WorkerFiles(). Workers report nothing; progress and messages come from the
// calling thread.
#include "pack/cpacklz_jobs.h"

#include "compress/lzrw1.h"
#include "pack/pack_io.h"
#include "pack/pack_messages.h"
#include "platform/files.h"

namespace pack {

TCustomPackLz::Pipeline& TCustomPackLz::Workers() {
  if (!pipeline_) pipeline_ = std::make_unique<Pipeline>(Jobs);
  return *pipeline_;
}

void TCustomPackLz::SwapMember(MemberInFlight& other) {
  TCustomPack::SwapMember(other);
  tempFile_.swap(other.Staging);
}

TCustomPackLz::Slot& TCustomPackLz::FreeSlot() {
  Pipeline& pipeline = Workers();
  for (;;) {
    for (const auto& slot : pipeline.Slots)
      if (!slot->Busy) return *slot;
    if (static_cast<int>(pipeline.Slots.size()) < InFlightFor(Jobs)) break;
    // Every slot is in flight: the oldest member is finished first.
    Slot& oldest = *pipeline.Order.front();
    pipeline.Order.pop_front();
    FinishSlot(oldest);
  }
  auto slot = std::make_unique<Slot>();
  {
    const platform::InterruptsHeld held;  // made and registered, or neither
    slot->Member.Staging = platform::TempFilesPort().CreateUnique(stagingDir_, kStagingPrefix);
    if (slot->Member.Staging.empty())
      throw EPackException(FailureKind::OpenFailed,
                           platform::Naming(msg::kNoStagingFile, stagingDir_));
    slot->StagingGuard = platform::RemoveOnInterrupt(slot->Member.Staging);
  }
  pipeline.Slots.push_back(std::move(slot));
  return *pipeline.Slots.back();
}

// ---- reading ------------------------------------------------------------------------

bool TCustomPackLz::HandOver(const std::string& fileName) {
  if (Jobs <= 1 || !RestoreMembers) return false;
  Slot& slot = FreeSlot();
  // What CloseTarget does first, on this thread; a failure is the member's, met when it is
  // finished.
  try {
    if (MemberFile) {
      std::unique_ptr<platform::File> staging = std::move(MemberFile);
      io::CloseFile(*staging, tempFile_);
    }
  } catch (...) {
    slot.Early = std::current_exception();
  }
  HandMemberTo(slot.Member);
  slot.Target = fileName;
  slot.Busy = true;
  Workers().Order.push_back(&slot);
  if (!slot.Early) StartRestore(slot);
  return true;
}

void TCustomPackLz::PrepareInEngine(Slot& slot, bool restoreHere) {
  SwapMember(slot.Member);
  try {
    Target.reset();
    PrepareTarget(slot.Target, platform::Access::ReadWrite);
    if (restoreHere) Restore(tempFile_, slot.Target, true);
  } catch (...) {
    slot.Early = std::current_exception();
  }
  SwapMember(slot.Member);
}

void TCustomPackLz::StartRestore(Slot& slot) {
  PrepareInEngine(slot, false);
  if (slot.Early) return;
  compress::Tlzrw1& driver = slot.Driver;
  driver.InputFile = slot.Member.Staging;
  driver.OutputFile = slot.Target;
  driver.Files = &WorkerFiles();
  driver.OnProgress = nullptr;
  driver.ReadInputThrough = nullptr;
  driver.CreateOutput = [&slot](const std::string&) {
    return Tallied(slot.Member.Target->TakeFile(), *slot.Member.Content);
  };
  slot.Work = std::make_unique<platform::Job>([&driver] { driver.Decompress(); });
  Workers().Pool.Submit(*slot.Work, slot.Member.Entry->Size);
}

void TCustomPackLz::RestoreAlone(Slot& slot) {
  std::deque<Slot*>& order = pipeline_->Order;
  // The members after it let go of what they made, and wait.
  for (Slot* later : order) {
    if (!later->Work) continue;
    later->Work->Wait();
    later->Work.reset();
    later->Member.Target.reset();
  }
  slot.Work.reset();
  PrepareInEngine(slot, true);
  for (Slot* later : order)
    if (!later->Early) StartRestore(*later);
}

void TCustomPackLz::FinishHandedOver(bool all) {
  if (!pipeline_) return;
  std::deque<Slot*>& order = pipeline_->Order;
  while (!order.empty() && pipeline_->Planned.empty()) {
    Slot& slot = *order.front();
    if (!all && slot.Work && !slot.Work->Finished()) return;
    order.pop_front();
    FinishSlot(slot);
  }
}

void TCustomPackLz::FinishSlot(Slot& slot) {
  // The member is the engine's while it is finished, and the slot's again after, whatever
  // comes of it.
  struct SwapBack {
    TCustomPackLz& Pack;
    Slot& Held;
    ~SwapBack() {
      Pack.finishing_ = nullptr;
      Pack.SwapMember(Held.Member);
      Held.Free();
    }
  };
  // The worker is done with the member before the engine takes it.
  if (slot.Work) slot.Work->Wait();
  if (slot.Work && slot.Work->Failed() && platform::InterruptStatus() == 0) RestoreAlone(slot);
  std::string target = slot.Member.TargetPath;
  SwapMember(slot.Member);
  const SwapBack back{*this, slot};
  finishing_ = &slot;
  CloseMember(target);
}

void TCustomPackLz::AwaitRestored() {
  Slot& slot = *finishing_;
  if (slot.Early) std::rethrow_exception(slot.Early);
  if (!slot.Work) return;  // restored here (RestoreAlone)
  slot.Work->Wait();
  slot.Work->Rethrow();
}

void TCustomPackLz::DropInFlight() noexcept {
  if (!pipeline_) return;
  for (Slot* slot : pipeline_->Order) {
    if (slot->Work) slot->Work->Wait();
    slot->Member.Target.reset();  // the new content goes; the target stays as it was
    slot->Member.File.reset();
    slot->Free();
    try {
      Files().Delete(slot->Member.Staging);
    } catch (...) {
    }
  }
  pipeline_->Order.clear();
  pipeline_->Planned.clear();
  pipeline_->Next = 0;
}

// ---- writing ------------------------------------------------------------------------

void TCustomPackLz::PlanSources(const std::vector<std::string>& paths,
                                const std::vector<int64_t>& sizes) {
  if (Jobs <= 1) return;
  Pipeline& pipeline = Workers();
  pipeline.Planned = paths;
  pipeline.PlannedSizes = sizes;
  pipeline.Next = 0;
}

void TCustomPackLz::PackAhead() {
  Pipeline& pipeline = *pipeline_;
  while (pipeline.Next < pipeline.Planned.size() &&
         static_cast<int>(pipeline.Order.size()) < InFlightFor(Jobs)) {
    Slot& slot = FreeSlot();
    const int64_t size = pipeline.PlannedSizes[pipeline.Next];
    slot.Source = pipeline.Planned[pipeline.Next++];
    slot.Output = CreateStagingAt(slot.Member.Staging, platform::Access::ReadWrite);
    compress::Tlzrw1& driver = slot.Driver;
    driver.InputFile = slot.Source;
    driver.OutputFile = slot.Member.Staging;
    driver.Files = &WorkerFiles();
    driver.CompressMode = CompressMode;
    driver.InputShare = platform::Share::Read;
    driver.OnProgress = nullptr;
    // A staging file that could not be made fails as the driver's own output would.
    driver.CreateOutput = [&slot](const std::string&) { return std::move(slot.Output); };
    driver.ReadInputThrough = [&slot](std::unique_ptr<platform::File> input) {
      return Tallied(std::move(input), *slot.Tally);
    };
    slot.Work = std::make_unique<platform::Job>([&driver] { driver.Compress(); });
    slot.Busy = true;
    pipeline.Order.push_back(&slot);
    pipeline.Pool.Submit(*slot.Work, size);
  }
}

bool TCustomPackLz::TakePacked(const std::string& fileName) {
  if (!pipeline_ || pipeline_->Planned.empty()) return false;
  PackAhead();
  std::deque<Slot*>& order = pipeline_->Order;
  // A source the writer did not plan is compressed here.
  if (order.empty() || order.front()->Source != fileName) return false;
  Slot& slot = *order.front();
  order.pop_front();
  slot.Work->Wait();
  const std::unique_ptr<platform::Job> work = std::move(slot.Work);
  // The slot's staging file becomes the engine's, and the engine's (emptied by the
  // member before) the slot's; so does the source's digest.
  tempFile_.swap(slot.Member.Staging);
  AdoptSourceTally(slot.Tally);
  slot.Free();
  work->Rethrow();
  PackAhead();
  MemberFile = io::Open(Files(), tempFile_, platform::Access::Read, platform::Share::Read,
                        platform::Disposition::OpenExisting, msg::kCannotOpen);
  return true;
}

}  // namespace pack
