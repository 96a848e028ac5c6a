#include "cli/help_pager.h"

#include <algorithm>

#include "cli/console_kit.h"
#include "cli/help_text.h"
#include "cli/run.h"
#include "platform/platform.h"
#include "platform/stdout.h"

namespace tarnlix {

namespace {

constexpr int kKeyEscape = 27;
constexpr int kKeyExtended = 224;  // first code of a navigation key
constexpr int kKeyHome = 71;
constexpr int kKeyUp = 72;
constexpr int kKeyPageUp = 73;
constexpr int kKeyEnd = 79;
constexpr int kKeyDown = 80;
constexpr int kKeyPageDown = 81;

constexpr uint16_t kEndPromptAttribute = 0x70;  // black on light grey

// The title stays readable on its background: its foreground is made bright
// white, unless the caller asked for a blinking/bright background, whose
// attribute is taken as it is.
uint16_t TitleAttribute(int16_t requested) {
  auto attribute = static_cast<uint16_t>(requested);
  return (attribute & 0x80) != 0 ? attribute
                                 : static_cast<uint16_t>(attribute | 0x0F);
}

class Pager {
 public:
  Pager(const std::vector<std::string>& lines, uint16_t title, uint16_t body)
      : lines_(lines),
        count_(static_cast<int>(lines.size())),
        title_(title),
        body_(body) {}

  [[noreturn]] void Run() {
    SetTextAttribute(body_);
    ClearScreen();
    int start = 0;
    for (;;) {
      DisplayPass(start);
      start = EndPrompt(start);
      SetTextAttribute(body_);
      ClearScreen();
    }
  }

 private:
  // The page length, read afresh before every line so that a resized window
  // takes effect at once.
  int PageLength() const {
    return std::min(static_cast<int>(GetWindowRows()) - 2, count_);
  }

  void DisplayPass(int start) {
    int i = start;
    while (i < count_) {
      page_ = PageLength();
      if (i == 0) {
        SetTextAttribute(title_);
        ConsolePrint("%-79s", lines_[0].c_str());
        SetTextAttribute(body_);
        WriteOut("\n");
      } else {
        PrintOut("%s\r\n", lines_[static_cast<size_t>(i)].c_str());
      }
      // A window shrunk below three rows has no room for a page: the text
      // runs on without prompts until it is large enough again.
      if (i > 0 && page_ >= 1 && (i + 1) % page_ == 0) {
        i = MorePrompt(i);
      } else {
        ++i;
      }
    }
  }

  // Returns the next line to show after the page that ends with line i.
  int MorePrompt(int i) {
    int key = WaitForKey("-- More (ESC quits) --");
    SetCursor(GetCursorColumn(), GetCursorRow() - 1);
    if (key < 0 || key == kKeyEscape) Quit();
    if (key != kKeyExtended) return i + 1;
    int code = ReadConsoleKey();
    if (code < 0) Quit();
    switch (code) {
      case kKeyHome:
        ClearScreen();
        return 0;
      case kKeyUp:
      case kKeyPageUp:
        ClearScreen();
        return std::max(i - 2 * page_ + 1, 0);
      case kKeyEnd:
        ClearScreen();
        return count_ - count_ % page_;
      case kKeyDown:
      case kKeyPageDown:
        ClearScreen();
        return i + 1;
      default:
        return i + 1;
    }
  }

  // Returns the start line of the next pass.
  int EndPrompt(int start) {
    SetTextAttribute(kEndPromptAttribute);
    WriteOut("-- End - ESC to Close --");
    SetTextAttribute(body_);
    // Keys typed while the last page was written answer this prompt.
    int key = ReadConsoleKey();
    SetCursor(GetCursorColumn(), GetCursorRow() - 1);
    if (key < 0 || key == kKeyEscape) Quit();
    if (key != kKeyExtended) return start;
    int code = ReadConsoleKey();
    if (code < 0) Quit();
    switch (code) {
      case kKeyUp:
      case kKeyPageUp:
        return PageBeforeLastPage();
      case kKeyHome:
        return 0;
      default:
        return start;
    }
  }

  int PageBeforeLastPage() const {
    // Without a page length (the window was too small when the last line was
    // written) there is no last page to go back from.
    if (page_ < 1) return 0;
    int lastPage = count_ - count_ % page_;
    return std::max(lastPage - std::min(count_, page_), 0);
  }

  // ESC, or the console has gone away and no key can ever come.
  [[noreturn]] static void Quit() { EndProcess(kExitSuccess); }

  const std::vector<std::string>& lines_;
  const int count_;
  const uint16_t title_;
  const uint16_t body_;
  int page_ = 0;  // the page length last worked out in the display pass
};

// Without a console page to fill and a key to wait for, paging would either
// hang a script or cut the text short: the text is written once instead.
[[noreturn]] void WritePlain(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) PrintOut("%s\n", line.c_str());
  EndProcess(kExitSuccess);
}

}  // namespace

void ShowHelp(int16_t titleAttribute, int16_t bodyForeground,
              int16_t bodyBackground) {
  const std::vector<std::string> lines = HelpText(platform().system->Bullet());
  ShowHelp(lines, titleAttribute, bodyForeground, bodyBackground);
}

void ShowHelp(const std::vector<std::string>& lines, int16_t titleAttribute,
              int16_t bodyForeground, int16_t bodyBackground) {
  const int count = static_cast<int>(lines.size());
  if (count == 0 || std::min(GetWindowRows() - 2, count) < 1 ||
      !ConsoleHasInput()) {
    WritePlain(lines);
  }
  auto body = static_cast<uint16_t>(static_cast<uint16_t>(bodyForeground) |
                                    static_cast<uint16_t>(bodyBackground));
  Pager(lines, TitleAttribute(titleAttribute), body).Run();
}

}  // namespace tarnlix
