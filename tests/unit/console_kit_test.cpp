// The console primitives and the key wait on the scripted console: positions
// counted from 1 over a platform that counts from 0, the clearing sequence,
// and WaitForKey's handling of keys typed ahead.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/console_kit.h"
#include "cli/run.h"
#include "fake/fake_platform.h"
#include "table_builder.h"

namespace tarnlix {
namespace {

using fake::ConsoleEvent;

TEST(ConsoleKit, PositionsCountFromOneAndUnreadableInformationGivesZero) {
  fake::FakePlatform fake;
  fake.console.windowRows = 25;
  fake.console.cursor = {4, 9};
  EXPECT_EQ(GetWindowRows(), 25);
  EXPECT_EQ(GetCursorColumn(), 5);
  EXPECT_EQ(GetCursorRow(), 10);

  SetCursor(GetCursorColumn(), GetCursorRow() - 1);  // one row up
  EXPECT_EQ(fake.console.cursor.x, 4);
  EXPECT_EQ(fake.console.cursor.y, 8);
  SetCursor(0, -3);  // before the first cell: the first cell
  EXPECT_EQ(fake.console.cursor.x, 0);
  EXPECT_EQ(fake.console.cursor.y, 0);

  fake.console.cursorReadable = false;
  EXPECT_EQ(GetCursorColumn(), 0);
  EXPECT_EQ(GetCursorRow(), 0);
  fake.console.windowRows = 0;
  EXPECT_EQ(GetWindowRows(), 0);
}

TEST(ConsoleKit, ClearScreenBlanksTheWholeBufferInTheCurrentAttribute) {
  fake::FakePlatform fake;
  fake.console.windowRows = 30;
  fake.console.windowColumns = 100;
  fake.console.cursor = {7, 7};
  SetTextAttribute(0x1E);
  ClearScreen();
  const std::vector<ConsoleEvent>& events = fake.console.Events();
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[1].kind, ConsoleEvent::FillChar);
  EXPECT_EQ(events[1].value, ' ');
  EXPECT_EQ(events[1].count, 3000u);
  EXPECT_EQ(events[2].kind, ConsoleEvent::FillAttr);
  EXPECT_EQ(events[2].value, 0x1E);
  EXPECT_EQ(events[2].count, 3000u);
  EXPECT_EQ(events[3].kind, ConsoleEvent::Cursor);
  EXPECT_EQ(fake.console.cursor.x, 0);
  EXPECT_EQ(fake.console.cursor.y, 0);
}

std::vector<std::string> Kinds(fake::FakeConsole& console) {
  std::vector<std::string> kinds;
  for (const ConsoleEvent& event : console.Events()) {
    switch (event.kind) {
      case ConsoleEvent::Console: kinds.push_back("con[" + event.text + "]"); break;
      case ConsoleEvent::Stdout: kinds.push_back("out[" + event.text + "]"); break;
      case ConsoleEvent::KeyRead: kinds.push_back("key " + std::to_string(event.value)); break;
      case ConsoleEvent::Sleep: kinds.push_back("sleep " + std::to_string(event.value)); break;
      default: kinds.push_back("other"); break;
    }
  }
  return kinds;
}

TEST(WaitForKey, DiscardsKeysTypedAheadThenPromptsOnTheConsoleAndPolls) {
  fake::FakePlatform fake;
  fake.console.TypeAhead({'x', 224, 79});  // including a two-code key
  fake.console.Press({'k'});
  EXPECT_EQ(WaitForKey("Press a key..."), 'k');
  EXPECT_EQ(Kinds(fake.console),
            (std::vector<std::string>{"key 120", "key 224", "key 79",
                                      "con[Press a key...]", "sleep 50",
                                      "con[\n]", "key 107"}));
  EXPECT_EQ(fake.system.out, "");  // never part of captured output
}

TEST(WaitForKey, ATwoCodeKeyAnswersWithItsFirstCodeAndLeavesTheSecond) {
  fake::FakePlatform fake;
  fake.console.Press({224, 72});
  EXPECT_EQ(WaitForKey(""), 224);
  EXPECT_TRUE(fake.console.KeystrokeWaiting());
  EXPECT_EQ(fake.console.ReadKey(), 72);
  // An empty prompt writes nothing but the line end.
  EXPECT_EQ(Kinds(fake.console),
            (std::vector<std::string>{"sleep 50", "con[\n]", "key 224", "key 72"}));
}

TEST(WaitForKey, ReturnsAtOnceWithoutAConsoleOrWhenItGoesAway) {
  {
    fake::FakePlatform fake;  // no keyboard
    EXPECT_EQ(WaitForKey("Press a key..."), -1);
    EXPECT_TRUE(fake.console.Events().empty());
  }
  {
    fake::FakePlatform fake;
    fake.console.TypeAhead({-1});
    EXPECT_EQ(WaitForKey("Press a key..."), -1);
  }
  {
    fake::FakePlatform fake;
    fake.console.Press({-1});
    EXPECT_EQ(WaitForKey("Press a key..."), -1);
  }
}

TEST(WaitForKey, PauseAfterRedirectedValuesPromptsOnTheConsoleOnly) {
  fake::FakePlatform fake;
  fake.firmware.table = test::HeaderForm(test::BareTable(
      {test::Bios("Vendor X", "1.02", "03/15/2012"), test::EndOfTable()}));
  fake.console.TypeAhead({'a'});
  fake.console.Press({'b'});
  fake::RunResult result = fake::Run(fake, {"/BIOSVER", "/P"});
  EXPECT_EQ(result.out, "1.02");
  EXPECT_EQ(Kinds(fake.console),
            (std::vector<std::string>{"out[1.02]", "key 97", "con[Press a key...]",
                                      "sleep 50", "con[\n]", "key 98"}));
}

}  // namespace
}  // namespace tarnlix
