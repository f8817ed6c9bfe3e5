#pragma once

#include <cstdint>

// The program's text face, DejaVu Sans at 13 points, as SDL2_ttf draws it
// black on white in its shaded mode, held as data so that every build (the
// window, the headless runner, the web page) draws text the same way with no
// font engine. render/glyph_table.cpp is written by
// render/make_glyph_table.cpp from the font; the render tests hold the table
// to SDL2_ttf's own drawing of every text the program shows.

// One glyph: how far it moves the pen, and FreeType's bitmap box placed
// relative to the pen (columns to the right, rows up from the baseline) with
// a coverage level (0 blank .. 255 full) for each of its pixels.
struct GlyphImage {
  std::int16_t advance;  // pixels
  std::int16_t left;     // the box's first column, from the pen
  std::int16_t top;      // the box's first row, above the baseline
  std::int16_t width;
  std::int16_t rows;
  std::uint32_t coverage;  // where the box's width x rows levels start in kGlyphCoverage, row by row
};

struct GlyphFace {
  int ascent;  // baseline, in rows from the top of a text box
  int height;  // the rows of a text box, at least
  // The pixel each coverage level becomes; coverages of glyphs that overlap
  // are joined bit by bit first, as SDL2_ttf does.
  std::uint32_t shades[256];
};

// Glyphs for the printable ASCII characters ' ' .. '~', then the one drawn
// for any other byte (the font's replacement character).
inline constexpr int kFirstGlyphChar = ' ';
inline constexpr int kLastGlyphChar = '~';
inline constexpr int kGlyphCount = kLastGlyphChar - kFirstGlyphChar + 2;

extern const GlyphFace kGlyphFace;
extern const GlyphImage kGlyphImages[kGlyphCount];
extern const std::uint8_t kGlyphCoverage[];

// The glyph a byte of text is drawn with.
inline const GlyphImage& GlyphFor(char c) {
  const int code = static_cast<unsigned char>(c);
  const bool printable = code >= kFirstGlyphChar && code <= kLastGlyphChar;
  return kGlyphImages[printable ? code - kFirstGlyphChar : kGlyphCount - 1];
}
