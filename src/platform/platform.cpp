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

void WriteErr(std::string_view text) {
  if (!text.empty()) platform().system->WriteStderr(text.data(), text.size());
}

std::string FormatText(const char* format, va_list args) {
  char small[512];
  va_list again;
  va_copy(again, args);
  int needed = std::vsnprintf(small, sizeof small, format, args);
  std::string text;
  if (needed > 0 && static_cast<size_t>(needed) < sizeof small) {
    text.assign(small, static_cast<size_t>(needed));
  } else if (needed > 0) {
    text.resize(static_cast<size_t>(needed) + 1);
    std::vsnprintf(text.data(), text.size(), format, again);
    text.resize(static_cast<size_t>(needed));
  }
  va_end(again);
  return text;
}

void PrintOut(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatText(format, args);
  va_end(args);
  WriteOut(text);
}

}  // namespace tarnlix
