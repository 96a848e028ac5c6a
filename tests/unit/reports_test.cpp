// The full dump and the group reports.
#include <gtest/gtest.h>

#include <map>

#include "test_support.h"

namespace tarnlix {
namespace {

using test::BareTable;
using test::HeaderForm;
using test::Structure;

std::string Report(const std::vector<uint8_t>& table,
                   void (*print)(const SmbiosReader&)) {
  test::LoadedReader r(table);
  print(r.reader);
  return r.fake.system.out;
}

void All(const SmbiosReader& reader) { reader.PrintAll(); }

TEST(Reports, DumpWithVersionLineLabelsAndGaps) {
  std::string out = Report(
      HeaderForm(BareTable({
                     test::Bios("AMI", "F.10", "05/06/2019"),
                     Structure(16, 0x05),  // holds nothing to show: not shown
                     test::SystemInfo({"HP", "", "", "CZC123"}),
                     Structure(6, 0x0C, {}, {"Bank 1"}),
                     Structure(5, 0x0F, {}, {"ctl"}),
                     Structure(27, 0x0E, {}, {"Fan"}),
                     Structure(28, 0x0E, {}, {"Probe"}),
                 }),
                 3, 2),
      All);
  EXPECT_EQ(out,
            "- SMBBios data v3.2 -\n\n"
            "BIOS Information:\n\n"
            "\tVendor         :\tAMI\n\tVersion        :\tF.10\n"
            "\tDate           :\t05/06/2019\n\tROM Size       :\t64 kB\n\n"
            "System Information:\n\n"
            "\tManufacturer   :\tHP\n\tSerial#        :\tCZC123\n"
            "\tWake-up Type   :\tReserved\n\n"
            "Memory Module Information:\n\n\t :\tBank 1\n"
            "\tBank Connections :\t0 0\n\tInstalled Size :\t1 MB\n"
            "\tInstalled Connection :\tSingle-bank Connection\n"
            "\tInstalled Size :\t1 MB (Single-bank Connection)\n\tEnabled Size   :\t1 MB\n"
            "\tEnabled Connection :\tSingle-bank Connection\n"
            "\tEnabled Size   :\t1 MB (Single-bank Connection)\n\tError Status   :\tOK\n\n"
            "Memory Controller Information :\n\n\t :\tctl\n"
            "\tMaximum Memory Module Size :\t1 MB\n\tMaximum Total Memory Size :\t0 MB\n\n"
            "Cooling Device:\n\n\t(null) :\tFan\n\tTemperature Probe Handle :\t0x0000\n"
            "\tOEM-specific Information :\t0x00000000\n\tNominal Speed  :\t0 rpm\n\n"
            // The types the earlier reports did not name have dmidecode's name.
            "Temperature Probe:\n\n\t(null) :\tProbe\n\tMaximum Value  :\t0 deg C\n"
            "\tMinimum Value  :\t0 deg C\n\tResolution     :\t0 deg C\n"
            "\tTolerance      :\t0 deg C\n\n");
}

TEST(Reports, VersionLineOnlyForAPositiveMajorVersion) {
  std::vector<uint8_t> bare = BareTable({Structure(11, 5, {}, {"OEM"})});
  EXPECT_EQ(Report(HeaderForm(bare, 0, 5), All), "OEM Strings:\n\n\tOEM String 1   :\tOEM\n\n");
  EXPECT_EQ(Report(HeaderForm(bare, 0x80, 5), All), "OEM Strings:\n\n\tOEM String 1   :\tOEM\n\n");
  EXPECT_EQ(Report(HeaderForm(BareTable({Structure(16, 0x05)}), 2, 4), All),
            "- SMBBios data v2.4 -\n\n");
}

TEST(Reports, DumpOfAnEmptyStoreIsAnErrorLine) {
  EXPECT_EQ(Report(HeaderForm({}, 3, 0), All),
            "Error: Failed to retrieve BIOS information from system\n");
  fake::FakePlatform fake;
  SmbiosReader unloaded;
  unloaded.PrintAll();
  EXPECT_EQ(fake.system.out, "Error: Failed to retrieve BIOS information from system\n");
}

TEST(Reports, GroupPrintsEveryRecordOfItsTypeOrNoInformation) {
  std::vector<uint8_t> table = HeaderForm(BareTable({
      Structure(4, 0x19, {{0x04, 1}, {0x10, 2}}, {"CPU1", "Xeon"}),
      Structure(0, 0x18, {{0x04, 1}}, {"AMI"}),
      Structure(4, 0x19, {}, {}),  // nothing to show: not printed or counted
      Structure(4, 0x19, {{0x04, 1}}, {"CPU2"}),
      Structure(2, 0x09, {{0x04, 1}}, {"Board"}),
  }));
  test::LoadedReader r(table);
  r.reader.PrintGroup(4);
  EXPECT_EQ(r.fake.system.out,
            "Processor Information\n\n"
            "\tSocket         :\tCPU1\n\tVersion        :\tXeon\n\n"
            "\tSocket         :\tCPU2\n\n");
  r.fake.system.out.clear();
  r.reader.PrintGroup(22);
  EXPECT_EQ(r.fake.system.out, "Portable Battery\n\n\tNo information\n");
  r.fake.system.out.clear();
  r.reader.PrintGroup(2);
  EXPECT_EQ(r.fake.system.out, "Base Board\n\n\tManufacturer   :\tBoard\n\n");
}

TEST(Reports, SystemUuidHasItsOwnLineAfterTheStrings) {
  Structure withStrings(1, 0x18, {{0x04, 1}, {0x08, 0xAB}}, {"HP"});
  Structure uuidOnly(1, 0x18, {{0x17, 0x01}});
  test::LoadedReader r(HeaderForm(BareTable({withStrings, uuidOnly})));
  r.reader.PrintGroup(1);
  EXPECT_EQ(r.fake.system.out,
            "System Information\n\n"
            "\tManufacturer   :\tHP\n"
            "\tUUID           :\t000000AB-0000-0000-0000-000000000000\n\n"
            "\tUUID           :\t00000000-0000-0000-0000-000000000001\n\n");
  r.fake.system.out.clear();
  r.reader.PrintAll();
  EXPECT_NE(r.fake.system.out.find("System Information:\n\n\tUUID           :\t00000000"),
            std::string::npos);
}

// Today's lines come first, then every other field of the type, labelled
// with its name, numbers with their unit and a list's items under its first.
TEST(Reports, DecodedValuesFollowTheStringsWithTheirUnits) {
  test::LoadedReader r(HeaderForm(BareTable({
      Structure(0, 0x18, {{0x04, 1}, {0x14, 2}, {0x15, 3}, {0x16, 1}, {0x17, 12}}, {"AMI"}),
      Structure(4, 0x30,
                {{0x04, 1}, {0x06, 0xB3}, {0x08, 0xEC}, {0x09, 0x06}, {0x0A, 0x08}, {0x0C, 0x03},
                 {0x16, 0x60}, {0x17, 0x09}, {0x1A, 0xFF}, {0x1B, 0xFF}, {0x23, 8}, {0x25, 16}},
                {"CPU1"}),
      Structure(17, 0x28, {{0x0C, 0x00}, {0x0D, 0x40}, {0x12, 0x1A}, {0x15, 0x80}, {0x16, 0x0C},
                           {0x1B, 2}, {0x22, 0x46}, {0x23, 0x05}}),
  })));
  r.reader.PrintAll();
  EXPECT_EQ(r.fake.system.out,
            "- SMBBios data v2.7 -\n\n"
            "BIOS Information:\n\n"
            "\tVendor         :\tAMI\n\tRevision       :\t2.3\n\tEC revision    :\t1.12\n"
            "\tROM Size       :\t64 kB\n\n"
            "Processor Information:\n\n"
            "\tSocket         :\tCPU1\n\tFamily         :\tXeon\n\tSpeed          :\t2400 MHz\n"
            "\tCores          :\t8\n\tThreads        :\t16\n"
            "\tID             :\tEC 06 08 00 03 00 00 00\n"
            "\tSignature      :\tType 0, Family 6, Model 142, Stepping 12\n"
            "\tFlags          :\tFPU (Floating-point unit on-chip)\n"
            "\t\t\t\tVME (Virtual mode extension)\n"
            "\tStatus         :\tUnpopulated\n"
            "\tL2 Cache Handle :\t0x0000\n\tL3 Cache Handle :\t0x0000\n\n"
            "Memory Device:\n\n"
            "\tSize           :\t16384 MB\n\tSpeed          :\t3200 MT/s\n\tType           :\tDDR4\n"
            "\tArray Handle   :\t0x0000\n\tError Information Handle :\t0x0000\n"
            "\tRank           :\t2\n\tMinimum Voltage :\t1.35 V\n\n");
}

// The headings and the labels of the report places, as the earlier reports
// printed them; the labels are padded when printed.
TEST(Reports, HeadingsAndPlaceLabels) {
  EXPECT_STREQ(TypeHeading(5), "Memory Controller Information ");
  EXPECT_STREQ(TypeHeading(10), "Physical Memory");
  EXPECT_STREQ(TypeHeading(31), "Boot Integrity Services Entry Point");
  EXPECT_STREQ(TypeHeading(32), "System Boot Info");
  EXPECT_STREQ(TypeHeading(127), "Undefined");
  EXPECT_STREQ(TypeHeading(200), "OEM-specific Type");
  const std::map<int, std::vector<std::string>> labelled = {
      {0, {"Vendor", "Version", "Date", "Extra1", "Extra2", "Extra3", "Extra4"}},
      {1, {"Manufacturer", "Product name", "Version", "Serial#", "SKU", "Family", "Extra"}},
      {2, {"Manufacturer", "Product name", "Version", "Serial#", "Asset tag", "Location",
           "Extra          "}},
      {3, {"Manufacturer", "Type", "Version", "Serial#", "Asset tag", "SKU", "Extra"}},
      {4, {"Socket", "Manufacturer", "Version", "Serial#", "Asset tag", "Part#", "Extra"}},
      {7, {"Socket"}},
      {8, {"Internal ref.", "External ref.", "Extra"}},
      {9, {"Designation"}},
      {10, {"Description"}},
      {11, {"OEM String 1", "OEM String 2", "OEM String 3", "OEM String 4", "OEM String 5",
            "OEM String 6", "OEM String 7"}},
      {14, {"Group name"}},
      {17, {"Device Locator", "Bank Locator", "Manufacturer", "Serial#", "Asset Tag", "Part#"}},
      {22, {"Location", "Manufacturer", "Mfg Date", "Serial#", "Device Name", "SBDS Version",
            "SBDS Chemistry"}},
      {26, {"Description"}},
  };
  for (int type = 0; type < 32; ++type) {
    auto labels = labelled.find(type);
    for (int place = 1; place <= 7; ++place) {
      const char* label = PlaceLabelOf(static_cast<uint8_t>(type), place);
      if (type > 26) {
        EXPECT_EQ(label, nullptr) << type << "/" << place;
        continue;
      }
      ASSERT_NE(label, nullptr) << type << "/" << place;
      bool named = labels != labelled.end() && place <= static_cast<int>(labels->second.size());
      EXPECT_EQ(label, named ? labels->second[place - 1] : "") << type << "/" << place;
    }
  }
}

}  // namespace
}  // namespace tarnlix
