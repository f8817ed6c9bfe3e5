#include "render/surface.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "font/embedded_fonts.h"

namespace {

// 13 points at SDL_ttf's 72 dpi: lines 16 pixels high, so text rows 20
// pixels apart never touch.
constexpr int kTextPointSize = 13;

// Line walks are computed in 128 bits so that any pair of int end points,
// however far off the surface, gives exact pixels.
__extension__ using Wide = __int128;

// A line seen along its major axis: after i steps the minor coordinate has
// moved Offset(i) = minor * i / major, rounded to the nearest pixel. A tie
// goes to the smaller surface coordinate, so a line covers the same pixels
// whichever end it starts from (apart from the excluded end pixel).
struct LineWalk {
  std::int64_t major;  // steps along the major axis, > 0
  std::int64_t minor;  // 0 .. major
  std::int64_t bias;   // major - 1 when the minor coordinate grows, major when it shrinks

  std::int64_t Offset(std::int64_t i) const {
    return static_cast<std::int64_t>((Wide{2} * minor * i + bias) / (Wide{2} * major));
  }

  // The first step in [lo, hi] whose offset is at least `target`, or hi + 1.
  std::int64_t FirstAtLeast(std::int64_t lo, std::int64_t hi, std::int64_t target) const {
    std::int64_t end = hi + 1;
    while (lo < end) {
      const std::int64_t mid = lo + (end - lo) / 2;
      if (Offset(mid) >= target) {
        end = mid;
      } else {
        lo = mid + 1;
      }
    }
    return lo;
  }
};

// Narrows [lo, hi] to the steps whose coordinate start + sign * offset lies in
// [0, limit), for a coordinate that moves by a non-decreasing offset(step).
template <typename OffsetFn>
void ClipSteps(std::int64_t start, int sign, std::int64_t limit, OffsetFn offsetAtLeast, std::int64_t& lo,
               std::int64_t& hi) {
  // Offsets allowed: [low, high].
  const std::int64_t low = sign > 0 ? -start : start - (limit - 1);
  const std::int64_t high = sign > 0 ? limit - 1 - start : start;
  const std::int64_t first = offsetAtLeast(lo, hi, low);
  const std::int64_t last = offsetAtLeast(first, hi, high + 1) - 1;
  lo = first;
  hi = last;
}

bool OnSurface(std::int64_t x, std::int64_t y) {
  return x >= 0 && x < Surface::kWidth && y >= 0 && y < Surface::kHeight;
}

TTF_Font* OpenTextFont() {
  if (TTF_WasInit() == 0 && TTF_Init() != 0) {
    std::fprintf(stderr, "Surface: TTF_Init failed: %s\n", TTF_GetError());
    return nullptr;
  }
  SDL_RWops* rw = SDL_RWFromConstMem(kDejaVuSansFont, static_cast<int>(kDejaVuSansFontSize));
  if (rw == nullptr) {
    std::fprintf(stderr, "Surface: cannot read the built-in font: %s\n", SDL_GetError());
    return nullptr;
  }
  TTF_Font* font = TTF_OpenFontRW(rw, 1, kTextPointSize);
  if (font == nullptr) {
    std::fprintf(stderr, "Surface: cannot open the built-in font: %s\n", TTF_GetError());
  }
  return font;
}

// Opened on first use and kept for the life of the program.
TTF_Font* TextFont() {
  static TTF_Font* const font = OpenTextFont();
  return font;
}

std::uint32_t ToPixel(const SDL_Color& c) {
  return 0xFF000000u | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | std::uint32_t{c.b};
}

}  // namespace

Surface::Surface() : pixels_(static_cast<std::size_t>(kWidth) * kHeight, kWhite) {}

Surface::~Surface() = default;

void Surface::FillWhite() { std::fill(pixels_.begin(), pixels_.end(), kWhite); }

Pen Surface::SelectPen(Pen pen) {
  if (pen == kNoPen) return kNoPen;
  const Pen previous = pen_;
  pen_ = pen;
  return previous;
}

void Surface::MoveTo(int x, int y) {
  curX_ = x;
  curY_ = y;
}

