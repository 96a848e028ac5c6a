// Saved tables: dumps that begin with an entry point, the raw header form,
// bare tables, and the files that cannot be read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "acquire/bytes.h"
#include "acquire/raw_table.h"
#include "test_support.h"

namespace tarnlix {
namespace {

using test::BareTable;
using test::kLoadFailure;
using test::Text;

std::vector<uint8_t> SampleTable() {
  return BareTable({test::Bios("AMI", "F.10", "05/06/2019"),
                    test::SystemInfo({"HP", "EliteBook", "1.0", "CZC123"}),
                    test::EndOfTable()});
}

// A dump as "--dump-bin" writes it: an entry point with the given anchor
// ("_SM3_" for version 3.4, "_SM_" for 2.8, "_DMI_" for 2.1), padding, then
// the table at 0x20. The table's length and address are what the entry
// point says, whatever the table holds.
std::vector<uint8_t> Dump(const std::string& anchor, const std::vector<uint8_t>& table,
                          uint32_t length, uint64_t address = 0x20) {
  std::vector<uint8_t> file(0x20, 0);
  std::copy(anchor.begin(), anchor.end(), file.begin());
  if (anchor == "_SM3_") {
    file[6] = 0x18;
    file[7] = 3;
    file[8] = 4;
    file[9] = 1;
    WriteLe32(&file[0x0C], length);
    WriteLe64(&file[0x10], address);
  } else if (anchor == "_SM_") {
    file[6] = 2;
    file[7] = 8;
    std::memcpy(&file[0x10], "_DMI_", 5);
    WriteLe16(&file[0x16], static_cast<uint16_t>(length));
    WriteLe32(&file[0x18], static_cast<uint32_t>(address));
  } else {
    // The legacy entry point carries its version as one BCD byte.
    file[0x0E] = 0x21;
    WriteLe16(&file[0x06], static_cast<uint16_t>(length));
    WriteLe32(&file[0x08], static_cast<uint32_t>(address));
  }
  file.insert(file.end(), table.begin(), table.end());
  return file;
}

const char* const kAnchors[] = {"_SM3_", "_SM_", "_DMI_"};

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

// A whole run on the file saved as "dump.bin"; nothing may stay allocated.
fake::RunResult RunOnFile(const std::vector<uint8_t>& file, const std::string& selector) {
  fake::FakePlatform fake;
  fake.system.files["dump.bin"] = file;
  fake::RunResult result = fake::Run(fake, {"/FROM:dump.bin", selector});
  EXPECT_EQ(fake.memory.live(), 0u);
  return result;
}

TEST(DumpFile, EntryPointDumpsGiveTheTableAndItsVersion) {
  std::vector<uint8_t> table = SampleTable();
  const int versions[][2] = {{3, 4}, {2, 8}, {2, 1}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(kAnchors[i]);
    Loaded l;
    LoadFile(l, Dump(kAnchors[i], table, static_cast<uint32_t>(table.size())));
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.reader.versionMajor, versions[i][0]);
    EXPECT_EQ(l.reader.versionMinor, versions[i][1]);
    EXPECT_EQ(Text(l.reader.GetSystemSerial()), "CZC123");
    EXPECT_EQ(l.reader.recordCount(), 3u);
  }
}

TEST(DumpFile, TableRunsForTheAnnouncedLengthOrToTheEndOfTheFile) {
  std::vector<uint8_t> table = SampleTable();
  {
    // The 64-bit entry point gives only a maximum; real dumps are shorter.
    Loaded l;
    LoadFile(l, Dump("_SM3_", table, 0x10000));
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.reader.rawTable->length, table.size() + 8);
  }
  {
    // Bytes after the announced length are not part of the table.
    const uint32_t biosOnly = static_cast<uint32_t>(test::Bios("AMI", "F.10", "05/06/2019").Bytes().size());
    Loaded l;
    LoadFile(l, Dump("_SM3_", table, biosOnly));
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.reader.rawTable->length, biosOnly + 8);
    EXPECT_EQ(Text(l.reader.GetFirmwareVendor()), "AMI");
    EXPECT_EQ(l.reader.GetSystemManufacturer(), nullptr);
  }
  const std::vector<uint8_t> body =
      BareTable({test::SystemInfo({"Maker", "Model", "Ver", "SER123"}), test::EndOfTable()});
  const size_t size = 0x20 + body.size();
  for (const char* anchor : kAnchors) {
    SCOPED_TRACE(anchor);
    // A length that would wrap from a valid address is cut at the end of the
    // file: the table is read, and nothing past the file.
    fake::RunResult longest = RunOnFile(Dump(anchor, body, 0xFFFFFFFFu), "/PCSERIAL");
    EXPECT_EQ(longest.out, "SER123");
    EXPECT_EQ(longest.exitCode, 0);
    // The last byte of the file is still inside it: a one-byte table, which
    // holds no structure, so the file is no table.
    fake::RunResult last = RunOnFile(Dump(anchor, body, 0x100, size - 1), "/PCSERIAL");
    EXPECT_EQ(last.out, "Error: cannot read SMBIOS table from dump.bin: no SMBIOS structure in it\n" +
                            test::kLoadFailure);
    EXPECT_EQ(last.exitCode, 1);
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

// A file that cannot be read is the only source tried, even when its path is
// empty (`tarnlix /FROM:$TABLE /PCSERIAL` with TABLE unset must not answer
// with this machine's serial number as if it came from the file).
TEST(DumpFile, OnlyTheFileIsTried) {
  for (const char* from : {"/from:missing.bin", "/FROM:", "-from:"}) {
    SCOPED_TRACE(from);
    fake::FakePlatform fake;
    fake.firmware.table = test::HeaderForm(SampleTable());
    fake.registry.value = test::HeaderForm(SampleTable());
    fake::RunResult result = fake::Run(fake, {from, "/PCSERIAL"});
    std::string path = std::strchr(from, ':') + 1;
    EXPECT_EQ(result.out, "Error: cannot read SMBIOS table from " + path +
                              ": No such file or directory\n" + kLoadFailure);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(fake.firmware.calls, 0);
    EXPECT_TRUE(fake.registry.calls.empty());
  }
}

TEST(DumpFile, FilesThatCannotHoldATableAreRefusedWithAReason) {
  const std::string cutShort = "the entry point is cut short";
  const std::string pastTheEnd = "the table address lies past the end of the file";
  const std::vector<uint8_t> body =
      BareTable({test::SystemInfo({"Maker", "Model", "Ver", "SER123"}), test::EndOfTable()});
  const uint64_t size = 0x20 + body.size();
  struct Case {
    std::string what;
    std::vector<uint8_t> bytes;
    std::string reason;
  };
  std::vector<Case> cases = {
      {"empty", {}, "the file is empty"},
      {"a bare anchor", {'_', 'S', 'M', '3', '_'}, cutShort},
      // Sums of address and length that wrap a 32-bit or 64-bit number, and
      // an address that a cut to 32 bits would bring into the file.
      {"wraps 32 bits", Dump("_SM_", body, 0x100, 0xFFFFFFF0u), pastTheEnd},
      {"wraps 64 bits", Dump("_SM3_", body, 0x100, 0xFFFFFFFFFFFFFFF0ull), pastTheEnd},
      {"above 4 GiB", Dump("_SM3_", body, 0x100, 0x100000020ull), pastTheEnd},
  };
  const size_t oneShort[] = {0x17, 0x1B, 0x0E};
  for (int i = 0; i < 3; ++i) {
    std::vector<uint8_t> cut = Dump(kAnchors[i], {}, 0);
    cut.resize(oneShort[i]);
    cases.push_back({std::string(kAnchors[i]) + " one byte short", cut, cutShort});
    for (uint64_t address : {size, size + 1, uint64_t{0xF0000}}) {
      cases.push_back({std::string(kAnchors[i]) + " table at " + std::to_string(address),
                       Dump(kAnchors[i], body, 0x100, address), pastTheEnd});
    }
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fake::RunResult result = RunOnFile(c.bytes, "/PCSERIAL");
    EXPECT_EQ(result.out, "Error: cannot read SMBIOS table from dump.bin: " + c.reason +
                              "\n" + kLoadFailure);
    EXPECT_EQ(result.exitCode, 1);
  }

  fake::FakePlatform fake;
  fake.system.unreadable["dir"] = "Is a directory";
  fake::RunResult result = fake::Run(fake, {"/FROM:dir", "/PCNAME"});
  EXPECT_EQ(result.out, "Error: cannot read SMBIOS table from dir: Is a directory\n" +
                            kLoadFailure);
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
  struct Real {
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
  for (const Real& dump : dumps) {
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
