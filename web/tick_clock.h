#pragma once

#include <cstdint>

// Paces the arena view in the page at FrameRate ticks a second. The browser
// calls the page once per animation frame (60 or more a second, not in step
// with FrameRate), so each call runs the ticks that fell due since the last:
// on average FrameRate a second, whatever the display's rate. A page that
// was hidden or busy does not make up for the time lost: at most kMaxTicks
// ticks run at once and the clock then starts again from now.
class TickClock {
 public:
  static constexpr int kMaxTicks = 4;

  // Times in milliseconds from any fixed origin. The first tick is due at
  // the start.
  void Start(int ticksPerSecond, double nowMs);

  // The ticks due by now, at most kMaxTicks; they count as run.
  int Due(double nowMs);

 private:
  double periodMs_ = 0.0;
  double startMs_ = 0.0;
  std::int64_t ticksRun_ = 0;
};
