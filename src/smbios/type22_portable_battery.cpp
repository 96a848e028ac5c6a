// SMBIOS 3.9, 7.23 Portable Battery (Type 22)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// The design capacity, times the multiplier where the structure has one;
// 0 says it is unknown.
bool BatteryCapacity(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint16_t capacity = ReadLe16(s.bytes + 0x0A);
  if (capacity == 0) return false;
  uint32_t multiplier = s.Has(0x15, 1) ? s.bytes[0x15] : 1;
  value.SetNumber(uint64_t{capacity} * multiplier);
  return true;
}

// The smart battery's serial number and date count only when the string
// fields they stand in for are 0.
bool BatterySbdsSerial(const FieldRow&, const StructureView& s, FieldValue& value) {
  if (s.bytes[0x07] != 0) return false;
  value.BeginText();
  value.AppendHexDigits(ReadLe16(s.bytes + 0x10), 4);
  return true;
}

// Packed as in FAT: years since 1980, month and day.
bool BatterySbdsDate(const FieldRow&, const StructureView& s, FieldValue& value) {
  if (s.bytes[0x06] != 0) return false;
  uint16_t date = ReadLe16(s.bytes + 0x12);
  value.BeginText();
  value.AppendDecimal(1980u + (date >> 9));
  value.Append('-');
  AppendTwoDigits((date >> 5) & 0x0F, value);
  value.Append('-');
  AppendTwoDigits(date & 0x1F, value);
  return true;
}

// The design's maximum error in the battery's readings, in percent; 0xFF
// means unknown.
bool BatteryMaximumError(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint8_t percent = s.bytes[row.at];
  if (percent == 0xFF) return false;
  value.BeginText();
  value.AppendDecimal(percent);
  value.Append('%');
  return true;
}

constexpr FieldRow kBatteryRows[] = {
    {.selector = "/BATLOC", .type = 22, .decode = FieldDecode::String, .at = 0x04, .place = 1,
     .name = "Location", .identifies = true},
    {.selector = "/BATMAN", .type = 22, .decode = FieldDecode::String, .at = 0x05, .place = 2,
     .name = "Manufacturer"},
    {.selector = "/BATDATE", .type = 22, .decode = FieldDecode::String, .at = 0x06, .place = 3,
     .name = "Manufacture Date", .label = "Mfg Date"},
    {.selector = "/BATSERIAL", .type = 22, .decode = FieldDecode::String, .at = 0x07, .place = 4,
     .name = "Serial Number", .label = "Serial#"},
    {.selector = "/BATNAME", .type = 22, .decode = FieldDecode::String, .at = 0x08, .place = 5,
     .name = "Name", .label = "Device Name", .identifies = true},
    {.selector = "/BATVER", .type = 22, .decode = FieldDecode::String, .at = 0x0E, .place = 6,
     .name = "SBDS Version"},
    {.selector = "/BATCHEM", .type = 22, .decode = FieldDecode::String, .at = 0x14, .place = 7,
     .name = "SBDS Chemistry"},
    // dmidecode reads none of these from a structure shorter than the 2.1
    // one. The smart battery chemistry string stands in for "Unknown",
    // which has no name here.
    {.selector = "/BATCHEMISTRY", .type = 22, .decode = FieldDecode::Name, .at = 0x09,
     .since = 0x10, .name = "Chemistry", .names = &names::kBatteryChemistry},
    {.selector = "/BATCAPACITY", .type = 22, .decode = FieldDecode::Special, .at = 0x0A,
     .size = 2, .since = 0x10, .name = "Design Capacity", .unit = "mWh",
     .kind = FieldKind::Number, .special = BatteryCapacity},
    {.selector = "/BATVOLTAGE", .type = 22, .decode = FieldDecode::Number, .at = 0x0C,
     .size = 2, .since = 0x10, .name = "Design Voltage", .unit = "mV",
     .kind = FieldKind::Number, .none = kNoneIfZero},
    // A percentage: a text as dmidecode writes it ("2%"), like every
    // percentage the table holds.
    {.selector = "/BATMAXERROR", .type = 22, .decode = FieldDecode::Special, .at = 0x0F,
     .since = 0x10, .name = "Maximum Error", .special = BatteryMaximumError},
    {.selector = "/BATSBDSSERIAL", .type = 22, .decode = FieldDecode::Special, .at = 0x10,
     .size = 2, .since = 0x1A, .name = "SBDS Serial Number", .special = BatterySbdsSerial},
    {.selector = "/BATSBDSDATE", .type = 22, .decode = FieldDecode::Special, .at = 0x12,
     .size = 2, .since = 0x1A, .name = "SBDS Manufacture Date", .special = BatterySbdsDate},
    {.selector = "/BATCAPMULTIPLIER", .type = 22, .decode = FieldDecode::Number, .at = 0x15,
     .kind = FieldKind::Number, .label = "Design Capacity Multiplier"},
    {.selector = "/BATOEM", .type = 22, .decode = FieldDecode::Hex, .at = 0x16, .size = 4,
     .name = "OEM-specific Information"},
};

}  // namespace

extern const StructureGroup kType22Group{
    .selector = "/BATTERY", .type = 22, .heading = "Portable Battery",
    .what = "portable battery",
    .rows = kBatteryRows, .rowCount = std::size(kBatteryRows)};

}  // namespace tarnlix
