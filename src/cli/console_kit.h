// Console primitives of the help screen: the console of standard output
// (window size, colours, cursor, clearing) and the console device itself
// (text that must never reach redirected output, and raw key reads).
//
// Positions passed between these functions count from 1: column 1, row 1 is
// the top-left cell.
#pragma once

#include <cstdint>

#include "platform/stdout.h"

namespace tarnlix {

// Blanks the whole screen buffer in the current text attribute and puts the
// cursor in the top-left cell.
void ClearScreen();

// Rows of the visible window, or 0 when standard output is not a console.
int16_t GetWindowRows();

// The attribute used for characters written from now on (bits 0-3 foreground
// blue, green, red, intensity; bits 4-7 the same for the background).
void SetTextAttribute(uint16_t attribute);

// The cursor position counted from 1, or 0 when it cannot be read.
int16_t GetCursorColumn();
int16_t GetCursorRow();

// Moves the cursor to a position counted from 1; a position before the first
// column or row means the first.
void SetCursor(int column, int row);

// Writes formatted text to the console device, never to standard output.
TARNLIX_PRINTF_FORMAT(1, 2)
void ConsolePrint(const char* format, ...);

// True when keys can be read from a console at all.
bool ConsoleHasInput();

// Reads one key code (0-255) without echo; a navigation key gives 224 and
// then its own code on the next read. -1 when no console can answer.
int ReadConsoleKey();

}  // namespace tarnlix
