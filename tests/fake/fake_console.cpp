#include "fake/fake_console.h"

namespace tarnlix::fake {

bool FakeConsole::GetScreenBufferInfo(ScreenBufferInfo*) { return false; }
bool FakeConsole::GetCursorPosition(ConsoleCoord*) { return false; }
bool FakeConsole::StdoutIsConsole() { return false; }
void FakeConsole::FillOutputCharacter(char, uint32_t, ConsoleCoord) {}
void FakeConsole::FillOutputAttribute(uint16_t, uint32_t, ConsoleCoord) {}
void FakeConsole::SetCursorPosition(ConsoleCoord) {}
void FakeConsole::SetTextAttribute(uint16_t) {}
void FakeConsole::WriteConsoleText(const char*, size_t) {}
bool FakeConsole::KeystrokeWaiting() { return false; }
int FakeConsole::ReadKey() { return -1; }
bool FakeConsole::HasConsoleInput() { return false; }
void FakeConsole::Sleep(uint32_t) {}

}  // namespace tarnlix::fake
