// SMBIOS 3.9, 7.7 Memory Module Information (Obsolete) (Type 6)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// Two RAS lines, one per nibble; 0xF leaves a nibble unused.
bool BankConnections(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t banks = s.bytes[0x05];
  if (banks == 0xFF) return false;
  uint8_t high = banks >> 4;
  uint8_t low = banks & 0x0F;
  value.BeginText();
  if (high == 0x0F) {
    value.AppendDecimal(low);
  } else if (low == 0x0F) {
    value.AppendDecimal(high);
  } else {
    value.AppendDecimal(high);
    value.Append(' ');
    value.AppendDecimal(low);
  }
  return true;
}

// 2^n MB in the low seven bits; 0x7D not determinable, 0x7E disabled, 0x7F
// not installed.
bool ModuleSize(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint8_t power = s.bytes[row.at] & 0x7F;
  if (power >= 0x7D || power > 63) return false;
  value.SetNumber(uint64_t{1} << power);
  return true;
}

// The top bit of a size byte: whether the module uses both of its banks.
bool ModuleBanks(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint8_t size = s.bytes[row.at];
  if ((size & 0x7F) == 0x7F) return false;  // no module
  value.SetText(size & 0x80 ? "Double-bank Connection" : "Single-bank Connection");
  return true;
}

// The size and the banks in one text, as dmidecode writes them.
bool ModuleSizeText(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint8_t size = s.bytes[row.at];
  uint8_t power = size & 0x7F;
  if (power == 0x7F || (power > 63 && power < 0x7D)) return false;  // no module
  value.BeginText();
  if (power == 0x7D) {
    value.Append("Not Determinable");
  } else if (power == 0x7E) {
    value.Append("Disabled");
  } else {
    value.AppendDecimal(uint64_t{1} << power);
    value.Append(" MB");
  }
  value.Append(size & 0x80 ? " (Double-bank Connection)" : " (Single-bank Connection)");
  return true;
}

// dmidecode prints the sizes with the bank connection after the number
// ("1024 MB (Double-bank Connection)"): the size and the connection are two
// fields here, and neither is that line.
constexpr FieldRow kMemoryModuleRows[] = {
    {.selector = "/MEMMODULESOCKET", .type = 6, .decode = FieldDecode::String, .at = 0x04,
     .since = 0x0C, .name = "Socket Designation", .identifies = true},
    {.selector = "/MEMMODULEBANKS", .type = 6, .decode = FieldDecode::Special, .at = 0x05,
     .since = 0x0C, .name = "Bank Connections", .special = BankConnections},
    {.selector = "/MEMMODULESPEED", .type = 6, .decode = FieldDecode::Number, .at = 0x06,
     .since = 0x0C, .name = "Current Speed", .unit = "ns", .kind = FieldKind::Number,
     .none = kNoneIfZero},
    {.selector = "/MEMMODULETYPE", .type = 6, .decode = FieldDecode::BitsText, .at = 0x07,
     .size = 2, .since = 0x0C, .name = "Type", .names = &names::kMemoryModuleTypes},
    {.selector = "/MEMMODULEINSTALLED", .type = 6, .decode = FieldDecode::Special, .at = 0x09,
     .since = 0x0C, .unit = "MB", .kind = FieldKind::Number, .special = ModuleSize,
     .label = "Installed Size"},
    {.selector = "/MEMMODULEINSTALLEDBANKS", .type = 6, .decode = FieldDecode::Special,
     .at = 0x09, .since = 0x0C, .special = ModuleBanks, .label = "Installed Connection"},
    {.selector = "/MEMMODULEINSTALLEDSIZE", .type = 6, .decode = FieldDecode::Special,
     .at = 0x09, .since = 0x0C, .name = "Installed Size", .special = ModuleSizeText},
    {.selector = "/MEMMODULEENABLED", .type = 6, .decode = FieldDecode::Special, .at = 0x0A,
     .since = 0x0C, .unit = "MB", .kind = FieldKind::Number, .special = ModuleSize,
     .label = "Enabled Size"},
    {.selector = "/MEMMODULEENABLEDBANKS", .type = 6, .decode = FieldDecode::Special, .at = 0x0A,
     .since = 0x0C, .special = ModuleBanks, .label = "Enabled Connection"},
    {.selector = "/MEMMODULEENABLEDSIZE", .type = 6, .decode = FieldDecode::Special,
     .at = 0x0A, .since = 0x0C, .name = "Enabled Size", .special = ModuleSizeText},
    {.selector = "/MEMMODULEERROR", .type = 6, .decode = FieldDecode::Name, .at = 0x0B,
     .since = 0x0C, .name = "Error Status", .names = &names::kMemoryModuleError, .mask = 0x07},
};

}  // namespace

extern const StructureGroup kType06Group{
    .selector = "/MEMMODULE", .type = 6, .heading = "Memory Module Information",
    .what = "memory module (obsolete)",
    .rows = kMemoryModuleRows, .rowCount = std::size(kMemoryModuleRows)};

}  // namespace tarnlix
