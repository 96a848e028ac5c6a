// Tables no firmware should publish, but some do, and files anyone can hand
// to /FROM. Whatever the bytes, the walk reads nothing outside the table,
// always advances, keeps what came before the damage, and reports a file it
// cannot use instead of inventing a table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake/fake_platform.h"
#include "smbios/bytes.h"
#include "smbios/reader.h"
#include "table_builder.h"

namespace tarnlix {
namespace {

using Bytes = std::vector<uint8_t>;
using test::BareTable;
using test::Bios;
using test::EndOfTable;
using test::HeaderForm;
using test::Structure;
using test::SystemInfo;

std::string Text(const char* value) { return value == nullptr ? "<null>" : value; }

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes Raw(std::initializer_list<uint8_t> bytes) { return Bytes(bytes); }

// A reader loaded from the fake firmware service. The service's copy is an
// exact-size heap block, so under AddressSanitizer any read past the table
// is caught.
struct Loaded {
  explicit Loaded(const Bytes& firmwareTable) {
    fake.firmware.table = firmwareTable;
    ok = reader.Load();
  }
  fake::FakePlatform fake;
  SmbiosReader reader;
  bool ok = false;
};

const Bytes kBios = Bios("Vendor", "1.0", "01/02/2003").Bytes();
const Bytes kSystem = SystemInfo({"Maker", "Model", "Ver", "SER123"}).Bytes();

// --- Structures that cannot be stepped over end the walk -------------------

TEST(MalformedTable, LengthByteBelowFourEndsTheWalkThere) {
  for (uint8_t length : {0, 1, 2, 3}) {
    SCOPED_TRACE(length);
    // The bad header is followed by bytes that would read as a valid
    // structure if the walk stepped over it by any amount.
    Loaded t(HeaderForm(Concat({kBios, Raw({1, length, 0, 0}), kSystem, kSystem})));
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.reader.recordCount(), 1u);
    EXPECT_EQ(Text(t.reader.GetFirmwareVendor()), "Vendor");
    EXPECT_EQ(t.reader.GetSystemSerial(), nullptr);
  }
}

TEST(MalformedTable, FormattedAreaRunningPastTheEndIsNotRead) {
  // A system structure claiming 0x1B bytes of which only 10 are there: its
  // serial-number field would lie past the end of the table.
  Bytes cut(kSystem.begin(), kSystem.begin() + 10);
  for (const Bytes& table : {HeaderForm(Concat({kBios, cut})), HeaderForm(cut)}) {
    Loaded t(table);
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.reader.GetSystemManufacturer(), nullptr);
    EXPECT_EQ(t.reader.GetSystemSerial(), nullptr);
  }
  Loaded t(HeaderForm(Concat({kBios, cut})));
  EXPECT_EQ(t.reader.recordCount(), 1u);
  EXPECT_EQ(Text(t.reader.GetFirmwareVersion()), "1.0");
}

TEST(MalformedTable, HeaderCutShortAtTheEndIsNotRead) {
  for (size_t tail = 1; tail < 4; ++tail) {
    Loaded t(HeaderForm(Concat({kBios, Bytes(kSystem.begin(), kSystem.begin() + tail)})));
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.reader.recordCount(), 1u);
  }
}

TEST(MalformedTable, StringSetWithoutItsDoubleNulAtTheEnd) {
  // The last structure's strings run into the end of the table: with one
  // NUL, with none, or with its formatted area ending exactly at the end.
  Bytes oneNul(kSystem.begin(), kSystem.end() - 1);
  Bytes noNul(kSystem.begin(), kSystem.end() - 2);
  Bytes bareHeader(kSystem.begin(), kSystem.begin() + 0x1B);
  for (const Bytes& last : {oneNul, noNul, bareHeader}) {
    Loaded t(HeaderForm(Concat({kBios, last})));
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.reader.recordCount(), 1u);
    EXPECT_EQ(Text(t.reader.GetFirmwareDate()), "01/02/2003");
    // Its strings are never taken, not even the complete ones before the end.
    EXPECT_EQ(t.reader.GetSystemManufacturer(), nullptr);
  }
}

