// The window program's pieces that need no window: the display rules, what
// each event asks for, the pump schedule, the icon and the message handler.
#include <gtest/gtest.h>

#include <string>

#include "app/display.h"
#include "app/events.h"
#include "app/icon.h"
#include "app/message_box.h"
#include "app/present_schedule.h"

namespace {

TEST(Display, ExpectedWhenEitherVariableNamesOne) {
  EXPECT_TRUE(DisplayExpected(":0", nullptr, nullptr));
  EXPECT_TRUE(DisplayExpected(nullptr, "wayland-0", nullptr));
  EXPECT_TRUE(DisplayExpected(":1", "", "x11"));
}

TEST(Display, NotExpectedWithoutVariables) {
  EXPECT_FALSE(DisplayExpected(nullptr, nullptr, nullptr));
  EXPECT_FALSE(DisplayExpected("", "", nullptr)) << "an empty variable names no display";
  EXPECT_FALSE(DisplayExpected(nullptr, nullptr, ""));
  EXPECT_FALSE(DisplayExpected(nullptr, nullptr, "x11"));
  EXPECT_FALSE(DisplayExpected(nullptr, nullptr, "wayland,x11"));
}

TEST(Display, ADriverChosenByNameNeedsNoVariable) {
  EXPECT_TRUE(DisplayExpected(nullptr, nullptr, "offscreen"));
  EXPECT_TRUE(DisplayExpected(nullptr, nullptr, "kmsdrm"));
  EXPECT_TRUE(DisplayExpected(nullptr, nullptr, "x11,dummy"));
}

TEST(Display, InvisibleDriversCountAsNoDisplayUnlessAskedFor) {
  EXPECT_TRUE(IsInvisibleDriver("offscreen", nullptr));
  EXPECT_TRUE(IsInvisibleDriver("dummy", nullptr));
  EXPECT_TRUE(IsInvisibleDriver("dummy", "x11"));
  EXPECT_TRUE(IsInvisibleDriver("offscreen", "dummy"));
  EXPECT_FALSE(IsInvisibleDriver("offscreen", "offscreen"));
  EXPECT_FALSE(IsInvisibleDriver("dummy", "x11,dummy"));
  EXPECT_FALSE(IsInvisibleDriver("x11", nullptr));
  EXPECT_FALSE(IsInvisibleDriver("wayland", "offscreen"));
  EXPECT_FALSE(IsInvisibleDriver(nullptr, nullptr));
}

TEST(Display, NoDisplayIsOneLineNamingTheHeadlessRunner) {
  const std::string line = NoDisplayLine("DISPLAY is unset");
  EXPECT_EQ(line.find('\n'), std::string::npos);
  EXPECT_NE(line.find("vexlora-evolve"), std::string::npos);
  EXPECT_NE(line.find("(DISPLAY is unset)"), std::string::npos);
}

SDL_Event Key(Uint32 type, SDL_Keycode sym, Uint8 repeat = 0, Uint16 mod = KMOD_NONE) {
  SDL_Event e{};
  e.type = type;
  e.key.type = type;
  e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.key.repeat = repeat;
  e.key.keysym.sym = sym;
  e.key.keysym.mod = mod;
  return e;
}

SDL_Event WindowEvent(Uint8 what) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = what;
  return e;
}

TEST(Events, KeysActWhenReleased) {
  EXPECT_EQ(ActionFor(Key(SDL_KEYUP, SDLK_f)), EventAction::kToggleFastMode);
  EXPECT_EQ(ActionFor(Key(SDL_KEYUP, SDLK_f, 0, KMOD_LSHIFT)), EventAction::kToggleFastMode);
  EXPECT_EQ(ActionFor(Key(SDL_KEYUP, SDLK_f, 0, KMOD_CAPS)), EventAction::kToggleFastMode);
  EXPECT_EQ(ActionFor(Key(SDL_KEYUP, SDLK_v)), EventAction::kToggleSensors);
  EXPECT_EQ(ActionFor(Key(SDL_KEYUP, SDLK_ESCAPE)), EventAction::kQuit);
  EXPECT_EQ(ActionFor(Key(SDL_KEYUP, SDLK_s, 0, KMOD_LSHIFT)), EventAction::kSnapshot);
  EXPECT_EQ(ActionFor(Key(SDL_KEYUP, SDLK_r)), EventAction::kToggleRecording);
}

TEST(Events, PressesAndRepeatsDoNothing) {
  for (SDL_Keycode k : {SDLK_f, SDLK_v, SDLK_s, SDLK_r, SDLK_ESCAPE}) {
    EXPECT_EQ(ActionFor(Key(SDL_KEYDOWN, k)), EventAction::kNone) << k;
    EXPECT_EQ(ActionFor(Key(SDL_KEYDOWN, k, 1)), EventAction::kNone) << k;
    EXPECT_EQ(ActionFor(Key(SDL_KEYUP, k, 1)), EventAction::kNone) << k;
  }
}

TEST(Events, OtherKeysDoNothing) {
  for (SDL_Keycode k : {SDLK_q, SDLK_g, SDLK_RETURN, SDLK_SPACE, SDLK_F1})
    EXPECT_EQ(ActionFor(Key(SDL_KEYUP, k)), EventAction::kNone) << k;
}

