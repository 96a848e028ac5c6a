// SMBIOS 3.9, 7.33 System Boot Information (Type 32)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

constexpr FieldRow kBootRows[] = {
    {.selector = "/BOOTSTATUS", .type = 32, .decode = FieldDecode::Name, .at = 0x0A,
     .name = "Status", .names = &names::kBootStatus, .varies = true},
};

}  // namespace

extern const StructureGroup kType32Group{
    .selector = "/BOOT", .type = 32, .heading = "System Boot Info",
    .what = "system boot",
    .rows = kBootRows, .rowCount = std::size(kBootRows)};

}  // namespace tarnlix
