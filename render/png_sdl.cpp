// PNG through SDL2_image (libpng), for the desktop programs and the tests.
#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "render/png_bytes.h"
#include "render/surface.h"

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
  return WriteWholeFile(path, png, why);
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
