// The paged help screen on the scripted console: which lines each page shows,
// what every key does at the two prompts, the colours and the cursor, and the
// plain output when there is no page to fill.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/help_pager.h"
#include "cli/help_text.h"
#include "cli/version.h"
#include "fake/fake_platform.h"
#include "table_builder.h"

namespace tarnlix {
namespace {

using fake::ConsoleEvent;

const std::vector<int> kEsc{27};
const std::vector<int> kSpace{' '};
const std::vector<int> kHome{224, 71};
const std::vector<int> kUp{224, 72};
const std::vector<int> kPageUp{224, 73};
const std::vector<int> kEnd{224, 79};
const std::vector<int> kDown{224, 80};
const std::vector<int> kPageDown{224, 81};
const std::vector<int> kInsert{224, 82};
const std::vector<int> kF1{0, 59};  // prefix 0: an ordinary key
const std::vector<int> kGone{-1};   // the console has gone away

// "L0", "L1", ...: every line says which one it is.
std::vector<std::string> NumberedLines(int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back("L" + std::to_string(i));
  return lines;
}

struct Outcome {
  int exitCode = -1;
  bool keysExhausted = false;  // the pager waited for a key the script lacks
  // "clear", runs of lines shown ("0-22"), "more" and "end", in order.
  std::string screens;
};

// Collapses the lines shown into runs: "0-22 more 23-45 ...".
class ScreenWriter {
 public:
  void Line(int line) {
    if (last_ >= 0 && line == last_ + 1) {
      last_ = line;
      return;
    }
    Close();
    first_ = last_ = line;
  }
  void Word(const char* word) {
    Close();
    text_ += text_.empty() ? "" : " ";
    text_ += word;
  }
  std::string Text() {
    Close();
    return text_;
  }

