#include "app/main_loop.h"

#include <SDL.h>

#include <cstdint>

#include "app/events.h"
#include "app/frame_rest.h"
#include "app/frame_timer.h"
#include "app/present_schedule.h"
#include "app/window.h"
#include "app/window_capture.h"
#include "render/arena_view.h"
#include "render/surface.h"
#include "world/world.h"

namespace {

// Adds up the time fast mode is on; read at switches only.
class FastModeClock {
 public:
  FastModeClock(bool on, std::int64_t frequency) : frequency_(static_cast<double>(frequency)) { Switch(on); }

  void Switch(bool on) {
    const auto now = static_cast<std::int64_t>(SDL_GetPerformanceCounter());
    if (on_) counts_ += now - since_;
    on_ = on;
    since_ = now;
  }

  double Seconds() {
    Switch(on_);
    return static_cast<double>(counts_) / frequency_;
  }

 private:
  double frequency_;
  bool on_ = false;
  std::int64_t since_ = 0;
  std::int64_t counts_ = 0;
};

}  // namespace

LoopResult RunMainLoop(World& world, Surface& surface, Window& window, FrameTimer& timer) {
  const auto frequency = static_cast<std::int64_t>(SDL_GetPerformanceFrequency());
  PumpSchedule pump(frequency);
  PresentSchedule present(frequency);
  FastModeClock fastClock(world.bFastMode, frequency);
  WindowCapture capture(frequency);
  LoopResult result;
  bool quit = false;
  while (!quit) {
    const auto now = static_cast<std::int64_t>(SDL_GetPerformanceCounter());
    if (pump.Due(now, world.bFastMode)) SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
      switch (ActionFor(event)) {
        case EventAction::kQuit:
          // The pass still finishes: a frame that is due still ticks.
          quit = true;
          break;
        case EventAction::kToggleFastMode:
          world.bFastMode = !world.bFastMode;
          fastClock.Switch(world.bFastMode);
          break;
        case EventAction::kToggleSensors:
          world.bShowSensors = !world.bShowSensors;
          break;
        case EventAction::kRepresent:
          // The surface holds the newest picture, even one held back.
          window.Present(surface);
          present.Presented(now);
          break;
        case EventAction::kSnapshot:
          // A picture held back goes up first, so the file is what shows.
          if (present.Held()) {
            window.Present(surface);
            present.Presented(now);
          }
          capture.Snapshot(surface);
          break;
        case EventAction::kToggleRecording:
          capture.ToggleRecording(surface, now);
          break;
        case EventAction::kNone:
          break;
      }
    }

    // The timer is asked on every pass, fast mode or not, so that its period
    // runs on from the last frame it saw.
    if (timer.ReadyForNextFrame() || world.bFastMode) {
      if (!world.Update()) {
        result.tickFailed = true;
        break;
      }
      // In fast mode the statistics panel is drawn once a generation.
      if (PaintAfterTick(world, surface)) {
        capture.Painted(surface, now);
        if (present.Drawn(now, world.bFastMode)) window.Present(surface);
      }
    }
    if (present.HeldDue(now)) {
      window.Present(surface);
      present.Presented(now);
    }
    // Outside fast mode nothing happens until the next frame or an event:
    // wait for either rather than spin. Fast mode and a held-back picture
    // keep polling.
    if (!quit && !world.bFastMode && !present.Held()) RestBeforeNextFrame(timer);
  }
  capture.Finish(static_cast<std::int64_t>(SDL_GetPerformanceCounter()));
  result.fastModeSeconds = fastClock.Seconds();
  return result;
}
