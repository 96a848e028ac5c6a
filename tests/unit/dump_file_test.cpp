// Saved tables: dumps that begin with an entry point, the raw header form,
// bare tables, and the files that cannot be read.
#include <gtest/gtest.h>

#include <cstring>

#include "acquire/raw_table.h"
#include "smbios/bytes.h"
#include "test_support.h"

namespace tarnlix {
namespace {

using test::BareTable;
using test::Text;

const char kLoadFailure[] = " \xFE Error: Failed to retrieve BIOS information\n";

std::vector<uint8_t> SampleTable() {
  return BareTable({test::Bios("AMI", "F.10", "05/06/2019"),
                    test::SystemInfo({"HP", "EliteBook", "1.0", "CZC123"}),
                    test::EndOfTable()});
}

// A dump as "--dump-bin" writes it: the entry point, padding, then the table
// at 0x20.
std::vector<uint8_t> Smbios3Dump(const std::vector<uint8_t>& table,
                                 uint32_t announced, uint64_t address = 0x20) {
  std::vector<uint8_t> file(0x20, 0);
  std::memcpy(file.data(), "_SM3_", 5);
  file[6] = 0x18;
  file[7] = 3;
  file[8] = 4;
  file[9] = 1;
  WriteLe32(file.data() + 0x0C, announced);
  WriteLe64(file.data() + 0x10, address);
  file.insert(file.end(), table.begin(), table.end());
  return file;
}

std::vector<uint8_t> Smbios2Dump(const std::vector<uint8_t>& table) {
  std::vector<uint8_t> file(0x20, 0);
  std::memcpy(file.data(), "_SM_", 4);
  file[6] = 2;
  file[7] = 8;
  std::memcpy(file.data() + 0x10, "_DMI_", 5);
  WriteLe16(file.data() + 0x16, static_cast<uint16_t>(table.size()));
  WriteLe32(file.data() + 0x18, 0x20);
  file.insert(file.end(), table.begin(), table.end());
  return file;
}

struct Loaded {
  fake::FakePlatform fake;
  SmbiosReader reader;
  bool ok = false;
};

void LoadFile(Loaded& loaded, const std::vector<uint8_t>& bytes) {
  loaded.fake.system.files["table.bin"] = bytes;
  loaded.reader.SetSourceFile("table.bin");
  loaded.ok = loaded.reader.Load();
}

TEST(DumpFile, EntryPointDumpsGiveTheTableAndItsVersion) {
  std::vector<uint8_t> table = SampleTable();
  {
    Loaded l;
    LoadFile(l, Smbios3Dump(table, static_cast<uint32_t>(table.size())));
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.reader.versionMajor, 3);
    EXPECT_EQ(l.reader.versionMinor, 4);
    EXPECT_EQ(Text(l.reader.GetSystemSerial()), "CZC123");
    EXPECT_EQ(l.reader.recordCount(), 3u);
  }
  {
    Loaded l;
    LoadFile(l, Smbios2Dump(table));
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.reader.versionMajor, 2);
    EXPECT_EQ(l.reader.versionMinor, 8);
    EXPECT_EQ(Text(l.reader.GetFirmwareVendor()), "AMI");
  }
  {
    // The legacy entry point carries its version as one BCD byte.
    std::vector<uint8_t> file(0x20, 0);
    std::memcpy(file.data(), "_DMI_", 5);
    WriteLe16(file.data() + 0x06, static_cast<uint16_t>(table.size()));
    WriteLe32(file.data() + 0x08, 0x20);
    file[0x0E] = 0x21;
    file.insert(file.end(), table.begin(), table.end());
    Loaded l;
    LoadFile(l, file);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.reader.versionMajor, 2);
    EXPECT_EQ(l.reader.versionMinor, 1);
    EXPECT_EQ(Text(l.reader.GetSystemProductName()), "EliteBook");
  }
}

TEST(DumpFile, TableRunsForTheAnnouncedLengthOrToTheEndOfTheFile) {
  std::vector<uint8_t> table = SampleTable();
  {
    // The 64-bit entry point gives only a maximum; real dumps are shorter.
    Loaded l;
    LoadFile(l, Smbios3Dump(table, 0x10000));
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.reader.rawTable->length, table.size() + 8);
  }
  {
    // Bytes after the announced length are not part of the table.
    std::vector<uint8_t> file = Smbios3Dump(table, 0x18);
    Loaded l;
    LoadFile(l, file);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.reader.rawTable->length, 0x18u + 8);
    EXPECT_EQ(l.reader.GetSystemManufacturer(), nullptr);
  }
}

TEST(DumpFile, HeaderFormAndBareTablesAreRecognised) {
  std::vector<uint8_t> table = SampleTable();
  {
    Loaded l;
    LoadFile(l, test::HeaderForm(table, 3, 2));
    ASSERT_TRUE(l.ok);
    EXPECT_TRUE(l.reader.rawTable->hasHeader);
    EXPECT_EQ(l.reader.versionMajor, 3);
    EXPECT_EQ(l.reader.versionMinor, 2);
    EXPECT_EQ(Text(l.reader.GetSystemSerial()), "CZC123");
  }
  {
    Loaded l;
    LoadFile(l, table);
    ASSERT_TRUE(l.ok);
    EXPECT_FALSE(l.reader.rawTable->hasHeader);
    EXPECT_EQ(l.reader.versionMajor, 0);
    EXPECT_EQ(Text(l.reader.GetSystemSerial()), "CZC123");
  }
}

