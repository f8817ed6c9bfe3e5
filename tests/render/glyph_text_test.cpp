// The glyph table against SDL2_ttf itself: every text the program draws, as
// its own number formatting writes it, and every pair of characters, drawn
// by the surface and by SDL2_ttf from the font file, pixel for pixel.
// (glyph_table_current.cmake checks that the committed table is what the
// font gives now.)
#include <SDL.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "render/arena_view.h"
#include "render/surface.h"

namespace {

constexpr int kPointSize = 13;
constexpr std::uint32_t kRed = 0xFFFF0000u;

// A text box as SDL2_ttf draws it: black on white, shaded.
struct Box {
  int w = 0;
  int h = 0;
  std::vector<std::uint32_t> pixels;
};

class GlyphText : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(TTF_Init(), 0) << TTF_GetError();
    font_ = TTF_OpenFont(VEXLORA_FONT_FILE, kPointSize);
    ASSERT_NE(font_, nullptr) << TTF_GetError();
  }
  static void TearDownTestSuite() {
    TTF_CloseFont(font_);
    TTF_Quit();
  }

  void SetUp() override { surface_.SelectPen(kRed); Paint(0, 0, Surface::kWidth, Surface::kHeight); }

  static Box Reference(const std::string& text) {
    Box box;
    const SDL_Color black{0, 0, 0, 255};
    const SDL_Color white{255, 255, 255, 255};
    SDL_Surface* drawn = TTF_RenderUTF8_Shaded(font_, text.c_str(), black, white);
    if (drawn == nullptr) return box;  // a text of no width
    box.w = drawn->w;
    box.h = drawn->h;
    SDL_LockSurface(drawn);
    const SDL_Palette* palette = drawn->format->palette;
    for (int y = 0; y < drawn->h; ++y) {
      const auto* row = static_cast<const std::uint8_t*>(drawn->pixels) + y * drawn->pitch;
      for (int x = 0; x < drawn->w; ++x) {
        const SDL_Color c = palette->colors[row[x]];
        box.pixels.push_back(0xFF000000u | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b);
      }
    }
    SDL_UnlockSurface(drawn);
    SDL_FreeSurface(drawn);
    return box;
  }

  // Red over [left, right) x [top, bottom), clipped to the surface.
  void Paint(int left, int top, int right, int bottom) {
    for (int y = std::max(top, 0); y < std::min(bottom, Surface::kHeight); ++y) {
      surface_.MoveTo(std::max(left, 0), y);
      surface_.LineTo(std::min(right, Surface::kWidth), y);
    }
  }

  // Draws the text at (x, y) on a red surface: the box SDL2_ttf draws must
  // appear there, pixel for pixel, and nothing around it. The surface is red
  // again afterwards.
  void ExpectSameAsSdlTtf(const std::string& text, int x = 5, int y = 0) {
    const Box box = Reference(text);
    surface_.TextOut(x, y, text);
    int differing = 0;
    int firstX = 0;
    int firstY = 0;
    for (int row = y - 1; row <= y + box.h; ++row) {
      for (int col = x - 1; col <= x + box.w; ++col) {
        if (col < 0 || row < 0 || col >= Surface::kWidth || row >= Surface::kHeight) continue;
        const bool inBox = col >= x && col < x + box.w && row >= y && row < y + box.h;
        const std::uint32_t expected =
            inBox ? box.pixels[static_cast<std::size_t>(row - y) * box.w + (col - x)] : kRed;
        if (surface_.Pixel(col, row) != expected && differing++ == 0) {
          firstX = col;
          firstY = row;
        }
      }
    }
    EXPECT_EQ(differing, 0) << "\"" << text << "\" (" << box.w << "x" << box.h << " box) differs from SDL2_ttf in "
                            << differing << " pixels, the first at " << firstX << "," << firstY;
    Paint(x - 1, y - 1, x + box.w + 1, y + box.h + 1);
    ++compared_;
  }

  static TTF_Font* font_;
  Surface surface_;
  int compared_ = 0;
};

TTF_Font* GlyphText::font_ = nullptr;

