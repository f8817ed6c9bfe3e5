#pragma once

#include <cstdint>
#include <vector>

// The program's icon: a red critter heading for a green fungus on white.
inline constexpr int kIconSize = 32;

// kIconSize x kIconSize pixels, row by row, 0xAARRGGBB (SDL_PIXELFORMAT_ARGB8888).
std::vector<std::uint32_t> IconPixels();
