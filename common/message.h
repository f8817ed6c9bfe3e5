#pragma once

// A message the user must see: a modal box with one OK button where there is
// a window, and always a line on stderr. The window program installs its
// own box; without it the message goes to stderr only.

using MessageHandler = void (*)(void* owner, const char* text, const char* caption);

// Shows text with caption, owned by owner (may be null).
void ShowMessage(void* owner, const char* text, const char* caption);

// Replaces the handler; null restores the stderr-only default. Gives back the
// handler that was installed before.
MessageHandler SetMessageHandler(MessageHandler handler);

// The default: "caption: text" on stderr.
void PrintMessage(void* owner, const char* text, const char* caption);
