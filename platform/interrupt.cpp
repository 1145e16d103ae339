// The registry of paths to remove on interrupt: a fixed table, so that a signal handler
// can walk it without taking locks or memory. A slot is claimed (free to filling, in one
// step, so that two threads never take the same one), filled, and only then marked in
// use; it is marked free before it is reused, so a handler sees only whole paths.
#include "platform/interrupt.h"

#include <atomic>
#include <cstring>
#include <utility>

#include "platform/exceptions.h"

namespace platform {

namespace detail {
// The platform's spelling of a path, and its removal from inside a handler.
std::string NativeInterruptPath(const std::string& path);
void RemoveNow(const char* path, bool directory) noexcept;
}  // namespace detail

namespace {

// Enough for the files of every member in flight when members are packed or restored on
// several threads (each has its staging file and its new content), besides the run's own.
constexpr int kSlots = 128;
constexpr std::size_t kPathMax = 4096;

enum SlotState : int { Free = 0, Filling = 1, InUse = 2 };

struct Slot {
  std::atomic<int> State{Free};
  bool Directory = false;
  char Path[kPathMax] = {};
};

Slot g_slots[kSlots];
std::atomic<int> g_status{0};

static_assert(std::atomic<int>::is_always_lock_free, "the handler reads these without locks");

}  // namespace

RemoveOnInterrupt::RemoveOnInterrupt(const std::string& path, bool directory) {
  const std::string native = detail::NativeInterruptPath(path);
  if (native.empty() || native.size() >= kPathMax) return;  // cannot be kept: not removed
  for (int i = 0; i < kSlots; ++i) {
    Slot& slot = g_slots[i];
    int expected = Free;
    if (!slot.State.compare_exchange_strong(expected, Filling)) continue;
    std::memcpy(slot.Path, native.c_str(), native.size() + 1);
    slot.Directory = directory;
    slot.State.store(InUse);
    slot_ = i;
    return;
  }
}

RemoveOnInterrupt::RemoveOnInterrupt(RemoveOnInterrupt&& other) noexcept
    : slot_(std::exchange(other.slot_, -1)) {}

RemoveOnInterrupt& RemoveOnInterrupt::operator=(RemoveOnInterrupt&& other) noexcept {
  if (this != &other) {
    Release();
    slot_ = std::exchange(other.slot_, -1);
  }
  return *this;
}

void RemoveOnInterrupt::Release() {
  if (slot_ < 0) return;
  g_slots[slot_].State.store(Free);
  slot_ = -1;
}

int InterruptStatus() { return g_status.load(); }

void ThrowIfInterrupted() {
  if (g_status.load() != 0) throw platform::EAbort();
}

namespace detail {

void NoteInterrupt(int status) noexcept { g_status.store(status); }

void RemoveRegistered() noexcept {
  for (const bool directories : {false, true})
    for (Slot& slot : g_slots)
      if (slot.State.load() == InUse && slot.Directory == directories)
        RemoveNow(slot.Path, directories);
}

}  // namespace detail
}  // namespace platform
