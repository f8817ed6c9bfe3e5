#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/pen.h"

// The off-screen drawing surface: 512 x 512 pixels of 32 bits (0xAARRGGBB,
// the SDL_PIXELFORMAT_ARGB8888 layout), drawn with the rules of the old
// desktop drawing interface so that every figure lands on the same pixels.
class Surface {
 public:
  static constexpr int kWidth = 512;
  static constexpr int kHeight = 512;

  // A white surface with the black pen selected, the current position at (0, 0).
  Surface();
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  // Every pixel white.
  void FillWhite();

  // Selects a pen and gives back the pen selected before. kNoPen selects
  // nothing and gives back kNoPen.
  Pen SelectPen(Pen pen);
  Pen CurrentPen() const { return pen_; }

  // Moves the current position.
  void MoveTo(int x, int y);

  // A line from the current position to (x, y): the start pixel and every
  // pixel up to, but not including, the end pixel; (x, y) becomes the
  // current position. Pixels outside the surface are clipped.
  void LineTo(int x, int y);

  // Black text on an opaque white box, its top-left corner at (x, y), in
  // DejaVu Sans about 16 pixels high.
  void TextOut(int x, int y, std::string_view text);

  std::uint32_t Pixel(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * kWidth + x]; }
  const std::uint32_t* Pixels() const { return pixels_.data(); }
  static constexpr int PitchBytes() { return kWidth * 4; }

  // Writes the surface as a PNG file; false when the file could not be
  // written whole, with why when asked.
  bool SavePng(const std::string& path, std::string* why = nullptr) const;

 private:
  void Plot(int x, int y) {
    if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) pixels_[static_cast<std::size_t>(y) * kWidth + x] = pen_;
  }

  std::vector<std::uint32_t> pixels_;
  Pen pen_ = kBlackPen;
  int curX_ = 0;
  int curY_ = 0;
};

// Reads a PNG file into 0xAARRGGBB pixels, row by row; false on failure.
// For comparing drawings with stored pictures.
bool LoadPngPixels(const std::string& path, std::vector<std::uint32_t>& pixels, int& w, int& h);
