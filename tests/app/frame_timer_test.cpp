#include "app/frame_timer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/message.h"

namespace {

// The counter the timer reads: the test sets it between polls.
std::int64_t g_count = 0;
std::int64_t g_frequency = 0;

std::int64_t FakeNow() { return g_count; }
std::int64_t FakeFrequency() { return g_frequency; }

FrameTimer MakeTimer(std::int64_t frequency, int rate, std::int64_t start = 0) {
  g_frequency = frequency;
  g_count = start;
  FrameTimer timer({&FakeNow, &FakeFrequency});
  timer.Start(rate);
  return timer;
}

struct Shown {
  std::string text, caption;
};
std::vector<Shown> g_shown;
void Capture(void*, const char* text, const char* caption) { g_shown.push_back({text, caption}); }

// Catches messages for the life of the test and puts the old handler back.
class CaptureMessages {
 public:
  CaptureMessages() : old_(SetMessageHandler(&Capture)) { g_shown.clear(); }
  ~CaptureMessages() { SetMessageHandler(old_); }

 private:
  MessageHandler old_;
};

TEST(FrameTimer, StartSetsRateFrequencyAndFirstPeriod) {
  FrameTimer t = MakeTimer(10'000'000, 30, 1'000);
  EXPECT_EQ(t.fFrameRate, 30.0f);
  EXPECT_EQ(t.iFrequency, 10'000'000);
  EXPECT_EQ(t.iFramePeriod, 333'333);
  EXPECT_EQ(t.iLastFrame, 1'000);
  EXPECT_EQ(t.iNextFrame, 1'000 + 333'333);
}

TEST(FrameTimer, PeriodIsTruncatedNotRounded) {
  // 3579545 / 60 = 59659.08; 1000 / 60 = 16.67 would round to 17.
  EXPECT_EQ(MakeTimer(3'579'545, 60).iFramePeriod, 59'659);
  EXPECT_EQ(MakeTimer(1'000, 60).iFramePeriod, 16);
}

TEST(FrameTimer, FrequencyPassesThroughAFloat) {
  // 1,000,000,007 is 1,000,000,000 as a float: the period loses the 7.
  EXPECT_EQ(MakeTimer(1'000'000'007, 1).iFramePeriod, 1'000'000'000);
  // 16,777,217 = 2^24 + 1 becomes 2^24.
  EXPECT_EQ(MakeTimer(16'777'217, 1).iFramePeriod, 16'777'216);
  // The nanosecond clock most systems report stays exact.
  EXPECT_EQ(MakeTimer(1'000'000'000, 60).iFramePeriod, 16'666'666);
}

TEST(FrameTimer, ReadyOnlyStrictlyAfterTheEndOfThePeriod) {
  FrameTimer t = MakeTimer(10'000'000, 30, 500);
  const std::int64_t end = t.iNextFrame;
  g_count = end - 1;
  EXPECT_FALSE(t.ReadyForNextFrame());
  g_count = end;
  EXPECT_FALSE(t.ReadyForNextFrame());
  EXPECT_EQ(t.iNow, end);
  EXPECT_EQ(t.iNextFrame, end) << "a poll that is not ready must not move the period";
  g_count = end + 1;
  EXPECT_TRUE(t.ReadyForNextFrame());
  EXPECT_EQ(t.iNow, end + 1);
  EXPECT_EQ(t.iLastFrame, end + 1);
  EXPECT_EQ(t.iNextFrame, end + 1 + 333'333);
}

TEST(FrameTimer, CountsToNextFrameReachZeroAtTheFirstReadyPoll) {
  FrameTimer t = MakeTimer(10'000'000, 30, 500);
  const std::int64_t end = t.iNextFrame;
  g_count = end - 2;
  ASSERT_FALSE(t.ReadyForNextFrame());
  for (std::int64_t c = end - 1; c <= end + 1; ++c) {
    g_count = c;
    const std::int64_t polled = t.iNow;
    const std::int64_t left = t.CountsToNextFrame();
    EXPECT_EQ(left, end + 1 - c);
    EXPECT_EQ(t.iNow, polled) << "asking how far the frame is is no poll";
    EXPECT_EQ(t.ReadyForNextFrame(), left <= 0) << "at count " << c;
  }
  EXPECT_EQ(t.CountsToNextFrame(), 333'333 + 1) << "a ready poll starts the next period";
}

TEST(FrameTimer, NextPeriodStartsAtThePollThatWasReady) {
  FrameTimer t = MakeTimer(10'000'000, 30);
  // Polled late: the next frame is due a whole period after this poll, not
  // after the end of the missed period.
  const std::int64_t c = 1'000'000;
  g_count = c;
  ASSERT_TRUE(t.ReadyForNextFrame());
  g_count = c + 333'333;
  EXPECT_FALSE(t.ReadyForNextFrame());
  g_count = c + 333'334;
  EXPECT_TRUE(t.ReadyForNextFrame());
  EXPECT_EQ(t.iNextFrame, c + 333'334 + 333'333);
}

TEST(FrameTimer, CountsFramesOverASecondOfPolls) {
  FrameTimer t = MakeTimer(10'000'000, 30);
  int frames = 0;
  // A poll every 1000 counts (0.1 ms) for one second.
  for (std::int64_t c = 1'000; c <= 10'000'000; c += 1'000) {
    g_count = c;
    if (t.ReadyForNextFrame()) ++frames;
  }
  // Each frame comes at the first poll past a period of 333,333 counts: every
  // 334,000 counts, so 29 in the second rather than 30.
  EXPECT_EQ(frames, 29);
}

TEST(FrameTimer, NoRateShowsTheMessageAndIsNeverReady) {
  CaptureMessages capture;
  FrameTimer t = MakeTimer(10'000'000, 0);
  EXPECT_EQ(t.iFramePeriod, 0);
  for (std::int64_t c : {0LL, 1LL, 1'000'000'000LL}) {
    g_count = c;
    EXPECT_FALSE(t.ReadyForNextFrame());
  }
  ASSERT_EQ(g_shown.size(), 3u) << "every poll says the rate is missing";
  for (const Shown& s : g_shown) {
    EXPECT_EQ(s.text, "No FPS set in timer");
    EXPECT_EQ(s.caption, "Doh!");
  }
}

TEST(FrameTimer, NotStartedIsLikeNoRate) {
  CaptureMessages capture;
  g_count = 5;
  FrameTimer t({&FakeNow, &FakeFrequency});
  EXPECT_FALSE(t.ReadyForNextFrame());
  EXPECT_EQ(g_shown.size(), 1u);
}

TEST(FrameTimer, ARunningTimerShowsNoMessage) {
  CaptureMessages capture;
  FrameTimer t = MakeTimer(10'000'000, 60);
  for (std::int64_t c = 0; c < 2'000'000; c += 7'919) {
    g_count = c;
    t.ReadyForNextFrame();
  }
  EXPECT_TRUE(g_shown.empty());
}

}  // namespace
