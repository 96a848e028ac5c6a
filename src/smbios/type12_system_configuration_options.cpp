// SMBIOS 3.9, 7.13 System Configuration Options (Type 12)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

constexpr FieldRow kConfigRows[] = {
    {.selector = "/SYSCONFIGOPTIONS", .type = 12, .decode = FieldDecode::Special, .at = 0x04,
     .name = "Option N", .kind = FieldKind::List, .special = CountedStrings},
};

}  // namespace

extern const StructureGroup kType12Group{
    .selector = "/SYSCONFIG", .type = 12, .heading = "System Config Options",
    .what = "system configuration options",
    .rows = kConfigRows, .rowCount = std::size(kConfigRows)};

}  // namespace tarnlix
