#include "movie/frame_delays.h"

#include <algorithm>

#include "movie/gif_writer.h"

int FrameDelays::Next(std::int64_t units) {
  units_ += std::max<std::int64_t>(units, 0);
  // The nearest hundredth of the whole time so far, halves up.
  const std::int64_t total = (200 * units_ + unitsPerSecond_) / (2 * unitsPerSecond_);
  const std::int64_t delay = total - hundredths_;
  hundredths_ = total;
  // A GIF delay has 16 bits.
  return static_cast<int>(std::clamp<std::int64_t>(delay, kMinGifDelay, 65535));
}
