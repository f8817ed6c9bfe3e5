// Writes the program's icon as a PNG for the desktop, scaled up by whole
// pixels, so the file shows exactly the picture built into the program.
// Usage: vexlora-make-icon OUT.png SCALE
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <SDL_image.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/icon.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vexlora-make-icon OUT.png SCALE\n");
    return 2;
  }
  const int scale = std::atoi(argv[2]);
  if (scale < 1 || scale > 16) {
    std::fprintf(stderr, "vexlora-make-icon: scale must be 1 to 16\n");
    return 2;
  }
  const std::vector<std::uint32_t> icon = IconPixels();
  const int size = kIconSize * scale;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      pixels[static_cast<std::size_t>(y) * size + x] = icon[static_cast<std::size_t>(y / scale) * kIconSize + x / scale];
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), size, size, 32, size * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!surface || IMG_SavePNG(surface, argv[1]) != 0) {
    std::fprintf(stderr, "vexlora-make-icon: cannot write %s: %s\n", argv[1], SDL_GetError());
    return 1;
  }
  SDL_FreeSurface(surface);
  return 0;
}
