// Standard output of the tool: every write is flushed at once, so values
// reach a pipe or the console in order with console-direct text.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

// Formats are checked against the printf the build links. On Windows that
// is MinGW's own (it knows %zu and %llu, in both exes), not the system's
// msvcrt, whose rules a plain "printf" check would apply there.
#if defined(__MINGW_PRINTF_FORMAT)
#define TARNLIX_PRINTF_FORMAT(string, first) \
  __attribute__((format(__MINGW_PRINTF_FORMAT, string, first)))
#elif defined(__GNUC__)
#define TARNLIX_PRINTF_FORMAT(string, first) \
  __attribute__((format(printf, string, first)))
#else
#define TARNLIX_PRINTF_FORMAT(string, first)
#endif

namespace tarnlix {

void WriteOut(std::string_view text);
// To standard error.
void WriteErr(std::string_view text);

// The text a printf-style format gives.
std::string FormatText(const char* format, va_list args);

TARNLIX_PRINTF_FORMAT(1, 2)
void PrintOut(const char* format, ...);

}  // namespace tarnlix
