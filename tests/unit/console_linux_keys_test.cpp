// What a terminal's keys become on Linux: the codes the Windows console would
// give, so the pager's key table works unchanged; and the colours asked of
// the terminal for each console attribute.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/linux/linux_console.h"

namespace tarnlix::linux_backend {
namespace {

// Decodes the whole input; "?" marks a piece that needs more bytes.
std::string Codes(const std::string& input) {
  std::string out;
  size_t at = 0;
  while (at < input.size()) {
    TerminalToken token = DecodeTerminalInput(input.data() + at, input.size() - at);
    if (!out.empty()) out += " ";
    switch (token.kind) {
      case TerminalToken::Incomplete:
        return out + "?";
      case TerminalToken::Ignored:
        out += "-";
        break;
      case TerminalToken::CursorReport:
        out += "at " + std::to_string(token.row) + "," + std::to_string(token.column);
        break;
      case TerminalToken::Key:
        out += std::to_string(token.codes[0]);
        if (token.count == 2) out += "+" + std::to_string(token.codes[1]);
        break;
    }
    EXPECT_GT(token.length, 0u) << "no progress on " << input;
    if (token.length == 0) break;
    at += token.length;
  }
  return out;
}

TEST(TerminalKeys, NavigationKeysInEveryFormTerminalsSend) {
  struct Case {
    const char* input;
    const char* codes;
  };
  const Case cases[] = {
      {"\x1b[A", "224+72"},  {"\x1bOA", "224+72"},  // Up, normal and application
      {"\x1b[B", "224+80"},  {"\x1b[C", "224+77"},  {"\x1b[D", "224+75"},
      {"\x1b[H", "224+71"},  {"\x1bOH", "224+71"},  {"\x1b[1~", "224+71"},
      {"\x1b[7~", "224+71"},                        // Home (rxvt)
      {"\x1b[F", "224+79"},  {"\x1bOF", "224+79"},  {"\x1b[4~", "224+79"},
      {"\x1b[8~", "224+79"},                        // End (rxvt)
      {"\x1b[5~", "224+73"}, {"\x1b[6~", "224+81"},  // Page Up, Page Down
      {"\x1b[2~", "224+82"}, {"\x1b[3~", "224+83"},  // Insert, Delete
      {"\x1b[1;5A", "224+141"},  // Ctrl+Up: not the pager's Up
      {"\x1b[1;2A", "224+72"},   // Shift+Up: the same as Up
      {"\x1b[5;3~", "224+153"},  // Alt+Page Up
      {"\x1bOP", "0+59"},    {"\x1b[11~", "0+59"},  {"\x1b[[A", "0+59"},  // F1
      {"\x1b[15~", "0+63"},  {"\x1b[21~", "0+68"},  // F5, F10
      {"\x1b[24~", "224+134"},                       // F12
      {"\x1b[Z", "0+15"},                            // Shift+Tab
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Codes(c.input), c.codes) << "input " << c.input + 1;
  }
}

TEST(TerminalKeys, OrdinaryKeysEscapeAndWhatIsNotAKey) {
  EXPECT_EQ(Codes("a \r"), "97 32 13");
  EXPECT_EQ(Codes("\x1b"), "?");          // lone ESC: wait for what follows
  EXPECT_EQ(Codes("\x1b["), "?");
  EXPECT_EQ(Codes("\x1b[1;5"), "?");
  EXPECT_EQ(Codes("\x1b\x1b[A"), "27 224+72");  // ESC, then Up
  EXPECT_EQ(Codes("\x1bx"), "27 120");           // Alt+x: ESC, then x
  EXPECT_EQ(Codes("\x1b[24;80R"), "at 24,80");   // answer to a cursor query
  EXPECT_EQ(Codes("q\x1b[3;1Rw"), "113 at 3,1 119");
  EXPECT_EQ(Codes("\x1b[200~x\x1b[201~"), "- 120 -");  // paste marks
  EXPECT_EQ(Codes("\x1b[?1;2c"), "-");                  // device attributes
  EXPECT_EQ(Codes("\x1b[I\x1b[O"), "- -");              // focus in and out
  EXPECT_EQ(Codes("\x1b[99~"), "-");
  EXPECT_EQ(Codes("\x1bOM"), "-");
}

TEST(TerminalKeys, ACharacterBeyondAsciiIsOneKeyThatNeverLooksLikeAPrefix) {
  // U+0800 starts with 0xE0 (224) and U+2603 with 0xE2.
  EXPECT_EQ(Codes("\xe0\xa0\x80"), "63");
  EXPECT_EQ(Codes("\xe2\x98\x83x"), "63 120");
  EXPECT_EQ(Codes("\xc3\xa9"), "63");
  EXPECT_EQ(Codes("\xe2\x98"), "?");     // the rest is on its way
  EXPECT_EQ(Codes("\xe2x"), "63 120");   // broken: the lead byte alone
  EXPECT_EQ(Codes("\x80\xff"), "63 63");
}

TEST(TerminalKeys, OverlongOrBrokenSequencesEndWithoutSwallowingKeys) {
  std::string longSequence = "\x1b[" + std::string(40, '1') + "A";
  std::string codes = Codes(longSequence);
  EXPECT_EQ(codes.substr(0, 3), "27 ");  // the ESC stands alone
  EXPECT_EQ(Codes("\x1b[1\x01"), "27 91 49 1");
  EXPECT_EQ(Codes(std::string("\x1b[\0", 3)), "27 91 0");
}

TEST(TerminalColours, WindowsAttributeBitsBecomeAnsiColours) {
  EXPECT_EQ(SgrForAttribute(0x5F), "\x1b[0;97;45m");  // bright white on magenta
  EXPECT_EQ(SgrForAttribute(0x07), "\x1b[0;37;40m");  // light grey on black
  EXPECT_EQ(SgrForAttribute(0x70), "\x1b[0;30;47m");  // black on light grey
  EXPECT_EQ(SgrForAttribute(0x1C), "\x1b[0;91;44m");  // bright red on blue
  EXPECT_EQ(SgrForAttribute(0xE6), "\x1b[0;33;103m"); // yellow on bright yellow
  EXPECT_EQ(SgrForAttribute(0x3A), "\x1b[0;92;46m");  // bright green on cyan
}

}  // namespace
}  // namespace tarnlix::linux_backend
