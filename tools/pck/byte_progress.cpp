#include "tools/pck/byte_progress.h"

#include <algorithm>

#include "tools/pck/pck_messages.h"

namespace pck {

int64_t ByteProgress::Read(int64_t position, int volume) const {
  return doneBefore_ + position - (volume <= 1 ? offset_ : 0);
}

void ByteProgress::VolumeDone(int64_t size, int volume) {
  doneBefore_ += size - (volume <= 1 ? offset_ : 0);
}

int64_t ByteProgress::Restoring(int64_t in, int64_t stored) const {
  return memberStart_ + std::min(in, stored);
}

std::string NumberedLabel(const std::string& name, int number, int count) {
  if (name.empty() || number <= 0) return name;
  return count > 0 ? msg::Fmt(msg::kMemberNumberOf, number, count, name)
                   : msg::Fmt(msg::kMemberNumber, number, name);
}

}  // namespace pck
