// The paged help screen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnlix {

// Shows the help text one console page at a time, with the title bar in
// titleAttribute and the body in bodyForeground | bodyBackground, until ESC;
// then ends the process with exit code 0. When standard output is not a
// console (or the window is too small to page, or no key can be read) the
// text is written once, plainly, and the process ends with 0 at once.
[[noreturn]] void ShowHelp(int16_t titleAttribute, int16_t bodyForeground,
                           int16_t bodyBackground);

// The same for any text; lines[0] is the title.
[[noreturn]] void ShowHelp(const std::vector<std::string>& lines,
                           int16_t titleAttribute, int16_t bodyForeground,
                           int16_t bodyBackground);

}  // namespace tarnlix
