#include "app/window.h"

#include "app/icon.h"
#include "render/surface.h"

namespace {

constexpr const char* kTitle = "Vexlora v1.0";

void SetIcon(SDL_Window* window) {
  std::vector<std::uint32_t> pixels = IconPixels();
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), kIconSize, kIconSize, 32, kIconSize * 4,
                                                         SDL_PIXELFORMAT_ARGB8888);
  // A window without its icon still works.
  if (!icon) return;
  SDL_SetWindowIcon(window, icon);
  SDL_FreeSurface(icon);
}

}  // namespace

Window::~Window() {
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
}

bool Window::Open() {
  // Not resizable, so SDL gives it equal minimum and maximum sizes, which
  // also keeps window managers from offering to maximise it.
  window_ = SDL_CreateWindow(kTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, Surface::kWidth,
                             Surface::kHeight, SDL_WINDOW_HIDDEN);
  if (!window_) return false;
  SetIcon(window_);
  // No vsync: in fast mode a present must not hold the ticks back.
  renderer_ = SDL_CreateRenderer(window_, -1, 0);
  if (!renderer_) return false;
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, Surface::kWidth,
                               Surface::kHeight);
  return texture_ != nullptr;
}

void Window::Show(const Surface& surface) {
  SDL_ShowWindow(window_);
  Present(surface);
}

void Window::Present(const Surface& surface) {
  SDL_UpdateTexture(texture_, nullptr, surface.Pixels(), Surface::PitchBytes());
  Represent();
}

void Window::Represent() {
  SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
}