void Surface::LineTo(int x, int y) {
  const std::int64_t x0 = curX_;
  const std::int64_t y0 = curY_;
  const std::int64_t dx = std::int64_t{x} - x0;
  const std::int64_t dy = std::int64_t{y} - y0;
  curX_ = x;
  curY_ = y;

  const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
  const std::int64_t dMajor = xMajor ? dx : dy;
  const std::int64_t dMinor = xMajor ? dy : dx;
  const std::int64_t major0 = xMajor ? x0 : y0;
  const std::int64_t minor0 = xMajor ? y0 : x0;
  const int majorSign = dMajor < 0 ? -1 : 1;
  const int minorSign = dMinor < 0 ? -1 : 1;
  const std::int64_t majorLimit = xMajor ? kWidth : kHeight;
  const std::int64_t minorLimit = xMajor ? kHeight : kWidth;

  LineWalk walk;
  walk.major = dMajor < 0 ? -dMajor : dMajor;
  walk.minor = dMinor < 0 ? -dMinor : dMinor;
  walk.bias = minorSign > 0 ? walk.major - 1 : walk.major;
  if (walk.major == 0) return;  // the end pixel is never drawn, so nothing is

  // Steps 0 .. major - 1: the end pixel is left out.
  std::int64_t lo = 0;
  std::int64_t hi = walk.major - 1;
  if (!OnSurface(x0, y0) || !OnSurface(x, y)) {
    // Only the steps that land on the surface are walked.
    const auto identity = [](std::int64_t l, std::int64_t h, std::int64_t target) {
      return std::clamp(target, l, h + 1);
    };
    ClipSteps(major0, majorSign, majorLimit, identity, lo, hi);
    if (lo > hi) return;
    const auto offsets = [&walk](std::int64_t l, std::int64_t h, std::int64_t target) {
      return walk.FirstAtLeast(l, h, target);
    };
    ClipSteps(minor0, minorSign, minorLimit, offsets, lo, hi);
    if (lo > hi) return;
  }

  // Bresenham stepping from the first visible step: offset and remainder of
  // 2 * minor * i + bias over 2 * major.
  const Wide numerator = Wide{2} * walk.minor * lo + walk.bias;
  std::int64_t offset = static_cast<std::int64_t>(numerator / (Wide{2} * walk.major));
  std::int64_t remainder = static_cast<std::int64_t>(numerator % (Wide{2} * walk.major));
  const std::int64_t twiceMajor = 2 * walk.major;
  const std::int64_t twiceMinor = 2 * walk.minor;
  for (std::int64_t i = lo; i <= hi; ++i) {
    const int a = static_cast<int>(major0 + majorSign * i);
    const int b = static_cast<int>(minor0 + minorSign * offset);
    if (xMajor) {
      Plot(a, b);
    } else {
      Plot(b, a);
    }
    remainder += twiceMinor;
    if (remainder >= twiceMajor) {
      remainder -= twiceMajor;
      ++offset;
    }
  }
}

void Surface::TextOut(int x, int y, std::string_view text) {
  if (text.empty()) return;
  TTF_Font* font = TextFont();
  if (font == nullptr) return;

  // The program's texts are short lines; a longer one is cut to what the
  // 512-pixel surface could show anyway. No heap for the copy.
  char nulTerminated[512];
  const std::size_t length = std::min(text.size(), sizeof nulTerminated - 1);
  std::memcpy(nulTerminated, text.data(), length);
  nulTerminated[length] = '\0';
  const SDL_Color black{0, 0, 0, 255};
  const SDL_Color white{255, 255, 255, 255};
  SDL_Surface* glyphs = TTF_RenderUTF8_Shaded(font, nulTerminated, black, white);
  if (glyphs == nullptr) return;

  const SDL_Palette* palette = glyphs->format->palette;
  if (glyphs->format->BytesPerPixel == 1 && palette != nullptr && SDL_LockSurface(glyphs) == 0) {
    std::array<std::uint32_t, 256> colours;
    colours.fill(kWhite);
    for (int i = 0; i < palette->ncolors && i < 256; ++i) colours[static_cast<std::size_t>(i)] = ToPixel(palette->colors[i]);

    // Only the part of the box that lies on the surface is copied.
    const std::int64_t left = x;
    const std::int64_t top = y;
    const std::int64_t colStart = std::max<std::int64_t>(0, -left);
    const std::int64_t colEnd = std::min<std::int64_t>(glyphs->w, kWidth - left);
    const std::int64_t rowStart = std::max<std::int64_t>(0, -top);
    const std::int64_t rowEnd = std::min<std::int64_t>(glyphs->h, kHeight - top);
    const auto* source = static_cast<const std::uint8_t*>(glyphs->pixels);
    for (std::int64_t row = rowStart; row < rowEnd; ++row) {
      const std::uint8_t* in = source + row * glyphs->pitch;
      std::uint32_t* out = pixels_.data() + (top + row) * kWidth;
      for (std::int64_t col = colStart; col < colEnd; ++col) out[left + col] = colours[in[col]];
    }
    SDL_UnlockSurface(glyphs);
  }
  SDL_FreeSurface(glyphs);
}

