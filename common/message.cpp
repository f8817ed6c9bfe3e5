#include "common/message.h"

#include <cstdio>

namespace {
MessageHandler g_handler = &PrintMessage;
}

void PrintMessage(void*, const char* text, const char* caption) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::fflush(stderr);
}

void ShowMessage(void* owner, const char* text, const char* caption) { g_handler(owner, text, caption); }

MessageHandler SetMessageHandler(MessageHandler handler) {
  MessageHandler old = g_handler;
  g_handler = handler ? handler : &PrintMessage;
  return old;
}
