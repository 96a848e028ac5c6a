// The parse of the command line and the run from arguments to exit code.
#include <gtest/gtest.h>

#include "cli/run.h"
#include "cli/selectors.h"
#include "test_support.h"

namespace tarnlix {
namespace {

using test::BareTable;
using test::HeaderForm;

std::vector<uint8_t> Table() {
  return HeaderForm(BareTable({
      test::Bios("AMI", "F.10", "05/06/2019"),
      test::SystemInfo({"HP", "EliteBook 840", "1.0", "CZC123", "SKU9", "Elite"}),
      test::EndOfTable(),
  }));
}

struct Parsed {
  std::vector<std::string> storage;
  std::vector<char*> argv;
  CommandLine line;
};

// Parses arguments through the fake, keeping the rewritten argument texts.
void Parse(Parsed& parsed, const std::vector<std::string>& arguments) {
  parsed.storage = {"tarnlix"};
  parsed.storage.insert(parsed.storage.end(), arguments.begin(), arguments.end());
  for (std::string& text : parsed.storage) parsed.argv.push_back(text.data());
  parsed.line = ParseCommandLine(static_cast<int>(parsed.argv.size()), parsed.argv.data());
}

TEST(CommandLine, SwitchesSetTheirFlagsInAnyCaseAndMinusForm) {
  fake::FakePlatform fake;
  Parsed p;
  Parse(p, {"-csv", "/Tab", "/CRLF", "-space", "/p", "/iso", "/DIRECT", "/debug",
            "-PCNAME", "/V"});
  const OutputOptions& o = p.line.options;
  EXPECT_TRUE(o.csv && o.tab && o.crlf && o.space && o.pause && o.iso && o.direct &&
              o.verbose);
  ASSERT_EQ(p.line.selectors.size(), 1u) << "/DEBUG is not a selector";
  EXPECT_STREQ(p.line.selectors[0], "/PCNAME");
  EXPECT_EQ(p.storage[1], "/csv") << "the argument itself is rewritten";
}

TEST(CommandLine, VerboseIsAnyWordBeginningWithVExceptVendAndSelectors) {
  struct Case {
    const char* argument;
    bool verbose;
  } cases[] = {{"/V", true},        {"/v", true},         {"/VERBOSE", true},
               {"-vx", true},       {"/VEND", false},     {"/Vendor", false},
               {"/vEnDoR", false},  {"/VEN", true},       {"V", false},
               // The voltage probes' selectors, in every form, are selectors.
               {"/VOLTPROBE", false}, {"/voltprobedesc", false}, {"/VOLTPROBEOEM:*", false},
               {"/VOLTPROBEMAX:2", false}, {"/VOLTPROBEX", true}};
  for (const Case& c : cases) {
    fake::FakePlatform fake;
    Parsed p;
    Parse(p, {c.argument});
    EXPECT_EQ(p.line.options.verbose, c.verbose) << c.argument;
    EXPECT_EQ(p.line.selectors.size(), c.verbose ? 0u : 1u) << c.argument;
  }
}

// No switch swallows a selector the tool lists: each one, alone on the
// command line, is stored as the selector it is.
TEST(CommandLine, EverySelectorIsStoredAsASelector) {
  fake::FakePlatform fake;
  for (const SelectorRow& row : SelectorTable()) {
    Parsed p;
    Parse(p, {row.text});
    ASSERT_EQ(p.line.selectors.size(), 1u) << row.text;
    EXPECT_STREQ(p.line.selectors[0], row.text);
    EXPECT_FALSE(p.line.options.verbose) << row.text;
  }
}

TEST(CommandLine, FromTakesThePathAfterTheColon) {
  fake::FakePlatform fake;
  Parsed p;
  Parse(p, {"-from:C:/dumps/a.bin", "/FROM", "/from:b.bin", "/DIFF:base.bin"});
  EXPECT_EQ(p.line.fromPaths, (std::vector<std::string>{"C:/dumps/a.bin", "b.bin"}));
  EXPECT_TRUE(p.line.hasDiffPath);
  EXPECT_EQ(p.line.diffPath, "base.bin");
  ASSERT_EQ(p.line.selectors.size(), 1u) << "/FROM without a colon is a selector";
}

TEST(RunFlow, SwitchesAloneStillLoadTheTable) {
  struct Case {
    std::vector<std::string> arguments;
    const char* out;
  } cases[] = {{{"/CSV"}, "\n"}, {{"/CRLF"}, "\n"}, {{"/TAB"}, ""}, {{"/DEBUG"}, ""}};
  for (const Case& c : cases) {
    fake::FakePlatform fake;
    fake.firmware.table = Table();
    fake::RunResult result = fake::Run(fake, c.arguments);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(fake.firmware.calls, 2);
  }
  fake::FakePlatform empty;
  fake::RunResult failed = fake::Run(empty, {"/CSV", "/P"});
  EXPECT_EQ(failed.out, test::kLoadFailure);
  EXPECT_EQ(failed.exitCode, 1);
}

TEST(RunFlow, AllAnywhereSuppressesEveryOtherSelector) {
  for (const char* all : {"/ALL", "/all", "-All"}) {
    fake::FakePlatform fake;
    fake.firmware.table = Table();
    fake::RunResult result = fake::Run(fake, {"/CSV", "/PCSERIAL", "/TAB", "/BIOS", all});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out.rfind("- SMBBios data v2.7 -\n\nBIOS Information:\n\n", 0), 0u)
        << result.out;
    EXPECT_EQ(result.out.find('"'), std::string::npos);
    EXPECT_EQ(result.out.back(), '\n');
  }
}

}  // namespace
}  // namespace tarnlix
