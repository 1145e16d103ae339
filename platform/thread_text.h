// A short text kept for each thread apart: the reason of the last failure a port met on
// that thread, when a port may be used from several threads at once. It is a fixed buffer,
// destroyed with nothing to do, so it is still there for static objects destroyed at exit
// that use the port.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

namespace platform {

class ThreadText {
 public:
  static constexpr std::size_t kCapacity = 1024;  // a longer text is cut

  void Clear() { size_ = 0; }
  ThreadText& operator=(const std::string& text) {
    size_ = text.size() < kCapacity ? text.size() : kCapacity;
    std::memcpy(text_, text.data(), size_);
    return *this;
  }
  operator std::string() const { return std::string(text_, size_); }

 private:
  char text_[kCapacity];
  std::size_t size_;
};

}  // namespace platform
