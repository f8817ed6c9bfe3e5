// vexlora: the World in a window. Reads params.ini from the current
// directory; F switches fast mode, V the sensor lines, Escape quits.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "app/display.h"
#include "app/frame_timer.h"
#include "app/main_loop.h"
#include "app/message_box.h"
#include "app/window.h"
#include "common/message.h"
#include "params/params.h"
#include "render/surface.h"
#include "startup/startup.h"
#include "world/world.h"

namespace {

constexpr int kFailed = 1;

std::int64_t SdlCount() { return static_cast<std::int64_t>(SDL_GetPerformanceCounter()); }
std::int64_t SdlFrequency() { return static_cast<std::int64_t>(SDL_GetPerformanceFrequency()); }

// SDL_Quit when the window program ends, after everything else is gone.
struct SdlVideo {
  ~SdlVideo() { SDL_Quit(); }
};

int CannotOpenWindow() {
  std::fprintf(stderr, "vexlora: cannot open the window: %s\n", SDL_GetError());
  ShowMessage(nullptr, "Error Registering Class!", "Error");
  return kFailed;
}

int NoDisplay(const std::string& why) {
  std::fprintf(stderr, "%s\n", NoDisplayLine(why).c_str());
  return kFailed;
}

// VEXLORA_REPORT_GENERATIONS=1 asks for how far the run got, for comparing
// the window's fast mode with the headless runner.
bool ReportWanted() {
  const char* v = std::getenv("VEXLORA_REPORT_GENERATIONS");
  return v && *v && std::string(v) != "0";
}

int RunWindow() {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return CannotOpenWindow();
  SdlVideo sdl;
  if (const char* driver = SDL_GetCurrentVideoDriver(); IsInvisibleDriver(driver, std::getenv("SDL_VIDEODRIVER")))
    return NoDisplay(std::string("none could be reached; SDL would draw on its invisible ") + driver + " driver");

  Window window;
  if (!window.Open()) return CannotOpenWindow();

  Simulation run(static_cast<std::uint32_t>(std::time(nullptr)), window.Handle());
  World& world = run.world();
  Surface surface;

  window.Show(surface);
  FrameTimer timer({&SdlCount, &SdlFrequency});
  timer.Start(Params.FrameRate);
  const std::int64_t start = SdlCount();
  const LoopResult result = RunMainLoop(world, surface, window, timer);
  const double seconds = static_cast<double>(SdlCount() - start) / static_cast<double>(SdlFrequency());

  if (ReportWanted())
    std::fprintf(stderr, "generations: %d, seconds: %.3f, fast-mode seconds: %.3f\n", world.iGeneration, seconds,
                 result.fastModeSeconds);
  return result.tickFailed ? kFailed : 0;
}

}  // namespace

int main() {
  // Without a display a box has nothing to open on: stderr only.
  const bool display = DisplayExpected();
  AllowMessageBoxes(display);
  SetMessageHandler(&ShowMessageBox);

  if (const auto problem = LoadStartupParams("params.ini")) {
    ShowMessage(nullptr, problem->message.c_str(), "Error");
    return kFailed;
  }
  if (!display) return NoDisplay("DISPLAY and WAYLAND_DISPLAY are unset");
  return RunWindow();
}
