// The registry of paths to remove on interrupt: a fixed table, so that a signal handler
// can walk it without taking locks or memory. A slot is filled before it is marked in
// use and marked free before it is reused, so a handler sees only whole paths.
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

constexpr int kSlots = 64;
constexpr std::size_t kPathMax = 4096;

struct Slot {
  std::atomic<bool> Used{false};
  bool Directory = false;
  char Path[kPathMax] = {};
};

Slot g_slots[kSlots];
std::atomic<int> g_status{0};

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the handler reads these without locks");

}  // namespace

RemoveOnInterrupt::RemoveOnInterrupt(const std::string& path, bool directory) {
  const std::string native = detail::NativeInterruptPath(path);
  if (native.empty() || native.size() >= kPathMax) return;  // cannot be kept: not removed
  for (int i = 0; i < kSlots; ++i) {
    Slot& slot = g_slots[i];
    if (slot.Used.load()) continue;
    std::memcpy(slot.Path, native.c_str(), native.size() + 1);
    slot.Directory = directory;
    slot.Used.store(true);
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
  g_slots[slot_].Used.store(false);
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
      if (slot.Used.load() && slot.Directory == directories) RemoveNow(slot.Path, directories);
}

}  // namespace detail
}  // namespace platform
