// The Windows console (not yet available).
#include <windows.h>

#include "platform/win32/win32_platform.h"

namespace tarnlix::win32 {

bool Win32Console::GetScreenBufferInfo(ScreenBufferInfo*) { return false; }
bool Win32Console::GetCursorPosition(ConsoleCoord*) { return false; }
bool Win32Console::StdoutIsConsole() { return false; }
void Win32Console::FillOutputCharacter(char, uint32_t, ConsoleCoord) {}
void Win32Console::FillOutputAttribute(uint16_t, uint32_t, ConsoleCoord) {}
void Win32Console::SetCursorPosition(ConsoleCoord) {}
void Win32Console::SetTextAttribute(uint16_t) {}
void Win32Console::WriteConsoleText(const char*, size_t) {}
bool Win32Console::KeystrokeWaiting() { return false; }
int Win32Console::ReadKey() { return -1; }
bool Win32Console::HasConsoleInput() { return false; }
void Win32Console::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace tarnlix::win32
