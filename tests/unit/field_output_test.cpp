// Values in command-line order, with the separators the switches choose.
#include <gtest/gtest.h>

#include <set>

#include "cli/selectors.h"
#include "test_support.h"

namespace tarnlix {
namespace {

using test::BareTable;
using test::HeaderForm;
using test::Structure;

std::vector<uint8_t> Table() {
  return HeaderForm(BareTable({
      Structure(218, 0x0B),  // tables often begin with an OEM structure
      test::Bios("AMI", "F.10", "05/06/2019"),
      test::SystemInfo({"HP", "Elite, \"840\"", "G5", "CZC123"}),
      Structure(3, 0x09, {{0x04, 1}, {0x05, 9}, {0x06, 2}, {0x07, 3}}, {"HP", "v2", "CHS1"}),
      Structure(17, 0x28,
                {{0x10, 1}, {0x11, 2}, {0x17, 3}, {0x18, 4}, {0x19, 5}, {0x1A, 6}},
                {"DIMM A", "BANK 0", "Samsung", "S-1", "A-1", "M393"}),
      Structure(22, 0x1A, {{0x06, 1}}, {"07/08/2009"}),
  }));
}

std::string Output(const std::vector<std::string>& arguments, int* exitCode = nullptr) {
  fake::FakePlatform fake;
  fake.firmware.table = Table();
  fake::RunResult result = fake::Run(fake, arguments);
  if (exitCode != nullptr) *exitCode = result.exitCode;
  return result.out;
}

TEST(FieldOutput, SeparatorsForTwoValues) {
  struct Case {
    std::vector<std::string> switches;
    const char* out;
  } cases[] = {
      {{}, "CZC123AMI"},
      {{"/CRLF"}, "CZC123AMI\n"},
      {{"/CSV"}, "\"CZC123\",\"AMI\"\n"},
      {{"/TAB"}, "CZC123\tAMI\t"},
      {{"/TAB", "/CRLF"}, "CZC123\tAMI\t\n"},
      {{"/CSV", "/TAB"}, "\"CZC123\",\"AMI\"\n"},
      {{"/CSV", "/TAB", "/CRLF"}, "\"CZC123\",\"AMI\"\n"},
      {{"/SPACE"}, "CZC123 AMI "},
      {{"/SPACE", "/TAB"}, "CZC123\tAMI\t"},
      {{"/SPACE", "/CSV"}, "\"CZC123\",\"AMI\"\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = c.switches;
    arguments.push_back("/PCSERIAL");
    arguments.push_back("/BIOSVENDOR");
    EXPECT_EQ(Output(arguments), c.out);
  }
}

// Neither is an error.
TEST(FieldOutput, AbsentAndUnknownSelectorsKeepTheirPlace) {
  int exitCode = -1;
  EXPECT_EQ(Output({"/CSV", "/PCSERIAL", "/PCSKU"}, &exitCode), "\"CZC123\",\"\"\n");
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(Output({"/TAB", "/PCSERIAL", "/PCSKU"}), "CZC123\t\t");
  EXPECT_EQ(Output({"/CSV", "/PCSERIAL", "/VENDOR", "/NOSUCH", "/BIOSVER"}),
            "\"CZC123\",\"\",\"\",\"F.10\"\n");
  EXPECT_EQ(Output({"/NOSUCH"}, &exitCode), "");
  EXPECT_EQ(exitCode, 0);
}

// Only inside CSV quotes is a quote doubled, so that a CSV reader gets the
// value back; nothing else is ever changed.
TEST(FieldOutput, ValuesAreWrittenUnchangedButForCsvQuotes) {
  EXPECT_EQ(Output({"/CSV", "/PCNAME", "/PCSERIAL"}), "\"Elite, \"\"840\"\"\",\"CZC123\"\n");
  EXPECT_EQ(Output({"/TAB", "/PCNAME"}), "Elite, \"840\"\t");
  EXPECT_EQ(Output({"/LINES", "/PCNAME"}), "Elite, \"840\"\n");
  EXPECT_EQ(Output({"/PCSERIAL", "/pcserial", "-PcSerial"}), "CZC123CZC123CZC123");
}

TEST(FieldOutput, IsoChangesOnlyTheBiosDate) {
  EXPECT_EQ(Output({"/TAB", "/BIOSDATE", "/BATDATE"}), "05/06/2019\t07/08/2009\t");
  EXPECT_EQ(Output({"/ISO", "/TAB", "/BIOSDATE", "/BATDATE"}), "2019/05/06\t07/08/2009\t");
  // Each structure's date in its own form.
  fake::FakePlatform fake;
  fake.firmware.table = HeaderForm(BareTable(
      {test::Bios("A", "1", "01/02/2003"), test::Bios("B", "2", "04/05/2006")}));
  EXPECT_EQ(fake::Run(fake, {"/ISO", "/TAB", "/BIOSDATE:*"}).out, "2003/01/02\t2006/04/05\t");
}

TEST(FieldOutput, RowsTheToolAddsOrMends) {
  EXPECT_EQ(Output({"/TAB", "/PCVER", "/ENCLOSEURETYPE", "/ENCLOSURETYPE",
                    "/ENCLOSUREVER", "/ENCLOSURESERIAL"}),
            "G5\tLaptop\tLaptop\tv2\tCHS1\t");
  // Each memory row prints the field its name says.
  EXPECT_EQ(Output({"/TAB", "/MEMBANKLOC", "/MEMMAN", "/MEMSERIAL", "/MEMASSET",
                    "/MEMPARTNO"}),
            "BANK 0\tSamsung\tS-1\tA-1\tM393\t");
}

// The report ends the output: no separator after it, no closing quote, no
// line end, and nothing of the selectors after it.
TEST(FieldOutput, GroupSwitchEndsTheListWithItsReport) {
  const std::string report =
      "Portable Battery\n\n\tMfg Date       :\t07/08/2009\n\tMaximum Error  :\t0%\n"
      "\tSBDS Serial Number :\t0000\n\tDesign Capacity Multiplier :\t0\n"
      "\tOEM-specific Information :\t0x00000000\n\n";
  struct Case {
    std::vector<std::string> switches;
    std::string out;
  } cases[] = {
      {{"/TAB", "/CRLF"}, "CZC123\t" + report},
      {{"/CSV"}, "\"CZC123\",\"" + report},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = c.switches;
    arguments.insert(arguments.end(), {"/PCSERIAL", "/BATTERY", "/PCNAME"});
    int exitCode = -1;
    EXPECT_EQ(Output(arguments, &exitCode), c.out);
    EXPECT_EQ(exitCode, 0);
  }
  // Each group switch reports its own structure type.
  const std::pair<const char*, const char*> groups[] = {
      {"/BIOS", "BIOS Information"},  {"/PC", "System Information"},
      {"/BOARD", "Base Board"},       {"/ENCLOSURE", "System Enclosure"},
      {"/PROCESSOR", "Processor Information"}, {"/PORT", "Port Connector"},
      {"/SLOT", "Slot Information"},  {"/OEM", "OEM Strings"},
      {"/MEM", "Memory Device"},      {"/BATTERY", "Portable Battery"}};
  for (const auto& [group, title] : groups) {
    EXPECT_EQ(Output({group}).rfind(std::string(title) + "\n\n", 0), 0u) << group;
  }
}

TEST(FieldOutput, EverySwitchTextIsInTheTable) {
  const char* texts[] = {
      "/NAME",          "/BIOS",           "/BIOSVENDOR",     "/BIOSVER",
      "/BIOSDATE",      "/PC",             "/PCMAKER",        "/PCNAME",
      "/PCVER",         "/PCSERIAL",       "/PCSKU",          "/PCFAMILY",
      "/PCUUID",
      "/BOARD",         "/BOARDMAN",       "/BOARDPRODUCT",   "/BOARDVER",
      "/BOARDSERIAL",   "/BOARDASSET",     "/BOARDLOCATION",  "/ENCLOSURE",
      "/ENCLOSUREMAN",  "/ENCLOSEURETYPE", "/ENCLOSURETYPE",  "/ENCLOSUREVER",
      "/ENCLOSURESERIAL", "/PROCESSOR",    "/PROCESSORSOCKET", "/PROCESSORMAN",
      "/PROCESSORVER",  "/PROCESSORSERIAL", "/PROCESSORASSET", "/PROCESSORPARTNUM",
      "/PROCESSOREXTRA", "/CACHESOCKET",   "/PORT",           "/PORTINTERNALREF",
      "/PORTEXTERNALREF", "/PORTEXTRA",    "/SLOT",           "/SLOTDESIGNATION",
      "/DEVICEDESC",    "/OEM",            "/OEM1",           "/OEM2",
      "/OEM3",          "/OEM4",           "/OEM5",           "/OEM6",
      "/OEM7",          "/MEM",            "/MEMBANKLOC",     "/MEMMAN",
      "/MEMSERIAL",     "/MEMASSET",       "/MEMPARTNO",      "/BATTERY",
      "/BIOSREV",       "/ECREV",          "/ENCLOSUREASSET", "/PROCESSORFAMILY",
      "/PROCESSORSPEED", "/PROCESSORCORES", "/PROCESSORTHREADS", "/MEMDEVLOC",
      "/MEMSIZE",       "/MEMSPEED",       "/MEMTYPE",        "/MEMTOTAL",
      "/BATLOC",        "/BATMAN",         "/BATDATE",        "/BATSERIAL",
      "/BATNAME",       "/BATVER",         "/BATCHEM"};
  for (const char* text : texts) {
    const SelectorRow* row = FindSelector(text);
    ASSERT_NE(row, nullptr) << text;
    EXPECT_STREQ(row->text, text);
  }
  // The full decode adds to them; no two rows share a text.
  std::set<std::string> seen;
  for (const SelectorRow& row : SelectorTable()) {
    EXPECT_TRUE(seen.insert(row.text).second) << row.text;
  }
  EXPECT_EQ(FindSelector("/ALL"), nullptr) << "handled before the selectors";
}

// Three memory devices, the middle one too short to hold anything, and no
// battery.
std::string InstanceOutput(std::vector<std::string> arguments) {
  fake::FakePlatform fake;
  fake.firmware.table = HeaderForm(BareTable({
      Structure(17, 0x1B, {{0x0C, 0x00}, {0x0D, 0x20}, {0x10, 1}, {0x18, 2}}, {"A1", "S-1"}),
      Structure(17, 4),
      Structure(17, 0x1B, {{0x0C, 0x00}, {0x0D, 0x40}, {0x10, 1}}, {"B1"}),
  }));
  return fake::Run(fake, arguments).out;
}

TEST(FieldOutput, InstancesOfAType) {
  struct Case {
    std::vector<std::string> arguments;
    const char* out;
  } cases[] = {
      {{"/TAB", "/MEMDEVLOC", "/MEMDEVLOC:1", "/MEMDEVLOC:3", "/memsize:3"}, "A1\tA1\tB1\t16384\t"},
      {{"/TAB", "/MEMDEVLOC:*", "/MEMSIZE:*", "/MEMSERIAL:*"},
       "A1\t\tB1\t8192\t\t16384\tS-1\t\t\t"},
      {{"/CSV", "/MEMDEVLOC:*", "/MEMTOTAL"}, "\"A1\",\"\",\"B1\",\"24576\"\n"},
      // No structure of the type: one absent value.
      {{"/CSV", "/BATLOC:*", "/MEMDEVLOC:4"}, "\"\",\"\"\n"},
      // Anything else after the colon is no selector at all.
      {{"/CSV", "/MEMDEVLOC:0", "/MEMDEVLOC:", "/MEMDEVLOC:-1", "/MEMDEVLOC:1x",
        "/MEMDEVLOC:**", "/MEMTOTAL:1", "/MEM:1", "/NAME:1", "/MEMDEVLOC:99999999999999999999999"},
       "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(InstanceOutput(c.arguments), c.out) << c.arguments[1];
  }
}

TEST(FieldOutput, LinesEndEveryValue) {
  struct Case {
    std::vector<std::string> switches;
    const char* out;
  } cases[] = {
      {{"/LINES"}, "A1\n\nB1\n8192\n"},
      {{"/LINES", "/CRLF"}, "A1\n\nB1\n8192\n"},
      {{"/LINES", "/TAB", "/SPACE"}, "A1\n\nB1\n8192\n"},
      {{"/LINES", "/CSV"}, "\"A1\",\"\",\"B1\",\"8192\"\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = c.switches;
    arguments.insert(arguments.end(), {"/MEMDEVLOC:*", "/MEMSIZE"});
    EXPECT_EQ(InstanceOutput(arguments), c.out) << c.switches.size();
  }
}

}  // namespace
}  // namespace tarnlix
