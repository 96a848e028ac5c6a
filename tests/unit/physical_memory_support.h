// Physical memory as firmware leaves it, for the tests of the two
// physical-memory readers: an entry point in the BIOS area and the table it
// points to, taken from a real machine.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "acquire/raw_table.h"
#include "fake/fake_platform.h"

namespace tarnlix::test {

inline std::vector<uint8_t> ReadCorpusFile(const std::string& relative) {
  std::ifstream in(std::string(TARNLIX_TEST_DATA) + "/corpus/" + relative,
                   std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// What the "/DIRECT" read handed over, with its out-parameters.
struct DirectResult {
  RawTablePtr table;
  uint32_t size = 0xDEAD;
  int16_t errorCode = -1;
};

inline DirectResult ReadDirect() {
  DirectResult result;
  result.table = TarnlixDataNT2(&result.size, &result.errorCode);
  return result;
}

// The bytes of a handed-over table, from an offset (8 skips the header).
inline std::vector<uint8_t> Bytes(const RawSmbiosTable& table, size_t from = 0) {
  return std::vector<uint8_t>(table.data + from, table.data + table.length);
}

// Nothing mapped or open is left behind, and nothing was released twice.
inline void ExpectCleanSections(const fake::FakePlatform& fake) {
  EXPECT_EQ(fake.sections.mappedViews(), 0u);
  EXPECT_EQ(fake.sections.openHandles(), 0u);
  EXPECT_EQ(fake.sections.misuses, 0);
  EXPECT_EQ(fake.memory.mismatchedReleases, 0);
}

// A 32-bit entry point (31 bytes) with both checksums right.
inline std::vector<uint8_t> MakeEntryPoint(uint32_t tableAddress,
                                           uint16_t tableLength,
                                           const char* anchor = "_SM_",
                                           uint8_t major = 2,
                                           uint8_t minor = 7) {
  std::vector<uint8_t> ep(0x1F, 0);
  for (int i = 0; i < 4; ++i) ep[i] = static_cast<uint8_t>(anchor[i]);
  ep[0x05] = 0x1F;
  ep[0x06] = major;
  ep[0x07] = minor;
  const char dmi[] = "_DMI_";
  for (int i = 0; i < 5; ++i) ep[0x10 + i] = static_cast<uint8_t>(dmi[i]);
  ep[0x16] = static_cast<uint8_t>(tableLength);
  ep[0x17] = static_cast<uint8_t>(tableLength >> 8);
  for (int i = 0; i < 4; ++i) {
    ep[0x18 + i] = static_cast<uint8_t>(tableAddress >> (8 * i));
  }
  uint8_t sum = 0;
  for (size_t i = 0x10; i < 0x1F; ++i) sum = static_cast<uint8_t>(sum + ep[i]);
  ep[0x15] = static_cast<uint8_t>(ep[0x15] - sum);
  sum = 0;
  for (uint8_t byte : ep) sum = static_cast<uint8_t>(sum + byte);
  ep[0x04] = static_cast<uint8_t>(ep[0x04] - sum);
  return ep;
}

// A 64-bit entry point (24 bytes) with its checksum right.
inline std::vector<uint8_t> MakeEntryPoint3(uint64_t tableAddress,
                                            uint32_t maximumSize,
                                            const char* anchor = "_SM3_",
                                            uint8_t major = 3,
                                            uint8_t minor = 2) {
  std::vector<uint8_t> ep(0x18, 0);
  for (int i = 0; i < 5; ++i) ep[i] = static_cast<uint8_t>(anchor[i]);
  ep[0x06] = 0x18;
  ep[0x07] = major;
  ep[0x08] = minor;
  ep[0x0A] = 1;  // entry point revision
  for (int i = 0; i < 4; ++i) {
    ep[0x0C + i] = static_cast<uint8_t>(maximumSize >> (8 * i));
  }
  for (int i = 0; i < 8; ++i) {
    ep[0x10 + i] = static_cast<uint8_t>(tableAddress >> (8 * i));
  }
  uint8_t sum = 0;
  for (uint8_t byte : ep) sum = static_cast<uint8_t>(sum + byte);
  ep[0x05] = static_cast<uint8_t>(ep[0x05] - sum);
  return ep;
}

// A machine whose dump begins with its own entry point (version 2.7) and
// holds the table right after it.
struct CorpusMachine {
  CorpusMachine() {
    std::vector<uint8_t> file = ReadCorpusFile("raw/toshiba-satellite-pro-l70.bin");
    if (file.size() < 0x20) return;
    table.assign(file.begin() + 0x20, file.end());
  }
  std::vector<uint8_t> table;
  uint8_t major = 2;
  uint8_t minor = 7;
  std::string serial = "XD198915C";  // its /PCSERIAL
};

// Where the tests put things in physical memory. The table's address is
// not on a page boundary, as on most machines.
constexpr uint32_t kEntryPointAddress = 0xF0000 + 0x5A0;
constexpr uint32_t kTableAddress = 0x123456;

// Places the machine's table and an entry point pointing to it.
inline void InstallMachine(fake::FakeSections& memory,
                           const CorpusMachine& machine,
                           uint32_t entryPointAddress = kEntryPointAddress,
                           uint32_t tableAddress = kTableAddress) {
  memory.Place(entryPointAddress,
               MakeEntryPoint(tableAddress,
                              static_cast<uint16_t>(machine.table.size()),
                              "_SM_", machine.major, machine.minor));
  memory.Place(tableAddress, machine.table);
}

// The two opens and two maps of a read (the BIOS area, then the table) ask
// for the physical-memory section read-only and map shared read-only views
// into this process. family is "Nt" or "Zw"; attributes are those of the two
// opens.
inline void ExpectSectionArguments(const fake::FakeSections& s,
                                   const std::string& family,
                                   const uint32_t (&attributes)[2],
                                   uint64_t tableAddress, size_t tableSize) {
  ASSERT_EQ(s.opens.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const fake::OpenCall& open = s.opens[i];
    EXPECT_EQ(open.entry, family + "OpenSection");
    EXPECT_EQ(open.access, 4u);
    EXPECT_EQ(open.length, 24u);
    EXPECT_EQ(open.attributes, attributes[i]);
    EXPECT_FALSE(open.hasRootDirectory);
    EXPECT_FALSE(open.hasSecurity);
    EXPECT_EQ(open.name, u"\\device\\physicalmemory");
    EXPECT_EQ(open.nameLength, 44);
    EXPECT_EQ(open.nameMaximumLength, 46);
  }
  ASSERT_EQ(s.maps.size(), 2u);
  const uint64_t offsets[] = {0xF0000, tableAddress};
  const size_t lengths[] = {0xFFFF, tableSize};
  for (size_t i = 0; i < 2; ++i) {
    const fake::MapCall& map = s.maps[i];
    EXPECT_EQ(map.entry, family + "MapViewOfSection");
    EXPECT_EQ(map.process, kCurrentProcess);
    EXPECT_TRUE(map.baseWasNone);
    EXPECT_EQ(map.zeroBits, 0u);
    EXPECT_EQ(map.offset, offsets[i]);
    EXPECT_EQ(map.commitSize, lengths[i]);
    EXPECT_EQ(map.viewSize, lengths[i]);
    EXPECT_EQ(map.inheritDisposition, 1u);
    EXPECT_EQ(map.allocationType, 0u);
    EXPECT_EQ(map.protection, 2u);
  }
  const std::string unmap = family + "UnmapViewOfSection";
  EXPECT_EQ(s.unmapEntries, (std::vector<std::string>{unmap, unmap}));
  EXPECT_EQ(s.unmapProcesses, (std::vector<uintptr_t>{kCurrentProcess, kCurrentProcess}));
}

}  // namespace tarnlix::test
