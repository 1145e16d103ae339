// A progress bar on standard error, drawn only when standard error is a terminal and
// the work is large enough to be worth watching.
#pragma once

#include <cstdint>
#include <string>

namespace pck {

class ProgressBar {
 public:
  // `total` is the amount of work in bytes; nothing is drawn below `minimum`.
  ProgressBar(std::string label, int64_t total, int64_t minimum = 1 << 20);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void Update(int64_t done);
  void SetLabel(std::string label);
  // Clears the bar's line so other output starts on a clean line.
  void Finish();
  bool Active() const { return active_; }

 private:
  void Draw();
  std::string label_;
  int64_t total_;
  int64_t done_ = 0;
  int lastPermille_ = -1;
  bool active_;
};

}  // namespace pck
