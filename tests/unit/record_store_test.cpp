// The walk of a table into records, and which string lands in which slot.
#include <gtest/gtest.h>

#include "test_support.h"

namespace tarnlix {
namespace {

using test::BareTable;
using test::HeaderForm;
using test::LoadedReader;
using test::Structure;
using test::Text;

TEST(RecordStore, TrimsTrailingSpacesAndKeepsLeadingOnes) {
  LoadedReader r(HeaderForm(BareTable({
      Structure(0, 0x18, {{0x04, 1}, {0x05, 2}, {0x08, 3}},
                {"Vendor X", "1.02 ", "03/15/2012"}),
      Structure(1, 0x1B, {{0x04, 1}, {0x05, 2}, {0x06, 3}},
                {"   ", "  ABC  ", "tab\t"}),
  })));
  ASSERT_TRUE(r.loaded);
  const SmbiosRecord& bios = r.reader.records[0];
  EXPECT_EQ(bios.type, 0);
  EXPECT_EQ(Text(r.reader.SlotText(bios, 0)), "Vendor X");
  EXPECT_EQ(Text(r.reader.SlotText(bios, 1)), "1.02");
  EXPECT_EQ(Text(r.reader.SlotText(bios, 2)), "03/15/2012");
  const SmbiosRecord& system = r.reader.records[1];
  EXPECT_EQ(r.reader.SlotText(system, 0), nullptr) << "a string of only spaces is absent";
  EXPECT_EQ(Text(r.reader.SlotText(system, 1)), "  ABC");
  EXPECT_EQ(Text(r.reader.SlotText(system, 2)), "tab\t") << "only spaces are trimmed";
}

TEST(RecordStore, SlotsFollowTheStructuresOwnStringNumbers) {
  // Firmware often leaves the system version at 0: the serial number is
  // then the third string but still belongs in the serial slot.
  LoadedReader r(HeaderForm(BareTable({
      Structure(1, 0x1B, {{0x04, 1}, {0x05, 2}, {0x06, 0}, {0x07, 3}},
                {"Dell Inc.", "PowerEdge", "790H8D2"}),
  })));
  const SmbiosRecord& system = r.reader.records[0];
  EXPECT_EQ(Text(r.reader.SlotText(system, 2)), "<null>");
  EXPECT_EQ(Text(r.reader.SlotText(system, 3)), "790H8D2");
  EXPECT_EQ(Text(r.reader.GetSystemSerial()), "790H8D2");
}

TEST(RecordStore, FieldMapsOfEachType) {
  LoadedReader r(HeaderForm(BareTable({
      // Processor: socket 0x04, manufacturer 0x07, version 0x10, serial
      // 0x20, asset 0x21, part 0x22; strings numbered out of order.
      Structure(4, 0x30,
                {{0x04, 6}, {0x07, 5}, {0x10, 4}, {0x20, 3}, {0x21, 2}, {0x22, 1}},
                {"part", "asset", "serial", "version", "maker", "socket", "seventh"}),
      // Memory device: locator 0x10, bank 0x11, maker 0x17, serial 0x18,
      // asset 0x19, part 0x1A.
      Structure(17, 0x28,
                {{0x10, 1}, {0x11, 0}, {0x17, 2}, {0x18, 3}, {0x19, 0}, {0x1A, 4}},
                {"DIMM A", "Samsung", "1234", "M393"}),
      // Port: internal 0x04, external 0x06, then the third string.
      Structure(8, 0x09, {{0x04, 0}, {0x06, 1}}, {"USB 1", "extra"}),
      // On-board devices: the first description is at 0x05.
      Structure(10, 0x06, {{0x04, 0x83}, {0x05, 1}}, {"Video"}),
      // Cache and slot: designation at 0x04.
      Structure(7, 0x13, {{0x04, 2}}, {"x", "L1 Cache"}),
      Structure(9, 0x11, {{0x04, 1}}, {"PCIe 1"}),
  })));
  const SmbiosReader& reader = r.reader;
  EXPECT_EQ(Text(reader.GetProcessorSocket()), "socket");
  EXPECT_EQ(Text(reader.GetProcessorManufacturer()), "maker");
  EXPECT_EQ(Text(reader.GetProcessorVersion()), "version");
  EXPECT_EQ(Text(reader.GetProcessorSerial()), "serial");
  EXPECT_EQ(Text(reader.GetProcessorAssetTag()), "asset");
  EXPECT_EQ(Text(reader.GetProcessorPartNumber()), "part");
  EXPECT_EQ(Text(reader.GetProcessorExtra()), "seventh");
  EXPECT_EQ(Text(reader.GetMemoryDeviceLocator()), "DIMM A");
  EXPECT_EQ(Text(reader.GetMemoryBankLocator()), "<null>");
  EXPECT_EQ(Text(reader.GetMemoryManufacturer()), "Samsung");
  EXPECT_EQ(Text(reader.GetMemorySerial()), "1234");
  EXPECT_EQ(Text(reader.GetMemoryAssetTag()), "<null>");
  EXPECT_EQ(Text(reader.GetMemoryPartNumber()), "M393");
  EXPECT_EQ(Text(reader.GetPortInternalRef()), "<null>");
  EXPECT_EQ(Text(reader.GetPortExternalRef()), "USB 1");
  EXPECT_EQ(Text(reader.GetPortExtra()), "<null>") << "string 3 does not exist";
  EXPECT_EQ(Text(reader.GetDeviceDescription()), "Video");
  EXPECT_EQ(Text(reader.GetCacheSocket()), "L1 Cache");
  EXPECT_EQ(Text(reader.GetSlotDesignation()), "PCIe 1");
}

TEST(RecordStore, EnclosureTypeIsTheChassisNameAndSkuFollowsTheElements) {
  // Two contained elements of 3 bytes each: the SKU number sits at
  // 0x15 + 2 * 3.
  LoadedReader r(HeaderForm(BareTable({
      Structure(3, 0x1C,
                {{0x04, 1}, {0x05, 0x80 | 23}, {0x06, 2}, {0x07, 3}, {0x08, 4},
                 {0x13, 2}, {0x14, 3}, {0x1B, 5}},
                {"Dell Inc.", "v1", "SER", "ASSET", "SKU-9"}),
  })));
  const SmbiosRecord& chassis = r.reader.records[0];
  EXPECT_EQ(Text(r.reader.SlotText(chassis, 0)), "Dell Inc.");
  EXPECT_EQ(Text(r.reader.SlotText(chassis, 1)), "Rack Mount Chassis") << "lock bit masked";
  EXPECT_EQ(Text(r.reader.SlotText(chassis, 2)), "v1");
  EXPECT_EQ(Text(r.reader.SlotText(chassis, 3)), "SER");
  EXPECT_EQ(Text(r.reader.SlotText(chassis, 4)), "ASSET");
  EXPECT_EQ(Text(r.reader.SlotText(chassis, 5)), "SKU-9");

  struct Case {
    uint8_t length;
    uint8_t typeByte;
    const char* name;
  } cases[] = {{0x09, 0, "<null>"},  {0x09, 36, "Stick PC"}, {0x09, 37, "<null>"},
               {0x09, 1, "Other"},   {0x05, 3, "<null>"},    {0x06, 3, "Desktop"}};
  for (const Case& c : cases) {
    LoadedReader one(HeaderForm(BareTable({Structure(3, c.length, {{0x05, c.typeByte}}, {"x"})})));
    EXPECT_EQ(Text(one.reader.GetEnclosureType()), c.name)
        << "type byte " << int{c.typeByte} << ", length " << int{c.length};
  }
}

TEST(RecordStore, BatteryFollowsItsStringFields) {
  LoadedReader r(HeaderForm(BareTable({
      Structure(22, 0x1A,
                {{0x04, 1}, {0x05, 2}, {0x06, 0}, {0x07, 3}, {0x08, 4}, {0x0E, 5}, {0x14, 6}},
                {"Front", "ACME", "S123", "Cell", "1.1", "LION"}),
      // An older layout of 16 bytes has no chemistry string field.
      Structure(22, 0x10, {{0x04, 1}, {0x0E, 1}}, {"Back"}),
  })));
  const SmbiosRecord& first = r.reader.records[0];
  const char* expected[] = {"Front", "ACME", "<null>", "S123", "Cell", "1.1", "LION"};
  for (int slot = 0; slot < 7; ++slot) {
    EXPECT_EQ(Text(r.reader.SlotText(first, slot)), expected[slot]) << "slot " << slot;
  }
  const SmbiosRecord& old = r.reader.records[1];
  EXPECT_EQ(Text(r.reader.SlotText(old, 0)), "Back");
  EXPECT_EQ(Text(r.reader.SlotText(old, 5)), "Back") << "two slots may name one string";
  EXPECT_EQ(r.reader.SlotText(old, 6), nullptr);
}

TEST(RecordStore, OemStringsArePositionalAndStringNumbersAreBounded) {
  std::vector<std::string> nine;
  for (int i = 1; i <= 9; ++i) nine.push_back("OEM " + std::to_string(i));
  std::vector<std::string> many;
  for (int i = 1; i <= 25; ++i) many.push_back("s" + std::to_string(i));
  LoadedReader r(HeaderForm(BareTable({
      Structure(11, 5, {{0x04, 9}}, nine),
      // String numbers 0, 20, 21 and one past the count.
      Structure(2, 0x0F, {{0x04, 0}, {0x05, 20}, {0x06, 21}, {0x07, 26}}, many),
      Structure(1, 0x1B, {{0x04, 1}}, {"after"}),
  })));
  const SmbiosRecord& oem = r.reader.records[0];
  for (int slot = 0; slot < 7; ++slot) {
    EXPECT_EQ(Text(r.reader.SlotText(oem, slot)), "OEM " + std::to_string(slot + 1));
  }
  const SmbiosRecord& board = r.reader.records[1];
  EXPECT_EQ(r.reader.SlotText(board, 0), nullptr);
  EXPECT_EQ(Text(r.reader.SlotText(board, 1)), "s20");
  EXPECT_EQ(r.reader.SlotText(board, 2), nullptr) << "strings past the twentieth are not followed";
  EXPECT_EQ(r.reader.SlotText(board, 3), nullptr);
  EXPECT_EQ(Text(r.reader.GetSystemManufacturer()), "after")
      << "the structure after 25 strings is still read";
}

TEST(RecordStore, StructuresThatAreNotStoredStillTakeARecord) {
  LoadedReader r(HeaderForm(BareTable({
      Structure(218, 0x0B, {}, {"Dell OEM"}),
      Structure(0, 4, {}, {"short"}),
      Structure(127, 4),
      Structure(1, 0x1B, {{0x04, 1}}, {"Maker"}),
  })));
  ASSERT_EQ(r.reader.recordCount(), 4u) << "the walk goes on after type 127";
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(r.reader.records[i].stored);
    EXPECT_EQ(r.reader.records[i].type, 0);
    EXPECT_FALSE(r.reader.HasStrings(r.reader.records[i]));
  }
  EXPECT_EQ(Text(r.reader.GetSystemManufacturer()), "Maker");
  EXPECT_EQ(r.reader.GetFirmwareVendor(), nullptr)
      << "an unstored structure is not a BIOS structure";
}

TEST(RecordStore, EveryStructureIsStoredHoweverLongTheTable) {
  std::vector<Structure> structures;
  for (int i = 0; i < 24; ++i) structures.push_back(Structure(126, 4));
  structures.push_back(Structure(17, 0x28, {{0x10, 1}}, {"DIMM 25"}));
  // Padding pushes the last structure past byte 65,535.
  structures.push_back(Structure(126, 250, {}, {std::string(200, 'x')}));
  for (int i = 0; i < 300; ++i) structures.push_back(Structure(126, 250));
  structures.push_back(Structure(2, 0x0F, {{0x04, 1}}, {"Late board"}));
  std::vector<uint8_t> table = BareTable(structures);
  ASSERT_GT(table.size(), 65535u);
  LoadedReader r(HeaderForm(table));
  EXPECT_EQ(r.reader.recordCount(), structures.size());
  EXPECT_EQ(Text(r.reader.GetMemoryDeviceLocator()), "DIMM 25");
  EXPECT_EQ(Text(r.reader.GetBoardManufacturer()), "Late board");
}

TEST(RecordStore, HeaderFormGivesTheVersionAndIsNeverParsed) {
  // Header bytes that would read as a structure if the walk began at 0.
  std::vector<uint8_t> table = HeaderForm(BareTable({test::Bios("V", "1", "d")}), 3, 4);
  table[0] = 1;
  LoadedReader r(table);
  EXPECT_EQ(r.reader.versionMajor, 3);
  EXPECT_EQ(r.reader.versionMinor, 4);
  ASSERT_EQ(r.reader.recordCount(), 1u);
  EXPECT_EQ(r.reader.records[0].type, 0);

  LoadedReader negative(HeaderForm({}, 0x80, 0xFF));
  EXPECT_TRUE(negative.loaded);
  EXPECT_EQ(negative.reader.versionMajor, -128);
  EXPECT_EQ(negative.reader.versionMinor, -1);
  EXPECT_EQ(negative.reader.recordCount(), 0u);
}

TEST(RecordStore, ReleaseEmptiesTheStoreAndAnswersNothing) {
  LoadedReader r(HeaderForm(BareTable({test::Bios("V", "1", "d")})));
  EXPECT_EQ(Text(r.reader.GetFirmwareVendor()), "V");
  r.reader.Release();
  EXPECT_EQ(r.reader.recordCount(), 0u);
  EXPECT_EQ(r.reader.GetFirmwareVendor(), nullptr);
  r.reader.Release();  // a second release is harmless
}

TEST(RecordStore, AccessorsAnswerNothingBeforeOrWithoutALoad) {
  fake::FakePlatform fake;
  SmbiosReader reader;
  EXPECT_EQ(reader.GetFirmwareVendor(), nullptr);
  EXPECT_FALSE(reader.Load()) << "no source has a table";
  EXPECT_EQ(reader.loaded, 0);
  EXPECT_EQ(reader.GetSystemSerial(), nullptr);
  EXPECT_EQ(reader.GetFirmwareDateIso(), nullptr);
}

TEST(RecordStore, FirstStructureOfATypeAnswersEvenWhenItsSlotIsEmpty) {
  LoadedReader r(HeaderForm(BareTable({
      Structure(17, 0x28, {{0x10, 1}, {0x11, 2}, {0x17, 3}}, {"A", "B", "C"}),
      Structure(17, 0x28, {{0x10, 1}, {0x18, 2}}, {"D", "SERIAL"}),
      Structure(4, 0x30, {{0x04, 1}}, {"CPU1"}),
      Structure(4, 0x30, {{0x04, 1}, {0x10, 2}}, {"CPU2", "Xeon"}),
  })));
  EXPECT_EQ(r.reader.GetMemorySerial(), nullptr);
  EXPECT_EQ(Text(r.reader.GetProcessorSocket()), "CPU1");
  EXPECT_EQ(r.reader.GetProcessorVersion(), nullptr);
}

TEST(RecordStore, BiosFieldsComeFromTheBiosStructureWhereverItStands) {
  LoadedReader r(HeaderForm(BareTable({
      Structure(218, 0x0B),
      Structure(4, 0x30, {{0x04, 1}}, {"CPU socket"}),
      test::Bios("Dell Inc.", "2.3.4", "11/08/2016"),
  })));
  EXPECT_EQ(Text(r.reader.GetFirmwareVendor()), "Dell Inc.");
  EXPECT_EQ(Text(r.reader.GetFirmwareVersion()), "2.3.4");
  EXPECT_EQ(Text(r.reader.GetFirmwareDate()), "11/08/2016");
  EXPECT_EQ(Text(r.reader.GetFirmwareDateIso()), "2016/11/08");
}

TEST(RecordStore, SystemUuidFollowsTheByteOrderOfTheTablesVersion) {
  const std::vector<uint8_t> bytes = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                                      0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
  auto table = [](const std::vector<uint8_t>& uuid, uint8_t length) {
    Structure system(1, length, {{0x04, 1}}, {"Maker"});
    for (size_t i = 0; i < uuid.size() && 0x08 + i < length; ++i) {
      system.formatted[0x08 + i] = uuid[i];
    }
    return BareTable({system});
  };
  const char* swapped = "33221100-5544-7766-8899-AABBCCDDEEFF";
  const char* asStored = "00112233-4455-6677-8899-AABBCCDDEEFF";
  struct Case {
    uint8_t major, minor;
    const char* uuid;
  } cases[] = {{2, 5, asStored}, {2, 6, swapped}, {3, 0, swapped}, {0, 0, swapped}};
  for (const Case& c : cases) {
    LoadedReader r(HeaderForm(table(bytes, 0x1B), c.major, c.minor));
    EXPECT_EQ(Text(r.reader.GetSystemUuid()), c.uuid) << int{c.major} << "." << int{c.minor};
  }
  for (uint8_t fill : {uint8_t{0x00}, uint8_t{0xFF}}) {
    LoadedReader r(HeaderForm(table(std::vector<uint8_t>(16, fill), 0x1B)));
    EXPECT_EQ(r.reader.GetSystemUuid(), nullptr) << "all " << int{fill};
  }
  LoadedReader shortStructure(HeaderForm(table(bytes, 0x17)));
  EXPECT_EQ(shortStructure.reader.GetSystemUuid(), nullptr);
  EXPECT_EQ(Text(shortStructure.reader.GetSystemManufacturer()), "Maker");
}

// Structure counts of the real dumps, as dmidecode reports them.
TEST(RecordStore, RealDumpsAreWalkedWhole) {
  struct Dump {
    const char* file;
    size_t structures;
  } dumps[] = {
      {"asrock-ryzen.bin", 28},          {"beelink-eq12.bin", 72},
      {"dell-r630.bin", 72},             {"hyperv.bin", 5},
      {"laptop-rsmb-3.2.bin", 20},       {"supermicro-dual-xeon.bin", 149},
      {"supermicro-quad-opteron.bin", 96}, {"toshiba-satellite-pro-l70.bin", 69},
      {"uroot-sample.bin", 69},
  };
  for (const Dump& dump : dumps) {
    fake::FakePlatform fake;
    std::string path = std::string("corpus/raw/") + dump.file;
    fake.system.files[path] = test::ReadTestFile(path);
    SmbiosReader reader;
    reader.SetSourceFile(path);
    ASSERT_TRUE(reader.Load()) << dump.file;
    EXPECT_EQ(reader.recordCount(), dump.structures) << dump.file;
  }
}

}  // namespace
}  // namespace tarnlix