 private:
  void Close() {
    if (first_ < 0) return;
    text_ += text_.empty() ? "" : " ";
    text_ += std::to_string(first_);
    if (last_ != first_) text_ += "-" + std::to_string(last_);
    first_ = last_ = -1;
  }
  std::string text_;
  int first_ = -1;
  int last_ = -1;
};

std::string Screens(const std::vector<ConsoleEvent>& events) {
  ScreenWriter screens;
  for (const ConsoleEvent& event : events) {
    if (event.kind == ConsoleEvent::FillChar && event.value == ' ') {
      screens.Word("clear");
    } else if (event.kind == ConsoleEvent::Console) {
      if (event.text.rfind("L0 ", 0) == 0) screens.Line(0);
      if (event.text == "-- More (ESC quits) --") screens.Word("more");
    } else if (event.kind == ConsoleEvent::Stdout) {
      size_t at = 0;
      while (at < event.text.size()) {
        size_t end = event.text.find('\n', at);
        if (end == std::string::npos) end = event.text.size();
        std::string piece = event.text.substr(at, end - at);
        at = end + 1;
        if (piece.size() > 1 && piece[0] == 'L') {
          screens.Line(std::stoi(piece.substr(1)));
        } else if (piece == "-- End - ESC to Close --") {
          screens.Word("end");
        }
      }
    }
  }
  return screens.Text();
}

// Shows the lines on the fake's console, pressing the keys at the prompts.
Outcome Show(fake::FakePlatform& fake, const std::vector<std::string>& lines,
             const std::vector<std::vector<int>>& keys, int16_t title = 0x50,
             int16_t foreground = 7, int16_t background = 0) {
  for (const std::vector<int>& key : keys) fake.console.Press(key);
  Outcome outcome;
  try {
    ShowHelp(lines, title, foreground, background);
  } catch (const fake::ProcessExit& exit) {
    outcome.exitCode = exit.code;
  } catch (const fake::KeysExhausted&) {
    outcome.keysExhausted = true;
  }
  outcome.screens = Screens(fake.console.Events());
  return outcome;
}

// Which lines each page shows for a window size, a text length and the keys
// pressed at the prompts; some cases change the window or type ahead while a
// given line is written.
TEST(Pager, KeysAtThePromptsPageThroughTheText) {
  using Script = void (*)(fake::FakeConsole&);
  struct Case {
    const char* what;
    int rows;
    int lines;
    std::vector<std::vector<int>> keys;
    const char* screens;
    Script script;
  };
  const Case cases[] = {
      {"25 rows page 23 lines at a time", 25, 113,
       {kSpace, kSpace, kSpace, kSpace, kEsc},
       "clear 0-22 more 23-45 more 46-68 more 69-91 more 92-112 end", nullptr},
      // End at the first more prompt, Page Up at the end prompt, then plain
      // keys: the pass after the plain key at the end prompt starts at line 69
      // again.
      {"End shows the last page; Page Up there keeps its start for later passes",
       25, 113, {kEnd, kPageUp, kSpace, kSpace, kEsc},
       "clear 0-22 more clear 92-112 end clear 69-91 more 92-112 end "
       "clear 69-91 more",
       nullptr},
      {"50 rows; a plain key at the end prompt starts over from line 0", 50, 113,
       {kSpace, kSpace, kSpace, kEsc},
       "clear 0-47 more 48-95 more 96-112 end clear 0-47 more", nullptr},
      {"a window that holds every line still prompts after the last one", 115, 113,
       {kSpace, kEsc}, "clear 0-112 more end", nullptr},
      {"End at the more prompt of a full window goes straight to the end prompt",
       200, 113, {kEnd, kEsc}, "clear 0-112 more clear end", nullptr},
      // At line 45 the page before starts at 0; at 68 it starts at 23.
      {"Page Up and Up go back one page but never before line 0", 25, 113,
       {kSpace, kPageUp, kSpace, kSpace, kUp, kHome, kEsc},
       "clear 0-22 more 23-45 more clear 0-22 more 23-45 more 46-68 more "
       "clear 23-45 more clear 0-22 more",
       nullptr},
      // F1's prefix 0 makes it an ordinary key, and its second code is thrown
      // away at the next more prompt; Insert is an extended key the pager does
      // not use.
      {"Down clears and goes on, other keys go on below", 25, 113,
       {kDown, kF1, kPageDown, kInsert, kEsc},
       "clear 0-22 more clear 23-45 more 46-68 more clear 69-91 more "
       "92-112 end",
       nullptr},
      // 114 % 23 = 22, so the last page starts at 92 and the page before it
      // at 69, as for 113; with 116 lines it is 115 and 92.
      {"the last page of 114 lines", 25, 114, {kEnd, kPageUp, kEsc},
       "clear 0-22 more clear 92-113 end clear 69-91 more", nullptr},
      {"the last page of 116 lines", 25, 116, {kEnd, kPageUp, kEsc},
       "clear 0-22 more clear 115 end clear 92-114 more", nullptr},
      {"three rows make a page of one line", 3, 4, {kSpace, kSpace, kSpace, kEsc},
       "clear 0-1 more 2 more 3 more end", nullptr},
      {"a console that goes away ends the pager instead of spinning", 25, 113,
       {kGone}, "clear 0-22 more", nullptr},
      {"a console that goes away at the end prompt ends the pager", 25, 113,
       {kEnd, kGone}, "clear 0-22 more clear 92-112 end", nullptr},
      {"type-ahead is discarded at more prompts but answers the end prompt", 25,
       113, {kSpace, kSpace, kSpace, kSpace},
       "clear 0-22 more 23-45 more 46-68 more 69-91 more 92-112 end",
       [](fake::FakeConsole& c) {
         c.When("L10\r\n", [&c] { c.TypeAhead(kEsc); });
         c.When("L50\r\n", [&c] { c.TypeAhead(kEnd); });
         c.When("L100\r\n", [&c] { c.TypeAhead(kEsc); });
       }},
      {"the window size is read before every line", 25, 113,
       {kSpace, kSpace, kSpace, kEsc},
       "clear 0-22 more 23-47 more 48-95 more 96-112 end",
       [](fake::FakeConsole& c) { c.When("L30\r\n", [&c] { c.windowRows = 50; }); }},
      // No page length: no more prompts, and Page Up at the end prompt has no
      // last page to go back from, so the next pass starts at 0.
      {"a window shrunk below three rows runs on without prompts or crash", 25,
       113, {kSpace, kPageUp, kEsc}, "clear 0-22 more 23-112 end clear 0-112 end",
       [](fake::FakeConsole& c) { c.When("L30\r\n", [&c] { c.windowRows = 2; }); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fake::FakePlatform fake;
    if (c.script != nullptr) c.script(fake.console);
    fake.console.windowRows = c.rows;
    Outcome outcome = Show(fake, NumberedLines(c.lines), c.keys);
    EXPECT_FALSE(outcome.keysExhausted);
    EXPECT_EQ(outcome.screens, c.screens);
    EXPECT_EQ(outcome.exitCode, 0);
  }
}

TEST(Pager, EscapeEndsAtOnceWithNothingMoreWritten) {
  fake::FakePlatform fake;
  fake.console.windowRows = 25;
  EXPECT_EQ(Show(fake, NumberedLines(113), {kSpace, kEsc}).exitCode, 0);
  const std::vector<ConsoleEvent>& events = fake.console.Events();
  ASSERT_FALSE(events.empty());
  // After the ESC only the cursor goes back over the prompt.
  size_t last = events.size() - 1;
  EXPECT_EQ(events[last].kind, ConsoleEvent::Cursor);
  EXPECT_EQ(events[last - 1].kind, ConsoleEvent::KeyRead);
  EXPECT_EQ(events[last - 1].value, 27);
}

TEST(Pager, TitleBarBodyAndPromptsInTheirColoursWithTheCursorBackOverEachPrompt) {
  fake::FakePlatform fake;
  fake.console.windowRows = 25;
  EXPECT_EQ(Show(fake, {"Title", "a", "b"}, {kSpace, kEsc}).exitCode, 0);
  std::string title = "Title" + std::string(74, ' ');
  EXPECT_EQ(fake.console.Transcript(),
            (std::vector<std::string>{
                "attr 07", "fill ' ' 2000 at 0,0", "fill 07 2000 at 0,0",
                "cursor 0,0",
                "attr 5F", "con[" + title + "]", "attr 07",
                "out[\n]", "out[a\r\n]", "out[b\r\n]",
                "con[-- More (ESC quits) --]", "sleep 50", "con[\n]", "key 32",
                "cursor 0,3",  // the row of the more prompt
                "attr 70", "out[-- End - ESC to Close --]", "attr 07", "key 27",
                "cursor 24,2",
            }));
}

TEST(Pager, ATitleOnABrightBackgroundKeepsItsAttributeAndTheBodyCombinesBoth) {
  fake::FakePlatform fake;
  fake.console.windowRows = 25;
  Show(fake, {"Title", "a", "b"}, {kSpace, kEsc}, 0xC4, 0x0E, 0x10);
  std::vector<std::string> transcript = fake.console.Transcript();
  ASSERT_GE(transcript.size(), 7u);
  EXPECT_EQ(transcript[0], "attr 1E");
  EXPECT_EQ(transcript[2], "fill 1E 2000 at 0,0");
  EXPECT_EQ(transcript[4], "attr C4");
  EXPECT_EQ(transcript[6], "attr 1E");
}

// Without a page to fill or a key to wait for, the text is written once.
TEST(HelpPlain, NoPageOrNoKeyboardWritesTheTextOnceAndEnds) {
  struct Case {
    int rows;
    bool keyboard;
  };
  for (Case c : {Case{0, true}, Case{1, true}, Case{2, true}, Case{25, false}}) {
    fake::FakePlatform fresh;
    fresh.console.windowRows = c.rows;
    if (c.keyboard) fresh.console.Press(kEsc);
    int code = -1;
    try {
      ShowHelp({"  Title", "", "one %s %%i"}, 0x50, 7, 0);
    } catch (const fake::ProcessExit& exit) {
      code = exit.code;
    }
    SCOPED_TRACE("rows " + std::to_string(c.rows));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(fresh.system.out, "  Title\n\none %s %%i\n");
    for (const ConsoleEvent& event : fresh.console.Events()) {
      EXPECT_EQ(event.kind, ConsoleEvent::Stdout) << fake::Describe(event);
    }
  }
}

// The tool's own text, from the command line: a help switch anywhere shows
// it before anything is read; only the exact texts are help switches.
TEST(HelpScreen, EveryHelpSwitchWritesTheWholeTextBeforeAnythingIsRead) {
  const std::vector<uint8_t> table = test::HeaderForm(test::BareTable(
      {test::SystemInfo({"HP", "EliteBook 840"}), test::EndOfTable()}));
  for (std::vector<std::string> arguments :
       {std::vector<std::string>{}, {"/?"}, {"-?"}, {"/h"}, {"-H"}, {"/PCNAME", "-H"},
        {"/PCNAME", "/CSV", "/?"}, {"--help"}, {"/PCNAME", "--help", "--version"}}) {
    fake::FakePlatform fake;
    fake.firmware.table = table;
    fake::RunResult result = fake::Run(fake, arguments);
    std::string expected;
    for (const std::string& line : HelpText(fake.system.Bullet())) {
      expected += line + "\n";
    }
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(fake.firmware.calls, 0);
    // The batch line reaches the user as a batch file needs it.
    EXPECT_NE(result.out.find("  FOR /F \"tokens=*\" %%i in ('Tarnlix.exe /serial ') "
                              "DO SET SERIAL=%%i\n"),
              std::string::npos);
  }
  fake::FakePlatform fake;
  fake.firmware.table = table;
  fake::RunResult notHelp = fake::Run(fake, {"/HELP", "/??", "--HELP", "--Version"});
  EXPECT_EQ(notHelp.out, "");
  EXPECT_EQ(notHelp.exitCode, 0);
}

// "--version" answers before anything is read, wherever it stands.
TEST(HelpScreen, VersionPrintsTheNameAndTheVersionBeforeAnythingIsRead) {
  for (std::vector<std::string> arguments :
       {std::vector<std::string>{"--version"}, {"/PCNAME", "--version", "--help"}}) {
    fake::FakePlatform fake;
    fake::RunResult result = fake::Run(fake, arguments);
    EXPECT_EQ(result.out, "tarnlix " TARNLIX_VERSION "\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(fake.firmware.calls, 0);
  }
}

TEST(HelpScreen, TheTitleFitsTheBarAndTheLastPageFollowsTheText) {
  fake::FakePlatform fake;
  std::vector<std::string> lines = HelpText(fake.system.Bullet());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].rfind("           Tarnlix v" TARNLIX_VERSION " - ", 0), 0u);
  EXPECT_LE(lines[0].size(), 79u);

  // End in a 25-row window shows the last page of the real text.
  fake.console.windowRows = 25;
  fake.console.Press(kEnd);
  fake.console.Press(kEsc);
  fake::RunResult result = fake::Run(fake, {"/?"});
  EXPECT_EQ(result.exitCode, 0);
  size_t count = lines.size();
  size_t lastPage = count - count % 23;
  std::string afterEnd;
  for (size_t i = lastPage; i < count; ++i) afterEnd += lines[i] + "\r\n";
  afterEnd += "-- End - ESC to Close --";
  ASSERT_GE(result.out.size(), afterEnd.size());
  EXPECT_EQ(result.out.substr(result.out.size() - afterEnd.size()), afterEnd);
}

}  // namespace
}  // namespace tarnlix
