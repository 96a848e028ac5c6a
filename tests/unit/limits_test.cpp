// Command lines and values at and past the tool's limits, run in-process on
// the fake platform (an argument of a megabyte cannot be passed through exec
// on Linux, which caps one argument at 128 KiB).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace tarnlix {
namespace {

using Bytes = std::vector<uint8_t>;

const char kTooMany[] = "Too many parameters: use Tarnlix /? for help\n";
using test::kLoadFailure;

Bytes SerialTable(const std::string& serial = "SER123") {
  return test::HeaderForm(test::BareTable(
      {test::SystemInfo({"Maker", "Model", "Ver", serial}), test::EndOfTable()}));
}

struct Tool {
  Tool() { fake.firmware.table = SerialTable(); }
  fake::RunResult Run(const std::vector<std::string>& arguments) {
    fake.system.out.clear();
    return fake::Run(fake, arguments);
  }
  fake::FakePlatform fake;
};

std::vector<std::string> Repeat(const std::string& text, size_t count) {
  return std::vector<std::string>(count, text);
}

TEST(CommandLineLimits, HundredSelectorsArePrintedAndTheNextIsRefused) {
  Tool tool;
  fake::RunResult hundred = tool.Run(Repeat("/PCSERIAL", 100));
  std::string expected;
  for (int i = 0; i < 100; ++i) expected += "SER123";
  EXPECT_EQ(hundred.out, expected);
  EXPECT_EQ(hundred.exitCode, 0);

  // Switches are not selectors and do not count towards the hundred.
  std::vector<std::string> withSwitches = Repeat("/PCSERIAL", 100);
  withSwitches.insert(withSwitches.begin(), {"/DEBUG", "/V", "-crlf"});
  fake::RunResult switched = tool.Run(withSwitches);
  EXPECT_EQ(switched.out, expected + "\n");
  EXPECT_EQ(switched.exitCode, 0);

  int loadsBefore = tool.fake.firmware.calls;
  // The 101st ends the run before anything is read, whatever follows it.
  std::vector<std::string> tooMany = Repeat("/PCSERIAL", 101);
  tooMany.push_back("/?");
  fake::RunResult refused = tool.Run(tooMany);
  EXPECT_EQ(refused.out, kTooMany);
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(tool.fake.firmware.calls, loadsBefore);

  // Empty and unknown words are selectors too.
  fake::RunResult empties = tool.Run(Repeat("", 101));
  EXPECT_EQ(empties.out, kTooMany);
  EXPECT_EQ(empties.exitCode, 1);
}

TEST(CommandLineLimits, MegabyteArguments) {
  Tool tool;
  const size_t kMiB = 1024 * 1024;
  std::string word(kMiB, 'X');
  word[0] = '/';

  fake::RunResult unknown = tool.Run({"/CSV", word, "/PCSERIAL"});
  EXPECT_EQ(unknown.out, "\"\",\"SER123\"\n");
  EXPECT_EQ(unknown.exitCode, 0);

  // A long word beginning with "/V" is the verbose switch, not a selector.
  std::string verbose = "/V" + std::string(kMiB, 'v');
  EXPECT_EQ(tool.Run({"/CSV", verbose, "/PCSERIAL"}).out, "\"SER123\"\n");

  // A megabyte path is named whole in the message; nothing is cut.
  std::string path = "/nonexistent/" + std::string(kMiB, 'p');
  fake::RunResult from = tool.Run({"/FROM:" + path, "/PCSERIAL"});
  EXPECT_EQ(from.out, "Error: cannot read SMBIOS table from " + path +
                          ": No such file or directory\n" + kLoadFailure);
  EXPECT_EQ(from.exitCode, 1);
}

TEST(CommandLineLimits, EmptyArguments) {
  Tool tool;
  EXPECT_EQ(tool.Run({"", "/PCSERIAL", ""}).out, "SER123");
  EXPECT_EQ(tool.Run({"/CSV", "", "/PCSERIAL", ""}).out, "\"\",\"SER123\",\"\"\n");
  EXPECT_EQ(tool.Run({"/TAB", "", "/PCSERIAL"}).out, "\tSER123\t");
  // A lone minus becomes a lone slash: still only a word that prints nothing.
  fake::RunResult minus = tool.Run({"-", "/PCSERIAL"});
  EXPECT_EQ(minus.out, "SER123");
  EXPECT_EQ(minus.exitCode, 0);
}

TEST(CommandLineLimits, NonAsciiArguments) {
  Tool tool;
  // Only ASCII letters fold: none of these is "/PCSERIAL" or a switch.
  const std::vector<std::string> words = {
      "/PCSER\xC4\xB0" "AL",  // dotted capital I in UTF-8
      "/PCSERIAL\xFF", "\xFF", "-\x80", "/CSV\xC3\xA9", "/\xE9\xE8", "/P\xA0"};
  for (const std::string& word : words) {
    SCOPED_TRACE(word);
    fake::RunResult result = tool.Run({word, "/PCSERIAL"});
    EXPECT_EQ(result.out, "SER123");
    EXPECT_EQ(result.exitCode, 0);
  }
  EXPECT_EQ(tool.Run({"/pcSerial"}).out, "SER123");

  // A path in any bytes is opened as given.
  std::string path = "t\xC3\xA1" "bla-\xFF.bin";
  tool.fake.system.files[path] = SerialTable("\xC3\x89" "TAT");
  EXPECT_EQ(tool.Run({"/FROM:" + path, "/PCSERIAL"}).out, "\xC3\x89" "TAT");
}

TEST(CommandLineLimits, SavedFileOfSixteenMebibytesAtMost) {
  // A bare table padded with zeros up to the limit is read; one byte more
  // and the file is refused rather than read in part.
  Tool tool;
  Bytes table = test::BareTable(
      {test::SystemInfo({"Maker", "Model", "Ver", "BIG"}), test::EndOfTable()});
  table.resize(16u * 1024 * 1024, 0);
  tool.fake.system.files["limit.bin"] = table;
  fake::RunResult atLimit = tool.Run({"/FROM:limit.bin", "/PCSERIAL"});
  EXPECT_EQ(atLimit.out, "BIG");
  EXPECT_EQ(atLimit.exitCode, 0);

  table.push_back(0);
  tool.fake.system.files["limit.bin"] = table;
  fake::RunResult over = tool.Run({"/FROM:limit.bin", "/PCSERIAL"});
  EXPECT_EQ(over.out, std::string("Error: cannot read SMBIOS table from limit.bin: the "
                                  "file is larger than 16 MiB\n") +
                          kLoadFailure);
  EXPECT_EQ(over.exitCode, 1);
}

TEST(OutputLimits, LongValuesArePrintedWhole) {
  // Values far past any formatting buffer, in the field output and in both
  // labelled reports.
  std::string serial(200000, 's');
  serial.front() = 'A';
  serial.back() = 'Z';
  Tool tool;
  tool.fake.firmware.table = SerialTable(serial);
  EXPECT_EQ(tool.Run({"/PCSERIAL"}).out, serial);
  EXPECT_EQ(tool.Run({"/CSV", "/PCSERIAL"}).out, "\"" + serial + "\"\n");

  std::string body = "\tManufacturer   :\tMaker\n"
                     "\tProduct name   :\tModel\n"
                     "\tVersion        :\tVer\n"
                     "\tSerial#        :\t" + serial + "\n"
                     "\tWake-up Type   :\tReserved\n\n";
  EXPECT_EQ(tool.Run({"/ALL"}).out, "- SMBBios data v2.7 -\n\nSystem Information:\n\n" + body);
  EXPECT_EQ(tool.Run({"/PC"}).out, "System Information\n\n" + body);
}

}  // namespace
}  // namespace tarnlix
