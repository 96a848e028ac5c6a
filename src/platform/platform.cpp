#include "platform/platform.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "platform/stdout.h"

namespace tarnlix {

namespace {
Platform* g_active = nullptr;
}  // namespace

Platform& platform() {
  if (g_active == nullptr) {
    std::fputs("tarnlix: no platform installed\n", stderr);
    std::abort();
  }
  return *g_active;
}

void InstallPlatform(Platform* active) { g_active = active; }

void EndProcess(int code) {
  platform().system->ExitProcess(code);
  std::abort();  // not reached: ExitProcess does not return
}

void WriteOut(std::string_view text) {
  if (!text.empty()) platform().system->WriteStdout(text.data(), text.size());
}

void PrintOut(const char* format, ...) {
  char small[512];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int needed = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (needed < 0) {
    va_end(again);
    return;
  }
  if (static_cast<size_t>(needed) < sizeof small) {
    WriteOut(std::string_view(small, static_cast<size_t>(needed)));
  } else {
    std::string large(static_cast<size_t>(needed) + 1, '\0');
    std::vsnprintf(large.data(), large.size(), format, again);
    large.resize(static_cast<size_t>(needed));
    WriteOut(large);
  }
  va_end(again);
}

}  // namespace tarnlix
