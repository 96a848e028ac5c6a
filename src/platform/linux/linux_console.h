// The terminal's side of the Linux console: what the keys send and how the
// console colours are asked for. Exposed so tests can check the translation
// without a terminal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarnlix::linux_backend {

// One piece decoded from the bytes a terminal sends.
struct TerminalToken {
  enum Kind {
    Key,           // codes[0..count) as the Windows console delivers them
    CursorReport,  // the answer to a cursor-position query: row, column
    Ignored,       // a sequence no key of ours sends (focus, paste marks...)
    Incomplete,    // may be the start of a sequence: wait briefly for more
  };
  Kind kind = Ignored;
  int codes[2] = {0, 0};
  int count = 0;
  int row = 0;     // 1-based, for CursorReport
  int column = 0;  // 1-based, for CursorReport
  size_t length = 0;  // bytes consumed (0 for Incomplete)
};

// Decodes the first token of data (size > 0). Navigation keys become 224
// followed by the Windows code (Home 71, Up 72, Page Up 73, Left 75,
// Right 77, End 79, Down 80, Page Down 81, Insert 82, Delete 83); function
// keys 0 followed by theirs. An ESC that no sequence follows is reported as
// Incomplete: the caller decides, by waiting, whether it stands alone.
TerminalToken DecodeTerminalInput(const char* data, size_t size);

// The SGR sequence that shows a Windows console attribute (bits 0-3
// foreground blue, green, red, intensity; bits 4-7 the background).
std::string SgrForAttribute(uint16_t attribute);

}  // namespace tarnlix::linux_backend
