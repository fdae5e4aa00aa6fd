#include "platform/sdl/periodic_schedule.h"

namespace quorvel {

PeriodicSchedule::PeriodicSchedule(int64_t period_us) : period_us_(period_us) {}

void PeriodicSchedule::SetEnabled(bool enabled, int64_t now_us) {
  if (enabled && !enabled_) next_us_ = now_us + period_us_;
  enabled_ = enabled;
}

std::optional<int64_t> PeriodicSchedule::deadline() const {
  if (!enabled_) return std::nullopt;
  return next_us_;
}

bool PeriodicSchedule::Due(int64_t now_us) const {
  return enabled_ && now_us >= next_us_;
}

void PeriodicSchedule::BeginRun() {
  next_us_ += period_us_;
}

void PeriodicSchedule::EndRun(int64_t now_us) {
  // A handler that switched the timer off and on again has re-armed it from
  // that moment; the rule below leaves such a future deadline alone.
  if (enabled_ && next_us_ <= now_us) next_us_ = now_us + period_us_;
}

}  // namespace quorvel
