// Which source the table comes from, and how each table is released.
#include <gtest/gtest.h>

#include <algorithm>

#include "acquire/raw_table.h"
#include "test_support.h"

namespace tarnlix {
namespace {

using fake::FakeMemory;
using test::BareTable;
using test::HeaderForm;

const char kSubKey[] = "SYSTEM\\CurrentControlSet\\Services\\mssmbios\\Data";

std::vector<uint8_t> TableNamed(const std::string& vendor) {
  return HeaderForm(BareTable({test::Bios(vendor, "1.0", "01/02/2003")}));
}

TEST(Acquire, FirmwareServiceComesFirstAndItsTableIsReleasedAfterTheWalk) {
  fake::FakePlatform fake;
  fake.firmware.table = TableNamed("firmware");
  fake.registry.value = TableNamed("registry");
  SmbiosReader reader;
  ASSERT_TRUE(reader.Load());
  EXPECT_EQ(test::Text(reader.GetFirmwareVendor()), "firmware");
  EXPECT_EQ(fake.modules.calls,
            (std::vector<std::string>{"LoadLibraryA Kernel32.dll",
                                      "GetProcAddress GetSystemFirmwareTable",
                                      "FreeLibrary Kernel32.dll"}));
  EXPECT_EQ(fake.firmware.calls, 2) << "a size query, then the fetch";
  EXPECT_TRUE(fake.registry.calls.empty());
  EXPECT_EQ(reader.rawTable, nullptr);
  EXPECT_EQ(fake.memory.allocations[FakeMemory::Heap], 1);
  EXPECT_EQ(fake.memory.releases[FakeMemory::Heap], 1);
  reader.Release();
  EXPECT_EQ(fake.memory.releases[FakeMemory::Heap], 1) << "released once";
  EXPECT_EQ(fake.memory.mismatchedReleases, 0);
}

TEST(Acquire, EachFirmwareFailureFallsThroughToTheRegistrySilently) {
  struct Case {
    const char* name;
    void (*arrange)(fake::FakePlatform&);
  } cases[] = {
      {"kernel32 cannot be loaded",
       [](fake::FakePlatform& f) { f.modules.missingLibraries.insert("Kernel32.dll"); }},
      {"no firmware-table service",
       [](fake::FakePlatform& f) { f.modules.missingEntries.insert("GetSystemFirmwareTable"); }},
      {"size query answers 0", [](fake::FakePlatform& f) { f.firmware.sizeAnswer = 0; }},
      {"fetch fails", [](fake::FakePlatform& f) { f.firmware.fetchAnswer = 0; }},
      {"buffer cannot be allocated", [](fake::FakePlatform& f) { f.memory.failAllocation = 1; }},
  };
  for (const Case& c : cases) {
    fake::FakePlatform fake;
    fake.firmware.table = TableNamed("firmware");
    fake.registry.value = TableNamed("registry");
    c.arrange(fake);
    fake::RunResult result = fake::Run(fake, {"/BIOSVENDOR"});
    EXPECT_EQ(result.out, "registry") << c.name;
    EXPECT_EQ(result.exitCode, 0) << c.name;
    EXPECT_EQ(fake.modules.loaded, 0) << c.name << ": library released";
    EXPECT_EQ(fake.memory.live(), 0u) << c.name << ": nothing left allocated";
    EXPECT_EQ(fake.memory.mismatchedReleases, 0) << c.name;
  }
}

TEST(Acquire, RegistryValueIsReadWholeAndReleasedWithItsOwnAllocator) {
  for (size_t extra : {size_t{0}, size_t{4088}, size_t{4089}, size_t{20000}}) {
    fake::FakePlatform fake;
    fake.modules.missingEntries.insert("GetSystemFirmwareTable");
    // Pad the table so the value is exactly the size under test.
    std::vector<uint8_t> value = TableNamed("registry");
    value.resize(std::max(value.size(), extra + 8), 0);
    fake.registry.value = value;
    {
      SmbiosReader reader;
      ASSERT_TRUE(reader.Load()) << value.size();
      EXPECT_EQ(test::Text(reader.GetFirmwareVendor()), "registry");
      ASSERT_NE(reader.rawTable, nullptr);
      EXPECT_EQ(reader.rawTable->source, RawTableSource::Registry);
      EXPECT_EQ(reader.rawTable->length, value.size());
      EXPECT_EQ(fake.memory.releases[FakeMemory::ByteString], 0)
          << "kept until the reader is released";
      reader.Release();
    }
    EXPECT_EQ(fake.memory.live(), 0u);
    EXPECT_EQ(fake.memory.mismatchedReleases, 0);
    EXPECT_EQ(fake.registry.openKeys, 0) << "the key is closed";
    ASSERT_FALSE(fake.registry.calls.empty());
    EXPECT_EQ(fake.registry.calls.front(),
              "RegOpenKeyExA 2147483650 " + std::string(kSubKey) + " 0 131097");
  }
}

TEST(Acquire, RegistryValueThatGrowsBetweenQueriesIsStillReadWhole) {
  fake::FakePlatform fake;
  fake.modules.missingEntries.insert("GetSystemFirmwareTable");
  fake.registry.value = TableNamed("registry");
  fake.registry.growAfterSizeQuery = 5000;
  SmbiosReader reader;
  ASSERT_TRUE(reader.Load());
  EXPECT_EQ(reader.rawTable->length, fake.registry.value->size());
  EXPECT_EQ(test::Text(reader.GetFirmwareVendor()), "registry");
}

TEST(Acquire, HeaderFormShorterThanItsHeaderHoldsNoStructures) {
  for (size_t size : {size_t{0}, size_t{1}, size_t{2}, size_t{7}, size_t{8}}) {
    std::vector<uint8_t> table = {0, 2, 7, 0, 0, 0, 0, 0};
    table.resize(size);
    fake::FakePlatform fake;
    fake.modules.missingEntries.insert("GetSystemFirmwareTable");
    fake.registry.value = table;
    SmbiosReader reader;
    EXPECT_TRUE(reader.Load()) << size;
    EXPECT_EQ(reader.recordCount(), 0u) << size;
    EXPECT_EQ(reader.versionMajor, size > 1 ? 2 : 0) << size;
  }
}

}  // namespace
}  // namespace tarnlix
