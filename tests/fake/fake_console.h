// Scripted console: window, cursor and keys, and an ordered record of what
// reached the console device, standard output and the text attribute.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace tarnlix::fake {

// Thrown when the tool waits for a key the script does not hold: a real
// console would wait for ever, a test must end.
struct KeysExhausted {};

// One thing the console saw, in order.
struct ConsoleEvent {
  enum Kind {
    Stdout,     // text written to standard output since the last event
    Console,    // text written to the console device
    Attribute,  // value: the attribute set
    FillChar,   // value: the character, count cells from position
    FillAttr,   // value: the attribute, count cells from position
    Cursor,     // position: where the cursor was put
    KeyRead,    // value: the code a read returned
    Sleep,      // value: the milliseconds asked
  };
  explicit ConsoleEvent(Kind what, std::string written = {})
      : kind(what), text(std::move(written)) {}
  Kind kind;
  std::string text;
  int value = 0;
  uint32_t count = 0;
  ConsoleCoord position;
};

// One line of text per event: "out[text]", "con[text]", "attr 07",
// "fill ' ' 2000 at 0,0", "fill 07 2000 at 0,0", "cursor 0,0", "key 32",
// "sleep 50".
std::string Describe(const ConsoleEvent& event);

// With no keyboard (the default) the fake behaves as a process without a
// console: nothing can be read and WaitForKey must return at once.
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

  // --- Script -------------------------------------------------------------
  int windowRows = 0;  // 0: standard output is not a console
  int windowColumns = 80;
  bool keyboard = false;      // keys can be read (Press and TypeAhead set it)
  bool cursorReadable = true; // false: the cursor position cannot be read
  uint16_t attribute = 0x07;  // the current text attribute

  // The user presses a key (its one or two codes) when the tool next waits
  // for one, in the order of the calls. A code of -1 means the console has
  // gone away: it counts as waiting, and reading it gives -1.
  void Press(std::vector<int> codes);
  // Codes already waiting in the console's input now.
  void TypeAhead(std::vector<int> codes);
  // Runs action once standard output first holds text (type-ahead while a
  // page is written, a window resized between two lines).
  void When(std::string stdoutText, std::function<void()> action);

  // --- Record -------------------------------------------------------------
  const std::vector<ConsoleEvent>& Events();
  std::vector<std::string> Transcript();  // the events, described in order
  ConsoleCoord cursor;  // tracked through every write, 0-based

 private:
  void Sync();  // records standard output written since the last event
  void Advance(const std::string& text);
  void Deliver();  // the tool waits: the next pressed key arrives
  void Record(ConsoleEvent event);

  std::vector<ConsoleEvent> events_;
  std::deque<std::vector<int>> presses_;
  std::deque<int> waiting_;
  std::vector<std::pair<std::string, std::function<void()>>> triggers_;
  size_t stdoutSeen_ = 0;
};

}  // namespace tarnlix::fake
