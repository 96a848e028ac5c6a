// SMBIOS 3.9, 7.28 Cooling Device (Type 27)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

constexpr FieldRow kCoolingRows[] = {
    {.selector = "/COOLINGPROBE", .type = 27, .decode = FieldDecode::Handle, .at = 0x04,
     .size = 2, .name = "Temperature Probe Handle", .none = kNoneIfAllOnes},
    {.selector = "/COOLINGTYPE", .type = 27, .decode = FieldDecode::Name, .at = 0x06,
     .name = "Type", .names = &names::kCoolingDeviceType, .mask = 0x1F},
    {.selector = "/COOLINGSTATUS", .type = 27, .decode = FieldDecode::Name, .at = 0x06,
     .name = "Status", .names = &names::kCoolingDeviceStatus, .shift = 5, .mask = 0x07,
     .varies = true},
    // 0: the device shares its unit with no other.
    {.selector = "/COOLINGGROUP", .type = 27, .decode = FieldDecode::Number, .at = 0x07,
     .name = "Cooling Unit Group", .kind = FieldKind::Number, .none = kNoneIfZero},
    {.selector = "/COOLINGOEM", .type = 27, .decode = FieldDecode::Hex, .at = 0x08, .size = 4,
     .name = "OEM-specific Information"},
    // Unknown reads the same as a device that does not rotate.
    {.selector = "/COOLINGSPEED", .type = 27, .decode = FieldDecode::Special, .at = 0x0C,
     .size = 2, .name = "Nominal Speed", .unit = "rpm", .kind = FieldKind::Number,
     .special = Reading<0, false>},
    {.selector = "/COOLINGDESC", .type = 27, .decode = FieldDecode::String, .at = 0x0E,
     .name = "Description", .identifies = true},
};

}  // namespace

extern const StructureGroup kType27Group{
    .selector = "/COOLING", .type = 27, .heading = "Cooling Device",
    .what = "cooling device",
    .rows = kCoolingRows, .rowCount = std::size(kCoolingRows)};

}  // namespace tarnlix
