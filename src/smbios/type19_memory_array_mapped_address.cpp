// SMBIOS 3.9, 7.20 Memory Array Mapped Address (Type 19)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

constexpr FieldRow kMemoryMapRows[] = {
    {.selector = "/MEMMAPSTART", .type = 19, .decode = FieldDecode::Special, .at = 0x04,
     .size = 8, .name = "Starting Address", .wideAt = 0x0F, .special = RangeStart},
    {.selector = "/MEMMAPEND", .type = 19, .decode = FieldDecode::Special, .at = 0x04,
     .size = 8, .name = "Ending Address", .wideAt = 0x0F, .special = RangeEnd},
    {.selector = "/MEMMAPSIZE", .type = 19, .decode = FieldDecode::Special, .at = 0x04,
     .size = 8, .name = "Range Size", .unit = "kB", .kind = FieldKind::Number, .wideAt = 0x0F,
     .special = RangeSize},
    {.selector = "/MEMMAPARRAY", .type = 19, .decode = FieldDecode::Handle, .at = 0x0C,
     .size = 2, .name = "Physical Array Handle"},
    {.selector = "/MEMMAPWIDTH", .type = 19, .decode = FieldDecode::Number, .at = 0x0E,
     .name = "Partition Width", .kind = FieldKind::Number},
};

}  // namespace

extern const StructureGroup kType19Group{
    .selector = "/MEMMAP", .type = 19, .heading = "Mem Array Mapped Address",
    .what = "memory array mapped address",
    .rows = kMemoryMapRows, .rowCount = std::size(kMemoryMapRows)};

}  // namespace tarnlix
