#pragma once

#include <cstdint>

// Frame delays in the whole hundredths of a second a GIF holds, for frames
// that each show some number of clock units (ticks at a tick rate, or
// counter counts at the counter's frequency). The rounding is carried from
// frame to frame so that the total stays right: at 60 ticks a second and 2
// ticks a frame, 3, 4, 3, 3, 4, 3, ... A delay under kMinGifDelay is
// written as kMinGifDelay, and such a movie plays slower than asked.
class FrameDelays {
 public:
  explicit FrameDelays(std::int64_t unitsPerSecond) : unitsPerSecond_(unitsPerSecond > 0 ? unitsPerSecond : 1) {}

  // The delay of the next frame, which shows `units` clock units.
  int Next(std::int64_t units);

 private:
  std::int64_t unitsPerSecond_;
  std::int64_t units_ = 0;        // clock units shown so far
  std::int64_t hundredths_ = 0;   // their time, rounded to the nearest hundredth
};
