#include "net/strings.h"

#include <cstdlib>
#include <cstring>

#include "cli/exit.h"
#include "platform/stdout.h"

namespace tarnlix {

char* newstr(char*& slot, const char* text) {
  if (slot != nullptr) {
    WriteOut("FATAL: non-NULL ptr in newstr()\n");
    ExitWithMessage(nullptr, kExitFatal);
  }
  if (text == nullptr) return nullptr;
  size_t size = std::strlen(text) + 1;
  char* copy = static_cast<char*>(std::malloc(size));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, text, size);
  slot = copy;
  return copy;
}

void freestrs(char** texts, size_t count) {
  if (texts == nullptr) return;
  for (size_t i = 0; i < count; ++i) {
    std::free(texts[i]);
    texts[i] = nullptr;
  }
}

char* rtrim(char* text, char c) {
  if (text == nullptr) return nullptr;
  size_t length = std::strlen(text);
  while (length > 0 && text[length - 1] == c) text[--length] = '\0';
  return text;
}

}  // namespace tarnlix
