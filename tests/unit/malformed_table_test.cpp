// Tables no firmware should publish, but some do, and files anyone can hand
// to /FROM. Whatever the bytes, the walk reads nothing outside the table,
// always advances, keeps what came before the damage, and reports a file it
// cannot use instead of inventing a table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquire/bytes.h"
#include "cli/prom_output.h"
#include "test_support.h"

namespace tarnlix {
namespace {

using Bytes = std::vector<uint8_t>;
using test::BareTable;
using test::Bios;
using test::EndOfTable;
using test::HeaderForm;
using test::Structure;
using test::SystemInfo;
using test::Text;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes Raw(std::initializer_list<uint8_t> bytes) { return Bytes(bytes); }

// Tables are loaded from the fake firmware service, whose copy is an
// exact-size heap block: under AddressSanitizer any read past the table is
// caught.
using Loaded = test::LoadedReader;

const Bytes kBios = Bios("Vendor", "1.0", "01/02/2003").Bytes();
const Bytes kSystem = SystemInfo({"Maker", "Model", "Ver", "SER123"}).Bytes();

// --- Structures that cannot be stepped over end the walk -------------------

TEST(MalformedTable, LengthByteBelowFourEndsTheWalkThere) {
  for (uint8_t length : {0, 1, 2, 3}) {
    SCOPED_TRACE(length);
    // The bad header is followed by bytes that would read as a valid
    // structure if the walk stepped over it by any amount.
    Loaded t(HeaderForm(Concat({kBios, Raw({1, length, 0, 0}), kSystem, kSystem})));
    ASSERT_TRUE(t.loaded);
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
    ASSERT_TRUE(t.loaded);
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
    ASSERT_TRUE(t.loaded);
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
    ASSERT_TRUE(t.loaded);
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
  ASSERT_TRUE(t.loaded);
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
  ASSERT_TRUE(t.loaded);
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
    ASSERT_TRUE(t.loaded);
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
    ASSERT_TRUE(t.loaded);
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
    ASSERT_TRUE(t.loaded);
    EXPECT_EQ(t.reader.recordCount(), 3u);
    EXPECT_EQ(Text(t.reader.GetSystemSerial()), "SER123");
  }
}

// --- Size ----------------------------------------------------------------------

// Every field of every type, on a structure cut short at every length and
// standing last in the table: no decoder reads past the structure's bytes
// (under AddressSanitizer), and the reports and documents still come out.
TEST(MalformedTable, EveryFieldOfAStructureCutShortAtAnyLength) {
  std::vector<int> types;
  for (int type = 0; type <= 46; ++type) types.push_back(type);
  types.insert(types.end(), {126, 127, 200});
  FieldValue value;
  for (int type : types) {
    for (uint8_t length = 4; length < 0x70; ++length) {
      for (uint8_t fill : {0x00, 0xFF, 0x5A}) {
        Structure structure(static_cast<uint8_t>(type), length);
        for (size_t i = 4; i < length; ++i) structure.formatted[i] = fill;
        if (fill == 0x5A) structure.strings = {"one ", "two"};
        Loaded t(HeaderForm(BareTable({structure})));
        ASSERT_TRUE(t.loaded);
        ForEachField([&](const FieldRow& row) { t.reader.Decode(row, 0, true, value); });
        t.reader.PrintAll();
        EXPECT_FALSE(PromExposition(t.reader).empty());
      }
    }
  }
}

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
  ASSERT_TRUE(t.loaded);
  EXPECT_EQ(t.reader.recordCount(), 100000u);
  EXPECT_EQ(Text(t.reader.GetSystemSerial()), "SER123");
  EXPECT_EQ(Text(t.reader.SlotText(t.reader.records[99999], 3)), "SER123");
  EXPECT_EQ(Text(t.reader.SlotText(t.reader.records[50000], 0)), "oem");
}

}  // namespace
}  // namespace tarnlix
