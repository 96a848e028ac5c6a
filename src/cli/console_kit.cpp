#include "cli/console_kit.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "platform/stdout.h"

namespace tarnlix {

namespace {

ConsoleApi& Console() { return *platform().console; }

uint32_t CellCount(const ScreenBufferInfo& info) {
  if (info.bufferWidth <= 0 || info.bufferHeight <= 0) return 0;
  return static_cast<uint32_t>(info.bufferWidth) *
         static_cast<uint32_t>(info.bufferHeight);
}

int16_t ToCoordinate(int oneBased) {
  int zeroBased = oneBased - 1;
  if (zeroBased < 0) zeroBased = 0;
  if (zeroBased > INT16_MAX) zeroBased = INT16_MAX;
  return static_cast<int16_t>(zeroBased);
}

}  // namespace

void ClearScreen() {
  ConsoleApi& console = Console();
  // A failed read leaves the sizes at 0: nothing is blanked, the cursor still
  // goes home.
  ScreenBufferInfo info;
  console.GetScreenBufferInfo(&info);
  uint32_t cells = CellCount(info);
  console.FillOutputCharacter(' ', cells, ConsoleCoord{});
  ScreenBufferInfo again;
  console.GetScreenBufferInfo(&again);
  console.FillOutputAttribute(again.attributes, cells, ConsoleCoord{});
  console.SetCursorPosition(ConsoleCoord{});
}

int16_t GetWindowRows() {
  ScreenBufferInfo info;
  if (!Console().GetScreenBufferInfo(&info)) return 0;
  return static_cast<int16_t>(info.windowBottom - info.windowTop + 1);
}

void SetTextAttribute(uint16_t attribute) { Console().SetTextAttribute(attribute); }

int16_t GetCursorColumn() {
  ConsoleCoord position;
  if (!Console().GetCursorPosition(&position)) return 0;
  return static_cast<int16_t>(position.x + 1);
}

int16_t GetCursorRow() {
  ConsoleCoord position;
  if (!Console().GetCursorPosition(&position)) return 0;
  return static_cast<int16_t>(position.y + 1);
}

void SetCursor(int column, int row) {
  ConsoleCoord position;
  position.x = ToCoordinate(column);
  position.y = ToCoordinate(row);
  Console().SetCursorPosition(position);
}

void ConsolePrint(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatText(format, args);
  va_end(args);
  if (!text.empty()) Console().WriteConsoleText(text.data(), text.size());
}

bool ConsoleHasInput() { return Console().HasConsoleInput(); }

int ReadConsoleKey() { return Console().ReadKey(); }

}  // namespace tarnlix