namespace {

// An SDL stream that appends to a byte vector, so a PNG is encoded whole
// before any of it goes to its file.
SDL_RWops* GrowingBytes(std::vector<std::uint8_t>& bytes) {
  SDL_RWops* rw = SDL_AllocRW();
  if (rw == nullptr) return nullptr;
  rw->type = SDL_RWOPS_UNKNOWN;
  rw->hidden.unknown.data1 = &bytes;
  rw->size = [](SDL_RWops* self) -> Sint64 {
    return static_cast<Sint64>(static_cast<std::vector<std::uint8_t>*>(self->hidden.unknown.data1)->size());
  };
  rw->seek = [](SDL_RWops*, Sint64, int) -> Sint64 { return -1; };
  rw->read = [](SDL_RWops*, void*, size_t, size_t) -> size_t { return 0; };
  rw->write = [](SDL_RWops* self, const void* data, size_t size, size_t count) -> size_t {
    auto* out = static_cast<std::vector<std::uint8_t>*>(self->hidden.unknown.data1);
    const auto* first = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), first, first + size * count);
    return count;
  };
  rw->close = [](SDL_RWops* self) -> int {
    SDL_FreeRW(self);
    return 0;
  };
  return rw;
}

bool Failed(std::string* why, const std::string& reason) {
  if (why) *why = reason;
  return false;
}

}  // namespace

bool Surface::SavePng(const std::string& path, std::string* why) const {
  // SDL only reads the pixels while saving; the cast does not lead to writes.
  SDL_Surface* wrapped = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(pixels_.data()), kWidth,
                                                            kHeight, 32, PitchBytes(), SDL_PIXELFORMAT_ARGB8888);
  if (wrapped == nullptr) return Failed(why, SDL_GetError());
  std::vector<std::uint8_t> png;
  SDL_RWops* sink = GrowingBytes(png);
  const bool encoded = sink != nullptr && IMG_SavePNG_RW(wrapped, sink, 1) == 0;
  SDL_FreeSurface(wrapped);
  if (!encoded) return Failed(why, SDL_GetError());

  // Every step of the write is checked: a full disk shows only at the flush
  // or the close.
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return Failed(why, std::strerror(errno));
  int error = std::fwrite(png.data(), 1, png.size(), file) == png.size() ? 0 : errno;
  if (error == 0 && std::fflush(file) != 0) error = errno;
  if (std::fclose(file) != 0 && error == 0) error = errno;
  if (error != 0) return Failed(why, std::strerror(error));
  return true;
}

bool LoadPngPixels(const std::string& path, std::vector<std::uint32_t>& pixels, int& w, int& h) {
  SDL_Surface* loaded = IMG_Load(path.c_str());
  if (loaded == nullptr) return false;
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
  if (argb == nullptr) return false;
  if (SDL_LockSurface(argb) != 0) {
    SDL_FreeSurface(argb);
    return false;
  }
  w = argb->w;
  h = argb->h;
  pixels.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  const auto* source = static_cast<const std::uint8_t*>(argb->pixels);
  for (int row = 0; row < h; ++row) {
    const auto* in = reinterpret_cast<const std::uint32_t*>(source + static_cast<std::ptrdiff_t>(row) * argb->pitch);
    std::copy(in, in + w, pixels.begin() + static_cast<std::ptrdiff_t>(row) * w);
  }
  SDL_UnlockSurface(argb);
  SDL_FreeSurface(argb);
  return true;
}
