// When a window timer is due, from times handed in by the caller (so tests
// can drive it with a fake clock). Deadlines are absolute, so the period does
// not drift; a handler that overruns its period gets no queued catch-up
// events, only the next one a full period after it returned.
#pragma once

#include <cstdint>
#include <optional>

namespace quorvel {

class PeriodicSchedule {
 public:
  // `period_us` in microseconds; the timer starts switched off.
  explicit PeriodicSchedule(int64_t period_us);

  // Switching on arms the first event one period after `now_us`; switching
  // on while already on changes nothing; switching off drops the deadline.
  void SetEnabled(bool enabled, int64_t now_us);
  bool enabled() const { return enabled_; }
  int64_t period_us() const { return period_us_; }

  // The absolute time of the next event, or nullopt while switched off.
  std::optional<int64_t> deadline() const;
  bool Due(int64_t now_us) const;

  // Bracket one run of the handler: the deadline moves on by one period
  // before it starts; once it has returned at `now_us`, a deadline already
  // in the past moves to one period after `now_us`.
  void BeginRun();
  void EndRun(int64_t now_us);

 private:
  int64_t period_us_;
  int64_t next_us_ = 0;
  bool enabled_ = false;
};

}  // namespace quorvel
