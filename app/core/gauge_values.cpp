#include "app/core/gauge_values.h"

#include "app/core/gauge_math.h"
#include "platform/exceptions.h"
#include "platform/format.h"

namespace app {
namespace {

constexpr char kValueOutOfRange[] = "Value must be between %d and %d";
constexpr int32_t kLowestMinValue = -2147483647;
constexpr int32_t kHighestMaxValue = 2147483647;

}  // namespace

int32_t TGaugeValues::ProgressPercent() const { return GaugePercent(min_, max_, progress_); }

bool TGaugeValues::SetMinValue(int32_t value, bool loading) {
  if (value == min_) return false;
  if (value > max_ && !loading)
    throw platform::EInvalidOperation(
        platform::Fmt(kValueOutOfRange, kLowestMinValue, int64_t{max_} - 1));
  min_ = value;
  if (progress_ < value) progress_ = value;
  return true;
}

bool TGaugeValues::SetMaxValue(int32_t value, bool loading) {
  if (value == max_) return false;
  if (value < min_ && !loading)
    throw platform::EInvalidOperation(
        platform::Fmt(kValueOutOfRange, int64_t{min_} + 1, kHighestMaxValue));
  max_ = value;
  if (progress_ > value) progress_ = value;
  return true;
}

bool TGaugeValues::SetProgress(int32_t value) {
  if (value < min_)
    value = min_;
  else if (value > max_)
    value = max_;
  if (value == progress_) return false;
  const int32_t shown = ProgressPercent();
  progress_ = value;
  return ProgressPercent() != shown;
}

}  // namespace app
