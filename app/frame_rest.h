#pragma once

#include <cstdint>

class FrameTimer;

// Between frames the window program rests instead of polling, so that it
// leaves the core idle. It waits for events until shortly before the next
// frame: SDL's wait counts whole milliseconds and can wake late, so the
// wait ends at least kWaitMarginMicroseconds before the frame is due. A nap
// (a sleep wakes within some tens of microseconds) takes it on to
// kPolledStretchMicroseconds before; that last stretch is polled as every
// pass once was, so frames start as exactly as ever.
constexpr std::int64_t kWaitMarginMicroseconds = 1000;
constexpr std::int64_t kPolledStretchMicroseconds = 300;

// How to rest when the next frame is countsLeft counts away (countsPerSecond
// a second): a wait for events of whole milliseconds, else a nap, else
// neither (poll on).
struct Rest {
  int waitMilliseconds = 0;
  std::int64_t napMicroseconds = 0;
};
Rest RestBefore(std::int64_t countsLeft, std::int64_t countsPerSecond);

// Rests before the timer's next frame: returns when an event comes or the
// rest is over, at once when there is none to take. Takes no event from the
// queue.
void RestBeforeNextFrame(const FrameTimer& timer);
