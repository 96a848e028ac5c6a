// SMBIOS 3.9, 7.22 Built-in Pointing Device (Type 21)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

constexpr FieldRow kPointingRows[] = {
    {.selector = "/POINTINGTYPE", .type = 21, .decode = FieldDecode::Name, .at = 0x04,
     .since = 0x07, .name = "Type", .names = &names::kPointingDeviceType},
    {.selector = "/POINTINGINTERFACE", .type = 21, .decode = FieldDecode::Name, .at = 0x05,
     .since = 0x07, .name = "Interface", .names = &names::kPointingDeviceInterface},
    {.selector = "/POINTINGBUTTONS", .type = 21, .decode = FieldDecode::Number, .at = 0x06,
     .name = "Buttons", .kind = FieldKind::Number},
};

}  // namespace

extern const StructureGroup kType21Group{
    .selector = "/POINTING", .type = 21, .heading = "Pointing Device",
    .what = "built-in pointing device",
    .rows = kPointingRows, .rowCount = std::size(kPointingRows)};

}  // namespace tarnlix
