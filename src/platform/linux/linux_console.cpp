// The controlling terminal as the console (not yet available).
#include <unistd.h>

#include "platform/linux/linux_platform.h"

namespace tarnlix::linux_backend {

bool LinuxConsole::GetScreenBufferInfo(ScreenBufferInfo*) { return false; }
bool LinuxConsole::GetCursorPosition(ConsoleCoord*) { return false; }
bool LinuxConsole::StdoutIsConsole() { return false; }
void LinuxConsole::FillOutputCharacter(char, uint32_t, ConsoleCoord) {}
void LinuxConsole::FillOutputAttribute(uint16_t, uint32_t, ConsoleCoord) {}
void LinuxConsole::SetCursorPosition(ConsoleCoord) {}
void LinuxConsole::SetTextAttribute(uint16_t) {}
void LinuxConsole::WriteConsoleText(const char*, size_t) {}
bool LinuxConsole::KeystrokeWaiting() { return false; }
int LinuxConsole::ReadKey() { return -1; }
bool LinuxConsole::HasConsoleInput() { return false; }
void LinuxConsole::Sleep(uint32_t milliseconds) { ::usleep(milliseconds * 1000u); }

}  // namespace tarnlix::linux_backend
