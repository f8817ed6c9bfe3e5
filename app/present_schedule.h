#pragma once

#include <cstdint>

// When a drawn picture goes on screen. In fast mode a new statistics panel
// comes with every generation, dozens a second, and each present waits on
// the display server for a millisecond or more, a tenth of a generation's
// work. So in fast mode panels go up at most kFastPresentsPerSecond times a
// second, faster than anyone reads them; a panel held back goes up once the
// gap has passed, so the newest one always shows. Outside fast mode every
// frame goes up at once.
class PresentSchedule {
 public:
  static constexpr int kFastPresentsPerSecond = 20;

  explicit PresentSchedule(std::int64_t countsPerSecond) : gap_(countsPerSecond / kFastPresentsPerSecond) {}

  // A picture was drawn at now: true when it goes up at once, otherwise it
  // is held back.
  bool Drawn(std::int64_t now, bool fastMode) {
    if (fastMode && now - last_ < gap_) {
      held_ = true;
      return false;
    }
    Presented(now);
    return true;
  }

  // True when a held-back picture should go up now.
  bool HeldDue(std::int64_t now) const { return held_ && now - last_ >= gap_; }

  void Presented(std::int64_t now) {
    last_ = now;
    held_ = false;
  }

  bool Held() const { return held_; }

 private:
  std::int64_t gap_;
  std::int64_t last_ = INT64_MIN / 2;
  bool held_ = false;
};