// Floats as the panel meets them: its three real-valued lines print floats
// (cast from doubles) with 6 significant digits, of any sign and size, and
// the ratio of two zeros is NaN.
std::vector<float> PanelFloats() {
  std::vector<float> values = {0.0f,  -0.0f, 1.0f,   -1.0f, 0.5f,     125.0f,    -33.3333f, 1e-5f, 1.5e-5f,
                               1e6f,  1e7f,  -1e20f, 3e38f, 1.17e-38f, 1e-45f,   99.9999f,  100.0f};
  values.push_back(std::numeric_limits<float>::infinity());
  values.push_back(-std::numeric_limits<float>::infinity());
  values.push_back(std::numeric_limits<float>::quiet_NaN());
  values.push_back(-std::numeric_limits<float>::quiet_NaN());
  std::mt19937 random(20);
  // Any finite float, from any bit pattern, and everyday scores.
  std::uniform_real_distribution<float> score(-200.0f, 400.0f);
  for (int i = 0; i < 150; ++i) {
    const float f = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    if (std::isfinite(f)) values.push_back(f);
    values.push_back(score(random));
  }
  return values;
}

std::vector<int> HeaderInts() {
  std::vector<int> values;
  for (int i = 0; i < 130; ++i) values.push_back(i);
  for (long long p = 10; p <= INT_MAX; p *= 10) {
    values.push_back(static_cast<int>(p - 1));
    values.push_back(static_cast<int>(p));
  }
  values.push_back(INT_MAX);
  std::mt19937 random(7);
  for (int i = 0; i < 50; ++i) values.push_back(static_cast<int>(random() % 1000000));
  return values;
}

}  // namespace

TEST_F(GlyphText, EveryHeaderTheProgramDraws) {
  const std::vector<int> ints = HeaderInts();
  for (const int g : ints) ExpectSameAsSdlTtf("Generation: " + IntToString(g));
  for (std::size_t i = 0; i < ints.size(); ++i) {
    const int g = ints[i];
    const int saves = ints[(i * 7 + 3) % ints.size()];
    if (saves != 0) ExpectSameAsSdlTtf("Generation: " + IntToString(g) + ",  Num. Saves: " + IntToString(saves));
  }
  EXPECT_GT(compared_, 350);
}

TEST_F(GlyphText, EveryPanelLineTheProgramDraws) {
  const std::vector<float> values = PanelFloats();
  const std::size_t n = values.size();
  for (std::size_t i = 0; i < n; ++i) {
    const float a = values[i];
    const float b = values[(i * 5 + 1) % n];
    const float c = values[(i * 11 + 2) % n];
    ExpectSameAsSdlTtf("Best win percent: " + FloatToString(a), 5, 20);
    ExpectSameAsSdlTtf("Best Score: " + FloatToString(a) + ",  Average Score: " + FloatToString(b) +
                           ",  Best/Avg Ratio: " + FloatToString(c),
                       5, 40);
    ExpectSameAsSdlTtf("Composite Score: " + FloatToString(b) + ",  Best Composite Score: " + FloatToString(c), 5,
                       60);
  }
  EXPECT_GT(compared_, 900);
}

// Every character beside every other, so that no pair is kerned, joined or
// overlapped differently from the table's composition; and a byte that is no
// character, drawn as the replacement character.
TEST_F(GlyphText, EveryPairOfCharacters) {
  for (int a = ' '; a <= '~'; ++a) {
    ExpectSameAsSdlTtf(std::string(1, static_cast<char>(a)));
    for (int b = ' '; b <= '~'; ++b) ExpectSameAsSdlTtf(std::string{static_cast<char>(a), static_cast<char>(b)});
  }
  ExpectSameAsSdlTtf("x\xFFy");
  EXPECT_EQ(compared_, 95 + 95 * 95 + 1);
}

// Where the box is cut by the surface's edges, and a line wider than the
// surface.
TEST_F(GlyphText, CutAtTheEdges) {
  const std::string text = "Best Score: 12.5,  Average Score: -3.25e+06";
  for (const auto& [x, y] : {std::pair{-7, -3}, {480, 500}, {-300, 200}, {5, 505}})
    ExpectSameAsSdlTtf(text, x, y);
  ExpectSameAsSdlTtf(std::string(60, 'W') + " wide", 5, 100);
}
