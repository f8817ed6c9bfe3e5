// The main loop on SDL's dummy video driver, with events pushed into the
// queue and a frame timer on a driven counter.
#include "app/main_loop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/frame_timer.h"
#include "app/window.h"
#include "common/message.h"
#include "render/surface.h"
#include "support/temp_dir.h"
#include "tests/support/test_params.h"
#include "world/world.h"

namespace {

// The counter: "due" jumps a second at every read, so every poll finds a
// frame due; otherwise it stands still and no frame ever comes.
bool g_due = false;
std::int64_t g_count = 0;
std::int64_t Now() { return g_due ? (g_count += 1'000'000) : g_count; }
std::int64_t Frequency() { return 1'000'000; }

std::vector<std::string> g_messages;
void Capture(void*, const char* text, const char*) { g_messages.push_back(text); }

ParamsRecord SmallParams() {
  ParamsRecord p = DefaultParamsRecord();
  p.CritterCount = 4;
  p.EliteCount = 1;
  p.FungusCount = 8;
  p.TicksPerGeneration = 50;
  return p;
}

void PushKey(Uint32 type, SDL_Keycode key) {
  SDL_Event e{};
  e.type = type;
  e.key.type = type;
  e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.sym = key;
  ASSERT_EQ(SDL_PushEvent(&e), 1);
}

void PushQuit() {
  SDL_Event e{};
  e.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&e), 1);
}

int NonWhite(const Surface& s) {
  int n = 0;
  for (int i = 0; i < Surface::kWidth * Surface::kHeight; ++i) n += s.Pixels()[i] != kWhite;
  return n;
}

class MainLoop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
  }
  static void TearDownTestSuite() { SDL_Quit(); }

  void SetUp() override {
    dir_.Enter();
    oldHandler_ = SetMessageHandler(&Capture);
    g_messages.clear();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    ASSERT_TRUE(window_.Open()) << SDL_GetError();
  }

  void TearDown() override {
    world_.reset();
    SetMessageHandler(oldHandler_);
  }

  // Builds the World from params and runs the loop once with the timer
  // due or not.
  LoopResult Run(bool due) {
    g_due = due;
    timer_.Start(Params.FrameRate);
    return RunMainLoop(*world_, surface_, window_, timer_);
  }

  void Build(const ParamsRecord& p) {
    scope_ = std::make_unique<ScopedParams>(p);
    world_ = std::make_unique<World>(window_.Handle());
  }

  TempDir dir_;
  MessageHandler oldHandler_ = nullptr;
  Window window_;
  Surface surface_;
  FrameTimer timer_{{&Now, &Frequency}};
  std::unique_ptr<ScopedParams> scope_;
  std::unique_ptr<World> world_;
};

TEST_F(MainLoop, AQuitWhileAFrameIsDueStillTicksAndDraws) {
  Build(SmallParams());
  PushQuit();
  const LoopResult r = Run(true);
  EXPECT_FALSE(r.tickFailed);
  EXPECT_EQ(world_->iTicks, 1) << "the pass that saw the quit finishes with its tick";
  EXPECT_GT(NonWhite(surface_), 100) << "the tick is drawn";
}

TEST_F(MainLoop, AQuitWithNoFrameDueEndsWithoutATick) {
  Build(SmallParams());
  PushQuit();
  const LoopResult r = Run(false);
  EXPECT_FALSE(r.tickFailed);
  EXPECT_EQ(world_->iTicks, 0);
  EXPECT_EQ(NonWhite(surface_), 0);
}

TEST_F(MainLoop, EscapeReleasedQuits) {
  Build(SmallParams());
  PushKey(SDL_KEYDOWN, SDLK_ESCAPE);
  PushKey(SDL_KEYUP, SDLK_ESCAPE);
  EXPECT_FALSE(Run(false).tickFailed);
  EXPECT_EQ(world_->iTicks, 0);
}

