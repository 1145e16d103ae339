// The values of a progress gauge apart from its drawing: MinValue, MaxValue and Progress
// with the rules of their writers, and the percentage they give. The window's gauge
// draws them; a run without a window keeps them all the same.
#pragma once

#include <cstdint>

namespace app {

class TGaugeValues {
 public:
  int32_t MinValue() const { return min_; }
  int32_t MaxValue() const { return max_; }
  int32_t Progress() const { return progress_; }
  // (Progress - MinValue) * 100 / (MaxValue - MinValue), truncated; 0 for an empty range.
  int32_t ProgressPercent() const;

  // A MinValue above MaxValue raises platform::EInvalidOperation "Value must be between %d and
  // %d" (-2147483647 and MaxValue - 1) and changes nothing, unless `loading` (a stored
  // form being read); Progress is raised to a larger MinValue. True when a value changed,
  // which the gauge shows at once.
  bool SetMinValue(int32_t value, bool loading);
  // The mirror image: below MinValue raises with MinValue + 1 and 2147483647; Progress is
  // lowered to a smaller MaxValue.
  bool SetMaxValue(int32_t value, bool loading);
  // Clamped to MinValue..MaxValue, never raises. True only when the percentage shown
  // changed, so stepping within one percent needs no drawing.
  bool SetProgress(int32_t value);

 private:
  int32_t min_ = 0;
  int32_t max_ = 100;
  int32_t progress_ = 0;
};

}  // namespace app
