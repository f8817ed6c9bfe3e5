// The page's arena pacing: FrameRate ticks a second from animation frames at
// whatever rate the display has, no burst after a pause.
#include "web/tick_clock.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Ticks run over `seconds` of animation frames every frameMs.
int TicksOver(TickClock& clock, double startMs, double frameMs, double seconds) {
  int ticks = 0;
  for (double now = startMs; now < startMs + seconds * 1000.0; now += frameMs) ticks += clock.Due(now);
  return ticks;
}

}  // namespace

TEST(TickClock, FrameRateTicksASecondAtAnyDisplayRate) {
  // 60 ticks a second from 60, 59.94, 144 and 30 frames a second: the
  // display's frames never line up with the ticks exactly.
  for (const double frameMs : {1000.0 / 60.0, 1000.0 / 59.94, 1000.0 / 144.0, 1000.0 / 30.0}) {
    TickClock clock;
    clock.Start(60, 1000.0);
    const int ticks = TicksOver(clock, 1000.0, frameMs, 10.0);
    EXPECT_GE(ticks, 599) << frameMs;
    EXPECT_LE(ticks, 601) << frameMs;
  }
  // A slow rate: one tick now and then, never two.
  TickClock slow;
  slow.Start(2, 0.0);
  int most = 0;
  int ticks = 0;
  for (double now = 0.0; now < 10000.0; now += 16.0) {
    const int n = slow.Due(now);
    most = std::max(most, n);
    ticks += n;
  }
  EXPECT_EQ(most, 1);
  EXPECT_EQ(ticks, 20);
}

TEST(TickClock, FirstTickAtTheStartThenOnePeriodApart) {
  TickClock clock;
  clock.Start(10, 500.0);
  EXPECT_EQ(clock.Due(500.0), 1);
  EXPECT_EQ(clock.Due(599.9), 0);
  EXPECT_EQ(clock.Due(600.0), 1);
  EXPECT_EQ(clock.Due(600.0), 0);
  EXPECT_EQ(clock.Due(499.0), 0);  // a clock that went back runs nothing
}

TEST(TickClock, APauseIsNotMadeUp) {
  TickClock clock;
  clock.Start(60, 0.0);
  EXPECT_EQ(TicksOver(clock, 0.0, 1000.0 / 60.0, 1.0), 60);
  // Five seconds hidden: a few ticks, then the rate goes on from there.
  EXPECT_EQ(clock.Due(6000.0), TickClock::kMaxTicks);
  EXPECT_EQ(clock.Due(6001.0), 0);
  const int after = TicksOver(clock, 6000.0 + 1000.0 / 60.0, 1000.0 / 60.0, 1.0);
  EXPECT_GE(after, 59);
  EXPECT_LE(after, 61);
}
