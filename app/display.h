#pragma once

#include <string>

// Whether the window program has somewhere to show its window. Without a
// display SDL quietly opens an invisible window on its offscreen or dummy
// driver; the program refuses that and points to the headless runner.

// False when neither DISPLAY nor WAYLAND_DISPLAY names a display and the
// requested driver (SDL_VIDEODRIVER, may be null) is unset, x11 or wayland.
bool DisplayExpected(const char* display, const char* waylandDisplay, const char* requestedDriver);

// The same, read from the environment.
bool DisplayExpected();

// True when SDL ended up on a driver that shows nothing (offscreen, dummy)
// without SDL_VIDEODRIVER asking for it.
bool IsInvisibleDriver(const char* currentDriver, const char* requestedDriver);

// The one line said when there is no display, with why in parentheses.
std::string NoDisplayLine(const std::string& why);