TEST_F(MainLoop, FastModeTicksWithoutTheTimer) {
  Build(SmallParams());
  PushKey(SDL_KEYUP, SDLK_f);
  PushKey(SDL_KEYUP, SDLK_ESCAPE);
  const LoopResult r = Run(false);
  EXPECT_TRUE(world_->bFastMode);
  EXPECT_EQ(world_->iTicks, 1);
  EXPECT_GE(r.fastModeSeconds, 0.0);
}

TEST_F(MainLoop, TheTimerIsAskedEvenInFastMode) {
  Build(SmallParams());
  world_->bFastMode = true;
  PushQuit();
  Run(true);
  EXPECT_EQ(world_->iTicks, 1);
  EXPECT_GT(timer_.iNow, timer_.iFrequency) << "the pass polled the timer";
  EXPECT_EQ(timer_.iLastFrame, timer_.iNow) << "and the frame it found due starts the next period";
}

TEST_F(MainLoop, EventsComingWhileItRestsAreTaken) {
  Build(SmallParams());
  // No frame ever comes due, so every pass rests; the events come meanwhile.
  std::atomic<bool> done{false};
  std::thread user([&done] {
    SDL_Delay(40);
    PushKey(SDL_KEYUP, SDLK_v);
    // Until the loop ends: a rest that swallowed the quit fails, not hangs.
    while (!done) {
      SDL_Delay(40);
      PushQuit();
    }
  });
  const LoopResult r = Run(false);
  done = true;
  user.join();
  EXPECT_FALSE(r.tickFailed);
  EXPECT_TRUE(world_->bShowSensors) << "the key came while the loop rested";
  EXPECT_EQ(world_->iTicks, 0);
}

TEST_F(MainLoop, KeyPressesAloneChangeNothing) {
  Build(SmallParams());
  PushKey(SDL_KEYDOWN, SDLK_f);
  PushKey(SDL_KEYDOWN, SDLK_v);
  PushQuit();
  Run(false);
  EXPECT_FALSE(world_->bFastMode);
  EXPECT_FALSE(world_->bShowSensors);
}

TEST_F(MainLoop, EachReleaseTogglesOnce) {
  Build(SmallParams());
  PushKey(SDL_KEYUP, SDLK_v);
  PushKey(SDL_KEYUP, SDLK_f);
  PushKey(SDL_KEYUP, SDLK_f);
  PushQuit();
  Run(false);
  EXPECT_TRUE(world_->bShowSensors);
  EXPECT_FALSE(world_->bFastMode) << "two releases of F switch fast mode on and off again";
}

TEST_F(MainLoop, FastModeDrawsOnlyWhatTheGenerationHasNotShown) {
  Build(SmallParams());
  world_->bFastMode = true;
  world_->bDrawnThisGeneration = true;
  surface_.FillWhite();
  surface_.MoveTo(0, 300);
  surface_.LineTo(10, 300);
  PushQuit();
  Run(false);
  EXPECT_EQ(world_->iTicks, 1);
  EXPECT_EQ(surface_.Pixel(5, 300), kBlackPen) << "a generation already shown is not drawn again";

  // A generation not yet shown gets its statistics panel.
  world_->bDrawnThisGeneration = false;
  PushQuit();
  Run(false);
  EXPECT_EQ(world_->iTicks, 2);
  EXPECT_EQ(surface_.Pixel(5, 300), kWhite) << "the surface is filled white before drawing";
  EXPECT_TRUE(world_->bDrawnThisGeneration);
}

TEST_F(MainLoop, AFailedTickEndsTheLoopAsAFailure) {
  ParamsRecord p = SmallParams();
  p.InputCount = 2;
  Build(p);
  // The quit only bounds the test: the failing tick comes first in any case.
  PushQuit();
  const LoopResult r = Run(true);
  EXPECT_TRUE(r.tickFailed);
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_EQ(g_messages[0], "Wrong amount of NN inputs!");
}

}  // namespace
