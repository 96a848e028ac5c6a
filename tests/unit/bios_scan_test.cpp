// The last-resort scan of the BIOS area over the Zw services, on the
// scripted physical memory.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "acquire/raw_table.h"
#include "fake/fake_platform.h"
#include "physical_memory_support.h"
#include "table_builder.h"

namespace tarnlix {
namespace {

const std::string kLoadFailure =
    " \xFE Error: Failed to retrieve BIOS information\n";

std::vector<uint8_t> Bytes(const RawSmbiosTable& table) {
  return std::vector<uint8_t>(table.data, table.data + table.length);
}

void ExpectCleanSections(const fake::FakePlatform& fake) {
  EXPECT_EQ(fake.sections.mappedViews(), 0u);
  EXPECT_EQ(fake.sections.openHandles(), 0u);
  EXPECT_EQ(fake.sections.misuses, 0);
  EXPECT_EQ(fake.memory.mismatchedReleases, 0);
}

struct Placement {
  uint64_t pageSize;
  uint32_t tableAddress;
};

class BiosScanPlacement : public testing::TestWithParam<Placement> {};

// The copy is the table itself, wherever the view begins: not the bytes
// before it that a page-rounded view holds, and not short of its first
// bytes when the table starts the view.
TEST_P(BiosScanPlacement, CopiesExactlyTheTable) {
  fake::FakePlatform fake;
  fake.sections.pageSize = GetParam().pageSize;
  test::CorpusMachine machine;
  const uint32_t address = GetParam().tableAddress;
  test::InstallMachine(fake.sections, machine, test::kEntryPointAddress, address);
  fake.sections.Place(address - 16, std::vector<uint8_t>(16, 0x7F));
  fake.sections.Place(address + machine.table.size(),
                      std::vector<uint8_t>(64, 0x7F));
  {
    RawTablePtr table = ScanBiosAreaForSmbiosTable();
    ASSERT_TRUE(table);
    EXPECT_EQ(table->source, RawTableSource::Scan);
    EXPECT_FALSE(table->hasHeader);
    EXPECT_EQ(Bytes(*table), machine.table);
    EXPECT_EQ(fake.memory.live(), 1u);
  }
  EXPECT_EQ(fake.memory.live(), 0u);
  ExpectCleanSections(fake);

  // With neither the firmware table nor the registry copy, a run reads it.
  fake::RunResult serial = fake::Run(fake, {"/PCSERIAL"});
  EXPECT_EQ(serial.out, machine.serial);
  EXPECT_EQ(serial.exitCode, 0);
  fake.system.out.clear();
  fake::RunResult all = fake::Run(fake, {"/ALL"});
  EXPECT_EQ(all.out.find("SMBBios data"), std::string::npos);  // no version
  EXPECT_NE(all.out.find(machine.serial), std::string::npos);
  ExpectCleanSections(fake);
}

INSTANTIATE_TEST_SUITE_P(
    Views, BiosScanPlacement,
    testing::Values(Placement{1, test::kTableAddress},
                    Placement{4096, test::kTableAddress},
                    Placement{4096, 0x123000}));

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

TEST(BiosScan, UsesTheFirstWholeAnchorInAnyCase) {
  test::CorpusMachine machine;
  const uint16_t length = static_cast<uint16_t>(machine.table.size());
  struct Case {
    const char* what;
    uint32_t offset;  // of the anchor in the BIOS area
    const char* anchor;
    bool found;
  };
  const Case cases[] = {
      {"lower case", 0x5A0, "_sm_", true},
      {"at the first byte", 0, "_SM_", true},
      {"fields end on the last byte", 0xFFFF - 0x1C, "_SM_", true},
      {"in the last 28 bytes", 0xFFFF - 0x1B, "_SM_", false},
      {"in the last 16 bytes", 0xFFFF - 0x10, "_SM_", false},
      {"other letters", 0x5A0, "_SMX", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fake::FakePlatform fake;
    std::vector<uint8_t> ep =
        test::MakeEntryPoint(test::kTableAddress, length, c.anchor);
    if (c.offset + ep.size() > 0xFFFF) ep.resize(0xFFFF - c.offset);
    fake.sections.Place(0xF0000 + c.offset, ep);
    fake.sections.Place(test::kTableAddress, machine.table);
    RawTablePtr table = ScanBiosAreaForSmbiosTable();
    EXPECT_EQ(table != nullptr, c.found);
    if (table) {
      EXPECT_EQ(Bytes(*table), machine.table);
    }
    EXPECT_EQ(fake.sections.maps.size(), c.found ? 2u : 1u);
    EXPECT_EQ(fake.system.out, "");
    ExpectCleanSections(fake);
  }
}

TEST(BiosScan, OnlyTheFirstAnchorIsTried) {
  fake::FakePlatform fake;
  test::CorpusMachine machine;
  const uint16_t length = static_cast<uint16_t>(machine.table.size());
  fake.sections.Place(0xF0100, test::MakeEntryPoint(0x7FFF0000, length));
  test::InstallMachine(fake.sections, machine, 0xF0400);
  EXPECT_FALSE(ScanBiosAreaForSmbiosTable());
  ASSERT_EQ(fake.sections.maps.size(), 2u);
  EXPECT_EQ(fake.sections.maps[1].offset, 0x7FFF0000u);
  ExpectCleanSections(fake);
}

// An empty table is nothing: a view of size 0 would be everything from the
// table's address to the end of memory.
TEST(BiosScan, TableLengthZeroYieldsNothingWithoutMapping) {
  fake::FakePlatform fake;
  fake.sections.Place(0xF0010, test::MakeEntryPoint(test::kTableAddress, 0));
  EXPECT_FALSE(ScanBiosAreaForSmbiosTable());
  EXPECT_EQ(fake.sections.opens.size(), 1u);
  EXPECT_EQ(fake.sections.maps.size(), 1u);
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

// A view shorter than the table yields what it holds, and nothing past it
// is read.
TEST(BiosScan, ShortViewYieldsThePartOfTheTableItHolds) {
  fake::FakePlatform fake;
  fake.sections.maxViewSize = 0x800;
  test::CorpusMachine machine;
  test::InstallMachine(fake.sections, machine, 0xF0010);
  RawTablePtr table = ScanBiosAreaForSmbiosTable();
  ASSERT_TRUE(table);
  EXPECT_EQ(Bytes(*table), std::vector<uint8_t>(machine.table.begin(),
                                                machine.table.begin() + 0x800));
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
