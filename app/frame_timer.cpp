#include "app/frame_timer.h"

#include <cmath>

#include "common/message.h"

void FrameTimer::Start(int frameRate) {
  fFrameRate = static_cast<float>(frameRate);
  iFrequency = source_.frequency();
  // The frequency passes through a 32-bit float, so a period can differ from
  // the exact quotient by a few counts; the pacing of every run depends on it.
  const double period = std::trunc(static_cast<double>(static_cast<float>(iFrequency)) / static_cast<double>(fFrameRate));
  // A rate of zero (or one that makes no period) leaves the period at zero;
  // polls then report the missing rate instead.
  iFramePeriod = std::isfinite(period) && std::fabs(period) < 9.0e18 ? static_cast<std::int64_t>(period) : 0;
  iLastFrame = source_.now();
  iNextFrame = iLastFrame + iFramePeriod;
}

bool FrameTimer::ReadyForNextFrame() {
  if (fFrameRate == 0.0f) {
    ShowMessage(nullptr, "No FPS set in timer", "Doh!");
    return false;
  }
  iNow = source_.now();
  if (iNow > iNextFrame) {
    iLastFrame = iNow;
    iNextFrame = iNow + iFramePeriod;
    return true;
  }
  return false;
}

std::int64_t FrameTimer::CountsToNextFrame() const { return iNextFrame + 1 - source_.now(); }
