// vexlora-make-glyph-table: writes render/glyph_table.cpp, the program's text
// face as SDL2_ttf draws it, from the font file.
//
//   vexlora-make-glyph-table FONT.ttf OUTPUT.cpp
//
// Each glyph is drawn alone by SDL2_ttf (shaded, black on white) and cut out
// of its text box by the glyph's metrics; the shades come from the same
// drawing. Anything that does not fit that picture stops the tool.
#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "render/glyph_table.h"

namespace {

// 13 points at SDL_ttf's 72 dpi: lines 16 pixels high, so text rows 20
// pixels apart never touch.
constexpr int kTextPointSize = 13;
constexpr std::uint32_t kReplacementChar = 0xFFFD;

struct CutGlyph {
  GlyphImage image{};
  std::vector<std::uint8_t> coverage;
};

[[noreturn]] void Die(const std::string& why) {
  std::fprintf(stderr, "vexlora-make-glyph-table: %s\n", why.c_str());
  std::exit(1);
}

std::string Utf8(std::uint32_t c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

std::uint32_t Shade(const SDL_Color& c) {
  return 0xFF000000u | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | std::uint32_t{c.b};
}

// The glyph of c, cut out of SDL_ttf's text box for c alone: the pen starts
// at the box's left edge unless the glyph reaches left of it, the baseline
// lies `ascent` rows down unless the glyph reaches above the box.
CutGlyph Cut(TTF_Font* font, std::uint32_t c, std::vector<std::uint32_t>& shades) {
  const std::string name = "U+" + std::to_string(c);
  int minx = 0, maxx = 0, miny = 0, maxy = 0, advance = 0;
  if (TTF_GlyphMetrics32(font, c, &minx, &maxx, &miny, &maxy, &advance) != 0) Die("no metrics for " + name);
  const int ascent = TTF_FontAscent(font);
  const int height = TTF_FontHeight(font);
  const int xstart = minx < 0 ? -minx : 0;
  const int ystart = maxy > ascent ? maxy - ascent : 0;
  const int boxWidth = std::max(maxx, advance) - std::min(0, minx);
  const int boxHeight = std::max(height, ascent - miny) + ystart;

  CutGlyph glyph;
  glyph.image = {static_cast<std::int16_t>(advance), static_cast<std::int16_t>(minx), static_cast<std::int16_t>(maxy),
                 static_cast<std::int16_t>(maxx - minx), static_cast<std::int16_t>(maxy - miny), 0};
  glyph.coverage.assign(static_cast<std::size_t>(glyph.image.width) * static_cast<std::size_t>(glyph.image.rows), 0);

  const SDL_Color black{0, 0, 0, 255};
  const SDL_Color white{255, 255, 255, 255};
  SDL_Surface* box = TTF_RenderUTF8_Shaded(font, Utf8(c).c_str(), black, white);
  if (box == nullptr) {
    if (boxWidth == 0) return glyph;  // SDL_ttf draws nothing for a box of no width
    Die("SDL_ttf drew nothing for " + name + ": " + TTF_GetError());
  }
  if (box->format->BytesPerPixel != 1 || box->format->palette == nullptr) Die("not an indexed box for " + name);
  if (box->w != boxWidth || box->h != boxHeight)
    Die("the box of " + name + " is " + std::to_string(box->w) + "x" + std::to_string(box->h) + ", not " +
        std::to_string(boxWidth) + "x" + std::to_string(boxHeight));
  if (shades.empty()) {
    const SDL_Palette* palette = box->format->palette;
    if (palette->ncolors != 256) Die("SDL_ttf's shaded palette has " + std::to_string(palette->ncolors) + " levels");
    for (int i = 0; i < 256; ++i) shades.push_back(Shade(palette->colors[i]));
  }

  SDL_LockSurface(box);
  const int left = xstart + minx;
  const int top = ystart + ascent - maxy;
  for (int row = 0; row < box->h; ++row) {
    const auto* in = static_cast<const std::uint8_t*>(box->pixels) + row * box->pitch;
    for (int col = 0; col < box->w; ++col) {
      const int gx = col - left;
      const int gy = row - top;
      const bool inside = gx >= 0 && gx < glyph.image.width && gy >= 0 && gy < glyph.image.rows;
      if (inside) {
        glyph.coverage[static_cast<std::size_t>(gy) * glyph.image.width + gx] = in[col];
      } else if (in[col] != 0) {
        Die("ink of " + name + " outside its metrics' box at " + std::to_string(col) + "," + std::to_string(row));
      }
    }
  }
  SDL_UnlockSurface(box);
  SDL_FreeSurface(box);
  return glyph;
}

std::string Describe(std::uint32_t c) {
  if (c == kReplacementChar) return "any other byte: the replacement character";
  if (c == '\\') return "'\\\\'";
  return std::string("'") + static_cast<char>(c) + "'";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vexlora-make-glyph-table FONT.ttf OUTPUT.cpp\n");
    return 2;
  }
  const std::string fontPath = argv[1];
  if (TTF_Init() != 0) Die(std::string("TTF_Init failed: ") + TTF_GetError());
  TTF_Font* font = TTF_OpenFont(fontPath.c_str(), kTextPointSize);
  if (font == nullptr) Die("cannot open " + fontPath + ": " + TTF_GetError());

  std::vector<std::uint32_t> chars;
  for (std::uint32_t c = kFirstGlyphChar; c <= kLastGlyphChar; ++c) chars.push_back(c);
  chars.push_back(kReplacementChar);

  std::vector<std::uint32_t> shades;
  std::vector<CutGlyph> glyphs;
  std::size_t offset = 0;
  for (const std::uint32_t c : chars) {
    glyphs.push_back(Cut(font, c, shades));
    glyphs.back().image.coverage = static_cast<std::uint32_t>(offset);
    offset += glyphs.back().coverage.size();
  }
  if (shades.empty()) Die("no glyph was drawn");

  const char* family = TTF_FontFaceFamilyName(font);
  const char* style = TTF_FontFaceStyleName(font);
  std::ostringstream out;
  out << "// Generated by render/make_glyph_table.cpp from " << (family ? family : "?") << " " << (style ? style : "")
      << " at " << kTextPointSize << " points,\n// as SDL2_ttf " << SDL_TTF_MAJOR_VERSION << "." << SDL_TTF_MINOR_VERSION
      << " draws it (shaded, black on white). Do not edit.\n"
      << "#include \"render/glyph_table.h\"\n\n"
      << "extern const GlyphFace kGlyphFace = {\n  " << TTF_FontAscent(font) << ", " << TTF_FontHeight(font)
      << ",\n  {";
  for (std::size_t i = 0; i < shades.size(); ++i) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", shades[i]);
    out << (i % 8 == 0 ? "\n   " : "") << " " << hex << ",";
  }
  out << "\n  },\n};\n\n"
      << "// advance, left, top, width, rows, coverage offset\n"
      << "extern const GlyphImage kGlyphImages[kGlyphCount] = {\n";
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    const GlyphImage& g = glyphs[i].image;
    out << "  {" << g.advance << ", " << g.left << ", " << g.top << ", " << g.width << ", " << g.rows << ", "
        << g.coverage << "},  // " << Describe(chars[i]) << "\n";
  }
  out << "};\n\n"
      << "extern const std::uint8_t kGlyphCoverage[] = {\n";
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    const CutGlyph& g = glyphs[i];
    if (g.coverage.empty()) continue;
    out << "  // " << Describe(chars[i]) << "\n";
    for (int row = 0; row < g.image.rows; ++row) {
      out << " ";
      for (int col = 0; col < g.image.width; ++col) {
        out << " " << static_cast<int>(g.coverage[static_cast<std::size_t>(row) * g.image.width + col]) << ",";
      }
      out << "\n";
    }
  }
  out << "};\n";

  TTF_CloseFont(font);
  TTF_Quit();

  std::ofstream file(argv[2], std::ios::binary);
  file << out.str();
  file.close();
  if (!file) Die(std::string("cannot write ") + argv[2]);
  return 0;
}