// --- String numbers the string-set cannot answer ----------------------------

TEST(MalformedTable, StringNumbersOutsideTheStringSetGiveNoValue) {
  std::vector<std::string> strings;
  for (int i = 1; i <= 25; ++i) strings.push_back("s" + std::to_string(i));
  // Manufacturer 0 (no string), product 3 of 2, version 21 of 25 (beyond the
  // 20 strings that can be referred to), serial 20 (the last that can).
  Structure twoStrings(1, 0x1B, {{0x04, 0}, {0x05, 3}, {0x06, 1}}, {"a", "b"});
  Structure many(1, 0x1B, {{0x04, 0}, {0x05, 26}, {0x06, 21}, {0x07, 20}}, strings);

  Loaded few(HeaderForm(BareTable({twoStrings})));
  EXPECT_EQ(few.reader.GetSystemManufacturer(), nullptr);
  EXPECT_EQ(few.reader.GetSystemProductName(), nullptr);
  EXPECT_EQ(Text(few.reader.GetSystemVersion()), "a");

  Loaded lots(HeaderForm(BareTable({many, Bios("After", "2", "3")})));
  EXPECT_EQ(lots.reader.GetSystemManufacturer(), nullptr);
  EXPECT_EQ(lots.reader.GetSystemProductName(), nullptr);
  EXPECT_EQ(lots.reader.GetSystemVersion(), nullptr);
  EXPECT_EQ(Text(lots.reader.GetSystemSerial()), "s20");
  EXPECT_EQ(Text(lots.reader.GetFirmwareVendor()), "After");
}

TEST(MalformedTable, StructureWith255Strings) {
  std::vector<std::string> strings;
  for (int i = 1; i <= 255; ++i) strings.push_back("OEM string " + std::to_string(i));
  Structure oem(11, 5, {{0x04, 255}}, strings);
  Structure system(1, 0x1B, {{0x04, 1}, {0x07, 20}}, strings);
  Loaded t(HeaderForm(BareTable({oem, system, Bios("Next", "v", "d")})));
  ASSERT_TRUE(t.ok);
  EXPECT_EQ(t.reader.recordCount(), 3u);
  EXPECT_EQ(Text(t.reader.GetOemString1()), "OEM string 1");
  EXPECT_EQ(Text(t.reader.GetOemString7()), "OEM string 7");
  EXPECT_EQ(Text(t.reader.GetSystemManufacturer()), "OEM string 1");
  EXPECT_EQ(Text(t.reader.GetSystemSerial()), "OEM string 20");
  // The structure after them is found where its strings end.
  EXPECT_EQ(Text(t.reader.GetFirmwareVendor()), "Next");
}

// --- End-of-table structures -------------------------------------------------

TEST(MalformedTable, EndOfTableInTheMiddleDoesNotEndTheWalk) {
  Loaded t(HeaderForm(Concat({kBios, EndOfTable().Bytes(), kSystem, EndOfTable().Bytes()})));
  ASSERT_TRUE(t.ok);
  EXPECT_EQ(t.reader.recordCount(), 4u);
  EXPECT_FALSE(t.reader.records[1].stored);
  EXPECT_EQ(Text(t.reader.GetSystemSerial()), "SER123");
}

TEST(MalformedTable, GarbageAfterTheEndOfTable) {
  // Firmware that reports a page-sized table: zeros, 0xFF fill, or a stray
  // header whose length runs past the end.
  const Bytes garbage[] = {Bytes(4000, 0), Bytes(4000, 0xFF), Raw({0x01, 0x80, 0x41}),
                           Raw({0x41}), Raw({0x00, 0x00, 0x00})};
  for (const Bytes& tail : garbage) {
    Loaded t(HeaderForm(Concat({kBios, kSystem, EndOfTable().Bytes(), tail})));
    ASSERT_TRUE(t.ok);
    // Zeros read as a type-0 structure of length 0, so the walk stops there
    // rather than storing empty BIOS structures; the rest cannot be stepped
    // over at all.
    EXPECT_EQ(t.reader.recordCount(), 3u);
    EXPECT_EQ(Text(t.reader.GetFirmwareVendor()), "Vendor");
    EXPECT_EQ(Text(t.reader.GetSystemSerial()), "SER123");
  }
}

