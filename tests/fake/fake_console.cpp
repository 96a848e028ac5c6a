#include "fake/fake_console.h"

#include <cstdio>
#include <utility>

#include "fake/fake_platform.h"

namespace tarnlix::fake {

namespace {

// What the tool has written to standard output so far.
const std::string* StdoutText() {
  auto* system = dynamic_cast<FakeSystem*>(tarnlix::platform().system);
  return system != nullptr ? &system->out : nullptr;
}

}  // namespace

void FakeConsole::Press(std::vector<int> codes) {
  keyboard = true;
  presses_.push_back(std::move(codes));
}

void FakeConsole::TypeAhead(std::vector<int> codes) {
  keyboard = true;
  waiting_.insert(waiting_.end(), codes.begin(), codes.end());
}

void FakeConsole::When(std::string stdoutText, std::function<void()> action) {
  triggers_.emplace_back(std::move(stdoutText), std::move(action));
}

const std::vector<ConsoleEvent>& FakeConsole::Events() {
  Sync();
  return events_;
}

std::vector<std::string> FakeConsole::Transcript() {
  std::vector<std::string> lines;
  for (const ConsoleEvent& event : Events()) lines.push_back(Describe(event));
  return lines;
}

std::string Describe(const ConsoleEvent& event) {
  char buffer[64];
  switch (event.kind) {
    case ConsoleEvent::Stdout:
      return "out[" + event.text + "]";
    case ConsoleEvent::Console:
      return "con[" + event.text + "]";
    case ConsoleEvent::Attribute:
      std::snprintf(buffer, sizeof buffer, "attr %02X", event.value);
      return buffer;
    case ConsoleEvent::FillChar:
      std::snprintf(buffer, sizeof buffer, "fill '%c' %u at %d,%d", event.value,
                    event.count, event.position.x, event.position.y);
      return buffer;
    case ConsoleEvent::FillAttr:
      std::snprintf(buffer, sizeof buffer, "fill %02X %u at %d,%d", event.value,
                    event.count, event.position.x, event.position.y);
      return buffer;
    case ConsoleEvent::Cursor:
      std::snprintf(buffer, sizeof buffer, "cursor %d,%d", event.position.x,
                    event.position.y);
      return buffer;
    case ConsoleEvent::KeyRead:
      return "key " + std::to_string(event.value);
    case ConsoleEvent::Sleep:
      return "sleep " + std::to_string(event.value);
  }
  return "?";
}

void FakeConsole::Advance(const std::string& text) {
  int bottom = windowRows > 0 ? windowRows - 1 : 0;
  for (char c : text) {
    if (c == '\r') {
      cursor.x = 0;
    } else if (c == '\n') {
      cursor.x = 0;
      // At the bottom row the window scrolls: the cursor stays there.
      if (cursor.y < bottom) ++cursor.y;
    } else {
      ++cursor.x;
    }
  }
}

void FakeConsole::Sync() {
  const std::string* out = StdoutText();
  if (out == nullptr || out->size() <= stdoutSeen_) return;
  std::string fresh = out->substr(stdoutSeen_);
  stdoutSeen_ = out->size();
  Advance(fresh);
  ConsoleEvent event(ConsoleEvent::Stdout, fresh);
  events_.push_back(event);
  // Fire in script order; an action may add keys or change the window.
  for (size_t i = 0; i < triggers_.size(); ++i) {
    if (triggers_[i].second &&
        out->find(triggers_[i].first) != std::string::npos) {
      auto action = std::move(triggers_[i].second);
      triggers_[i].second = nullptr;
      action();
    }
  }
}

void FakeConsole::Record(ConsoleEvent event) {
  Sync();
  events_.push_back(std::move(event));
}

bool FakeConsole::GetScreenBufferInfo(ScreenBufferInfo* info) {
  Sync();
  if (windowRows <= 0) return false;
  info->bufferWidth = static_cast<int16_t>(windowColumns);
  info->bufferHeight = static_cast<int16_t>(windowRows);
  info->windowTop = 0;
  info->windowBottom = static_cast<int16_t>(windowRows - 1);
  info->attributes = attribute;
  return true;
}

bool FakeConsole::GetCursorPosition(ConsoleCoord* position) {
  Sync();
  if (windowRows <= 0 || !cursorReadable) return false;
  *position = cursor;
  return true;
}

bool FakeConsole::StdoutIsConsole() { return windowRows > 0; }

void FakeConsole::FillOutputCharacter(char character, uint32_t count,
                                      ConsoleCoord start) {
  ConsoleEvent event(ConsoleEvent::FillChar);
  event.value = static_cast<unsigned char>(character);
  event.count = count;
  event.position = start;
  Record(event);
}

void FakeConsole::FillOutputAttribute(uint16_t value, uint32_t count,
                                      ConsoleCoord start) {
  ConsoleEvent event(ConsoleEvent::FillAttr);
  event.value = value;
  event.count = count;
  event.position = start;
  Record(event);
}

void FakeConsole::SetCursorPosition(ConsoleCoord position) {
  ConsoleEvent event(ConsoleEvent::Cursor);
  event.position = position;
  Record(event);
  cursor = position;
}

void FakeConsole::SetTextAttribute(uint16_t value) {
  ConsoleEvent event(ConsoleEvent::Attribute);
  event.value = value;
  Record(event);
  attribute = value;
}

void FakeConsole::WriteConsoleText(const char* text, size_t size) {
  Record(ConsoleEvent(ConsoleEvent::Console, std::string(text, size)));
  Advance(std::string(text, size));
}

void FakeConsole::Deliver() {
  if (presses_.empty()) throw KeysExhausted{};
  waiting_.insert(waiting_.end(), presses_.front().begin(),
                  presses_.front().end());
  presses_.pop_front();
}

bool FakeConsole::KeystrokeWaiting() {
  Sync();
  return keyboard && !waiting_.empty();
}

int FakeConsole::ReadKey() {
  Sync();
  if (!keyboard) return -1;
  if (waiting_.empty()) Deliver();
  int code = waiting_.front();
  // A console that has gone stays gone.
  if (code >= 0) waiting_.pop_front();
  ConsoleEvent event(ConsoleEvent::KeyRead);
  event.value = code;
  events_.push_back(event);
  return code;
}

bool FakeConsole::HasConsoleInput() { return keyboard; }

void FakeConsole::Sleep(uint32_t milliseconds) {
  ConsoleEvent event(ConsoleEvent::Sleep);
  event.value = static_cast<int>(milliseconds);
  Record(event);
  // Time passes only while the tool polls: that is when the user presses.
  if (waiting_.empty()) Deliver();
}

}  // namespace tarnlix::fake
