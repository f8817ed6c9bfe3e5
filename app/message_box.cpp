#include "app/message_box.h"

#include <SDL.h>

#include "common/message.h"

namespace {
bool g_allowed = false;
}

void AllowMessageBoxes(bool allowed) { g_allowed = allowed; }

void ShowMessageBox(void* owner, const char* text, const char* caption) {
  // stderr first: a box that cannot open must not lose the message.
  PrintMessage(owner, text, caption);
  if (g_allowed) SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, static_cast<SDL_Window*>(owner));
}
