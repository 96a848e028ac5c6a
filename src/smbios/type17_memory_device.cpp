// SMBIOS 3.9, 7.18 Memory Device (Type 17)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// A size in bytes, shown in MB; 0 is none, all ones unknown.
bool SizeInBytes(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint64_t bytes = ReadLe64(s.bytes + row.at);
  if (bytes == 0 || bytes == ~uint64_t{0}) return false;
  uint64_t megabytes = ShownSize(bytes, kBytes, kMegabytes);
  if (megabytes == 0) return false;  // below a MB
  value.SetNumber(megabytes);
  return true;
}

// A JEDEC manufacturer: the continuation count (bank) in the low byte, with
// parity, and the code in the high byte.
bool JedecId(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint16_t id = ReadLe16(s.bytes + row.at);
  if (id == 0) return false;
  value.BeginText();
  value.Append("Bank ");
  value.AppendDecimal((id & 0x7Fu) + 1);
  value.Append(", Hex ");
  value.AppendHex(id >> 8, 2);
  return true;
}

// The revision word of a module's PMIC0 or RCD; 0xFF00 says it is unknown.
// On a DDR5 or LPDDR5 module the high byte tells whether the device is
// there (bit 7) and its type, the low byte its revision, a digit a nibble.
constexpr uint16_t kUnknownRevision = 0xFF00;

constexpr uint16_t kDeviceInstalled = 0x8000;

bool KnownRevision(const FieldRow& row, const StructureView& s, uint16_t& word) {
  word = ReadLe16(s.bytes + row.at);
  return word != kUnknownRevision;
}

bool OfDdr5Module(const StructureView& s) {
  return s.bytes[0x12] == 0x22 || s.bytes[0x12] == 0x23;
}

bool RevisionNumber(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint16_t word;
  if (!KnownRevision(row, s, word)) return false;
  value.BeginText();
  value.AppendHex(word, 4, true);
  return true;
}

bool DeviceType(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint16_t word;
  if (!OfDdr5Module(s) || !KnownRevision(row, s, word) || !(word & kDeviceInstalled)) {
    return false;
  }
  value.SetNumber((word >> 8) & 0x0F);
  return true;
}

bool DeviceRevision(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint16_t word;
  if (!OfDdr5Module(s) || !KnownRevision(row, s, word) || !(word & kDeviceInstalled)) {
    return false;
  }
  value.BeginText();
  value.AppendDecimal((word >> 4) & 0x0F);
  value.Append('.');
  value.AppendDecimal(word & 0x0F);
  return true;
}

