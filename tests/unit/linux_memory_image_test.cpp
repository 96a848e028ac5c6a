// Both physical-memory reads of Linux's order ("/DIRECT" and the default
// order's read of memory) on the memory device, over a memory image in a
// file.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "acquire/physical_memory.h"
#include "acquire/raw_table.h"
#include "fake/fake_platform.h"
#include "physical_memory_support.h"
#include "platform/linux/linux_platform.h"
#include "test_support.h"

namespace tarnlix {
namespace {

using test::Bytes;

struct DirectResult {
  RawTablePtr table;
  int16_t errorCode = 0;
};

DirectResult ReadDirect() {
  DirectResult result;
  result.table = ReadDevMemSmbiosTable(RawTableSource::Direct, &result.errorCode);
  return result;
}

RawTablePtr ReadMemory() {
  int16_t errorCode = 0;
  return ReadDevMemSmbiosTable(RawTableSource::Scan, &errorCode);
}

class MemoryImage : public testing::Test {
 protected:
  // An image of imageSize bytes (holes read as zero) with the bytes placed.
  void WriteImage(uint64_t imageSize,
                  const std::vector<std::pair<uint64_t, std::vector<uint8_t>>>& parts) {
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    for (const auto& [address, bytes] : parts) {
      ASSERT_EQ(std::fseek(file, static_cast<long>(address), SEEK_SET), 0);
      ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    }
    ASSERT_EQ(::ftruncate(::fileno(file), static_cast<off_t>(imageSize)), 0);
    std::fclose(file);
  }

  static size_t OpenDescriptors() {
    size_t count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
      while (::readdir(dir) != nullptr) ++count;
      ::closedir(dir);
    }
    return count;
  }

