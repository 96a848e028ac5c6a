// Which machine a table is of: the placeholders skipped, the fallbacks in
// their order, and the hypervisors told from physical machines, including
// the look-alikes a careless match takes for virtual machines. The corpus
// test checks every real table; these are the cases it does not hold.
#include <gtest/gtest.h>

#include "smbios/machine_identity.h"
#include "test_support.h"

namespace tarnlix {
namespace {

using test::BareTable;
using test::HeaderForm;
using test::Structure;

Structure Bios(const char* vendor, uint8_t characteristicsX2 = 0) {
  return Structure(0, 0x14, {{0x04, 1}, {0x13, characteristicsX2}}, {vendor});
}
// Strings 1 to 3: maker, product, serial; an empty text is no string.
Structure WithStrings(uint8_t type, uint8_t length, const char* maker, const char* product,
                      const char* serial) {
  Structure s(type, length);
  for (const auto& [offset, text] : {std::pair{0x04, maker}, {0x05, product}, {0x07, serial}}) {
    if (text[0] == '\0') continue;
    s.strings.push_back(text);
    s.formatted[offset] = static_cast<uint8_t>(s.strings.size());
  }
  return s;
}
Structure System(const char* maker, const char* product, const char* serial = "") {
  return WithStrings(1, 0x1B, maker, product, serial);
}
Structure Board(const char* maker, const char* product, const char* serial = "") {
  return WithStrings(2, 0x0F, maker, product, serial);
}
Structure Chassis(const char* serial) { return WithStrings(3, 0x09, "", "", serial); }
Structure SystemWithUuid(std::initializer_list<uint8_t> uuid) {
  Structure s = System("Dell Inc.", "OptiPlex 7010", "7KNZBH2");
  uint8_t at = 0x08;
  for (uint8_t byte : uuid) s.formatted[at++] = byte;
  return s;
}

// The five values, "|" between them, "-" for none.
std::string Machine(const std::vector<Structure>& structures) {
  test::LoadedReader r(HeaderForm(BareTable(structures), 3, 4));
  std::string out;
  for (const char* selector :
       {"/MACHINEMAKER", "/MACHINEMODEL", "/MACHINESERIAL", "/MACHINEUUID", "/MACHINEVIRTUAL"}) {
    const char* value = r.reader.Value(*FindField(selector));
    out += std::string(out.empty() ? "" : "|") + (value != nullptr ? value : "-");
  }
  return out;
}

TEST(MachineIdentity, PlaceholdersGiveWayToTheNextSource) {
  struct Case {
    const char* what;
    std::vector<Structure> table;
    const char* expected;
  } cases[] = {
      {"a real system is kept",
       {System("LENOVO", "20N2CTO1WW", "PF1NKFHN"),
        Board("LENOVO", "20N2CTO1WW", "L1HF93508A3")},
       "LENOVO|20N2CTO1WW|PF1NKFHN|-|-"},
      {"a placeholder model gives the board's",
       {System("ASUS", "All Series", "System Serial Number"),
        Board("ASUSTeK COMPUTER INC.", "Z97-A", "140627951500456")},
       "ASUS|Z97-A|140627951500456|-|-"},
      {"in any letter case",
       {System("to be filled by o.e.m.", "TO BE FILLED BY O.E.M."),
        Board("ASRock", "H61M-VG3")},
       "ASRock|H61M-VG3|-|-|-"},
      {"by its beginning as written",
       {System("To be filled by OEM", "To Be Filled In"),
        Board("Eii", "G142F")},
       "Eii|G142F|-|-|-"},
      {"placeholders everywhere give none",
       {System("Default string", "Default string", "Default string"),
        Board("Default string", "Default string", "Default string"),
        Chassis("Default string")},
       "-|-|-|-|-"},
      {"the chassis' serial before the board's",
       {System("Supermicro", "Super Server", "0123456789"),
        Chassis("C8260LF21A0123"),
        Board("Supermicro", "X11SPM", "ZM159S017443")},
       "Supermicro|Super Server|C8260LF21A0123|-|-"},
      {"the board's serial last",
       {System("Supermicro", "H8QG6", "1234567890"),
        Chassis("1234567890."),
        Board("Supermicro", "H8QG6", "VM145S005223")},
       "Supermicro|H8QG6|VM145S005223|-|-"},
      {"VirtualBox's serial 0 is none",
       {System("innotek GmbH", "VirtualBox", "0"),
        Board("Oracle Corporation", "VirtualBox", "0")},
       "innotek GmbH|VirtualBox|-|-|VirtualBox"},
      {"a real value that begins like a whole-value placeholder is kept",
       {System("Default strings Ltd", "None Such 5", "01234567890"),
        Board("X", "Y")},
       "Default strings Ltd|None Such 5|01234567890|-|-"},
      {"the board alone", {Board("ASRockRack", "B450D4U-V1L", "209624590000277")},
       "ASRockRack|B450D4U-V1L|209624590000277|-|-"},
      {"a UUID placeholder is none",
       {SystemWithUuid({0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00, 0x05,
                        0x00, 0x06, 0x00, 0x07, 0x00, 0x08, 0x00, 0x09})},
       "Dell Inc.|OptiPlex 7010|7KNZBH2|-|-"},
      {"a real UUID is kept",
       {SystemWithUuid({0x44, 0x45, 0x4C, 0x4C, 0x39, 0x00, 0x10, 0x30,
                        0x80, 0x48, 0xB7, 0xC0, 0x4F, 0x38, 0x44, 0x32})},
       "Dell Inc.|OptiPlex 7010|7KNZBH2|4C4C4544-0039-3010-8048-B7C04F384432|-"},
  };
  for (const Case& c : cases) EXPECT_EQ(Machine(c.table), c.expected) << c.what;

  // The raw fields still give what the firmware holds.
  test::LoadedReader r(
      HeaderForm(BareTable({System("ASUS", "All Series", "System Serial Number")}), 3, 4));
  EXPECT_STREQ(r.reader.Value(*FindField("/PCSERIAL")), "System Serial Number");
  EXPECT_STREQ(r.reader.Value(*FindField("/PCNAME")), "All Series");
}

TEST(MachineIdentity, HypervisorsAndTheirLookAlikes) {
  struct Case {
    std::vector<Structure> table;
    const char* expected;  // the hypervisor, "-" for a physical machine
  } cases[] = {
      {{System("QEMU", "Standard PC (Q35 + ICH9, 2009)")}, "QEMU"},
      {{System("Red Hat", "KVM")}, "KVM"},
      {{System("VMware, Inc.", "VMware Virtual Platform")}, "VMware"},
      {{System("VMware, Inc.", "VMW201")}, "VMware"},
      {{System("innotek GmbH", "")}, "VirtualBox"},
      {{System("Xen", "HVM domU")}, "Xen"},
      {{Bios("Xen"), System("", "")}, "Xen"},
      {{System("Microsoft Corporation", "Virtual Machine")}, "Hyper-V"},
      {{System("Parallels Software International Inc.", "Parallels Virtual Platform")},
       "Parallels"},
      {{System("BHYVE", "BHYVE")}, "BHYVE"},
      {{System("Bochs", "Bochs")}, "Bochs"},
      {{System("Amazon EC2", "m5.large")}, "Amazon EC2"},
      {{System("Google", "Google Compute Engine")}, "Google Compute Engine"},
      {{System("Apple Inc.", "Apple Virtualization Generic Platform")}, "Apple Virtualization"},
      {{System("OpenStack Foundation", "OpenStack Nova")}, "OpenStack"},
      {{Bios("SeaBIOS", 1u << 4), System("Some Cloud", "Cloud Server")}, "virtual machine"},
      // Not virtual: bare metal named after its cloud, a Chromebook, a maker
      // that begins with the same letters, a hosting company's own server,
      // Microsoft's own hardware, and the bit's neighbours.
      {{Bios("Amazon EC2"), System("Amazon EC2", "m5.metal"), Board("Amazon EC2", "")}, "-"},
      {{Bios("coreboot"), System("Google", "Eve")}, "-"},
      {{Bios("American Megatrends Inc."), System("XENTA", "Xenta PC"), Board("XENTA", "XT-H61")},
       "-"},
      {{System("Hetzner", ""), Board("ASRockRack", "B450D4U-V1L")}, "-"},
      {{System("Microsoft Corporation", "Surface Laptop 3")}, "-"},
      {{Bios("Dell Inc.", 0xEF), System("Dell Inc.", "PowerEdge R640")}, "-"},
  };
  for (const Case& c : cases) {
    std::string machine = Machine(c.table);
    EXPECT_EQ(machine.substr(machine.rfind('|') + 1), c.expected) << machine;
  }
  // Every field a mark names is one the group reads: of the first BIOS,
  // system, baseboard or chassis structure.
  for (size_t i = 0; i < kHypervisorFieldCount; ++i) {
    const FieldRow* row = FindField(kHypervisorFields[i]);
    ASSERT_NE(row, nullptr) << kHypervisorFields[i];
    EXPECT_LT(row->type, kIdentityTypes) << kHypervisorFields[i];
  }
}


// The group switch: a report of the values there are, and one object in the
// JSON document's selector form.
TEST(MachineIdentity, GroupSwitchReportsTheValuesThereAre) {
  struct Case {
    std::vector<std::string> arguments;
    std::vector<Structure> table;
    std::string out;
  } cases[] = {
      {{"/MACHINE"},
       {System("To Be Filled By O.E.M.", "To Be Filled By O.E.M.", "0123456789"),
        Board("ASUSTeK COMPUTER INC.", "PRIME B450M-A", "190436731202345")},
       "Machine\n\n\tMaker          :\tASUSTeK COMPUTER INC.\n"
       "\tModel          :\tPRIME B450M-A\n\tSerial Number  :\t190436731202345\n\n"},
      {{"/machine"}, {Bios("SeaBIOS")}, "Machine\n\n\tNo information\n"},
      {{"/JSON", "/MACHINE"},
       {System("QEMU", "Standard PC (Q35 + ICH9, 2009)")},
       "{\n  \"MACHINE\": {\n    \"MACHINEMAKER\": \"QEMU\",\n"
       "    \"MACHINEMODEL\": \"Standard PC (Q35 + ICH9, 2009)\",\n"
       "    \"MACHINESERIAL\": null,\n    \"MACHINEUUID\": null,\n"
       "    \"MACHINEVIRTUAL\": \"QEMU\"\n  },\n"},
  };
  for (const Case& c : cases) {
    fake::FakePlatform fake;
    fake.firmware.table = HeaderForm(BareTable(c.table), 3, 4);
    fake::RunResult result = fake::Run(fake, c.arguments);
    EXPECT_EQ(result.out.substr(0, c.out.size()), c.out) << c.arguments[0];
    EXPECT_EQ(result.exitCode, 0) << c.arguments[0];
  }
}

}  // namespace
}  // namespace tarnlix