TEST(Events, QuitCloseAndExposure) {
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  EXPECT_EQ(ActionFor(quit), EventAction::kQuit);
  EXPECT_EQ(ActionFor(WindowEvent(SDL_WINDOWEVENT_CLOSE)), EventAction::kQuit);
  EXPECT_EQ(ActionFor(WindowEvent(SDL_WINDOWEVENT_EXPOSED)), EventAction::kRepresent);
  EXPECT_EQ(ActionFor(WindowEvent(SDL_WINDOWEVENT_MOVED)), EventAction::kNone);
  EXPECT_EQ(ActionFor(WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST)), EventAction::kNone);
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  EXPECT_EQ(ActionFor(motion), EventAction::kNone);
}

TEST(PumpSchedule, EveryPassWhenNotBackToBack) {
  PumpSchedule pump(1'000'000);
  for (std::int64_t now : {0, 1, 2, 3, 500, 501}) EXPECT_TRUE(pump.Due(now, false)) << now;
}

TEST(PumpSchedule, OnceAMillisecondWhenBackToBack) {
  PumpSchedule pump(1'000'000);  // a millisecond is 1000 counts
  EXPECT_TRUE(pump.Due(5'000, true)) << "the first pass reads the connection";
  EXPECT_FALSE(pump.Due(5'001, true));
  EXPECT_FALSE(pump.Due(5'999, true));
  EXPECT_TRUE(pump.Due(6'000, true));
  EXPECT_FALSE(pump.Due(6'500, true));
  // Leaving fast mode reads at once; coming back waits a millisecond from there.
  EXPECT_TRUE(pump.Due(6'600, false));
  EXPECT_FALSE(pump.Due(7'000, true));
  EXPECT_TRUE(pump.Due(7'600, true));
}

TEST(PumpSchedule, FirstPassAlwaysReads) {
  PumpSchedule pump(1'000'000'000);
  EXPECT_TRUE(pump.Due(0, true));
  EXPECT_TRUE(PumpSchedule(1'000'000'000).Due(-5'000'000'000'000LL, true));
}

TEST(PresentSchedule, EveryFrameGoesUpOutsideFastMode) {
  PresentSchedule present(1'000);  // 20 a second: a gap of 50 counts
  for (std::int64_t now : {0, 1, 2, 10, 11}) EXPECT_TRUE(present.Drawn(now, false)) << now;
  EXPECT_FALSE(present.Held());
}

TEST(PresentSchedule, FastModePanelsGoUpAtMostTwentyTimesASecond) {
  PresentSchedule present(1'000);
  EXPECT_TRUE(present.Drawn(100, true)) << "the first panel goes up at once";
  EXPECT_FALSE(present.Drawn(120, true));
  EXPECT_TRUE(present.Held());
  EXPECT_FALSE(present.Drawn(149, true));
  EXPECT_TRUE(present.Drawn(150, true)) << "a gap later a new panel goes up at once";
  EXPECT_FALSE(present.Held());
}

TEST(PresentSchedule, AHeldPanelGoesUpOnceTheGapHasPassed) {
  PresentSchedule present(1'000);
  ASSERT_TRUE(present.Drawn(0, true));
  ASSERT_FALSE(present.Drawn(10, true));
  EXPECT_FALSE(present.HeldDue(49));
  EXPECT_TRUE(present.HeldDue(50));
  present.Presented(50);
  EXPECT_FALSE(present.Held());
  EXPECT_FALSE(present.HeldDue(500)) << "nothing is held after it went up";
}

TEST(PresentSchedule, LeavingFastModeShowsTheNextFrameAtOnce) {
  PresentSchedule present(1'000);
  ASSERT_TRUE(present.Drawn(0, true));
  ASSERT_FALSE(present.Drawn(5, true));
  EXPECT_TRUE(present.Drawn(6, false));
  EXPECT_FALSE(present.Held()) << "the frame that went up replaces the held panel";
}

TEST(Icon, CritterAndFungusOnWhiteInAFrame) {
  const std::vector<std::uint32_t> px = IconPixels();
  ASSERT_EQ(px.size(), static_cast<std::size_t>(kIconSize * kIconSize));
  auto at = [&px](int x, int y) { return px[static_cast<std::size_t>(y) * kIconSize + x]; };
  int red = 0, green = 0, black = 0, white = 0;
  for (std::uint32_t p : px) {
    EXPECT_EQ(p >> 24, 0xFFu) << "every pixel opaque";
    red += p == 0xFFFF0000u;
    green += p == 0xFF009600u;
    black += p == 0xFF000000u;
    white += p == 0xFFFFFFFFu;
  }
  EXPECT_GT(red, 50);
  EXPECT_GT(green, 30);
  EXPECT_GT(black, 30);
  EXPECT_GT(white, kIconSize * kIconSize / 2);
  for (int i = 0; i < kIconSize; ++i) {
    EXPECT_EQ(at(i, 0), at(0, 0));
    EXPECT_EQ(at(0, i), at(0, 0));
    EXPECT_EQ(at(i, kIconSize - 1), at(0, 0));
    EXPECT_EQ(at(kIconSize - 1, i), at(0, 0));
  }
  EXPECT_NE(at(0, 0), 0xFFFFFFFFu) << "the frame sets the icon off a white desktop";
  // The critter on the left heads right, towards the fungus on the right.
  EXPECT_EQ(at(10, 15), 0xFFFF0000u);
  EXPECT_EQ(at(21, 15), 0xFF009600u);
}

TEST(MessageBox, WithoutBoxesTheMessageGoesToStderr) {
  AllowMessageBoxes(false);
  testing::internal::CaptureStderr();
  ShowMessageBox(nullptr, "Cannot find ini file!", "Error");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Cannot find ini file!\n");
}

}  // namespace
