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
  EXPECT_EQ(fake.console.Transcript(),
            (std::vector<std::string>{"attr 1E", "fill ' ' 3000 at 0,0",
                                      "fill 1E 3000 at 0,0", "cursor 0,0"}));
  EXPECT_EQ(fake.console.cursor.x, 0);
  EXPECT_EQ(fake.console.cursor.y, 0);
}

TEST(WaitForKey, DiscardsKeysTypedAheadThenPromptsOnTheConsoleAndPolls) {
  fake::FakePlatform fake;
  fake.console.TypeAhead({'x', 224, 79});  // including a two-code key
  fake.console.Press({'k'});
  EXPECT_EQ(WaitForKey("Press a key..."), 'k');
  EXPECT_EQ(fake.console.Transcript(),
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
  EXPECT_EQ(fake.console.Transcript(),
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
  EXPECT_EQ(fake.console.Transcript(),
            (std::vector<std::string>{"out[1.02]", "key 97", "con[Press a key...]",
                                      "sleep 50", "con[\n]", "key 98"}));
}

}  // namespace
}  // namespace tarnlix
