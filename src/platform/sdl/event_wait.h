// The monotonic clock the window timers and the sleep run on, and waiting
// for the next SDL event no longer than an absolute deadline.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <optional>

namespace quorvel {

// Microseconds on a monotonic clock with an arbitrary origin.
int64_t MonotonicMicros();

// Waits for one event until `deadline_us` (MonotonicMicros time), or with no
// limit when it is nullopt. True with `event` filled when one arrived; false
// once the deadline has passed, never earlier.
bool WaitEventUntil(SDL_Event& event, std::optional<int64_t> deadline_us);

}  // namespace quorvel