constexpr FieldRow kMemoryDeviceRows[] = {
    {.selector = "/MEMDEVLOC", .type = 17, .decode = FieldDecode::String, .at = 0x10, .place = 1,
     .name = "Locator", .label = "Device Locator", .identifies = true},
    {.selector = "/MEMBANKLOC", .type = 17, .decode = FieldDecode::String, .at = 0x11, .place = 2,
     .name = "Bank Locator", .identifies = true},
    {.selector = "/MEMMAN", .type = 17, .decode = FieldDecode::String, .at = 0x17, .place = 3,
     .name = "Manufacturer"},
    {.selector = "/MEMSERIAL", .type = 17, .decode = FieldDecode::String, .at = 0x18, .place = 4,
     .name = "Serial Number", .label = "Serial#"},
    {.selector = "/MEMASSET", .type = 17, .decode = FieldDecode::String, .at = 0x19, .place = 5,
     .name = "Asset Tag"},
    {.selector = "/MEMPARTNO", .type = 17, .decode = FieldDecode::String, .at = 0x1A, .place = 6,
     .name = "Part Number", .label = "Part#"},
    {.selector = "/MEMSIZE", .type = 17, .decode = FieldDecode::MemorySize, .at = 0x0C,
     .size = 2, .name = "Size", .unit = "MB", .kind = FieldKind::Number},
    // 0xFFFF: the speed is in the double word at 0x54.
    {.selector = "/MEMSPEED", .type = 17, .decode = FieldDecode::Number, .at = 0x15, .size = 2,
     .name = "Speed", .unit = "MT/s", .kind = FieldKind::Number, .none = kNoneIfZero,
     .escape = 0xFFFF, .wideAt = 0x54, .wideSize = 4, .escapeNeedsWide = true},
    {.selector = "/MEMTYPE", .type = 17, .decode = FieldDecode::Name, .at = 0x12,
     .name = "Type", .names = &names::kMemoryType},
    // The whole table's memory, not one structure's.
    {.selector = "/MEMTOTAL", .type = 17, .decode = FieldDecode::Table, .at = kMemoryTotalMb,
     .size = 0, .unit = "MB", .kind = FieldKind::Number},
    {.selector = "/MEMARRAYHANDLE", .type = 17, .decode = FieldDecode::Handle, .at = 0x04,
     .size = 2, .name = "Array Handle"},
    {.selector = "/MEMERRHANDLE", .type = 17, .decode = FieldDecode::Handle, .at = 0x06, .size = 2,
     .name = "Error Information Handle", .valueNames = &kErrorHandleNames},
    {.selector = "/MEMTOTALWIDTH", .type = 17, .decode = FieldDecode::Number, .at = 0x08,
     .size = 2, .name = "Total Width", .unit = "bits", .kind = FieldKind::Number,
     .none = kNoneIfZero | kNoneIfAllOnes},
    {.selector = "/MEMDATAWIDTH", .type = 17, .decode = FieldDecode::Number, .at = 0x0A,
     .size = 2, .name = "Data Width", .unit = "bits", .kind = FieldKind::Number,
     .none = kNoneIfZero | kNoneIfAllOnes},
    {.selector = "/MEMFORMFACTOR", .type = 17, .decode = FieldDecode::Name, .at = 0x0E,
     .name = "Form Factor", .names = &names::kMemoryDeviceFormFactor},
    {.selector = "/MEMSET", .type = 17, .decode = FieldDecode::Number, .at = 0x0F,
     .name = "Set", .kind = FieldKind::Number, .none = kNoneIfZero | kNoneIfAllOnes},
    {.selector = "/MEMTYPEDETAIL", .type = 17, .decode = FieldDecode::BitsText, .at = 0x13,
     .size = 2, .name = "Type Detail", .names = &names::kMemoryDeviceTypeDetail},
    {.selector = "/MEMRANK", .type = 17, .decode = FieldDecode::Number, .at = 0x1B,
     .name = "Rank", .kind = FieldKind::Number, .mask = 0x0F, .none = kNoneIfZero},
    // 0xFFFF: the speed is in the double word at 0x58.
    {.selector = "/MEMCONFSPEED", .type = 17, .decode = FieldDecode::Number, .at = 0x20,
     .size = 2, .name = "Configured Memory Speed", .unit = "MT/s", .kind = FieldKind::Number,
     .none = kNoneIfZero, .escape = 0xFFFF, .wideAt = 0x58, .wideSize = 4,
     .escapeNeedsWide = true},
    {.selector = "/MEMMINVOLTAGE", .type = 17, .decode = FieldDecode::Decimal, .at = 0x22,
     .size = 2, .name = "Minimum Voltage", .unit = "V", .kind = FieldKind::Number,
     .none = kNoneIfZero},
    {.selector = "/MEMMAXVOLTAGE", .type = 17, .decode = FieldDecode::Decimal, .at = 0x24,
     .size = 2, .name = "Maximum Voltage", .unit = "V", .kind = FieldKind::Number,
     .none = kNoneIfZero},
    {.selector = "/MEMCONFVOLTAGE", .type = 17, .decode = FieldDecode::Decimal, .at = 0x26,
     .size = 2, .name = "Configured Voltage", .unit = "V", .kind = FieldKind::Number,
     .none = kNoneIfZero},
    {.selector = "/MEMTECH", .type = 17, .decode = FieldDecode::Name, .at = 0x28,
     .name = "Memory Technology", .names = &names::kMemoryTechnology},
    {.selector = "/MEMMODES", .type = 17, .decode = FieldDecode::BitsText, .at = 0x29,
     .size = 2, .name = "Memory Operating Mode Capability",
     .names = &names::kMemoryOperatingModeCapability},
    {.selector = "/MEMFIRMWARE", .type = 17, .decode = FieldDecode::String, .at = 0x2B,
     .name = "Firmware Version"},
    {.selector = "/MEMMODULEMAN", .type = 17, .decode = FieldDecode::Special, .at = 0x2C,
     .size = 2, .name = "Module Manufacturer ID", .special = JedecId},
    {.selector = "/MEMMODULEPRODUCT", .type = 17, .decode = FieldDecode::Hex, .at = 0x2E,
     .size = 2, .name = "Module Product ID", .none = kNoneIfZero},
    {.selector = "/MEMCONTROLLERMAN", .type = 17, .decode = FieldDecode::Special, .at = 0x30,
     .size = 2, .name = "Memory Subsystem Controller Manufacturer ID", .special = JedecId},
    {.selector = "/MEMCONTROLLERPRODUCT", .type = 17, .decode = FieldDecode::Hex, .at = 0x32,
     .size = 2, .name = "Memory Subsystem Controller Product ID", .none = kNoneIfZero},
    {.selector = "/MEMNVSIZE", .type = 17, .decode = FieldDecode::Special, .at = 0x34,
     .size = 8, .name = "Non-Volatile Size", .unit = "MB", .kind = FieldKind::Number,
     .special = SizeInBytes},
    {.selector = "/MEMVOLATILESIZE", .type = 17, .decode = FieldDecode::Special, .at = 0x3C,
     .size = 8, .name = "Volatile Size", .unit = "MB", .kind = FieldKind::Number,
     .special = SizeInBytes},
    {.selector = "/MEMCACHESIZE", .type = 17, .decode = FieldDecode::Special, .at = 0x44,
     .size = 8, .name = "Cache Size", .unit = "MB", .kind = FieldKind::Number,
     .special = SizeInBytes},
    {.selector = "/MEMLOGICALSIZE", .type = 17, .decode = FieldDecode::Special, .at = 0x4C,
     .size = 8, .name = "Logical Size", .unit = "MB", .kind = FieldKind::Number,
     .special = SizeInBytes},
    {.selector = "/MEMPMICMAN", .type = 17, .decode = FieldDecode::Special, .at = 0x5C,
     .size = 2, .name = "PMIC0 Manufacturer ID", .special = JedecId},
    // The revision word as it stands; a DDR5 or LPDDR5 module's also as the
    // device's type and revision.
    {.selector = "/MEMPMICREV", .type = 17, .decode = FieldDecode::Special, .at = 0x5E,
     .size = 2, .name = "PMIC0 Revision Number", .special = RevisionNumber},
    {.selector = "/MEMPMICDEVTYPE", .type = 17, .decode = FieldDecode::Special, .at = 0x5E,
     .size = 2, .name = "PMIC0 Device Type", .kind = FieldKind::Number, .special = DeviceType},
    {.selector = "/MEMPMICDEVREV", .type = 17, .decode = FieldDecode::Special, .at = 0x5E,
     .size = 2, .name = "PMIC0 Device Revision", .special = DeviceRevision},
    {.selector = "/MEMRCDMAN", .type = 17, .decode = FieldDecode::Special, .at = 0x60,
     .size = 2, .name = "RCD Manufacturer ID", .special = JedecId},
    {.selector = "/MEMRCDREV", .type = 17, .decode = FieldDecode::Special, .at = 0x62,
     .size = 2, .name = "RCD Revision Number", .special = RevisionNumber},
    {.selector = "/MEMRCDDEVTYPE", .type = 17, .decode = FieldDecode::Special, .at = 0x62,
     .size = 2, .name = "RCD Device Type", .kind = FieldKind::Number, .special = DeviceType},
    {.selector = "/MEMRCDDEVREV", .type = 17, .decode = FieldDecode::Special, .at = 0x62,
     .size = 2, .name = "RCD Device Revision", .special = DeviceRevision},
};

}  // namespace

extern const StructureGroup kType17Group{
    .selector = "/MEM", .type = 17, .heading = "Memory Device",
    .what = "memory device",
    .rows = kMemoryDeviceRows, .rowCount = std::size(kMemoryDeviceRows)};

}  // namespace tarnlix
