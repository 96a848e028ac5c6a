// The "/DIRECT" read: the table from physical memory over the Nt services,
// on the scripted memory; and what it shares with the scan: the entry-point
// forms and the addresses the system publishes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "acquire/physical_memory.h"
#include "acquire/raw_table.h"
#include "fake/fake_platform.h"
#include "physical_memory_support.h"
#include "test_support.h"

namespace tarnlix {
namespace {

using test::Bytes;
using test::DirectResult;
using test::ExpectCleanSections;
using test::kLoadFailure;
using test::ReadDirect;

TEST(DirectRead, CallsTheNtServicesWithTheSystemsArguments) {
  fake::FakePlatform fake;
  test::CorpusMachine machine;
  test::InstallMachine(fake.sections, machine);
  ASSERT_TRUE(ReadDirect().table);

  // Each block read looks the four entry points up again in the loaded
  // ntdll, and never loads or frees a module.
  std::vector<std::string> lookups;
  for (const char* name : {"RtlInitUnicodeString", "NtUnmapViewOfSection",
                           "NtOpenSection", "NtMapViewOfSection"}) {
    lookups.push_back("GetModuleHandleA ntdll.dll");
    lookups.push_back(std::string("GetProcAddress ") + name);
  }
  std::vector<std::string> expected = lookups;
  expected.insert(expected.end(), lookups.begin(), lookups.end());
  EXPECT_EQ(fake.modules.calls, expected);

  const fake::FakeSections& s = fake.sections;
  EXPECT_EQ(s.calls, (std::vector<std::string>{
                         "PublishedEntryPoints",
                         "RtlInitUnicodeString", "OpenSection",
                         "MapViewOfSection", "UnmapViewOfSection", "CloseHandle",
                         "RtlInitUnicodeString", "OpenSection",
                         "MapViewOfSection", "UnmapViewOfSection",
                         "CloseHandle"}));
  EXPECT_EQ(s.initEntries, (std::vector<std::string>{"RtlInitUnicodeString",
                                                     "RtlInitUnicodeString"}));
  test::ExpectSectionArguments(s, "Nt", {0x40, 0x40}, test::kTableAddress,
                               machine.table.size());
  ExpectCleanSections(fake);
}

TEST(DirectRead, FailuresGiveTheirErrorCodes) {
  test::CorpusMachine machine;
  struct Case {
    const char* what;
    void (*script)(fake::FakePlatform&);
    int16_t errorCode;
    size_t maps;  // views asked for
  };
  const Case cases[] = {
      {"section cannot be opened",
       [](fake::FakePlatform& f) { f.sections.noSection = true; }, 1, 0},
      {"BIOS area cannot be mapped",
       [](fake::FakePlatform& f) { f.sections.failMaps = {1}; }, 1, 1},
      {"table section cannot be opened",
       [](fake::FakePlatform& f) { f.sections.failOpens = {2}; }, 4, 1},
      {"table cannot be mapped",
       [](fake::FakePlatform& f) { f.sections.failMaps = {2}; }, 4, 2},
      {"no memory for the BIOS area copy",
       [](fake::FakePlatform& f) { f.memory.failAllocation = 1; }, 1, 1},
      {"no memory for the table copy",
       [](fake::FakePlatform& f) { f.memory.failAllocation = 2; }, 4, 2},
      {"no memory for the handed-over table",
       [](fake::FakePlatform& f) { f.memory.failAllocation = 3; }, 4, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fake::FakePlatform fake;
    test::InstallMachine(fake.sections, machine);
    c.script(fake);
    DirectResult direct = ReadDirect();
    EXPECT_FALSE(direct.table);
    EXPECT_EQ(direct.errorCode, c.errorCode);
    EXPECT_EQ(direct.size, 0u);
    EXPECT_EQ(fake.sections.maps.size(), c.maps);
    EXPECT_EQ(fake.system.out, "");
    EXPECT_EQ(fake.memory.live(), 0u);
    ExpectCleanSections(fake);
  }
}

// An informational status is not an error for the Nt services.
TEST(DirectRead, NonNegativeStatusesCountAsSuccess) {
  fake::FakePlatform fake;
  fake.sections.successStatus = fake::kStatusImageNotAtBase;
  test::CorpusMachine machine;
  test::InstallMachine(fake.sections, machine);
  DirectResult direct = ReadDirect();
  ASSERT_TRUE(direct.table);
  EXPECT_EQ(Bytes(*direct.table, 8), machine.table);
  ExpectCleanSections(fake);
}

TEST(DirectRead, UnopenableMemoryFailsTheRunWithoutTryingOtherSources) {
  fake::FakePlatform fake;
  fake.sections.noSection = true;
  test::CorpusMachine machine;
  fake.firmware.table = test::HeaderForm(machine.table);
  fake.registry.value = test::HeaderForm(machine.table);

  fake::RunResult run = fake::Run(fake, {"/DIRECT", "/PCNAME"});
  EXPECT_EQ(run.out, "Error: TarnlixDataNT2() failed (Error 1)\n" + kLoadFailure);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(fake.firmware.calls, 0);
  EXPECT_TRUE(fake.registry.calls.empty());
  for (const std::string& call : fake.modules.calls) {
    EXPECT_NE(call, "LoadLibraryA ntdll.dll");  // the scan is not tried
  }
  ExpectCleanSections(fake);
}

class MissingNtEntryPoint : public testing::TestWithParam<const char*> {};

TEST_P(MissingNtEntryPoint, IsReportedAndFailsWithCode1) {
  fake::FakePlatform fake;
  fake.modules.missingEntries = {GetParam()};
  test::CorpusMachine machine;
  test::InstallMachine(fake.sections, machine);
  fake.firmware.table = test::HeaderForm(machine.table);

  fake::RunResult run = fake::Run(fake, {"/DIRECT", "/PCNAME"});
  EXPECT_EQ(run.out,
            "GetMemoryBlock LocateNtDllEntryPoints() error...\n"
            "Error: TarnlixDataNT2() failed (Error 1)\n" + kLoadFailure);
  EXPECT_EQ(run.exitCode, 1);
  // The lookups stop at the missing one, and nothing is opened.
  ASSERT_FALSE(fake.modules.calls.empty());
  EXPECT_EQ(fake.modules.calls.back(), std::string("GetProcAddress ") + GetParam());
  EXPECT_EQ(fake.sections.calls,
            std::vector<std::string>{"PublishedEntryPoints"});
}

INSTANTIATE_TEST_SUITE_P(EachName, MissingNtEntryPoint,
                         testing::Values("RtlInitUnicodeString",
                                         "NtUnmapViewOfSection", "NtOpenSection",
                                         "NtMapViewOfSection"));

TEST(DirectRead, IsNotAttemptedOnTheWindows9xFamily) {
  fake::FakePlatform fake;
  fake.system.version = 0xC0000A04;
  fake.firmware.table = test::HeaderForm(test::BareTable(
      {test::Bios("Vendor", "1.0", "01/01/2001"), test::EndOfTable()}));
  fake::RunResult run = fake::Run(fake, {"/DIRECT", "/BIOSVER"});
  EXPECT_EQ(run.out, "1.0");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(fake.sections.calls.empty());
}

// ---------------------------------------------------------------------------
// Both readers find the same entry point the same way; each case runs both on
// the same scripted memory.

using Script = std::function<void(fake::FakeSections&)>;

struct ReaderExpectation {
  std::vector<uint8_t> table;  // empty: nothing is handed over
  uint8_t major = 0;           // the version the direct read carries
  uint8_t minor = 0;
  std::vector<uint64_t> maps;  // addresses of the views asked for, in order
};

// The addresses of the views asked for; every view was asked of a section
// opened for it alone.
std::vector<uint64_t> MapOffsets(const fake::FakeSections& sections) {
  EXPECT_EQ(sections.opens.size(), sections.maps.size());
  std::vector<uint64_t> offsets;
  for (const fake::MapCall& map : sections.maps) offsets.push_back(map.offset);
  return offsets;
}

void ExpectBothReaders(const Script& script, const ReaderExpectation& want) {
  {
    SCOPED_TRACE("direct read");
    fake::FakePlatform fake;
    script(fake.sections);
    DirectResult direct = ReadDirect();
    EXPECT_EQ(direct.table != nullptr, !want.table.empty());
    if (direct.table) {
      EXPECT_EQ(direct.table->source, RawTableSource::Direct);
      EXPECT_TRUE(direct.table->hasHeader);
      EXPECT_EQ(Bytes(*direct.table, 8), want.table);
      EXPECT_EQ(direct.table->data[1], want.major);
      EXPECT_EQ(direct.table->data[2], want.minor);
      EXPECT_EQ(direct.size, direct.table->length);
      EXPECT_EQ(fake.memory.live(), 1u);  // only the handed-over table
    } else {
      EXPECT_EQ(direct.errorCode, 4);
      EXPECT_EQ(direct.size, 0u);
    }
    EXPECT_EQ(MapOffsets(fake.sections), want.maps);
    EXPECT_EQ(fake.system.out, "");
    direct.table.reset();
    EXPECT_EQ(fake.memory.live(), 0u);
    ExpectCleanSections(fake);
  }
  {
    SCOPED_TRACE("scan");
    fake::FakePlatform fake;
    script(fake.sections);
    RawTablePtr scan = ScanBiosAreaForSmbiosTable();
    EXPECT_EQ(scan != nullptr, !want.table.empty());
    if (scan) {
      EXPECT_EQ(scan->source, RawTableSource::Scan);
      EXPECT_FALSE(scan->hasHeader);
      EXPECT_EQ(Bytes(*scan), want.table);
      EXPECT_EQ(fake.memory.live(), 1u);
    }
    EXPECT_EQ(MapOffsets(fake.sections), want.maps);
    EXPECT_EQ(fake.system.out, "");
    scan.reset();
    EXPECT_EQ(fake.memory.live(), 0u);
    ExpectCleanSections(fake);
  }
}

// The copy is the table itself, wherever the view begins: not the bytes
// before it that a page-rounded view holds, not the bytes after it, and not
// short of its first bytes when the table starts the view.
TEST(MemoryReaders, CopyExactlyTheTableWhereverTheViewBegins) {
  static const test::CorpusMachine machine;
  ASSERT_EQ(machine.table.size(), 3054u);
  struct Case {
    uint64_t pageSize;
    uint32_t tableAddress;
  };
  for (const Case& c : {Case{1, test::kTableAddress}, Case{4096, test::kTableAddress},
                        Case{4096, 0x123000}}) {
    SCOPED_TRACE(testing::Message() << "page " << c.pageSize << ", table at "
                                    << std::hex << c.tableAddress);
    ExpectBothReaders(
        [&c](fake::FakeSections& m) {
          m.pageSize = c.pageSize;
          test::InstallMachine(m, machine, test::kEntryPointAddress, c.tableAddress);
          m.Place(c.tableAddress - 16, std::vector<uint8_t>(16, 0x7F));
          m.Place(c.tableAddress + machine.table.size(), std::vector<uint8_t>(64, 0x7F));
        },
        {machine.table, 2, 7, {0xF0000, c.tableAddress}});
  }
}

// "/DIRECT" reads memory and nothing else, and the report carries the entry
// point's version. Without it memory is the last resort, after the firmware
// service and the registry copy, and the scanned table has no version.
TEST(MemoryReaders, ARunTakesTheTableFromMemory) {
  fake::FakePlatform fake;
  fake.sections.pageSize = 4096;
  test::CorpusMachine machine;
  test::InstallMachine(fake.sections, machine);
  auto run = [&fake](const std::vector<std::string>& arguments) {
    fake.system.out.clear();
    return fake::Run(fake, arguments);
  };

  fake::RunResult serial = run({"/DIRECT", "/PCSERIAL"});
  EXPECT_EQ(serial.out, machine.serial);
  EXPECT_EQ(serial.exitCode, 0);
  fake::RunResult all = run({"/DIRECT", "/ALL"});
  EXPECT_EQ(all.out.rfind("- SMBBios data v2.7 -\n\n", 0), 0u) << all.out;
  EXPECT_EQ(fake.firmware.calls, 0);

  serial = run({"/PCSERIAL"});
  EXPECT_EQ(serial.out, machine.serial);
  EXPECT_EQ(serial.exitCode, 0);
  all = run({"/ALL"});
  EXPECT_EQ(all.out.find("SMBBios data"), std::string::npos);  // no version
  EXPECT_NE(all.out.find(machine.serial), std::string::npos);
  ExpectCleanSections(fake);
}

// Where the 32-bit anchor is, how it is written, which one counts, and what
// of its table is copied.
TEST(MemoryReaders, FollowTheFirstWhole32BitEntryPoint) {
  static const test::CorpusMachine machine;
  static const uint16_t n = static_cast<uint16_t>(machine.table.size());
  constexpr uint32_t kTable = test::kTableAddress;
  const std::vector<uint8_t>& table = machine.table;
  const std::vector<uint8_t> none;
  struct Case {
    const char* what;
    uint32_t offset;  // of the anchor in the BIOS area
    const char* anchor;
    ReaderExpectation want;
  };
  const Case cases[] = {
      {"lower case", 0x5A0, "_sm_", {table, 2, 7, {0xF0000, kTable}}},
      {"mixed case", 0x5A0, "_Sm_", {table, 2, 7, {0xF0000, kTable}}},
      {"at the first byte", 0, "_SM_", {table, 2, 7, {0xF0000, kTable}}},
      {"fields end on the last byte", 0xFFFF - 0x1C, "_SM_",
       {table, 2, 7, {0xF0000, kTable}}},
      {"in the last 28 bytes", 0xFFFF - 0x1B, "_SM_", {none, 0, 0, {0xF0000}}},
      {"in the last 16 bytes", 0xFFFF - 0x10, "_SM_", {none, 0, 0, {0xF0000}}},
      {"last possible byte", 0xFFFF - 4, "_SM_", {none, 0, 0, {0xF0000}}},
      {"other letters", 0x5A0, "_SN_", {none, 0, 0, {0xF0000}}},
      {"other last letter", 0x5A0, "_SMX", {none, 0, 0, {0xF0000}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectBothReaders(
        [&c](fake::FakeSections& m) {
          std::vector<uint8_t> ep = test::MakeEntryPoint(kTable, n, c.anchor);
          // Cut at the end of the BIOS area: the bytes beyond are not in it.
          if (c.offset + ep.size() > 0xFFFF) ep.resize(0xFFFF - c.offset);
          m.Place(0xF0000 + c.offset, ep);
          m.Place(kTable, machine.table);
        },
        c.want);
  }

  struct Other {
    const char* what;
    Script script;
    ReaderExpectation want;
  };
  const Other others[] = {
      // The first entry point points at memory that cannot be mapped; the
      // second would have worked.
      {"only the first anchor is tried",
       [](fake::FakeSections& m) {
         m.Place(0xF0100, test::MakeEntryPoint(0x7FFF0000, n));
         test::InstallMachine(m, machine, 0xF0400);
       },
       {none, 0, 0, {0xF0000, 0x7FFF0000}}},
      // An empty table is nothing: a view of size 0 would be everything from
      // the table's address to the end of memory.
      {"table length 0",
       [](fake::FakeSections& m) { m.Place(0xF0010, test::MakeEntryPoint(kTable, 0)); },
       {none, 0, 0, {0xF0000}}},
      // A platform may give a shorter view than asked for: what it holds of
      // the table is used, and nothing past it is read.
      {"a view shorter than the table",
       [](fake::FakeSections& m) {
         m.maxViewSize = 0x800;
         test::InstallMachine(m, machine, 0xF0010);
       },
       {std::vector<uint8_t>(table.begin(), table.begin() + 0x800), 2, 7,
        {0xF0000, kTable}}},
  };
  for (const Other& c : others) {
    SCOPED_TRACE(c.what);
    ExpectBothReaders(c.script, c.want);
  }
}

TEST(MemoryReaders, FindTheSmbios3EntryPointWhenTheBiosAreaHasNoOther) {
  static const test::CorpusMachine machine;
  static const uint32_t n = static_cast<uint32_t>(machine.table.size());
  constexpr uint32_t kEntry = test::kEntryPointAddress;  // a 16-byte boundary
  constexpr uint32_t kTable = test::kTableAddress;
  // Cut to 32 bits this is kTable: a read there would look right.
  constexpr uint64_t kHighTable = 0x100000000ull + kTable;
  const std::vector<uint8_t>& table = machine.table;
  const std::vector<uint8_t> none;

  struct Case {
    const char* what;
    Script script;
    ReaderExpectation want;
  };
  const Case cases[] = {
      {"only a 64-bit entry point",
       [](fake::FakeSections& m) {
         m.Place(kEntry, test::MakeEntryPoint3(kTable, n));
         m.Place(kTable, machine.table);
       },
       {table, 3, 2, {0xF0000, kTable}}},
      {"its anchor in lower case",
       [](fake::FakeSections& m) {
         m.Place(kEntry, test::MakeEntryPoint3(kTable, n, "_sm3_"));
         m.Place(kTable, machine.table);
       },
       {table, 3, 2, {0xF0000, kTable}}},
      {"a 32-bit entry point above it is used instead",
       [](fake::FakeSections& m) {
         m.Place(kEntry, test::MakeEntryPoint3(0x200000, n));
         m.Place(kEntry + 0x100,
                 test::MakeEntryPoint(kTable, static_cast<uint16_t>(n)));
         m.Place(kTable, machine.table);
       },
       {table, 2, 7, {0xF0000, kTable}}},
      {"off a 16-byte boundary",
       [](fake::FakeSections& m) {
         m.Place(kEntry + 8, test::MakeEntryPoint3(kTable, n));
         m.Place(kTable, machine.table);
       },
       {none, 0, 0, {0xF0000}}},
      {"on the last boundary with room for its fields",
       [](fake::FakeSections& m) {
         m.Place(0xF0000 + 0xFFE0, test::MakeEntryPoint3(kTable, n));
         m.Place(kTable, machine.table);
       },
       {table, 3, 2, {0xF0000, kTable}}},
      {"cut by the end of the BIOS area",
       [](fake::FakeSections& m) {
         std::vector<uint8_t> ep = test::MakeEntryPoint3(kTable, n);
         ep.resize(0xFFFF - 0xFFF0);
         m.Place(0xF0000 + 0xFFF0, ep);
         m.Place(kTable, machine.table);
       },
       {none, 0, 0, {0xF0000}}},
      {"maximum size 0",
       [](fake::FakeSections& m) {
         m.Place(kEntry, test::MakeEntryPoint3(kTable, 0));
         m.Place(kTable, machine.table);
       },
       {none, 0, 0, {0xF0000}}},
      // The view then holds what follows the table: another structure that
      // must not become part of it.
      {"maximum size beyond the end-of-table structure",
       [](fake::FakeSections& m) {
         m.Place(kEntry, test::MakeEntryPoint3(kTable, n + 0x200));
         m.Place(kTable, machine.table);
         m.Place(kTable + n,
                 test::BareTable({test::SystemInfo({"After", "The", "End"})}));
         m.Place(kTable + n + 0x1FF, {0xAA});
       },
       {table, 3, 2, {0xF0000, kTable}}},
      // A bogus maximum must not become a 4 GiB view.
      {"maximum size 4 GiB",
       [](fake::FakeSections& m) {
         m.Place(kEntry, test::MakeEntryPoint3(kTable, 0xFFFFFFFF));
         m.Place(kTable, machine.table);
         m.memorySize = kTable + 0x1000000;
       },
       {table, 3, 2, {0xF0000, kTable}}},
      {"table above 4 GiB",
       [](fake::FakeSections& m) {
         m.Place(kEntry, test::MakeEntryPoint3(kHighTable, n));
         m.Place(kHighTable, machine.table);
       },
       {table, 3, 2, {0xF0000, kHighTable}}},
      {"table above 4 GiB where nothing can be mapped",
       [](fake::FakeSections& m) {
         m.Place(kEntry, test::MakeEntryPoint3(kHighTable, n));
         m.Place(kTable, machine.table);
       },
       {none, 0, 0, {0xF0000, kHighTable}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectBothReaders(c.script, c.want);
  }
}

// Where the system says the entry point is, that one is read first; the BIOS
// area (which here points to the same table at kTableAddress) is the
// fallback.
TEST(MemoryReaders, TryThePublishedEntryPointsBeforeTheBiosArea) {
  static const test::CorpusMachine machine;
  static const uint32_t n = static_cast<uint32_t>(machine.table.size());
  constexpr uint64_t kSmbios3 = 0x7B6E2010;  // inside a page
  constexpr uint64_t kSmbios = 0x7B6E3020;
  constexpr uint64_t kTable = 0x7B6E4000;
  constexpr uint64_t kUnmapped = 0x1000000000000ull;
  const std::vector<uint8_t>& table = machine.table;
  const std::vector<uint64_t> kFromBiosArea = {0xF0000, test::kTableAddress};

  struct Case {
    const char* what;
    Script script;
    ReaderExpectation want;
  };
  const Case cases[] = {
      {"the 64-bit entry point",
       [](fake::FakeSections& m) {
         m.publishedEntryPoints = {kSmbios3};
         m.Place(kSmbios3, test::MakeEntryPoint3(kTable, n));
       },
       {table, 3, 2, {kSmbios3, kTable}}},
      {"the 32-bit entry point",
       [](fake::FakeSections& m) {
         m.publishedEntryPoints = {kSmbios};
         m.Place(kSmbios, test::MakeEntryPoint(static_cast<uint32_t>(kTable),
                                               static_cast<uint16_t>(n), "_SM_",
                                               2, 8));
       },
       {table, 2, 8, {kSmbios, kTable}}},
      {"the first address holds none, the second does",
       [](fake::FakeSections& m) {
         m.publishedEntryPoints = {kSmbios3, kSmbios};
         m.Place(kSmbios, test::MakeEntryPoint(static_cast<uint32_t>(kTable),
                                               static_cast<uint16_t>(n)));
       },
       {table, 2, 7, {kSmbios3, kSmbios, kTable}}},
      {"the address holds no entry point",
       [](fake::FakeSections& m) {
         m.publishedEntryPoints = {kSmbios3};
         m.Place(kSmbios3 + 0x40, test::MakeEntryPoint3(kTable, n));
       },
       {table, 2, 7, {kSmbios3, 0xF0000, test::kTableAddress}}},
      {"the address cannot be mapped",
       [](fake::FakeSections& m) { m.publishedEntryPoints = {kUnmapped}; },
       {table, 2, 7, {kUnmapped, 0xF0000, test::kTableAddress}}},
      {"nothing published", [](fake::FakeSections&) {}, {table, 2, 7, kFromBiosArea}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectBothReaders(
        [&](fake::FakeSections& m) {
          m.pageSize = 4096;
          test::InstallMachine(m, machine);
          m.Place(kTable, machine.table);
          c.script(m);
        },
        c.want);
  }
}

}  // namespace
}  // namespace tarnlix
