// SMBIOS 3.9, 7.40 System Power Supply (Type 39)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

inline constexpr CodeName kNoYesEntries[] = {{0, "No"}, {1, "Yes"}};

inline constexpr NameTable kNoYesNames{kNoYesEntries, 2};

// Type 39. Bit 1 says the supply is present; only then has it a status.
// A supply that is not there says so: an administrator watching supplies
// needs that word, not nothing.
bool PowerSupplyStatus(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint16_t bits = ReadLe16(s.bytes + 0x0E);
  if ((bits & 0x0002) == 0) {
    value.SetLasting("Not Present");
    return true;
  }
  // A present supply always has a status, even one the standard has no
  // name for: the alert on failed supplies reads it.
  if (const char* name = names::kPowerSupplyStatus.Find((bits >> 7) & 0x07)) {
    value.SetLasting(name);
  } else {
    value.BeginText();
    value.Append("Present, ");
    value.Append(kUnnamedCode);
  }
  return true;
}

inline constexpr CodeName kPluggedEntries[] = {{0, "Yes"}, {1, "No"}};  // bit 2: unplugged

inline constexpr NameTable kPluggedNames{kPluggedEntries, 2};

constexpr FieldRow kPowerSupplyRows[] = {
    {.selector = "/PSUGROUP", .type = 39, .decode = FieldDecode::Number, .at = 0x04,
     .name = "Power Unit Group", .kind = FieldKind::Number, .none = kNoneIfZero},
    {.selector = "/PSULOCATION", .type = 39, .decode = FieldDecode::String, .at = 0x05,
     .name = "Location", .identifies = true},
    {.selector = "/PSUNAME", .type = 39, .decode = FieldDecode::String, .at = 0x06,
     .name = "Name", .identifies = true},
    {.selector = "/PSUMAN", .type = 39, .decode = FieldDecode::String, .at = 0x07,
     .name = "Manufacturer"},
    {.selector = "/PSUSERIAL", .type = 39, .decode = FieldDecode::String, .at = 0x08,
     .name = "Serial Number"},
    {.selector = "/PSUASSET", .type = 39, .decode = FieldDecode::String, .at = 0x09,
     .name = "Asset Tag"},
    {.selector = "/PSUPARTNO", .type = 39, .decode = FieldDecode::String, .at = 0x0A,
     .name = "Model Part Number"},
    {.selector = "/PSUREV", .type = 39, .decode = FieldDecode::String, .at = 0x0B,
     .name = "Revision"},
    // 0x8000: unknown.
    {.selector = "/PSUMAXPOWER", .type = 39, .decode = FieldDecode::Number, .at = 0x0C,
     .size = 2, .name = "Max Power Capacity", .unit = "W", .kind = FieldKind::Number,
     .escape = 0x8000, .escapeNeedsWide = true},
    {.selector = "/PSUSTATUS", .type = 39, .decode = FieldDecode::Special, .at = 0x0E,
     .size = 2, .name = "Status", .special = PowerSupplyStatus},
    {.selector = "/PSUTYPE", .type = 39, .decode = FieldDecode::Name, .at = 0x0E, .size = 2,
     .name = "Type", .names = &names::kPowerSupplyType, .shift = 10, .mask = 0x0F},
    {.selector = "/PSUINPUTSWITCHING", .type = 39, .decode = FieldDecode::Name, .at = 0x0E,
     .size = 2, .name = "Input Voltage Range Switching",
     .names = &names::kPowerSupplyRangeSwitching, .shift = 3, .mask = 0x0F},
    {.selector = "/PSUPLUGGED", .type = 39, .decode = FieldDecode::Name, .at = 0x0E,
     .size = 2, .name = "Plugged", .names = &kPluggedNames, .shift = 2, .mask = 1},
    {.selector = "/PSUHOTREPLACE", .type = 39, .decode = FieldDecode::Name, .at = 0x0E,
     .size = 2, .name = "Hot Replaceable", .names = &kNoYesNames, .shift = 0, .mask = 1},
    {.selector = "/PSUPRESENT", .type = 39, .decode = FieldDecode::Name, .at = 0x0E,
     .size = 2, .names = &kNoYesNames, .shift = 1, .mask = 1, .label = "Present"},
    // The three handles came together, in the 22-byte structure.
    {.selector = "/PSUVOLTAGEPROBE", .type = 39, .decode = FieldDecode::Handle, .at = 0x10,
     .size = 2, .since = 0x16, .name = "Input Voltage Probe Handle", .none = kNoneIfAllOnes},
    {.selector = "/PSUCOOLINGDEVICE", .type = 39, .decode = FieldDecode::Handle, .at = 0x12,
     .size = 2, .since = 0x16, .name = "Cooling Device Handle", .none = kNoneIfAllOnes},
    {.selector = "/PSUCURRENTPROBE", .type = 39, .decode = FieldDecode::Handle, .at = 0x14,
     .size = 2, .since = 0x16, .name = "Input Current Probe Handle", .none = kNoneIfAllOnes},
};

}  // namespace

extern const StructureGroup kType39Group{
    .selector = "/PSU", .type = 39, .heading = "System Power Supply",
    .what = "system power supply",
    .rows = kPowerSupplyRows, .rowCount = std::size(kPowerSupplyRows)};

}  // namespace tarnlix
