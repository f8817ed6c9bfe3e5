#include "app/display.h"

#include <cstdlib>
#include <string_view>

namespace {

bool Set(const char* value) { return value != nullptr && *value != '\0'; }

// True when pred holds for a name of list (SDL's comma-separated driver names).
template <typename Pred>
bool AnyName(std::string_view list, Pred pred) {
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    if (pred(list.substr(0, comma))) return true;
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
  return Set(requestedDriver) &&
         AnyName(requestedDriver, [](std::string_view name) { return name != "x11" && name != "wayland"; });
}

bool DisplayExpected() {
  return DisplayExpected(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), std::getenv("SDL_VIDEODRIVER"));
}

bool IsInvisibleDriver(const char* currentDriver, const char* requestedDriver) {
  if (!Set(currentDriver)) return false;
  const std::string_view current(currentDriver);
  if (current != "offscreen" && current != "dummy") return false;
  return !(Set(requestedDriver) && AnyName(requestedDriver, [current](std::string_view name) { return name == current; }));
}

std::string NoDisplayLine(const std::string& why) {
  return "vexlora: no display to open a window on (" + why + "); run vexlora-evolve to evolve without a window";
}
