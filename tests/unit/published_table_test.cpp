// The table built from what the system shows any user: udev's memory
// properties decoded back through the field rows, whatever the file holds,
// and what the outputs say of a partial inventory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "smbios/identity_table.h"
#include "test_support.h"

namespace tarnlix {
namespace {

class PublishedTable : public ::testing::Test {
 protected:
  void Publish(const std::string& memory) {
    published.texts = {{"/PCNAME", "X1"}, {"/PCSERIAL", std::nullopt}};
    published.udev = memory;
    published.Publish(fake.platform);
    ASSERT_TRUE(reader.Load());
  }
  fake::RunResult Run(const std::vector<std::string>& arguments) {
    fake.system.out.clear();
    fake.system.err.clear();
    return fake::Run(fake, arguments);
  }
  // Every structure's value of a field, "-" for none, separated by "|".
  std::string Values(const char* selector) {
    std::string all;
    const FieldRow& row = *FindField(selector);
    for (size_t i = 0; i < reader.InstanceCount(row.type); ++i) {
      const char* value = reader.Value(row, i);
      all += (i ? "|" : "") + std::string(value ? value : "-");
    }
    return all;
  }
  fake::FakePlatform fake;
  fake::FakePublished published;
  SmbiosReader reader;
};

TEST_F(PublishedTable, PropertiesComeBackAsTheTableHadThem) {
  Publish(
      "E:MEMORY_ARRAY_LOCATION=CXL Add-on Card\n"
      "E:MEMORY_ARRAY_MAX_CAPACITY=4398046511104\n"
      "E:MEMORY_ARRAY_NUM_DEVICES=4\n"
      "E:MEMORY_DEVICE_0_SIZE=34359738368\n"
      "E:MEMORY_DEVICE_0_LOCATOR=DIMM A\n"
      "E:MEMORY_DEVICE_0_BANK_LOCATOR=Not Specified\n"
      "E:MEMORY_DEVICE_0_TYPE=DDR5\n"
      "E:MEMORY_DEVICE_0_TYPE_DETAIL=Synchronous Registered (Buffered) RAMBUS\n"
      "E:MEMORY_DEVICE_0_FORM_FACTOR=<OUT OF SPEC>\n"
      "E:MEMORY_DEVICE_0_SPEED_MTS=70000\n"
      "E:MEMORY_DEVICE_0_CONFIGURED_SPEED_MTS=4800\n"
      "E:MEMORY_DEVICE_0_MANUFACTURER=<BAD INDEX>\n"
      "E:MEMORY_DEVICE_0_CONFIGURED_VOLTAGE=1\n"
      "E:MEMORY_DEVICE_0_RANK=2\n"
      "E:MEMORY_DEVICE_0_SET=Unknown\n"
      "E:MEMORY_DEVICE_0_MEMORY_TECHNOLOGY=Intel Optane persistent memory\n"
      "E:MEMORY_DEVICE_0_MEMORY_OPERATING_MODE_CAPABILITY=Volatile memory Byte-accessible "
      "persistent memory\n"
      "E:MEMORY_DEVICE_0_MODULE_MANUFACTURER_ID=Bank 1, Hex 0x2C\n"
      "E:MEMORY_DEVICE_0_MODULE_PRODUCT_ID=0x1234\n"
      "E:MEMORY_DEVICE_0_LOGICAL_SIZE=3221225472\n"
      "E:MEMORY_DEVICE_2_SIZE=1048576\n"      // a device number skipped
      "E:MEMORY_DEVICE_1_PRESENT=0\n"         // out of order
      "E:MEMORY_DEVICE_1_SIZE=524288\n"       // 512 kB: in kB
      "E:MEMORY_DEVICE_3_SIZE=99999999999999999999999\n");  // past 2^64
  EXPECT_EQ(Values("/MEMARRAYLOCATION"), "CXL Flexbus 1.0");
  EXPECT_EQ(Values("/MEMARRAYUSE"), "System Memory");
  EXPECT_EQ(Values("/MEMARRAYECC"), "None");
  EXPECT_EQ(Values("/MEMARRAYMAX"), "4194304");
  EXPECT_EQ(Values("/MEMARRAYSLOTS"), "4");
  EXPECT_EQ(Values("/MEMSIZE"), "32768|-|1|-");
  EXPECT_EQ(test::Text(reader.Value(*FindField("/MEMTOTAL"))), "32769");
  EXPECT_EQ(Values("/MEMDEVLOC"), "DIMM A|-|-|-");
  EXPECT_EQ(Values("/MEMBANKLOC"), "-|-|-|-");
  EXPECT_EQ(Values("/MEMMAN"), "-|-|-|-");
  EXPECT_EQ(Values("/MEMTYPE"), "DDR5|-|-|-");
  EXPECT_EQ(Values("/MEMTYPEDETAIL"), "RAMBus Synchronous Registered (Buffered)|-|-|-");
  EXPECT_EQ(Values("/MEMFORMFACTOR"), "-|-|-|-");
  EXPECT_EQ(Values("/MEMSPEED"), "70000|-|-|-");
  EXPECT_EQ(Values("/MEMCONFSPEED"), "4800|-|-|-");
  EXPECT_EQ(Values("/MEMCONFVOLTAGE"), "-|-|-|-");
  EXPECT_EQ(Values("/MEMRANK"), "2|-|-|-");
  EXPECT_EQ(Values("/MEMSET"), "-|-|-|-");
  EXPECT_EQ(Values("/MEMTECH"), "Intel Optane DC persistent memory|-|-|-");
  EXPECT_EQ(Values("/MEMMODES"),
            "Volatile memory Byte-accessible persistent memory|-|-|-");
  EXPECT_EQ(Values("/MEMMODULEMAN"), "Bank 1, Hex 0x2C|-|-|-");
  EXPECT_EQ(Values("/MEMMODULEPRODUCT"), "0x1234|-|-|-");
  EXPECT_EQ(Values("/MEMLOGICALSIZE"), "3072|-|-|-");
  EXPECT_EQ(Values("/MEMERRHANDLE"), "-|-|-|-");
  EXPECT_EQ(Values("/MEMTOTALWIDTH"), "-|-|-|-");
  // Handles made of the device numbers: the same at every run.
  std::vector<uint16_t> handles;
  for (size_t i = 0; i < 4; ++i) handles.push_back(reader.Instance(17, i)->handle);
  EXPECT_EQ(handles, (std::vector<uint16_t>{0x1100, 0x1101, 0x1102, 0x1103}));
  EXPECT_EQ(Values("/MEMARRAYHANDLE"), "0x1000|0x1000|0x1000|0x1000");
  EXPECT_EQ(Values("/PCNAME"), "X1");
  EXPECT_EQ(Values("/PCSERIAL"), "-");
  EXPECT_TRUE(reader.Damage().empty()) << reader.Damage();
}

// Whatever the file holds: a table that walks to its end, a clear part of
// what it holds, in memory that does not grow with it.
TEST_F(PublishedTable, AnyFileGivesAWholeTable) {
  struct Case {
    std::string memory;
    size_t devices;
    const char* sizes;
  } cases[] = {
      {"", 0, ""},
      {"garbage\n\x01\x02=\n==\nE:\nE:MEMORY_DEVICE_=1\nE:MEMORY_DEVICE_x_SIZE=1\n"
       "E:MEMORY_DEVICE_1SIZE=1\nE:MEMORY_DEVICE_0_NOSUCH=1\nE:MEMORY_DEVICE_0_SIZE=-1\n",
       1, "-"},
      // The last of a repeated key counts.
      {"MEMORY_DEVICE_0_SIZE=1048576\r\nMEMORY_DEVICE_0_SIZE=2097152\n", 1, "2"},
      {"E:MEMORY_DEVICE_9999_SIZE=1048576\nE:MEMORY_DEVICE_10000_SIZE=1048576\n"
       "E:MEMORY_DEVICE_99999999999999999999999_SIZE=1048576\n", 1, "1"},
      {"E:MEMORY_DEVICE_0_LOCATOR=A\0B\nE:MEMORY_DEVICE_0_SIZE=18446744073709551616\n"
       "E:MEMORY_DEVICE_0_SPEED_MTS=4294967296\n", 1, "-"},
      {std::string(kMaxMemoryPropertiesSize, '\n') + "E:MEMORY_DEVICE_0_SIZE=1048576\n", 0, ""},
  };
  for (const Case& c : cases) {
    Publish(c.memory);
    EXPECT_EQ(reader.InstanceCount(17), c.devices);
    EXPECT_EQ(Values("/MEMSIZE"), c.sizes);
    EXPECT_TRUE(reader.Damage().empty()) << reader.Damage();
  }
  EXPECT_EQ(Values("/PCNAME"), "X1");
  Publish(std::string("E:MEMORY_DEVICE_0_LOCATOR=A\0B\n", 30));
  EXPECT_EQ(Values("/MEMDEVLOC"), "A");

  // Every device number a file may hold, each line repeated.
  std::string many;
  for (int n = 0; n < 10000; ++n) {
    std::string key = "E:MEMORY_DEVICE_" + std::to_string(9999 - n) + "_";
    many += key + "SIZE=1073741824\n" + key + "SIZE=1073741824\n";
  }
  ASSERT_LT(many.size(), kMaxMemoryPropertiesSize);
  Publish(many);
  EXPECT_EQ(reader.InstanceCount(17), 10000u);
  EXPECT_EQ(test::Text(reader.Value(*FindField("/MEMTOTAL"))), "10240000");
}

// A partial inventory says so, and what needs the whole table refuses it.
TEST_F(PublishedTable, OutputsSayTheInventoryIsPartial) {
  Publish("E:MEMORY_DEVICE_0_SIZE=1073741824\n");
  const std::string partial = "- Partial inventory: the whole SMBIOS table needs root -\n\n";
  fake::RunResult all = Run({"/ALL"});
  EXPECT_EQ(all.out.rfind(partial, 0), 0u) << all.out;
  fake::RunResult group = Run({"/MEM"});
  EXPECT_EQ(group.out.rfind(partial + "Memory Device\n", 0), 0u) << group.out;

  fake::RunResult strict = Run({"/STRICT", "/MEMSIZE", "/PCSERIAL"});
  EXPECT_EQ(strict.out, Run({"/MEMSIZE", "/PCSERIAL"}).out);
  EXPECT_EQ(strict.err, "Error: partial inventory: the whole SMBIOS table needs root\n");
  EXPECT_EQ(strict.exitCode, 1);
  EXPECT_EQ(Run({"/MEMSIZE"}).exitCode, 0);

  fake::RunResult json = Run({"/JSON"});
  EXPECT_NE(json.out.find("\n  \"SOURCE\": \"published\",\n  \"PARTIAL\": true,\n"),
            std::string::npos) << json.out;

  fake::RunResult dump = Run({"/DUMP:saved.bin"});
  EXPECT_EQ(dump.out,
            "Error: /DUMP: saves the whole SMBIOS table, and this one is partial: reading it "
            "needs root\n");
  EXPECT_EQ(dump.exitCode, 1);
  EXPECT_EQ(fake.system.files.count("saved.bin"), 0u);
  fake.system.files["baseline.bin"] = test::ReadTestFile("corpus/raw/dell-r630.bin");
  fake::RunResult diff = Run({"/DIFF:baseline.bin"});
  EXPECT_EQ(diff.out,
            "Error: /DIFF: compares the whole SMBIOS table, and this one is partial: reading "
            "it needs root\n");
  EXPECT_EQ(diff.exitCode, 1);
}

}  // namespace
}  // namespace tarnlix
