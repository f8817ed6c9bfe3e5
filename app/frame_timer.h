#pragma once

#include <cstdint>

// Where the timer reads the time: a counter and its ticks per second. The
// window passes SDL's performance counter; tests pass a counter they drive.
struct CounterSource {
  std::int64_t (*now)();
  std::int64_t (*frequency)();
};

// Paces the display ticks: says when the next frame is due, FrameRate times a
// second, measured from the poll that found the last one due.
class FrameTimer {
 public:
  explicit FrameTimer(CounterSource source) : source_(source) {}

  // Sets the rate and starts the first period at the current count.
  void Start(int frameRate);

  // True once the count has passed the end of the current period; the next
  // period then starts at this poll. A timer without a rate says so through
  // ShowMessage and is never ready.
  bool ReadyForNextFrame();

  // Counts from now until a poll would find the next frame due; zero or
  // less when one is due already. Reads the counter and changes nothing.
  std::int64_t CountsToNextFrame() const;

  std::int64_t iNow = 0;
  std::int64_t iLastFrame = 0;
  std::int64_t iNextFrame = 0;
  std::int64_t iFramePeriod = 0;
  std::int64_t iFrequency = 0;
  float fFrameRate = 0.0f;

 private:
  CounterSource source_;
};