  test::TempDir dir_;
  const std::string path_ = dir_.Path("memory");
  const std::string systab_ = dir_.Path("systab");  // absent unless a test writes it
  fake::FakePlatform fake_;
};

// Both readers, through the real device layer: the table's address is not
// on a page boundary, so the mapping really is rounded down.
TEST_F(MemoryImage, BothReadersReturnExactlyTheTable) {
  test::CorpusMachine machine;
  const uint16_t length = static_cast<uint16_t>(machine.table.size());
  WriteImage(test::kTableAddress + length + 100,
             {{test::kEntryPointAddress, test::MakeEntryPoint(test::kTableAddress, length)},
              {test::kTableAddress, machine.table}});
  linux_backend::LinuxTables device(dir_.Path("tables"), path_, systab_);
  fake_.platform.linuxTables = &device;
  size_t descriptors = OpenDescriptors();

  DirectResult direct = ReadDirect();
  ASSERT_TRUE(direct.table) << direct.errorCode;
  EXPECT_EQ(direct.table->data[1], 2);
  EXPECT_EQ(direct.table->data[2], 7);
  EXPECT_EQ(Bytes(*direct.table, 8), machine.table);

  RawTablePtr scan = ReadMemory();
  ASSERT_TRUE(scan);
  EXPECT_EQ(scan->source, RawTableSource::Scan);
  EXPECT_EQ(scan->data[1], 2) << "with the entry point's version";
  EXPECT_EQ(scan->data[2], 7);
  EXPECT_EQ(Bytes(*scan, 8), machine.table);
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

// A table said to run past the end of the image is refused rather than
// mapped: reading such a mapping would kill the process.
TEST_F(MemoryImage, TablePastTheEndOfTheImageIsRefused) {
  const uint32_t imageSize = 0x101000;
  WriteImage(imageSize,
             {{test::kEntryPointAddress,
               test::MakeEntryPoint(imageSize - 0x100, 0x2000)}});
  linux_backend::LinuxTables device(dir_.Path("tables"), path_, systab_);
  fake_.platform.linuxTables = &device;
  size_t descriptors = OpenDescriptors();
  DirectResult direct = ReadDirect();
  EXPECT_FALSE(direct.table);
  EXPECT_EQ(direct.errorCode, 4);
  EXPECT_FALSE(ReadMemory());
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

// No device, or something that is not memory: the open fails at once.
TEST_F(MemoryImage, MissingDeviceOrFifoFailsTheOpen) {
  ASSERT_EQ(::mkfifo(dir_.Path("fifo").c_str(), 0600), 0);
  for (const std::string& path : {dir_.Path("absent"), dir_.Path("fifo")}) {
    SCOPED_TRACE(path);
    linux_backend::LinuxTables device(dir_.Path("tables"), path, systab_);
    fake_.platform.linuxTables = &device;
    DirectResult direct = ReadDirect();
    EXPECT_FALSE(direct.table);
    EXPECT_EQ(direct.errorCode, 1);
    EXPECT_FALSE(ReadMemory());
  }
}

// A UEFI machine: only a 64-bit entry point, found in the BIOS area or where
// the kernel says it is, and its table above 4 GiB (the image is sparse).
TEST_F(MemoryImage, BothReadersFollowA64BitEntryPointAbove4GiB) {
  test::CorpusMachine machine;
  const uint32_t n = static_cast<uint32_t>(machine.table.size());
  const uint64_t table = 0x100000000ull + test::kTableAddress;
  const uint64_t published = 0x7B6E2010;
  struct Case {
    const char* what;
    uint64_t entryPoint;
    const char* systab;  // null: no such file
  };
  const Case cases[] = {
      {"in the BIOS area", test::kEntryPointAddress, nullptr},
      {"published", published, "ACPI20=0x7b7fe014\nSMBIOS3=0x7b6e2010\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove(systab_.c_str());
    if (c.systab != nullptr) dir_.Write("systab", c.systab);
    // The 32-bit reading of the address finds a table with other strings.
    std::vector<uint8_t> decoy = test::BareTable(
        {test::SystemInfo({"Wrong", "Wrong", "Wrong", "Wrong"}), test::EndOfTable()});
    WriteImage(table + n + 0x1000,
               {{c.entryPoint, test::MakeEntryPoint3(table, n + 0x800)},
                {test::kTableAddress, decoy},
                {table, machine.table}});
    linux_backend::LinuxTables device(dir_.Path("tables"), path_, systab_);
    fake_.platform.linuxTables = &device;
    size_t descriptors = OpenDescriptors();

    DirectResult direct = ReadDirect();
    ASSERT_TRUE(direct.table) << direct.errorCode;
    EXPECT_EQ(direct.table->data[1], 3);
    EXPECT_EQ(direct.table->data[2], 2);
    EXPECT_EQ(Bytes(*direct.table, 8), machine.table);
    RawTablePtr scan = ReadMemory();
    ASSERT_TRUE(scan);
    EXPECT_EQ(Bytes(*scan, 8), machine.table);
    EXPECT_EQ(OpenDescriptors(), descriptors);
  }
}

// What the kernel's system-table file yields: the 64-bit entry point's
// address first, and never a part of an address.
TEST_F(MemoryImage, SystabGivesTheEntryPointAddresses) {
  struct Case {
    const char* what;
    std::string text;  // empty: no file
    std::vector<uint64_t> addresses;
  };
  const Case cases[] = {
      {"both", "ACPI20=0x7b7fe014\nACPI=0x7b7fe000\nSMBIOS=0x7b6e3000\n"
               "SMBIOS3=0x7B6E1000\n",
       {0x7B6E1000, 0x7B6E3000}},
      {"32-bit only, no line end", "SMBIOS=0xf0010", {0xF0010}},
      {"64-bit address", "SMBIOS3=0xffffffff00001000\n", {0xFFFFFFFF00001000}},
      {"garbage",
       "SMBIOS3=banana\nSMBIOS=0x\nSMBIOS=f0010\nSMBIOS3=0x12345678901234567\n"
       "SMBIOS=0x1000 0x2000\nXSMBIOS3=0x1000\n",
       {}},
      {"longer than the kernel writes", "SMBIOS3=0x1000\n" + std::string(5000, '#'),
       {}},
      {"missing", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove(systab_.c_str());
    if (!c.text.empty()) dir_.Write("systab", c.text);
    EXPECT_EQ(linux_backend::LinuxTables("", path_, systab_).PublishedEntryPoints(),
              c.addresses);
  }
  // A FIFO in its place is not waited on.
  ASSERT_EQ(::mkfifo(dir_.Path("fifo").c_str(), 0600), 0);
  EXPECT_TRUE(linux_backend::LinuxTables("", path_, dir_.Path("fifo"))
                  .PublishedEntryPoints()
                  .empty());
}

}  // namespace
}  // namespace tarnlix
