#pragma once

#include <SDL.h>

class Surface;

// The program's window: 512 x 512 client pixels, centred, fixed in size,
// shown through a streaming texture that holds the last picture.
class Window {
 public:
  Window() = default;
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Creates the window hidden, with its icon, renderer and texture. False on
  // failure; SDL_GetError() tells why.
  bool Open();

  SDL_Window* Handle() const { return window_; }

  // Puts the surface up and shows the window.
  void Show(const Surface& surface);

  // Uploads a drawn surface and shows it.
  void Present(const Surface& surface);

 private:
  // Shows the last uploaded picture.
  void Represent();

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
};
