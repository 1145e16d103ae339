// Progress in bytes, for a progress bar: over the whole volume set while a package is
// read (the package bytes a member came from count as the driver decodes them), over
// the sources while one is written (each source as the driver takes it in).
#pragma once

#include <cstdint>
#include <string>

namespace pck {

class ByteProgress {
 public:
  // `total`: the bytes of the work; `offset`: where the package starts in its first
  // volume (the bytes before it are no part of the work).
  explicit ByteProgress(int64_t total = 0, int64_t offset = 0) : total_(total), offset_(offset) {}
  int64_t Total() const { return total_; }

  // Reading: the bytes of the set read when volume `volume` (numbered from 1; 0 before
  // its number is known) is read up to `position`.
  int64_t Read(int64_t position, int volume) const;
  // Reading: volume `volume`, `size` bytes long, has been read to its end.
  void VolumeDone(int64_t size, int volume);
  // Reading: a member's data starts at `position` of volume `volume`.
  void MemberStarts(int64_t position, int volume) { memberStart_ = Read(position, volume); }
  // Reading, while a member is restored: the driver has taken `in` bytes of the member's
  // `stored` ones; false from Restoring when no member has started.
  bool InMember() const { return memberStart_ >= 0; }
  int64_t Restoring(int64_t in, int64_t stored) const;

  // Writing: the bytes done when the driver has taken `in` bytes of the current source.
  int64_t Writing(int64_t in) const { return doneBefore_ + in; }
  // Writing: the current source, `size` bytes long, is in the package.
  void SourceDone(int64_t size) { doneBefore_ += size; }

 private:
  int64_t total_, offset_;
  int64_t doneBefore_ = 0;    // previous volumes (reading) or finished sources (writing)
  int64_t memberStart_ = -1;  // bytes read when the current member's data began
};

// The member being worked on as the bar shows it: "[3/7] name", "[3] name" while the
// count is not known, the name alone before the first member or for an empty name.
std::string NumberedLabel(const std::string& name, int number, int count);

}  // namespace pck
