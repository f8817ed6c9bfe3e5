#pragma once

#include <SDL.h>

#include <cstdint>

// What one event asks of the main loop.
enum class EventAction { kNone, kQuit, kToggleFastMode, kToggleSensors, kRepresent, kSnapshot, kToggleRecording };

// Keys act when released (auto-repeat ignored): F fast mode, V sensors,
// S a picture, R a recording, Escape quits. Closing the window quits; an
// exposure puts the picture up again.
EventAction ActionFor(const SDL_Event& event);

// Reading the display connection costs as much as half a tick, so while
// ticks run back to back it is read at most once a millisecond; otherwise on
// every pass.
class PumpSchedule {
 public:
  explicit PumpSchedule(std::int64_t countsPerSecond) : gap_(countsPerSecond / 1000) {}

  // True when the connection should be read now; then the gap starts again.
  bool Due(std::int64_t now, bool backToBack) {
    if (backToBack && now - last_ < gap_) return false;
    last_ = now;
    return true;
  }

 private:
  std::int64_t gap_;
  std::int64_t last_ = INT64_MIN / 2;
};
