// The last-resort scan of the BIOS area over the Zw services, on the
// scripted physical memory.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "acquire/raw_table.h"
#include "fake/fake_platform.h"
#include "physical_memory_support.h"
#include "test_support.h"

namespace tarnlix {
namespace {

using test::ExpectCleanSections;
using test::kLoadFailure;

TEST(BiosScan, CallsTheZwServicesWithTheSystemsArguments) {
  fake::FakePlatform fake;
  test::CorpusMachine machine;
  test::InstallMachine(fake.sections, machine);
  ASSERT_TRUE(ScanBiosAreaForSmbiosTable());

  EXPECT_EQ(fake.modules.calls,
            (std::vector<std::string>{"LoadLibraryA ntdll.dll",
                                      "GetProcAddress ZwOpenSection",
                                      "GetProcAddress ZwMapViewOfSection",
                                      "GetProcAddress ZwUnmapViewOfSection"}));
  const fake::FakeSections& s = fake.sections;
  // The BIOS area's view and section are given back before the table's
  // section is opened.
  EXPECT_EQ(s.calls, (std::vector<std::string>{
                         "PublishedEntryPoints",
                         "OpenSection", "MapViewOfSection", "UnmapViewOfSection",
                         "CloseHandle", "OpenSection", "MapViewOfSection",
                         "UnmapViewOfSection", "CloseHandle"}));
  test::ExpectSectionArguments(s, "Zw", {0x440, 0x40}, test::kTableAddress,
                               machine.table.size());
  EXPECT_TRUE(s.initEntries.empty());
  ExpectCleanSections(fake);
}

TEST(BiosScan, SilentFailuresYieldNothing) {
  test::CorpusMachine machine;
  struct Case {
    const char* what;
    void (*script)(fake::FakePlatform&);
  };
  const Case cases[] = {
      {"ntdll cannot be loaded",
       [](fake::FakePlatform& f) { f.modules.missingLibraries = {"ntdll.dll"}; }},
      {"first open fails", [](fake::FakePlatform& f) { f.sections.failOpens = {1}; }},
      {"forced access check refused",
       [](fake::FakePlatform& f) { f.sections.refusedAttributes = {0x440}; }},
      {"BIOS area map fails",
       [](fake::FakePlatform& f) { f.sections.failMaps = {1}; }},
      {"table map fails", [](fake::FakePlatform& f) { f.sections.failMaps = {2}; }},
      {"no memory for the copy",
       [](fake::FakePlatform& f) { f.memory.failAllocation = 1; }},
      // An informational status is not the success a Zw call must report.
      {"informational status",
       [](fake::FakePlatform& f) {
         f.sections.successStatus = fake::kStatusImageNotAtBase;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fake::FakePlatform fake;
    test::InstallMachine(fake.sections, machine);
    c.script(fake);
    fake::RunResult run = fake::Run(fake, {"/PCSERIAL"});
    EXPECT_EQ(run.out, kLoadFailure);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(fake.memory.live(), 0u);
    ExpectCleanSections(fake);
  }
}

TEST(BiosScan, TableSectionThatCannotBeOpenedIsReported) {
  fake::FakePlatform fake;
  fake.sections.failOpens = {2};
  test::CorpusMachine machine;
  test::InstallMachine(fake.sections, machine);
  fake::RunResult run = fake::Run(fake, {"/PCSERIAL"});
  EXPECT_EQ(run.out, "ZWopenS failed\n" + kLoadFailure);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(fake.sections.maps.size(), 1u);
  ExpectCleanSections(fake);
}

class MissingZwEntryPoint : public testing::TestWithParam<const char*> {};

// Without the native services nothing can be read: the run stops with the
// failure exit code, and says why.
TEST_P(MissingZwEntryPoint, EndsTheRunWithFailure) {
  fake::FakePlatform fake;
  fake.modules.missingEntries = {GetParam()};
  test::CorpusMachine machine;
  test::InstallMachine(fake.sections, machine);
  fake::RunResult run = fake::Run(fake, {"/PCSERIAL", "/CRLF"});
  EXPECT_EQ(run.out, "Can't find proc address in NTDLL.DLL");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(fake.sections.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(EachName, MissingZwEntryPoint,
                         testing::Values("ZwOpenSection", "ZwMapViewOfSection",
                                         "ZwUnmapViewOfSection"));

}  // namespace
}  // namespace tarnlix
