#include "web/tick_clock.h"

#include <cmath>

void TickClock::Start(int ticksPerSecond, double nowMs) {
  periodMs_ = 1000.0 / ticksPerSecond;
  startMs_ = nowMs;
  ticksRun_ = 0;
}

int TickClock::Due(double nowMs) {
  // Tick n is due at start + n periods, counted from the start rather than
  // from the last tick, so rounding never drifts the rate.
  const double elapsed = nowMs - startMs_;
  if (!(elapsed >= 0.0)) return 0;  // a clock that went back, or no start
  const auto due = static_cast<std::int64_t>(std::floor(elapsed / periodMs_)) + 1 - ticksRun_;
  if (due <= 0) return 0;
  if (due > kMaxTicks) {
    // Behind (a hidden page, a long pause): run a few and carry on from now.
    startMs_ = nowMs;
    ticksRun_ = 1;
    return kMaxTicks;
  }
  ticksRun_ += due;
  return static_cast<int>(due);
}
