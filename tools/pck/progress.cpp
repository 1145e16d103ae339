#include "tools/pck/progress.h"

#include <cstdio>

#include "platform/system.h"
#include "tools/pck/shown.h"

namespace pck {

ProgressBar::ProgressBar(std::string label, int64_t total, int64_t minimum)
    : label_(std::move(label)),
      total_(total),
      active_(platform::ConsolePort().ErrorIsTerminal() && total >= minimum) {}

ProgressBar::~ProgressBar() { Finish(); }

void ProgressBar::Update(int64_t done) {
  done_ = done;
  if (!active_) return;
  const int permille = total_ > 0 ? static_cast<int>(done_ * 1000 / total_) : 1000;
  if (permille == lastPermille_) return;
  lastPermille_ = permille;
  Draw();
}

void ProgressBar::SetLabel(std::string label) {
  label_ = std::move(label);
  if (active_) Draw();
}

void ProgressBar::Draw() {
  constexpr int kWidth = 30;
  const int64_t clamped = done_ > total_ ? total_ : done_;
  const int filled = total_ > 0 ? static_cast<int>(clamped * kWidth / total_) : kWidth;
  char bar[kWidth + 1];
  for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '.';
  bar[kWidth] = 0;
  const int percent = total_ > 0 ? static_cast<int>(clamped * 100 / total_) : 100;
  std::string label = label_;
  if (label.size() > 40) {
    // Cut at the start of a character of the system's text, not inside one.
    std::size_t from = label.size() - 37;
    char32_t c = 0;
    while (from < label.size() && PackageText().SystemChar(label, from, c) == 0) ++from;
    label = "..." + label.substr(from);
  }
  std::fprintf(stderr, "\r[%s] %3d%% %-40s", bar, percent, label.c_str());
  std::fflush(stderr);
}

void ProgressBar::Finish() {
  if (!active_) return;
  std::fprintf(stderr, "\r%80s\r", "");
  std::fflush(stderr);
  active_ = false;
}

}  // namespace pck