// --- Header forms that do not add up -----------------------------------------

TEST(MalformedTable, HeaderFormShorterThanItsHeader) {
  // Seven bytes or fewer: a version may be there, but no structure.
  for (size_t size = 1; size < 8; ++size) {
    SCOPED_TRACE(size);
    Bytes table = Raw({0, 3, 4, 0, 0xFF, 0xFF, 0xFF});
    table.resize(size);
    Loaded t(table);
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.reader.recordCount(), 0u);
    EXPECT_EQ(t.reader.GetFirmwareVendor(), nullptr);

    fake::FakePlatform fake;
    fake.firmware.table = table;
    fake::RunResult all = fake::Run(fake, {"/ALL"});
    EXPECT_EQ(all.out, "Error: Failed to retrieve BIOS information from system\n");
    EXPECT_EQ(all.exitCode, 0);
  }
}

TEST(MalformedTable, HeaderLengthFieldIsNotTrusted) {
  Bytes body = Concat({kBios, kSystem, EndOfTable().Bytes()});
  for (uint32_t claimed : {0u, 5u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    SCOPED_TRACE(claimed);
    Bytes table = HeaderForm(body);
    WriteLe32(&table[4], claimed);
    // The table is walked to the end of what the service returned, and not a
    // byte further, whatever the header claims.
    Loaded t(table);
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.reader.recordCount(), 3u);
    EXPECT_EQ(Text(t.reader.GetSystemSerial()), "SER123");
  }
}

// --- Size ----------------------------------------------------------------------

TEST(MalformedTable, MegabyteTableOf100000StructuresIsStoredWhole) {
  // 100,000 structures past every 16-bit offset: OEM strings, a BIOS
  // structure near the start and the system structure last.
  Bytes oem = Structure(11, 5, {{0x04, 1}}, {"oem"}).Bytes();
  Bytes body = kBios;
  body.reserve(1100000);
  for (int i = 0; i < 99998; ++i) body.insert(body.end(), oem.begin(), oem.end());
  body.insert(body.end(), kSystem.begin(), kSystem.end());
  ASSERT_GT(body.size(), 1000000u);

  Loaded t(HeaderForm(body));
  ASSERT_TRUE(t.ok);
  EXPECT_EQ(t.reader.recordCount(), 100000u);
  EXPECT_EQ(Text(t.reader.GetSystemSerial()), "SER123");
  EXPECT_EQ(Text(t.reader.records[99999].strings[3]), "SER123");
  EXPECT_EQ(Text(t.reader.records[50000].strings[0]), "oem");
}

// --- Dump files whose entry point points anywhere ---------------------------

// A dump with the entry point of a kind, a table address and a table length,
// and the table bytes placed at 0x20.
Bytes DumpWith(const std::string& anchor, uint64_t address, uint32_t length,
               const Bytes& table) {
  Bytes file(0x20, 0);
  std::copy(anchor.begin(), anchor.end(), file.begin());
  if (anchor == "_SM3_") {
    file[7] = 3;
    WriteLe32(&file[0x0C], length);
    WriteLe64(&file[0x10], address);
  } else if (anchor == "_SM_") {
    file[6] = 2;
    file[7] = 8;
    WriteLe16(&file[0x16], static_cast<uint16_t>(length));
    WriteLe32(&file[0x18], static_cast<uint32_t>(address));
  } else {
    file[0x0E] = 0x21;
    WriteLe16(&file[0x06], static_cast<uint16_t>(length));
    WriteLe32(&file[0x08], static_cast<uint32_t>(address));
  }
  file.insert(file.end(), table.begin(), table.end());
  return file;
}

