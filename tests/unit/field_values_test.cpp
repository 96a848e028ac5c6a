// The decoded fields: release pairs, numbers with their wide forms, names,
// module sizes and the memory total, at the edges of the structures' lengths.
// The corpus proves the common values; these are the rules it rarely meets.
#include <gtest/gtest.h>

#include "test_support.h"

namespace tarnlix {
namespace {

using test::BareTable;
using test::HeaderForm;
using test::Structure;

std::string ValueOf(const std::vector<Structure>& structures, const char* selector,
                    uint8_t major = 3, uint8_t minor = 4) {
  test::LoadedReader r(HeaderForm(BareTable(structures), major, minor));
  return test::Text(r.reader.Value(*FindField(selector)));
}

TEST(FieldValues, DecodeRulesAtTheEdges) {
  const Structure intelCpu(4, 0x30, {{0x06, 0xBE}, {0x07, 1}}, {"GenuineIntel"});
  // Two contained elements of three bytes, the SKU, then the rack type and height.
  const Structure rack(3, 0x1E, {{0x13, 2}, {0x14, 3}, {0x1C, 1}, {0x1D, 42}});
  // PMIC0 revision 0x8A33 (installed, type 10, 3.3), RCD revision unknown.
  const Structure ddr5(17, 0x64, {{0x12, 0x22}, {0x5E, 0x33}, {0x5F, 0x8A}, {0x63, 0xFF}});
  const Structure ddr4(17, 0x64, {{0x12, 0x1A}, {0x5E, 0x33}, {0x5F, 0x8A}});
  struct Case {
    const char* what;
    Structure structure;
    const char* selector;
    const char* expected;
  } cases[] = {
      {"release", Structure(0, 0x18, {{0x14, 5}, {0x15, 19}}), "/BIOSREV", "5.19"},
      {"release 0.0 is a release", Structure(0, 0x18), "/ECREV", "0.0"},
      {"release without a minor", Structure(0, 0x18, {{0x16, 1}, {0x17, 0xFF}}), "/ECREV", "<null>"},
      {"release in a short structure", Structure(0, 0x17, {{0x14, 1}}), "/BIOSREV", "<null>"},
      {"speed", Structure(4, 0x1A, {{0x16, 0x60}, {0x17, 0x09}}), "/PROCESSORSPEED", "2400"},
      {"speed 0", Structure(4, 0x1A), "/PROCESSORSPEED", "<null>"},
      {"speed in a short structure", Structure(4, 0x19, {{0x16, 1}}), "/PROCESSORSPEED", "<null>"},
      {"cores", Structure(4, 0x28, {{0x23, 8}}), "/PROCESSORCORES", "8"},
      {"cores in a short structure", Structure(4, 0x27, {{0x23, 8}}), "/PROCESSORCORES", "<null>"},
      {"cores in the word", Structure(4, 0x2C, {{0x23, 0xFF}, {0x2A, 0x00}, {0x2B, 0x01}}),
       "/PROCESSORCORES", "256"},
      {"cores 255 without the word", Structure(4, 0x2B, {{0x23, 0xFF}}), "/PROCESSORCORES", "255"},
      {"threads in the word", Structure(4, 0x30, {{0x25, 0xFF}, {0x2E, 0x40}, {0x2F, 0x01}}),
       "/PROCESSORTHREADS", "320"},
      {"family", Structure(4, 0x07, {{0x06, 0xB3}}), "/PROCESSORFAMILY", "Xeon"},
      {"family without a name", Structure(4, 0x1A, {{0x06, 0xFD}}), "/PROCESSORFAMILY", "<null>"},
      {"family in the word", Structure(4, 0x2A, {{0x06, 0xFE}, {0x28, 0x01}, {0x29, 0x02}}),
       "/PROCESSORFAMILY", "RV64"},
      {"family 0xBE by an Intel maker", intelCpu, "/PROCESSORFAMILY", "Core 2"},
      {"family 0xBE by an AMD maker", Structure(4, 0x30, {{0x06, 0xBE}, {0x07, 1}}, {"amd corp"}),
       "/PROCESSORFAMILY", "K7"},
      {"family 0xBE by another maker", Structure(4, 0x30, {{0x06, 0xBE}, {0x07, 1}}, {"Xintelx"}),
       "/PROCESSORFAMILY", "Core 2 or K7"},
      {"family 0x30 by Intel after 2.0", Structure(4, 0x30, {{0x06, 0x30}, {0x07, 1}}, {"Intel"}),
       "/PROCESSORFAMILY", "Alpha"},
      {"module size", Structure(17, 0x0E, {{0x0C, 0x00}, {0x0D, 0x40}}), "/MEMSIZE", "16384"},
      {"module size in KB", Structure(17, 0x0E, {{0x0C, 0x00}, {0x0D, 0x88}}), "/MEMSIZE", "2"},
      {"module size under 1 MB", Structure(17, 0x0E, {{0x0C, 0x00}, {0x0D, 0x82}}), "/MEMSIZE", "<null>"},
      {"module size unknown", Structure(17, 0x0E, {{0x0C, 0xFF}, {0x0D, 0xFF}}), "/MEMSIZE", "<null>"},
      {"module size extended", Structure(17, 0x20, {{0x0C, 0xFF}, {0x0D, 0x7F}, {0x1D, 0x80}, {0x1F, 0x80}}),
       "/MEMSIZE", "32768"},
      {"extended size, short structure", Structure(17, 0x1F, {{0x0C, 0xFF}, {0x0D, 0x7F}}),
       "/MEMSIZE", "32767"},
      {"module speed", Structure(17, 0x17, {{0x15, 0x80}, {0x16, 0x0C}}), "/MEMSPEED", "3200"},
      {"module speed extended", Structure(17, 0x5C, {{0x15, 0xFF}, {0x16, 0xFF}, {0x54, 0x40}, {0x55, 0x1F}}),
       "/MEMSPEED", "8000"},
      {"extended speed, short structure", Structure(17, 0x5B, {{0x15, 0xFF}, {0x16, 0xFF}}),
       "/MEMSPEED", "<null>"},
      {"memory type", Structure(17, 0x13, {{0x12, 0x1A}}), "/MEMTYPE", "DDR4"},
      {"memory type in a short structure", Structure(17, 0x12, {{0x12, 0x1A}}), "/MEMTYPE", "<null>"},
      {"rack type after the elements", rack, "/ENCLOSURERACKTYPE", "OU"},
      {"rack height after the elements", rack, "/ENCLOSURERACKHEIGHT", "42"},
      {"rack type past the structure", Structure(3, 0x1C, {{0x13, 2}, {0x14, 3}}),
       "/ENCLOSURERACKTYPE", "<null>"},
      {"module size and banks", Structure(6, 0x0C, {{0x09, 0x85}}), "/MEMMODULEINSTALLEDSIZE",
       "32 MB (Double-bank Connection)"},
      {"module disabled", Structure(6, 0x0C, {{0x0A, 0x7E}}), "/MEMMODULEENABLEDSIZE",
       "Disabled (Single-bank Connection)"},
      {"no module", Structure(6, 0x0C, {{0x09, 0x7F}}), "/MEMMODULEINSTALLEDSIZE", "<null>"},
      {"DDR5 PMIC type", ddr5, "/MEMPMICDEVTYPE", "10"},
      {"DDR5 PMIC revision", ddr5, "/MEMPMICDEVREV", "3.3"},
      {"DDR5 RCD unknown", ddr5, "/MEMRCDDEVTYPE", "<null>"},
      {"DDR5 RCD revision number unknown", ddr5, "/MEMRCDREV", "<null>"},
      {"DDR4 PMIC revision number only", ddr4, "/MEMPMICREV", "0x8a33"},
      {"DDR4 PMIC no device type", ddr4, "/MEMPMICDEVTYPE", "<null>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ValueOf({c.structure}, c.selector), c.expected) << c.what;
  }
  EXPECT_EQ(ValueOf({Structure(4, 0x30, {{0x06, 0x30}, {0x07, 1}}, {"Intel"})},
                    "/PROCESSORFAMILY", 2, 0),
            "Pentium Pro");
}

TEST(FieldValues, MemoryTotalSumsEveryModule) {
  std::vector<Structure> modules = {
      Structure(17, 0x0E, {{0x0C, 0x00}, {0x0D, 0x40}}),  // 16384 MB
      Structure(17, 0x0E),                                // empty slot
      Structure(17, 0x20, {{0x0C, 0xFF}, {0x0D, 0x7F}, {0x1E, 0x01}}),  // 65536 MB
      Structure(17, 4),                                   // too short to have a size
  };
  EXPECT_EQ(ValueOf(modules, "/MEMTOTAL"), "81920");
  EXPECT_EQ(ValueOf({Structure(17, 0x0E)}, "/MEMTOTAL"), "<null>");
  EXPECT_EQ(ValueOf({}, "/MEMTOTAL"), "<null>");
}

}  // namespace
}  // namespace tarnlix
