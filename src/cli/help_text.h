// The help screen's text.
#pragma once

#include <string>
#include <vector>

namespace tarnlix {

// The help lines; bullet is the square bullet in the console's code page.
std::vector<std::string> HelpText(const char* bullet);

}  // namespace tarnlix
