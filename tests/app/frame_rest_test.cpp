// How the window program rests between frames.
#include "app/frame_rest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace {

constexpr std::int64_t kNanoseconds = 1'000'000'000;

Rest RestMicros(std::int64_t micros) { return RestBefore(micros * 1000, kNanoseconds); }

TEST(FrameRest, WaitsForEventsUntilShortlyBeforeTheFrameThenNapsThenPolls) {
  // A 60 Hz frame just begun: a wait of whole milliseconds ending 1.67 ms early.
  const Rest frame = RestBefore(16'666'666, kNanoseconds);
  EXPECT_EQ(frame.waitMilliseconds, 15);
  EXPECT_EQ(frame.napMicroseconds, 0);
  // The same time on other counters gives the same rest.
  for (std::int64_t perSecond : {1'000'000LL, 3'579'545LL, 10'000'000LL}) {
    EXPECT_EQ(RestBefore(perSecond / 60, perSecond).waitMilliseconds, 15) << perSecond;
  }
  // Under a millisecond past the margin: a nap to the polled stretch.
  const Rest near = RestMicros(1'900);
  EXPECT_EQ(near.waitMilliseconds, 0);
  EXPECT_EQ(near.napMicroseconds, 1'900 - kPolledStretchMicroseconds);
  // In the last stretch, when due and when late: poll.
  for (const std::int64_t micros : {kPolledStretchMicroseconds, std::int64_t{10}, std::int64_t{0}, std::int64_t{-5000}}) {
    const Rest none = RestMicros(micros);
    EXPECT_EQ(none.waitMilliseconds, 0) << micros;
    EXPECT_EQ(none.napMicroseconds, 0) << micros;
  }
}

TEST(FrameRest, NoRestReachesIntoTheFrame) {
  for (std::int64_t micros = 0; micros <= 40'000; micros += 7) {
    const Rest r = RestMicros(micros);
    const std::int64_t waitMicros = std::int64_t{r.waitMilliseconds} * 1000;
    if (r.waitMilliseconds > 0) {
      ASSERT_LE(waitMicros + kWaitMarginMicroseconds, micros) << "a wait that can wake late must end early";
    }
    ASSERT_LE(r.napMicroseconds + kPolledStretchMicroseconds, std::max(micros, kPolledStretchMicroseconds));
    ASSERT_FALSE(r.waitMilliseconds > 0 && r.napMicroseconds > 0) << "one kind of rest a pass";
    // Nor does it stop short: at most a millisecond's rounding beyond the
    // margin is left to the nap, and the nap leaves just the stretch.
    const std::int64_t after = micros - waitMicros - r.napMicroseconds;
    ASSERT_LT(after, kWaitMarginMicroseconds + 1000) << micros;
    if (r.waitMilliseconds == 0) {
      ASSERT_LE(after, kPolledStretchMicroseconds) << micros;
    }
  }
}

TEST(FrameRest, OddCountersGiveNoRestOrABoundedOne) {
  EXPECT_EQ(RestBefore(16'666'666, 0).waitMilliseconds, 0) << "a timer that was never started";
  EXPECT_EQ(RestBefore(16'666'666, 0).napMicroseconds, 0);
  // A frame further than a second away cannot be: the rest stays within a second.
  const Rest far = RestBefore(INT64_MAX, 1);
  EXPECT_GT(far.waitMilliseconds, 0);
  EXPECT_LE(far.waitMilliseconds, 1000);
}

}  // namespace
