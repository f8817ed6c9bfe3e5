// The page's side of Vexlora in WebAssembly: the run, its drawing surface and
// the keys, driven by the page's script (web/index.html) through the
// functions below. The World, the drawing and the files are the desktop
// program's own; the page's folder is IndexedDB, mounted as the current
// directory, so AllWeights.bin and the debug logs outlive a reload.
#include <emscripten/emscripten.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "common/message.h"
#include "params/params.h"
#include "render/arena_view.h"
#include "render/surface.h"
#include "startup/startup.h"
#include "web/tick_clock.h"
#include "world/world.h"

namespace {

// Picture bits given back to the script.
constexpr int kPainted = 1;  // the surface holds a new picture
constexpr int kFailed = 2;   // a tick failed; the run has stopped

struct Page {
  std::unique_ptr<Simulation> run;
  Surface surface;
  std::array<std::uint8_t, Surface::kWidth * Surface::kHeight * 4> rgba{};
  TickClock clock;
  std::string message;
};

Page& ThePage() {
  static Page page;
  return page;
}

// Messages the desktop shows in a box are kept for the page to show.
void KeepMessage(void*, const char* text, const char*) { ThePage().message = text; }

// One tick, then the window's painting rule: the arena after every tick, the
// statistics panel once a generation in fast mode.
int Tick(Page& page) {
  World& world = page.run->world();
  if (!world.Update()) {
    // The run ends here, as the window's does: its log gets its footer.
    page.run.reset();
    return kFailed;
  }
  return PaintAfterTick(world, page.surface) ? kPainted : 0;
}

bool Running(const Page& page) { return page.run != nullptr; }

}  // namespace

extern "C" {

// Reads and checks a parameter file, named as given, in a directory (the
// built-in default or an upload). A file that is refused leaves the
// parameters of the run under way as they were; vx_message() says why.
EMSCRIPTEN_KEEPALIVE int vx_load_params(const char* directory, const char* name) {
  Page& page = ThePage();
  SetMessageHandler(&KeepMessage);
  const ParamsRecord before = Params;
  char home[512];
  if (getcwd(home, sizeof home) == nullptr || chdir(directory) != 0) {
    page.message = std::string("Cannot read ") + name;
    return 0;
  }
  const auto problem = LoadStartupParams(name);
  chdir(home);
  if (!problem) return 1;
  Params = before;
  page.message = problem->message;
  if (!problem->why.empty()) page.message += std::string(" (") + name + ": " + problem->why + ")";
  return 0;
}

// Starts a run from the seed, in the current directory, with the parameters
// last loaded; a run under way ends first (its log gets its footer). The
// first picture is drawn.
EMSCRIPTEN_KEEPALIVE void vx_start(std::uint32_t seed, double nowMs) {
  Page& page = ThePage();
  page.run.reset();
  page.message.clear();
  page.run = std::make_unique<Simulation>(seed);
  page.clock.Start(Params.FrameRate, nowMs);
  page.surface.FillWhite();
  Render(page.run->world(), page.surface);
}

// Ends the run under way, closing its log.
EMSCRIPTEN_KEEPALIVE void vx_stop() { ThePage().run.reset(); }

// An animation frame in arena view: the ticks due by now.
EMSCRIPTEN_KEEPALIVE int vx_frame(double nowMs) {
  Page& page = ThePage();
  if (!Running(page) || page.run->world().bFastMode) return 0;
  int result = 0;
  for (int n = page.clock.Due(nowMs); n > 0 && Running(page); --n) result |= Tick(page);
  return result;
}

// Fast mode: ticks back to back for about budgetMs, or until fast mode ends.
EMSCRIPTEN_KEEPALIVE int vx_fast(double budgetMs) {
  Page& page = ThePage();
  if (!Running(page)) return 0;
  const double end = emscripten_get_now() + budgetMs;
  int result = 0;
  // The clock is read every few dozen ticks: a tick takes microseconds.
  while (Running(page) && page.run->world().bFastMode) {
    for (int i = 0; i < 64 && Running(page); ++i) result |= Tick(page);
    if (emscripten_get_now() >= end) break;
  }
  return result;
}

// A key released: F fast mode, V the sensor line (key codes of the letters).
EMSCRIPTEN_KEEPALIVE void vx_key(int key, double nowMs) {
  Page& page = ThePage();
  if (page.run == nullptr) return;
  World& world = page.run->world();
  if (key == 'F') {
    world.bFastMode = !world.bFastMode;
    // Back in arena view, the frames go on from now.
    if (!world.bFastMode) page.clock.Start(Params.FrameRate, nowMs);
  } else if (key == 'V') {
    world.bShowSensors = !world.bShowSensors;
  }
}

// The surface as the canvas takes it: red, green, blue, alpha bytes.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* vx_rgba() {
  Page& page = ThePage();
  const std::uint32_t* pixels = page.surface.Pixels();
  for (std::size_t i = 0; i < static_cast<std::size_t>(Surface::kWidth) * Surface::kHeight; ++i) {
    const std::uint32_t p = pixels[i];
    page.rgba[4 * i] = static_cast<std::uint8_t>(p >> 16);
    page.rgba[4 * i + 1] = static_cast<std::uint8_t>(p >> 8);
    page.rgba[4 * i + 2] = static_cast<std::uint8_t>(p);
    page.rgba[4 * i + 3] = static_cast<std::uint8_t>(p >> 24);
  }
  return page.rgba.data();
}

// S: the picture shown, as a PNG file.
EMSCRIPTEN_KEEPALIVE int vx_save_png(const char* path) {
  Page& page = ThePage();
  std::string why;
  if (page.surface.SavePng(path, &why)) return 1;
  page.message = std::string("Cannot write ") + path + ": " + why;
  return 0;
}

EMSCRIPTEN_KEEPALIVE int vx_generation() { return ThePage().run ? ThePage().run->world().iGeneration : 0; }
EMSCRIPTEN_KEEPALIVE int vx_saves() { return ThePage().run ? ThePage().run->world().iNumSaves : 0; }
EMSCRIPTEN_KEEPALIVE int vx_fast_mode() { return ThePage().run && ThePage().run->world().bFastMode ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int vx_sensors() { return ThePage().run && ThePage().run->world().bShowSensors ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE const char* vx_message() { return ThePage().message.c_str(); }

}  // extern "C"
