#include "app/display.h"

#include <cstdlib>
#include <string_view>

namespace {

bool Set(const char* value) { return value != nullptr && *value != '\0'; }

// True when list (SDL's comma-separated driver names) contains name.
bool Names(std::string_view list, std::string_view name) {
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    if (list.substr(0, comma) == name) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

}  // namespace

bool DisplayExpected(const char* display, const char* waylandDisplay, const char* requestedDriver) {
  if (Set(display) || Set(waylandDisplay)) return true;
  // A driver chosen by name that needs neither variable (offscreen, kmsdrm ...)
  // is the user's decision.
  if (!Set(requestedDriver)) return false;
  std::string_view list(requestedDriver);
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view name = list.substr(0, comma);
    if (name != "x11" && name != "wayland") return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

bool DisplayExpected() {
  return DisplayExpected(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), std::getenv("SDL_VIDEODRIVER"));
}

bool IsInvisibleDriver(const char* currentDriver, const char* requestedDriver) {
  if (!Set(currentDriver)) return false;
  const std::string_view current(currentDriver);
  if (current != "offscreen" && current != "dummy") return false;
  return !(Set(requestedDriver) && Names(requestedDriver, current));
}

std::string NoDisplayLine() {
  return "vexlora: no display to open a window on (DISPLAY and WAYLAND_DISPLAY are unset); "
         "run vexlora-evolve to evolve without a window";
}
