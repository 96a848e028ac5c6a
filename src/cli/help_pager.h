// The paged help screen.
#pragma once

#include <cstdint>

namespace tarnlix {

// Shows the help text and ends the process with exit code 0.
[[noreturn]] void ShowHelp(int16_t titleAttribute, int16_t bodyForeground,
                           int16_t bodyBackground);

}  // namespace tarnlix
