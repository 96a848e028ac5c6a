// Scripted console: window, cursor and keys.
#pragma once

#include "platform/platform.h"

namespace tarnlix::fake {

// With no keys scripted the fake behaves as a process without a console.
class FakeConsole : public ConsoleApi {
 public:
  bool GetScreenBufferInfo(ScreenBufferInfo* info) override;
  bool GetCursorPosition(ConsoleCoord* position) override;
  bool StdoutIsConsole() override;
  void FillOutputCharacter(char character, uint32_t count,
                           ConsoleCoord start) override;
  void FillOutputAttribute(uint16_t attribute, uint32_t count,
                           ConsoleCoord start) override;
  void SetCursorPosition(ConsoleCoord position) override;
  void SetTextAttribute(uint16_t attribute) override;
  void WriteConsoleText(const char* text, size_t size) override;
  bool KeystrokeWaiting() override;
  int ReadKey() override;
  bool HasConsoleInput() override;
  void Sleep(uint32_t milliseconds) override;
};

}  // namespace tarnlix::fake
