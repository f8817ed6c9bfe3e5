#pragma once

#include <cstdint>

// A solid pen of width 1 is just its colour: a surface pixel value, 0xAARRGGBB
// with the alpha always opaque. kNoPen is the empty slot (never drawn with).
using Pen = std::uint32_t;

inline constexpr Pen kNoPen = 0;
inline constexpr Pen kBlackPen = 0xFF000000u;
inline constexpr Pen kWhite = 0xFFFFFFFFu;
inline constexpr Pen kRedPen = 0xFFFF0000u;    // (255, 0, 0)
inline constexpr Pen kBluePen = 0xFF0000FFu;   // (0, 0, 255)
inline constexpr Pen kGreenPen = 0xFF009600u;  // (0, 150, 0)

constexpr Pen MakePen(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return 0xFF000000u | (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
}
