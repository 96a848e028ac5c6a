// The Linux backend's sources of the table and Linux's order of them, and
// its file reads, on prepared files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "acquire/bytes.h"
#include "acquire/raw_table.h"
#include "physical_memory_support.h"
#include "platform/linux/linux_platform.h"
#include "test_support.h"

namespace tarnlix {
namespace {

using linux_backend::LinuxIdentity;
using linux_backend::LinuxSystem;
using linux_backend::LinuxTables;

using test::TempDir;

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

TEST(LinuxBackend, SysfsTableGetsTheVersionFromTheEntryPoint) {
  std::vector<uint8_t> table =
      test::BareTable({test::Bios("LinuxBIOS", "1", "2"), test::EndOfTable()});
  std::string sm3(0x18, '\0');
  std::memcpy(sm3.data(), "_SM3_", 5);
  sm3[7] = 3, sm3[8] = 6, sm3[9] = 1;
  std::string sm2(0x1F, '\0');
  std::memcpy(sm2.data(), "_SM_", 4);
  sm2[6] = 2, sm2[7] = 8;
  std::string legacy(0x0F, '\0');
  std::memcpy(legacy.data(), "_DMI_", 5);
  legacy[0x0E] = 0x24;
  struct Case {
    std::string entryPoint;
    uint8_t major, minor, revision;
  } cases[] = {{sm3, 3, 6, 1}, {sm2, 2, 8, 0}, {legacy, 2, 4, 0}, {"junk", 0, 0, 0}};
  for (const Case& c : cases) {
    TempDir dir;
    dir.Write("DMI", Bytes(table));
    dir.Write("smbios_entry_point", c.entryPoint);
    fake::FakePlatform fake;
    LinuxTables tables(dir.path());
    fake.platform.linuxTables = &tables;
    RawTablePtr read = ReadSysfsSmbiosTable();
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->length, table.size() + 8);
    EXPECT_TRUE(read->hasHeader);
    EXPECT_EQ(read->data[0], 0);
    EXPECT_EQ(read->data[1], c.major);
    EXPECT_EQ(read->data[2], c.minor);
    EXPECT_EQ(read->data[3], c.revision);
    EXPECT_EQ(ReadLe32(read->data + 4), table.size());
    EXPECT_TRUE(std::equal(table.begin(), table.end(), read->data + 8));
  }
  TempDir unreadable;
  fake::FakePlatform fake;
  LinuxTables none(unreadable.path());
  fake.platform.linuxTables = &none;
  EXPECT_EQ(ReadSysfsSmbiosTable(), nullptr);
}

// What /STRICT holds an entry point to: a 64-bit one's length is a maximum
// (a table longer than it is damaged, a shorter one is not), a 32-bit one's
// count and length are exact.
TEST(LinuxBackend, StrictChecksWhatTheEntryPointPromises) {
  std::vector<uint8_t> table =
      test::BareTable({test::Bios("LinuxBIOS", "1", "2"), test::EndOfTable()});
  const uint32_t size = static_cast<uint32_t>(table.size());
  auto sm3 = [](uint32_t maximum) {
    std::string ep(0x18, '\0');
    std::memcpy(ep.data(), "_SM3_", 5);
    ep[7] = 3;
    WriteLe32(reinterpret_cast<uint8_t*>(ep.data()) + 0x0C, maximum);
    return ep;
  };
  auto sm2 = [](uint16_t length, uint16_t count) {
    std::string ep(0x1F, '\0');
    std::memcpy(ep.data(), "_SM_", 4);
    ep[6] = 2, ep[7] = 8;
    std::memcpy(ep.data() + 0x16, &length, 2);
    std::memcpy(ep.data() + 0x1C, &count, 2);
    return ep;
  };
  const uint16_t length = static_cast<uint16_t>(size);
  const struct {
    std::string entryPoint;
    std::string damage;
  } cases[] = {
      {sm3(size), ""},
      {sm3(size + 100), ""},
      {sm3(size - 1), "the table's structures occupy " + std::to_string(size) +
                          " bytes; its entry point announces at most " + std::to_string(size - 1)},
      {sm2(length, 2), ""},
      {sm2(length, 3), "the table holds 2 structures up to its end; its entry point announces 3"},
      {sm2(length + 200, 2), "the table's structures occupy " + std::to_string(size) +
                                 " bytes; its entry point announces " + std::to_string(size + 200)},
  };
  for (const auto& c : cases) {
    TempDir dir;
    dir.Write("DMI", Bytes(table));
    dir.Write("smbios_entry_point", c.entryPoint);
    fake::FakePlatform fake;
    LinuxTables tables(dir.path(), dir.Path("mem"), dir.Path("systab"));
    fake.platform.linuxTables = &tables;
    SmbiosReader reader;
    ASSERT_TRUE(reader.Load());
    EXPECT_EQ(reader.Damage(), c.damage);
  }
}

TEST(LinuxBackend, TableIsRebuiltFromTheIdentityFilesWhenNoSourceOfTheWholeTableReads) {
  TempDir dir;
  dir.Write("bios_vendor", "Phoenix\n");
  dir.Write("bios_version", "1.2\n");
  dir.Write("bios_date", "03/15/2012\n");
  dir.Write("sys_vendor", "LENOVO\n");
  dir.Write("product_name", "20HRCTO1WW\n");
  dir.Write("product_version", "ThinkPad X1\n");
  dir.Write("product_family", "ThinkPad\n");
  dir.Write("board_vendor", "LENOVO\n");
  dir.Write("board_name", "20HRCTO1WW\n");
  dir.Write("chassis_type", "10\n");
  dir.Write("chassis_vendor", "LENOVO\n");
  dir.Write("board_asset_tag", "\n");  // empty: absent
  dir.Write("product_uuid", "4c4c4544-0039-3010-8048-b7c04f384432\n");
  // product_serial is missing, as for a user without root.

  fake::FakePlatform fake;
  LinuxTables none(dir.Path("tables"), dir.Path("mem"), dir.Path("systab"));
  LinuxIdentity identity(dir.path(), dir.Path("udev"));
  fake.platform.linuxTables = &none;
  fake.platform.identity = &identity;
  SmbiosReader reader;
  ASSERT_TRUE(reader.Load());
  EXPECT_EQ(reader.rawTable->source, RawTableSource::Published);
  EXPECT_TRUE(reader.Partial());
  EXPECT_EQ(reader.versionMajor, 0);
  EXPECT_EQ(test::Text(reader.GetFirmwareVendor()), "Phoenix");
  EXPECT_EQ(test::Text(reader.GetFirmwareDate()), "03/15/2012");
  EXPECT_EQ(test::Text(reader.GetSystemManufacturer()), "LENOVO");
  EXPECT_EQ(test::Text(reader.GetSystemProductName()), "20HRCTO1WW");
  EXPECT_EQ(test::Text(reader.GetSystemVersion()), "ThinkPad X1");
  EXPECT_EQ(reader.GetSystemSerial(), nullptr);
  EXPECT_EQ(test::Text(reader.GetSystemFamily()), "ThinkPad");
  EXPECT_EQ(test::Text(reader.GetSystemUuid()), "4C4C4544-0039-3010-8048-B7C04F384432");
  EXPECT_EQ(test::Text(reader.GetBoardProductName()), "20HRCTO1WW");
  EXPECT_EQ(reader.GetBoardAssetTag(), nullptr);
  EXPECT_EQ(test::Text(reader.GetEnclosureType()), "Notebook");
  EXPECT_EQ(reader.recordCount(), 5u);

  // The structures are as long as the fields the system keeps need.
  EXPECT_EQ(reader.Instance(0, 0)->length, 0x09);
  EXPECT_EQ(reader.Instance(1, 0)->length, 0x1B);
  EXPECT_EQ(reader.Value(*FindField("/BIOSROMSIZE")), nullptr) << "no size the system did not give";

  LinuxIdentity missing(dir.path() + "/nowhere");
  EXPECT_TRUE(missing.ReadIdentity().empty());

  // The releases where the kernel gives them (no other byte of the longer
  // structure reads as a value), and udev's memory devices where it keeps
  // them; a file of udev's past a MB is left out whole.
  dir.Write("bios_release", "1.17\n");
  std::string udev = dir.Write("udev", "I:1\nE:MEMORY_DEVICE_0_SIZE=8589934592\n"
                                       "E:MEMORY_DEVICE_0_LOCATOR=DIMM A\nE:MEMORY_ARRAY_NUM_DEVICES=1\n");
  LinuxIdentity withMemory(dir.path(), udev);
  fake.platform.identity = &withMemory;
  ASSERT_TRUE(reader.Load());
  EXPECT_EQ(reader.Instance(0, 0)->length, 0x1A);
  EXPECT_EQ(test::Text(reader.Value(*FindField("/BIOSREV"))), "1.17");
  for (const char* none : {"/ECREV", "/BIOSROMSIZE", "/BIOSADDRESS", "/BIOSCHARS"}) {
    EXPECT_EQ(reader.Value(*FindField(none)), nullptr) << none;
  }
  EXPECT_EQ(test::Text(reader.Value(*FindField("/MEMDEVLOC"))), "DIMM A");
  EXPECT_EQ(test::Text(reader.Value(*FindField("/MEMTOTAL"))), "8192");
  dir.Write("udev", std::string((1 << 20) + 1, '\n') + "E:MEMORY_DEVICE_0_SIZE=8589934592\n");
  ASSERT_TRUE(reader.Load());
  EXPECT_EQ(reader.InstanceCount(17), 0u);
  EXPECT_EQ(test::Text(reader.Value(*FindField("/BIOSREV"))), "1.17");
}

// Linux's order, each source laid out or missing: sysfs, then physical
// memory, then the identity files; "/DIRECT" reads memory alone. Windows'
// services are never asked.
TEST(LinuxBackend, SourcesAreTriedInLinuxsOrder) {
  auto tableOf = [](const char* vendor) {
    return test::BareTable({test::Bios(vendor, "1", "2"), test::EndOfTable()});
  };
  TempDir dir;
  std::filesystem::create_directory(dir.Path("tables"));
  std::filesystem::create_directory(dir.Path("id"));
  std::vector<uint8_t> sysfs = tableOf("sysfs");
  dir.Write("tables/DMI", Bytes(sysfs));
  std::vector<uint8_t> memory = tableOf("memory");
  std::vector<uint8_t> image(test::kTableAddress + memory.size(), 0);
  std::vector<uint8_t> ep =
      test::MakeEntryPoint(test::kTableAddress, static_cast<uint16_t>(memory.size()));
  std::copy(ep.begin(), ep.end(), image.begin() + test::kEntryPointAddress);
  std::copy(memory.begin(), memory.end(), image.begin() + test::kTableAddress);
  dir.Write("mem", Bytes(image));
  dir.Write("id/bios_vendor", "identity\n");

  struct Case {
    const char* what;
    bool sysfs, memory, identity, direct;
    const char* vendor;  // null: no table
    RawTableSource source;
    std::string out;
  } cases[] = {
      {"every source", true, true, true, false, "sysfs", RawTableSource::Firmware, ""},
      {"no sysfs copy", false, true, true, false, "memory", RawTableSource::Scan, ""},
      {"only identity", false, false, true, false, "identity", RawTableSource::Published, ""},
      {"nothing", false, false, false, false, nullptr, RawTableSource::File, ""},
      {"direct", true, true, true, true, "memory", RawTableSource::Direct, ""},
      {"direct without memory", true, false, true, true, nullptr, RawTableSource::File,
       "Error: TarnlixDataNT2() failed (Error 1)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fake::FakePlatform fake;
    LinuxTables tables(dir.Path(c.sysfs ? "tables" : "none"), dir.Path(c.memory ? "mem" : "none"),
                       dir.Path("systab"));
    LinuxIdentity identity(dir.Path(c.identity ? "id" : "none"), dir.Path("udev"));
    fake.platform.linuxTables = &tables;
    fake.platform.identity = &identity;
    SmbiosReader reader;
    if (c.direct) reader.SetDirectRead();
    ASSERT_EQ(reader.Load(), c.vendor != nullptr);
    EXPECT_EQ(fake.system.out, c.out);
    EXPECT_TRUE(fake.modules.calls.empty());
    EXPECT_TRUE(fake.registry.calls.empty());
    EXPECT_EQ(fake.firmware.calls, 0);
    if (c.vendor == nullptr) continue;
    EXPECT_EQ(reader.tableSource, c.source);
    EXPECT_EQ(test::Text(reader.GetFirmwareVendor()), c.vendor);
  }
}

// udev's record is read whole up to its limit, and never waited on.
TEST(LinuxBackend, UdevMemoryRecordIsReadBounded) {
  TempDir dir;
  const std::string small = "E:MEMORY_DEVICE_0_SIZE=8589934592\n";
  dir.Write("small", small);
  ASSERT_EQ(::mkfifo(dir.Path("fifo").c_str(), 0600), 0);
  {
    std::ofstream big(dir.Path("big"), std::ios::binary);
    big.seekp(100 * 1024 * 1024 - 1);
    big.put('\n');
  }
  struct Case {
    const char* name;
    bool readable, truncated;
    size_t size;
  } cases[] = {
      {"small", true, false, small.size()},
      {"big", true, true, kUdevMemoryDataLimit},
      {"fifo", false, false, 0},
      {"absent", false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UdevMemoryData data = LinuxIdentity(dir.path(), dir.Path(c.name)).ReadUdevMemoryData();
    EXPECT_EQ(data.readable, c.readable);
    EXPECT_EQ(data.truncated, c.truncated);
    EXPECT_EQ(data.bytes.size(), c.size);
  }
}

TEST(LinuxBackend, FileReadsNeverBlockOrRunAway) {
  LinuxSystem system;
  TempDir dir;
  std::string file = dir.Write("table.bin", "abcdef");
  FileReadResult whole = system.ReadFile(file, 16);
  EXPECT_TRUE(whole.ok);
  EXPECT_EQ(Bytes(whole.bytes), "abcdef");
  EXPECT_FALSE(whole.overLimit);

  FileReadResult over = system.ReadFile(file, 4);
  EXPECT_TRUE(over.ok);
  EXPECT_TRUE(over.overLimit);

  FileReadResult directory = system.ReadFile(dir.path(), 16);
  EXPECT_FALSE(directory.ok);
  EXPECT_EQ(directory.reason, "Is a directory");

  FileReadResult missing = system.ReadFile(dir.path() + "/none", 16);
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.reason, "No such file or directory");

  // A FIFO nobody writes to reads as empty at once.
  std::string fifo = dir.path() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  FileReadResult pipe = system.ReadFile(fifo, 16);
  EXPECT_TRUE(pipe.ok);
  EXPECT_TRUE(pipe.bytes.empty());

  // An endless device stops at the limit.
  FileReadResult zero = system.ReadFile("/dev/zero", 1 << 20);
  EXPECT_TRUE(zero.ok);
  EXPECT_TRUE(zero.overLimit);
  EXPECT_EQ(zero.bytes.size(), 1u << 20);
}

TEST(LinuxBackend, ReplacingAFileLeavesNoTemporaryBehind) {
  LinuxSystem system;
  TempDir dir;
  std::string target = dir.Write("dump.bin", "old");
  std::string reason;
  const uint8_t data[] = {1, 2, 3};
  ASSERT_TRUE(system.WriteFileReplacing(target, data, sizeof data, &reason)) << reason;
  FileReadResult read = system.ReadFile(target, 16);
  EXPECT_EQ(read.bytes, std::vector<uint8_t>(data, data + 3));
  auto entries = std::filesystem::directory_iterator(dir.path());
  EXPECT_EQ(std::distance(begin(entries), end(entries)), 1);
  EXPECT_FALSE(system.WriteFileReplacing(dir.path() + "/no/such/dir/x", data, 3, &reason));
  EXPECT_EQ(reason, "No such file or directory");
}

}  // namespace
}  // namespace tarnlix
