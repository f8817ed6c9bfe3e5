#include "app/events.h"

EventAction ActionFor(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      return EventAction::kQuit;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) return EventAction::kQuit;
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED) return EventAction::kRepresent;
      return EventAction::kNone;
    case SDL_KEYUP:
      if (event.key.repeat != 0) return EventAction::kNone;
      // Key codes follow the layout and ignore Shift: f and F are one key.
      switch (event.key.keysym.sym) {
        case SDLK_f: return EventAction::kToggleFastMode;
        case SDLK_v: return EventAction::kToggleSensors;
        case SDLK_s: return EventAction::kSnapshot;
        case SDLK_r: return EventAction::kToggleRecording;
        case SDLK_ESCAPE: return EventAction::kQuit;
        default: return EventAction::kNone;
      }
    default:
      return EventAction::kNone;
  }
}