TEST(DumpFile, OnlyTheFileIsTried) {
  fake::FakePlatform fake;
  fake.firmware.table = test::HeaderForm(SampleTable());
  fake::RunResult result = fake::Run(fake, {"/from:missing.bin", "/PCNAME"});
  EXPECT_EQ(result.out,
            "Error: cannot read SMBIOS table from missing.bin: No such file or "
            "directory\n" + std::string(kLoadFailure));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(fake.firmware.calls, 0);
  EXPECT_TRUE(fake.registry.calls.empty());
}

TEST(DumpFile, FilesThatCannotHoldATableAreRefusedWithAReason) {
  std::vector<uint8_t> table = SampleTable();
  std::vector<uint8_t> cutEntry = Smbios2Dump(table);
  cutEntry.resize(0x1B);
  std::vector<uint8_t> addressAtEnd = Smbios3Dump({}, 0x100, 0x20);
  std::vector<uint8_t> addressWraps = Smbios3Dump(table, 0x100, ~uint64_t{0} - 8);
  std::vector<uint8_t> huge(16u * 1024u * 1024u + 1, 0);
  struct Case {
    std::vector<uint8_t> bytes;
    const char* reason;
  } cases[] = {
      {{}, "the file is empty"},
      {cutEntry, "the entry point is cut short"},
      {{'_', 'S', 'M', '3', '_'}, "the entry point is cut short"},
      {addressAtEnd, "the table address lies past the end of the file"},
      {addressWraps, "the table address lies past the end of the file"},
      {huge, "the file is larger than 16 MiB"},
  };
  for (const Case& c : cases) {
    fake::FakePlatform fake;
    fake.system.files["t.bin"] = c.bytes;
    fake::RunResult result = fake::Run(fake, {"-FROM:t.bin", "/ALL"});
    EXPECT_EQ(result.out, "Error: cannot read SMBIOS table from t.bin: " +
                              std::string(c.reason) + "\n" + kLoadFailure);
    EXPECT_EQ(result.exitCode, 1) << c.reason;
    EXPECT_EQ(fake.memory.live(), 0u);
  }

  fake::FakePlatform fake;
  fake.system.unreadable["dir"] = "Is a directory";
  fake::RunResult result = fake::Run(fake, {"/FROM:dir", "/PCNAME"});
  EXPECT_EQ(result.out, "Error: cannot read SMBIOS table from dir: Is a directory\n" +
                            std::string(kLoadFailure));
}

TEST(DumpFile, SavedTableReadsBackWithItsVersion) {
  fake::FakePlatform fake;
  fake.firmware.table = test::HeaderForm(SampleTable(), 2, 8);
  fake::RunResult saved = fake::Run(fake, {"-dump:saved.bin", "/PCSERIAL"});
  EXPECT_EQ(saved.out, "CZC123");
  EXPECT_EQ(saved.exitCode, 0);
  const std::vector<uint8_t>& file = fake.system.files["saved.bin"];
  ASSERT_EQ(file.size(), 0x20 + SampleTable().size());
  uint8_t sum = 0;
  for (size_t i = 0; i < 0x18; ++i) sum = static_cast<uint8_t>(sum + file[i]);
  EXPECT_EQ(sum, 0) << "entry point checksum";
  EXPECT_EQ(std::string(file.begin(), file.begin() + 5), "_SM3_");
  EXPECT_EQ(file[0x07], 2);
  EXPECT_EQ(file[0x08], 8);
  EXPECT_EQ(ReadLe64(file.data() + 0x10), 0x20u);
  EXPECT_EQ(ReadLe32(file.data() + 0x0C), SampleTable().size());

  fake.system.out.clear();
  fake::RunResult again = fake::Run(fake, {"/FROM:saved.bin", "/ALL"});
  EXPECT_EQ(again.out.rfind("- SMBBios data v2.8 -\n\n", 0), 0u);
  EXPECT_NE(again.out.find("CZC123"), std::string::npos);
}

TEST(DumpFile, ASaveThatFailsEndsTheRunBeforeAnyValue) {
  fake::FakePlatform fake;
  fake.firmware.table = test::HeaderForm(SampleTable());
  fake.system.writeFailure = "Permission denied";
  fake::RunResult result = fake::Run(fake, {"/PCSERIAL", "/DUMP:/ro/t.bin"});
  EXPECT_EQ(result.out, "Error: cannot write /ro/t.bin: Permission denied\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(fake.memory.live(), 0u);
}

TEST(DumpFile, RealDumpsOfEveryLayout) {
  struct Dump {
    const char* file;
    int major;
    int minor;
    const char* vendor;
  } dumps[] = {
      {"corpus/raw/toshiba-satellite-pro-l70.bin", 2, 7, "Insyde Corp."},
      {"corpus/raw/beelink-eq12.bin", 3, 5, "American Megatrends International, LLC."},
      {"corpus/raw/laptop-rsmb-3.2.bin", 3, 2, nullptr},
      {"corpus/raw/hyperv.bin", 0, 0, "American Megatrends Inc."},
  };
  for (const Dump& dump : dumps) {
    Loaded l;
    LoadFile(l, test::ReadTestFile(dump.file));
    ASSERT_TRUE(l.ok) << dump.file;
    EXPECT_EQ(l.reader.versionMajor, dump.major) << dump.file;
    EXPECT_EQ(l.reader.versionMinor, dump.minor) << dump.file;
    if (dump.vendor != nullptr) {
      EXPECT_EQ(Text(l.reader.GetFirmwareVendor()), dump.vendor) << dump.file;
    }
  }
}

}  // namespace
}  // namespace tarnlix
