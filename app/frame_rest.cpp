#include "app/frame_rest.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "app/frame_timer.h"

Rest RestBefore(std::int64_t countsLeft, std::int64_t countsPerSecond) {
  Rest rest;
  if (countsPerSecond <= 0 || countsLeft <= 0) return rest;
  // A frame is at most a second away (the rate is 1 or more); the cap keeps
  // the casts defined whatever the counts say.
  const double micros = std::min(static_cast<double>(countsLeft) * 1.0e6 / static_cast<double>(countsPerSecond), 1.0e6);
  const double waitMs = (micros - static_cast<double>(kWaitMarginMicroseconds)) / 1000.0;
  if (waitMs >= 1.0) {
    rest.waitMilliseconds = static_cast<int>(waitMs);
  } else if (micros > static_cast<double>(kPolledStretchMicroseconds)) {
    rest.napMicroseconds = static_cast<std::int64_t>(micros) - kPolledStretchMicroseconds;
  }
  return rest;
}

void RestBeforeNextFrame(const FrameTimer& timer) {
  const Rest rest = RestBefore(timer.CountsToNextFrame(), timer.iFrequency);
  if (rest.waitMilliseconds > 0) {
    SDL_WaitEventTimeout(nullptr, rest.waitMilliseconds);
  } else if (rest.napMicroseconds > 0) {
    // Under two milliseconds: an event coming meanwhile is still taken
    // before the frame.
    std::this_thread::sleep_for(std::chrono::microseconds(rest.napMicroseconds));
  }
}