fake::RunResult RunOnFile(const Bytes& file, const std::string& selector) {
  fake::FakePlatform fake;
  fake.system.files["dump.bin"] = file;
  fake::RunResult result = fake::Run(fake, {"/FROM:dump.bin", selector});
  EXPECT_EQ(fake.memory.live(), 0u);
  return result;
}

const char kPastTheEnd[] =
    "Error: cannot read SMBIOS table from dump.bin: the table address lies past "
    "the end of the file\n \xFE Error: Failed to retrieve BIOS information\n";

TEST(MalformedTable, EntryPointAddressAtOrPastTheEndOfTheDump) {
  Bytes body = Concat({kSystem, EndOfTable().Bytes()});
  size_t size = 0x20 + body.size();
  for (const char* anchor : {"_SM3_", "_SM_", "_DMI_"}) {
    SCOPED_TRACE(anchor);
    for (uint64_t address : {uint64_t{size}, uint64_t{size} + 1, uint64_t{0xF0000}}) {
      fake::RunResult result = RunOnFile(DumpWith(anchor, address, 0x100, body), "/PCSERIAL");
      EXPECT_EQ(result.out, kPastTheEnd);
      EXPECT_EQ(result.exitCode, 1);
    }
    // The last byte of the file is still inside it: a one-byte table, which
    // holds no structure.
    fake::RunResult last = RunOnFile(DumpWith(anchor, size - 1, 0x100, body), "/PCSERIAL");
    EXPECT_EQ(last.out, "");
    EXPECT_EQ(last.exitCode, 0);
  }
}

TEST(MalformedTable, EntryPointAddressOrLengthWrappingAround4GiB) {
  Bytes body = Concat({kSystem, EndOfTable().Bytes()});
  // Addresses whose sum with the length wraps a 32-bit or 64-bit number.
  fake::RunResult wrap32 = RunOnFile(DumpWith("_SM_", 0xFFFFFFF0u, 0x0100, body), "/PCSERIAL");
  EXPECT_EQ(wrap32.out, kPastTheEnd);
  EXPECT_EQ(wrap32.exitCode, 1);
  fake::RunResult wrap64 =
      RunOnFile(DumpWith("_SM3_", 0xFFFFFFFFFFFFFFF0ull, 0x100, body), "/PCSERIAL");
  EXPECT_EQ(wrap64.out, kPastTheEnd);
  fake::RunResult high =
      RunOnFile(DumpWith("_SM3_", 0x100000020ull, 0x100, body), "/PCSERIAL");
  EXPECT_EQ(high.out, kPastTheEnd);
  // A length that would wrap from a valid address is cut at the end of the
  // file: the table is read, and nothing past the file.
  for (const char* anchor : {"_SM3_", "_SM_", "_DMI_"}) {
    fake::RunResult longest = RunOnFile(DumpWith(anchor, 0x20, 0xFFFFFFFFu, body), "/PCSERIAL");
    EXPECT_EQ(longest.out, "SER123");
    EXPECT_EQ(longest.exitCode, 0);
  }
}

TEST(MalformedTable, EntryPointCutShort) {
  for (const std::string anchor : {"_SM3_", "_SM_", "_DMI_"}) {
    SCOPED_TRACE(anchor);
    Bytes full = DumpWith(anchor, 0x20, 0, {});
    Bytes cut(full.begin(), full.begin() + (anchor == "_SM_" ? 0x1B : anchor == "_SM3_" ? 0x17 : 0x0E));
    fake::RunResult result = RunOnFile(cut, "/PCSERIAL");
    EXPECT_EQ(result.out,
              "Error: cannot read SMBIOS table from dump.bin: the entry point is cut "
              "short\n \xFE Error: Failed to retrieve BIOS information\n");
    EXPECT_EQ(result.exitCode, 1);
  }
}

}  // namespace
}  // namespace tarnlix
