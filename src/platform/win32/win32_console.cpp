// The Windows console: the screen buffer of standard output, and the console
// device itself ("CONOUT$" for text that must not reach redirected output,
// "CONIN$" for keys, which never come from standard input).
#include <windows.h>

#include <vector>

#include "platform/win32/win32_platform.h"

namespace tarnlix::win32 {

namespace {

constexpr int kExtended = 224;
constexpr int kFunction = 0;

// The codes the console's C runtime gives a key that has no character.
struct FunctionKey {
  WORD scanCode;
  int lead;
  int plain, shift, ctrl, alt;
};

constexpr FunctionKey kFunctionKeys[] = {
    {0x3B, kFunction, 59, 84, 94, 104},   {0x3C, kFunction, 60, 85, 95, 105},
    {0x3D, kFunction, 61, 86, 96, 106},   {0x3E, kFunction, 62, 87, 97, 107},
    {0x3F, kFunction, 63, 88, 98, 108},   {0x40, kFunction, 64, 89, 99, 109},
    {0x41, kFunction, 65, 90, 100, 110},  {0x42, kFunction, 66, 91, 101, 111},
    {0x43, kFunction, 67, 92, 102, 112},  {0x44, kFunction, 68, 93, 103, 113},
    {0x57, kExtended, 133, 135, 137, 139}, {0x58, kExtended, 134, 136, 138, 140},
};

// The navigation keys: the separate block (the console marks it
// ENHANCED_KEY) gives 224 first; the same keys on the keypad with Num Lock
// off give 0 first, and so count as ordinary keys to the pager.
struct NavigationKey {
  WORD scanCode;
  int plain, ctrl, ctrlKeypad, alt;
};

constexpr NavigationKey kNavigationKeys[] = {
    {0x47, 71, 119, 119, 151},  // Home
    {0x48, 72, 141, 141, 152},  // Up
    {0x49, 73, 134, 132, 153},  // Page Up
    {0x4B, 75, 115, 115, 155},  // Left
    {0x4D, 77, 116, 116, 157},  // Right
    {0x4F, 79, 117, 117, 159},  // End
    {0x50, 80, 145, 145, 154},  // Down
    {0x51, 81, 118, 118, 161},  // Page Down
    {0x52, 82, 146, 146, 162},  // Insert
    {0x53, 83, 147, 147, 163},  // Delete
};

// The codes of one keystroke; false for what is not one (a key release, a
// modifier pressed alone, mouse, focus and window events).
bool KeystrokeCodes(const INPUT_RECORD& record, int* first, int* second) {
  if (record.EventType != KEY_EVENT) return false;
  const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
  if (!key.bKeyDown) return false;
  *second = -1;
  if (key.uChar.AsciiChar != 0) {
    *first = static_cast<unsigned char>(key.uChar.AsciiChar);
    return true;
  }
  // Windows always gives ESC its character; Wine's console on a terminal
  // reports the key alone.
  if (key.wVirtualKeyCode == VK_ESCAPE) {
    *first = 27;
    return true;
  }
  DWORD state = key.dwControlKeyState;
  bool alt = (state & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) != 0;
  bool ctrl = (state & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) != 0;
  bool shift = (state & SHIFT_PRESSED) != 0;
  for (const FunctionKey& entry : kFunctionKeys) {
    if (entry.scanCode != key.wVirtualScanCode) continue;
    *first = entry.lead;
    *second = alt ? entry.alt : ctrl ? entry.ctrl : shift ? entry.shift : entry.plain;
    return true;
  }
  for (const NavigationKey& entry : kNavigationKeys) {
    if (entry.scanCode != key.wVirtualScanCode) continue;
    bool separate = (state & ENHANCED_KEY) != 0;
    if (alt) {
      *first = kFunction;
      *second = entry.alt;
    } else {
      *first = separate ? kExtended : kFunction;
      *second = ctrl ? (separate ? entry.ctrl : entry.ctrlKeypad) : entry.plain;
    }
    return true;
  }
  return false;
}

HANDLE StdoutHandle() { return ::GetStdHandle(STD_OUTPUT_HANDLE); }

bool Valid(HANDLE handle) {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

COORD ToCoord(ConsoleCoord position) {
  COORD coord;
  coord.X = position.x;
  coord.Y = position.y;
  return coord;
}

// The console device, opened once; null when the process has no console.
HANDLE OpenDevice(const char* name, bool* tried, HANDLE* handle) {
  if (!*tried) {
    *tried = true;
    HANDLE opened = ::CreateFileA(name, GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    DWORD mode = 0;
    if (Valid(opened) && !::GetConsoleMode(opened, &mode)) {
      ::CloseHandle(opened);
      opened = INVALID_HANDLE_VALUE;
    }
    *handle = Valid(opened) ? opened : nullptr;
  }
  return *handle;
}

bool g_outputTried = false;
HANDLE g_output = nullptr;
bool g_inputTried = false;
HANDLE g_input = nullptr;
bool g_inputGone = false;  // the console went away: no key can come
int g_pendingCode = -1;    // the second code of the last two-code key

HANDLE ConsoleOutput() { return OpenDevice("CONOUT$", &g_outputTried, &g_output); }
HANDLE ConsoleInput() { return OpenDevice("CONIN$", &g_inputTried, &g_input); }

}  // namespace

bool Win32Console::GetScreenBufferInfo(ScreenBufferInfo* info) {
  CONSOLE_SCREEN_BUFFER_INFO screen;
  if (!::GetConsoleScreenBufferInfo(StdoutHandle(), &screen)) return false;
  info->bufferWidth = screen.dwSize.X;
  info->bufferHeight = screen.dwSize.Y;
  info->windowTop = screen.srWindow.Top;
  info->windowBottom = screen.srWindow.Bottom;
  info->attributes = screen.wAttributes;
  return true;
}

bool Win32Console::GetCursorPosition(ConsoleCoord* position) {
  CONSOLE_SCREEN_BUFFER_INFO screen;
  if (!::GetConsoleScreenBufferInfo(StdoutHandle(), &screen)) return false;
  position->x = screen.dwCursorPosition.X;
  position->y = screen.dwCursorPosition.Y;
  return true;
}

bool Win32Console::StdoutIsConsole() {
  DWORD mode = 0;
  return ::GetConsoleMode(StdoutHandle(), &mode) != 0;
}

void Win32Console::FillOutputCharacter(char character, uint32_t count,
                                       ConsoleCoord start) {
  DWORD written = 0;
  ::FillConsoleOutputCharacterA(StdoutHandle(), character, count, ToCoord(start),
                                &written);
}

void Win32Console::FillOutputAttribute(uint16_t attribute, uint32_t count,
                                       ConsoleCoord start) {
  DWORD written = 0;
  ::FillConsoleOutputAttribute(StdoutHandle(), attribute, count, ToCoord(start),
                               &written);
}

void Win32Console::SetCursorPosition(ConsoleCoord position) {
  HANDLE output = StdoutHandle();
  if (!Valid(output)) return;
  ::SetConsoleCursorPosition(output, ToCoord(position));
}

void Win32Console::SetTextAttribute(uint16_t attribute) {
  ::SetConsoleTextAttribute(StdoutHandle(), attribute);
}

void Win32Console::WriteConsoleText(const char* text, size_t size) {
  HANDLE output = ConsoleOutput();
  if (output == nullptr) return;
  while (size > 0) {
    DWORD piece = size > 16384 ? 16384 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteConsoleA(output, text, piece, &written, nullptr) || written == 0) {
      return;
    }
    text += written;
    size -= written;
  }
}

bool Win32Console::KeystrokeWaiting() {
  if (g_pendingCode >= 0) return true;
  HANDLE input = ConsoleInput();
  if (input == nullptr) return false;
  if (g_inputGone) return true;
  DWORD count = 0;
  if (!::GetNumberOfConsoleInputEvents(input, &count)) {
    // A wait for a console that is gone must end, not poll for ever.
    g_inputGone = true;
    return true;
  }
  // Peek even when nothing is counted: Wine's console on a terminal takes
  // keys from the terminal only when it is asked for them.
  std::vector<INPUT_RECORD> records(count > 0 ? count : 1);
  DWORD got = 0;
  if (!::PeekConsoleInputA(input, records.data(),
                           static_cast<DWORD>(records.size()), &got)) {
    g_inputGone = true;
    return true;
  }
  for (DWORD i = 0; i < got; ++i) {
    int first;
    int second;
    if (KeystrokeCodes(records[i], &first, &second)) return true;
  }
  return false;
}

int Win32Console::ReadKey() {
  if (g_pendingCode >= 0) {
    int code = g_pendingCode;
    g_pendingCode = -1;
    return code;
  }
  HANDLE input = ConsoleInput();
  if (input == nullptr || g_inputGone) return -1;
  // Raw for this read: no line editing, no echo, Ctrl+C as a key.
  DWORD previous = 0;
  bool restore = ::GetConsoleMode(input, &previous) != 0;
  ::SetConsoleMode(input, 0);
  int result = -1;
  for (;;) {
    INPUT_RECORD record;
    DWORD got = 0;
    if (!::ReadConsoleInputA(input, &record, 1, &got) || got == 0) {
      g_inputGone = true;
      break;
    }
    int first;
    int second;
    if (KeystrokeCodes(record, &first, &second)) {
      result = first;
      g_pendingCode = second;
      break;
    }
  }
  if (restore) ::SetConsoleMode(input, previous);
  return result;
}

bool Win32Console::HasConsoleInput() { return ConsoleInput() != nullptr; }

void Win32Console::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace tarnlix::win32
