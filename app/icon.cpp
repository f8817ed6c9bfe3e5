#include "app/icon.h"

#include <cstddef>

namespace {

// One letter a pixel: . white, l light grey frame, k black, r red, g the
// fungus green of the arena.
constexpr const char* kArt[kIconSize] = {
    "llllllllllllllllllllllllllllllll",
    "l..............................l",
    "l..............................l",
    "l..............................l",
    "l..............................l",
    "l..k...........................l",
    "l...k..........................l",
    "l...kkk........................l",
    "l....krk.......................l",
    "l....krrkk.....................l",
    "l.....krrrk....................l",
    "l.....krrrrk...................l",
    "l......krrrrkk.......gggggggg..l",
    "l......krrrrrrk......gggggggg..l",
    "l.......krrrrrrkk....gg....gg..l",
    "l.......krrrrrrrrk...gg....gg..l",
    "l.......krrrrrrrrk...gg....gg..l",
    "l.......krrrrrrkk....gg....gg..l",
    "l......krrrrrrk......gggggggg..l",
    "l......krrrrkk.......gggggggg..l",
    "l.....krrrrk...................l",
    "l.....krrrk....................l",
    "l....krrkk.....................l",
    "l....krk.......................l",
    "l...kkk........................l",
    "l...k..........................l",
    "l..k...........................l",
    "l..............................l",
    "l..............................l",
    "l..............................l",
    "l..............................l",
    "llllllllllllllllllllllllllllllll",
};

std::uint32_t Colour(char c) {
  switch (c) {
    case 'l': return 0xFFC8C8C8u;
    case 'k': return 0xFF000000u;
    case 'r': return 0xFFFF0000u;
    case 'g': return 0xFF009600u;
    default: return 0xFFFFFFFFu;
  }
}

}  // namespace

std::vector<std::uint32_t> IconPixels() {
  std::vector<std::uint32_t> pixels;
  pixels.reserve(static_cast<std::size_t>(kIconSize) * kIconSize);
  for (const char* row : kArt)
    for (int x = 0; x < kIconSize; ++x) pixels.push_back(Colour(row[x]));
  return pixels;
}
