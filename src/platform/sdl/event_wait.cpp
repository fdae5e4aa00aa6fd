#include "platform/sdl/event_wait.h"

#include <chrono>

namespace quorvel {

int64_t MonotonicMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool WaitEventUntil(SDL_Event& event, std::optional<int64_t> deadline_us) {
  if (!deadline_us) return SDL_WaitEvent(&event) == 1;
  for (;;) {
    const int64_t left_us = *deadline_us - MonotonicMicros();
    if (left_us <= 0) return SDL_PollEvent(&event) == 1;
    // SDL waits in whole milliseconds; rounding up means waking at or just
    // after the deadline, never spinning just before it.
    const int timeout_ms = static_cast<int>((left_us + 999) / 1000);
    if (SDL_WaitEventTimeout(&event, timeout_ms) == 1) return true;
  }
}

}  // namespace quorvel
