// How the window program rests between frames.
#include "app/frame_rest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace {

// Every distance to the frame, on a nanosecond counter and a slower one: a
// wait ends at least the margin early but leaves at most a millisecond more
// to the nap, and the nap ends exactly the polled stretch early.
TEST(FrameRest, RestsUpToThePolledStretchAndNeverIntoTheFrame) {
  for (const std::int64_t perSecond : {std::int64_t{1'000'000'000}, std::int64_t{1'000'000}}) {
    for (std::int64_t micros = -50; micros <= 40'000; micros += 7) {
      const Rest r = RestBefore(micros * (perSecond / 1'000'000), perSecond);
      const std::int64_t waitMicros = std::int64_t{r.waitMilliseconds} * 1000;
      const std::int64_t left = std::max<std::int64_t>(micros, 0) - waitMicros - r.napMicroseconds;
      ASSERT_FALSE(r.waitMilliseconds > 0 && r.napMicroseconds > 0) << micros;
      if (r.waitMilliseconds > 0) {
        ASSERT_GE(left, kWaitMarginMicroseconds) << micros;
        ASSERT_LT(left, kWaitMarginMicroseconds + 1000) << micros;
      } else {
        ASSERT_EQ(left, std::min(std::max<std::int64_t>(micros, 0), kPolledStretchMicroseconds)) << micros;
      }
    }
  }
  // A 60 Hz frame just begun: 15 ms of waiting for events.
  EXPECT_EQ(RestBefore(16'666'666, 1'000'000'000).waitMilliseconds, 15);
}

TEST(FrameRest, OddCountersGiveNoRestOrABoundedOne) {
  const Rest unstarted = RestBefore(16'666'666, 0);
  EXPECT_EQ(unstarted.waitMilliseconds + unstarted.napMicroseconds, 0) << "a timer that was never started";
  // A frame further than a second away cannot be: the rest stays within a second.
  const Rest far = RestBefore(INT64_MAX, 1);
  EXPECT_GT(far.waitMilliseconds, 0);
  EXPECT_LE(far.waitMilliseconds, 1000);
}

}  // namespace
