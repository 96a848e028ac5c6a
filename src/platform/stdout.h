// Standard output of the tool: every write is flushed at once, so values
// reach a pipe or the console in order with console-direct text.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

namespace tarnlix {

void WriteOut(std::string_view text);

// The text a printf-style format gives.
std::string FormatText(const char* format, va_list args);

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void PrintOut(const char* format, ...);

}  // namespace tarnlix
